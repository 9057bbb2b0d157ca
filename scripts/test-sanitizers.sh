#!/usr/bin/env bash
# Builds zeko and the tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (CMake preset "asan", directory build-asan) and runs every test against that
# build. Any sanitizer report aborts the process that made it, so the test
# that ran it fails (the golden runner starts build-asan/zeko).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset asan "${launcher[@]}" >/dev/null
cmake --build --preset asan -j"$(nproc)"
# The same options as the test preset, also for a ctest run by hand.
export ASAN_OPTIONS="abort_on_error=1:halt_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="abort_on_error=1:halt_on_error=1:print_stacktrace=1"
ctest --preset asan -j"$(nproc)"
