#!/usr/bin/env bash
# Packs zeko.exe for Windows users:
#   scripts/win-zip.sh ZEKO_EXE OUT_DIR
# gives OUT_DIR/zeko-<version>-win64.zip with zeko-<version>/zeko.exe, the
# samples under examples/ and README.txt. The version is the one that
# zeko.exe reports (Wine, as set up by scripts/test-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
exe="$1"
out="$(mkdir -p "$2" && cd "$2" && pwd)"
version=$(wine "$exe" --version | tr -d '\r' | sed -n 's/^zeko //p')
[ -n "$version" ] || { echo "$exe --version names no version" >&2; exit 1; }
base="zeko-$version"
stage="$out/zip-stage"
rm -rf "$stage" && mkdir -p "$stage/$base"
cp "$exe" "$stage/$base/zeko.exe"
cp -r examples "$stage/$base/"
# Notepad's line ends for the read-me.
sed "s/@VERSION@/$version/; s/\$/\r/" packaging/windows-readme.txt > "$stage/$base/README.txt"
rm -f "$out/$base-win64.zip"
# Entries in name order, not in the order the file system lists them: the
# archive lists its files in the same order on every machine.
(cd "$stage" && find "$base" | LC_ALL=C sort | zip -q -X "$out/$base-win64.zip" -@)
rm -rf "$stage"
# The listing is read whole before it is searched: "unzip -l | grep -q" under
# pipefail fails when grep stops at the match while unzip still writes (it
# writes line by line), which depends on where zip put zeko.exe.
listing=$(unzip -l "$out/$base-win64.zip")
grep -q " $base/zeko.exe$" <<<"$listing"
echo "[      OK ] $out/$base-win64.zip"
