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
(cd "$stage" && zip -qr -X "$out/$base-win64.zip" "$base")
rm -rf "$stage"
unzip -l "$out/$base-win64.zip" | grep -q " $base/zeko.exe$"
echo "[      OK ] $out/$base-win64.zip"
