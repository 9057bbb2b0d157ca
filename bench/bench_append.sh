#!/usr/bin/env bash
# Appends 10 DATAX records to a collected file of SIZE bytes (default 1 GB,
# sparse: only its last record takes disk space) and, for comparison, to a
# file of 10 records; prints the wall time of each run and the peak extra
# disk space the run took in the output's directory (sampled every few
# milliseconds while it runs: a run that copied the old file would show its
# whole size here).
#
#   bench/bench_append.sh                  # uses build/zeko
#   SIZE=200000000 ZEKO=/path/zeko bench/bench_append.sh
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
ZEKO=${ZEKO:-$ROOT/build/zeko}
SIZE=${SIZE:-1073741824}
[ -x "$ZEKO" ] || { echo "no $ZEKO: build first (scripts/build.sh)" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zeko-append.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

record() {  # one DATAX booking in the input format
  local f
  printf '%s' "010001000" "1" "015001000" "0"
  f="R$1"; printf '100%03d000%s' "${#f}" "$f"
  printf '%s' "105010000" "04.12.2026" "110005000" "10000" "115007000" "1190.00" "120004000" "8400"
  printf '\r\n'
}

allocated() { du -s -B1 "$1" | cut -f1; }

# run <label> <prepare-output-command>
run() {
  local label=$1 dir="$WORK/$1"
  mkdir -p "$dir"
  printf 'TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\n' >"$dir/fibconf"
  for i in $(seq 1 10); do record "$i"; done >"$dir/INPUT.\$TM"
  "$2" "$dir/DATAX.DAT"
  sync
  local base peak now start end old
  old=$(stat -c %s "$dir/DATAX.DAT")
  base=$(allocated "$dir")
  peak=$base
  start=$(date +%s.%N)
  (cd "$dir" && TMPDIR="$dir" "$ZEKO" /CONFIG:fibconf /TEMP:INPUT) &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    now=$(allocated "$dir")
    ((now > peak)) && peak=$now
  done
  wait "$pid"
  end=$(date +%s.%N)
  now=$(allocated "$dir")
  ((now > peak)) && peak=$now
  printf '%-14s old size %12s bytes   time %8.4f s   peak extra disk %8s bytes\n' \
    "$label" "$old" "$(echo "$end - $start" | bc)" "$((peak - base))"
}

# The old content's bytes do not matter to an append: a hole, then a line.
large() { truncate -s $((SIZE - 2)) "$1"; printf '\r\n' >>"$1"; }
small() { for i in $(seq 1 10); do printf '%0178d\r\n' "$i"; done >"$1"; }

run large large
run small small
