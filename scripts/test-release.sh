#!/usr/bin/env bash
# Builds every target of the tree as a Release build (-O3, warnings are
# errors: the optimizer's own warnings show only here) in build-release/ and
# runs all tests against it:
#   - zeko, the tests and the benchmarks (ZEKO_BENCH=ON) through CMake;
#   - the fuzz drivers, which fuzz/build.sh links with clang's libFuzzer,
#     compiled (not linked) with the same compiler and flags.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
jobs=${JOBS:-$(nproc)}
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DZEKO_BENCH=ON "${launcher[@]}" >/dev/null
cmake --build build-release -j"$jobs"

cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' build-release/CMakeCache.txt)
flags=(-std=c++20 -O3 -DNDEBUG -Wall -Wextra -Werror -I src -I fuzz -I tests)
mkdir -p build-release/fuzz
for source in fuzz/*.cpp; do
  name=$(basename "$source" .cpp)
  "$cxx" "${flags[@]}" -DZEKO_FUZZ_WRITER='"datax"' -c "$source" -o "build-release/fuzz/$name.o"
done

cd build-release
ctest --output-on-failure -j"$jobs"
