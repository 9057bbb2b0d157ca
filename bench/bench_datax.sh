#!/usr/bin/env bash
# Converts COUNT generated DATAX records (default 1,000,000) and prints the
# rate beside a plain cp of the same input file on the same disk.
#
#   bench/bench_datax.sh            # build in build-bench/, then measure
#   COUNT=100000 RELEASE=5 SEED=7 BUILD_DIR=/tmp/b bench/bench_datax.sh
#
# Needs /usr/bin/time (GNU time) for the peak memory figure.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-bench}
COUNT=${COUNT:-1000000}
SEED=${SEED:-42}
RELEASE=${RELEASE:-4}
JOBS=${JOBS:-2}

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZEKO_BENCH=ON -DZEKO_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target zeko gen_input >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zeko-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/tmp"
INPUT="$WORK/tmp/BENCH.\$TM"

"$BUILD/gen_input" DATAX "$COUNT" "$SEED" "$INPUT"
BYTES=$(stat -c %s "$INPUT")

cat >"$WORK/fibconf" <<EOF
TYP=DATAX
RELEASE=$RELEASE
PATH=
NAME1=DATAX.DAT
EOF

# Wall seconds and peak RSS (kB) from a GNU time -v report.
seconds() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
      n = split($2, p, ":"); s = 0
      for (i = 1; i <= n; i++) s = s * 60 + p[i]
      printf "%.3f", s }' "$1"
}
peak_kb() { awk -F': ' '/Maximum resident set size/ {print $2}' "$1"; }
# User plus system CPU seconds: less disturbed than wall time on a busy machine.
cpu() { awk -F': ' '/User time|System time/ {s += $2} END {printf "%.3f", s}' "$1"; }

cd "$WORK"
# The input stays (/ND) so that cp copies the very same file afterwards;
# stderr goes to a file so that no terminal dialog is drawn.
if ! TMPDIR="$WORK/tmp/" /usr/bin/time -v -o zeko.time \
    "$BUILD/zeko" /CONFIG:fibconf /TEMP:BENCH /ND 2>zeko.err; then
  echo "conversion failed:" >&2
  cat zeko.err >&2
  exit 1
fi
/usr/bin/time -v -o cp.time cp "$INPUT" "$WORK/copy.\$TM"

OUT_BYTES=$(stat -c %s DATAX.DAT)
ZEKO_S=$(seconds zeko.time)
CP_S=$(seconds cp.time)

awk -v n="$COUNT" -v b="$BYTES" -v ob="$OUT_BYTES" -v zs="$ZEKO_S" -v cs="$CP_S" \
    -v zc="$(cpu zeko.time)" -v cc="$(cpu cp.time)" \
    -v zk="$(peak_kb zeko.time)" -v ck="$(peak_kb cp.time)" -v rel="$RELEASE" 'BEGIN {
  mb = b / 1e6
  printf "DATAX RELEASE %s: %d records, input %.1f MB, output %.1f MB\n", rel, n, mb, ob / 1e6
  printf "zeko: %8.3f s wall (%.3f s CPU)  %9.0f records/s  %7.1f MB/s  peak RSS %6.1f MB\n",
         zs, zc, (zs > 0 ? n / zs : 0), (zs > 0 ? mb / zs : 0), zk / 1024
  printf "cp:   %8.3f s wall (%.3f s CPU)  %9s            %7.1f MB/s  peak RSS %6.1f MB\n",
         cs, cc, "", (cs > 0 ? mb / cs : 0), ck / 1024
}'
