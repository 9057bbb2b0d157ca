#!/usr/bin/env bash
# Builds the fuzz targets and runs each one for a short, bounded time:
# ZEKO_FUZZ_SECONDS per target (default 20; 13 targets, under 5 minutes in
# all). Fails on the first crash, sanitizer report, leak, hang or memory
# blow-up; the input that caused it is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
./fuzz/build.sh
. fuzz/targets.sh
seconds=${ZEKO_FUZZ_SECONDS:-20}
# A fresh corpus from the seeds each time, so that the run's length does not
# grow with a corpus that long runs by hand have built up.
export ZEKO_FUZZ_CORPUS=$PWD/build-fuzz/ci-corpus
rm -rf "$ZEKO_FUZZ_CORPUS"
status=0
while read -r name max_len dict; do
  echo "== fuzz_$name (${seconds} s)"
  # A fixed seed: CI explores the same inputs first every time, so a run
  # fails for a fault in the code, not for a lucky draw.
  if ! fuzz_run "$name" "$max_len" "$dict" "$seconds" -seed=1 2>"build-fuzz/$name.log"; then
    tail -60 "build-fuzz/$name.log" >&2
    status=1
    break
  fi
  grep -E "^stat::number_of_executed_units|^Done" "build-fuzz/$name.log" || true
done < <(fuzz_targets)
exit $status
