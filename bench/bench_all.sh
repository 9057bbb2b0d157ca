#!/usr/bin/env bash
# Converts COUNT generated records (default 1,000,000) with every target and
# prints, per target, the rate beside a plain cp of the same input file on
# the same disk, measured in the same run. DATAX is also converted by the
# same conversion written in awk (bench/datax.awk, run under mawk), and once
# more with the presort of all records in one group (row DATAX+PRESORT).
#
#   bench/bench_all.sh                       # build in build-bench/, measure all
#   TARGETS="DATAX SPK" COUNT=100000 REPEAT=3 bench/bench_all.sh
#
# Each figure is the best of REPEAT runs (default 1). "x cp" is zeko's wall
# time over cp's. Needs /usr/bin/time (GNU time) and mawk (AWK=... for
# another awk).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build-bench}
COUNT=${COUNT:-1000000}
SEED=${SEED:-42}
REPEAT=${REPEAT:-1}
JOBS=${JOBS:-2}
AWK=${AWK:-mawk}
TARGETS=${TARGETS:-DATAX DATAX+PRESORT HS HS3 KHK8 GENERIC PCREWE LEDAX SPK SLANG}

cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZEKO_BENCH=ON -DZEKO_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target zeko gen_input >/dev/null

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zeko-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# The configuration of a target and its side files, into directory $2.
configure() {
  local target=$1 dir=$2
  case $target in
    DATAX | DATAX+PRESORT)
      # RELEASE 4, the layout that bench/datax.awk writes.
      printf 'TYP=DATAX\nRELEASE=4\nPATH=\nNAME1=DATAX.DAT\n' >"$dir/fibconf"
      # Amounts as the sort key; the generated input has no group ends.
      [ "$target" = DATAX ] || echo "PRESORT=115" >>"$dir/fibconf"
      ;;
    HS3)
      printf 'TYP=HS3\nPATH=\nNAME1=HS3FIBU.DAT\nMANDANT=01\n' >"$dir/fibconf"
      ;;
    *)
      local example=$ROOT/examples/${target,,}
      find "$example" -maxdepth 1 -type f ! -name 'SAMPLE.$TM' ! -name README \
        -exec cp {} "$dir/" \;
      ;;
  esac
}

# Runs a command under GNU time into $1 (seconds wall, user, system, peak
# kB); the command's stdout goes to $2.
# Dirty pages of earlier steps are written back first, so that no step pays
# for another's writes.
timed() {
  local report=$1 out=$2
  shift 2
  sync
  /usr/bin/time -f '%e %U %S %M' -o "$report" "$@" >"$out"
}
wall() { awk '{print $1}' "$1"; }
cpu() { awk '{printf "%.2f", $2 + $3}' "$1"; }
peak() { awk '{printf "%.1f", $4 / 1024}' "$1"; }
# The smaller of two numbers ("" counts as none).
least() { awk -v a="$1" -v b="$2" 'BEGIN {print (a == "" || b + 0 < a + 0) ? b : a}'; }

printf '%-14s %9s %8s %7s %11s %8s %7s %7s %7s  %s\n' \
  target "input MB" "wall s" "CPU s" "records/s" "MB/s" "cp s" "x cp" "RSS MB" "output"
row() {  # label MB wall cpu cp rss output
  awk -v l="$1" -v mb="$2" -v s="$3" -v c="$4" -v cs="$5" -v r="$6" -v o="$7" -v n="$COUNT" 'BEGIN {
    printf "%-14s %9.1f %8.2f %7.2f %11.0f %8.1f %7.2f %7.1f %7s  %s\n",
           l, mb, s, c, (s > 0 ? n / s : 0), (s > 0 ? mb / s : 0), cs, (cs > 0 ? s / cs : 0), r, o }'
}

for target in $TARGETS; do
  generator=${target%+PRESORT}
  dir=$WORK/$target
  mkdir -p "$dir/tmp" "$dir/copy"
  input=$dir/tmp/BENCH.\$TM
  original=$dir/original.\$TM
  "$BUILD/gen_input" "$generator" "$COUNT" "$SEED" "$original"
  mb=$(stat -c %s "$original" | awk '{print $1 / 1e6}')
  best="" bestCpu="" bestRss="" bestCp="" bestAwk="" bestAwkCpu="" status=ok
  for ((i = 0; i < REPEAT; i++)); do
    # A fresh input (the presort rewrites it) and no output of an earlier
    # run (most targets append).
    cp "$original" "$input"
    rm -rf "$dir/run" && mkdir "$dir/run"
    configure "$target" "$dir/run"
    touch "$dir/started"
    # /ND keeps the input for cp; stderr to a file so that no dialog is drawn.
    if ! (cd "$dir/run" && TMPDIR="$dir/tmp/" timed "$dir/zeko.time" /dev/null \
            "$BUILD/zeko" /CONFIG:./fibconf /TEMP:BENCH /ND 2>"$dir/zeko.err"); then
      status="FAILED: $(head -c 200 "$dir/zeko.err")"
      break
    fi
    timed "$dir/cp.time" /dev/null cp "$input" "$dir/copy/"
    rm -f "$dir/copy/"*
    best=$(least "$best" "$(wall "$dir/zeko.time")")
    bestCpu=$(least "$bestCpu" "$(cpu "$dir/zeko.time")")
    bestRss=$(least "$bestRss" "$(peak "$dir/zeko.time")")
    bestCp=$(least "$bestCp" "$(wall "$dir/cp.time")")
    if [ "$target" = DATAX ] && command -v "$AWK" >/dev/null; then
      LC_ALL=C timed "$dir/awk.time" "$dir/awk.dat" "$AWK" -f "$ROOT/bench/datax.awk" "$input"
      bestAwk=$(least "$bestAwk" "$(wall "$dir/awk.time")")
      bestAwkCpu=$(least "$bestAwkCpu" "$(cpu "$dir/awk.time")")
      same=$(cmp -s "$dir/awk.dat" "$dir/run/DATAX.DAT" && echo "same bytes" || echo "DIFFERENT bytes")
      rm -f "$dir/awk.dat"
    fi
  done
  if [ "$status" != ok ]; then
    printf '%-14s %s\n' "$target" "$status"
  else
    outputs=$(cd "$dir/run" && find . -maxdepth 1 -type f -newer "$dir/started" \
                -printf '%f %s\n' | awk '{printf "%s%s %.0f MB", sep, $1, $2 / 1e6; sep = ", "}')
    row "$target" "$mb" "$best" "$bestCpu" "$bestCp" "$bestRss" "$outputs"
    if [ -n "$bestAwk" ]; then
      awk -v l="  $AWK" -v s="$bestAwk" -v c="$bestAwkCpu" -v z="$best" -v n="$COUNT" \
          -v mb="$mb" -v same="$same" 'BEGIN {
        printf "%-14s %9s %8.2f %7.2f %11.0f %8.1f %7s %7s %7s  zeko %.1fx faster; %s as zeko\n",
               l, "", s, c, n / s, mb / s, "", "", "", s / z, same }'
    fi
  fi
  rm -rf "$dir"
done
