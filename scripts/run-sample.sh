#!/usr/bin/env bash
# Runs the sample of examples/<target> with a built converter:
#   scripts/run-sample.sh ZEKO TARGET OUT_DIR [EXAMPLES_DIR]
# OUT_DIR gets a fresh copy of the sample; its input goes into OUT_DIR/tmp,
# the temporary directory, as the host system would leave it there. Fails
# unless the run exits 0, deletes its input and writes at least one output
# file that is not empty.
set -euo pipefail
zeko="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
target="$2"
out="$3"
sample="${4:-$(cd "$(dirname "$0")/.." && pwd)/examples}/$target"
[ -f "$sample/fibconf" ] || { echo "no sample examples/$target" >&2; exit 1; }
rm -rf "$out" && mkdir -p "$out/tmp" && out="$(cd "$out" && pwd)"
cp -r "$sample"/. "$out/"
cp "$sample/SAMPLE.\$TM" "$out/tmp/"
cd "$out"
# "./fibconf": the configuration's folder (where SPK.NUM and SPK.FRM are) is
# the /CONFIG: path up to its last separator, here the current folder.
status=0
TMPDIR="$out/tmp" "$zeko" /CONFIG:./fibconf /TEMP:SAMPLE || status=$?
echo "exit code $status - output in $out:"
written=()
for f in *; do
  [ -f "$f" ] && [ ! -e "$sample/$f" ] && written+=("$f")
done
ls -l "${written[@]}" 2>/dev/null || true
[ "$status" = 0 ] || exit "$status"
if [ -e "tmp/SAMPLE.\$TM" ]; then echo "the input file was not deleted" >&2; exit 1; fi
((${#written[@]})) || { echo "no output file written" >&2; exit 1; }
for f in "${written[@]}"; do
  [ -s "$f" ] || { echo "output $f is empty" >&2; exit 1; }
done
