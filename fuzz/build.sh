#!/usr/bin/env bash
# Builds the libFuzzer targets and their seed corpora:
#   fuzz/build.sh            -> build-fuzz/fuzz_<name> and build-fuzz/seeds/<name>/
# The converter's library is built by the project's own CMake with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (every report fatal) and
# the fuzzer's coverage instrumentation; each target links against it.
# Needs clang and libclang-rt-<version>-dev (Debian's clang packages).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${ZEKO_FUZZ_DIR:-$root/build-fuzz}
cxx=${ZEKO_FUZZ_CXX:-clang++}

# Debian's clang and its runtime libraries (libFuzzer, the sanitizers),
# installed where missing as scripts/deps.sh does for the main build.
install() {
  if [ "$(id -u)" != 0 ]; then echo "missing packages: $* (run as root)" >&2; exit 1; fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
command -v "$cxx" >/dev/null || install clang
major=$("$cxx" -dumpversion | cut -d. -f1)
if command -v dpkg >/dev/null && ! dpkg -s "libclang-rt-$major-dev" >/dev/null 2>&1; then
  install "libclang-rt-$major-dev"
fi

sanitize="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all"
# Member arrays are padded too (see fuzz/field_padding.ignore).
padding="-fsanitize-address-field-padding=1 -fsanitize-ignorelist=$root/fuzz/field_padding.ignore"
common="-g -O1 -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS $sanitize $padding"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
jobs=${ZEKO_FUZZ_JOBS:-$(nproc)}

cmake -S . -B "$out/core" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZEKO_TESTS=OFF "-DCMAKE_CXX_FLAGS=$common -fsanitize=fuzzer-no-link" "${launcher[@]}" >/dev/null
cmake --build "$out/core" --target zeko_core -j"$jobs"

cc=("$cxx")
command -v ccache >/dev/null && cc=(ccache "$cxx")
lua="$(pkg-config --libs lua5.4 nettle) -lktoblzcheck"
link() {  # link <output> <source> [flags...]
  local target=$1 source=$2
  shift 2
  "${cc[@]}" -std=c++20 $common -fsanitize=fuzzer -Wall -Wextra -Werror -I src -I fuzz "$@" \
    "$source" fuzz/fuzz_common.cpp "$out/core/libzeko_core.a" $lua -o "$out/$target"
}

failed=0
wait_some() {  # keeps fewer than $1 compilers running
  while (( $(jobs -rp | wc -l) >= $1 )); do wait -n || failed=1; done
}
for name in record config convert generic_layout; do
  wait_some "$jobs"
  link "fuzz_$name" "fuzz/fuzz_$name.cpp" &
done
for writer in datax hs hs3 khk8 pcrewe ledax generic spk presort; do
  wait_some "$jobs"
  link "fuzz_writer_$writer" fuzz/fuzz_writer.cpp "-DZEKO_FUZZ_WRITER=\"$writer\"" &
done
wait_some 1
((failed == 0)) || { echo "fuzz/build.sh: a fuzz target did not build" >&2; exit 1; }

# Seeds from the golden cases, encoded by the golden runner's own rules.
c++ -std=c++20 -O1 -I tests -I src "-DZEKO_EXE=\"\"" fuzz/make_seeds.cpp tests/support/harness.cpp \
  src/sepa/target_calendar.cpp \
  -o "$out/make_seeds"
rm -rf "$out/seeds"
"$out/make_seeds" tests/golden "$out/seeds"
