#!/usr/bin/env bash
# Packs zeko.exe for Windows users:
#   scripts/win-zip.sh ZEKO_EXE OUT_DIR
# gives OUT_DIR/zeko-<version>-win64.zip with zeko-<version>/zeko.exe, the
# samples under examples/, README.txt and bankdaten/ with the Bundesbank's
# bank code file that Debian's libktoblzcheck1v5 ships (the newest one), where
# zeko.exe looks for it beside itself. The version is the one that zeko.exe
# reports (Wine, as set up by scripts/test-windows.sh).
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
bank_files=(/usr/share/ktoblzcheck/blz_*.txt)
bank_file="${bank_files[-1]}"
[ -f "$bank_file" ] || { echo "no $bank_file: the package libktoblzcheck1v5 is missing" >&2; exit 1; }
mkdir "$stage/$base/bankdaten"
cp "$bank_file" "$stage/$base/bankdaten/"
# Notepad's line ends for the read-me, which names the bank code file and its
# date (blz_YYYYMMDD.txt).
bank_name=$(basename "$bank_file")
bank_date=$(sed -n 's/^blz_\([0-9]\{4\}\)\([0-9]\{2\}\)\([0-9]\{2\}\)\.txt$/\3.\2.\1/p' <<<"$bank_name")
[ -n "$bank_date" ] || { echo "$bank_file: no date in its name" >&2; exit 1; }
sed "s/@VERSION@/$version/; s/@BANKFILE@/$bank_name/; s/@BANKDATE@/$bank_date/; s/\$/\r/" \
  packaging/windows-readme.txt > "$stage/$base/README.txt"
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
grep -q " $base/bankdaten/$bank_name$" <<<"$listing"
echo "[      OK ] $out/$base-win64.zip"
