#!/usr/bin/env bash
# DATAX alone, beside cp and the awk version: bench/bench_all.sh for one
# target (same variables: COUNT, SEED, REPEAT, BUILD_DIR, AWK).
set -euo pipefail
TARGETS=${TARGETS:-DATAX} exec "$(dirname "$0")/bench_all.sh"
