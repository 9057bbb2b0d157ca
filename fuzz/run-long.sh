#!/usr/bin/env bash
# Long fuzzing runs by hand:
#   fuzz/run-long.sh [seconds per target] [target ...]
# Default: one hour per target, every target, as many workers as cores
# (ZEKO_FUZZ_WORKERS). The corpus grows in build-fuzz/corpus/<target> and
# is kept between runs; a crash stops that target's run with its input in
# build-fuzz/artifacts/. Keep a fixed crash's input in
# fuzz/regressions/<target>/ and add a golden case or unit test for it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
shift || true
workers=${ZEKO_FUZZ_WORKERS:-$(nproc)}
[ -x build-fuzz/fuzz_record ] || ./fuzz/build.sh
. fuzz/targets.sh
while read -r name max_len dict; do
  if (($#)) && [[ " $* " != *" $name "* ]]; then continue; fi
  echo "== fuzz_$name: ${seconds} s, $workers workers"
  fuzz_run "$name" "$max_len" "$dict" "$seconds" -fork="$workers" -ignore_crashes=0 \
    2>"build-fuzz/$name.long.log" || { tail -60 "build-fuzz/$name.long.log"; exit 1; }
  grep -E "^stat::|^#.*DONE|INFO: fuzzed for" "build-fuzz/$name.long.log" | tail -5 || true
done < <(fuzz_targets)
