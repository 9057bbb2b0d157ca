#!/usr/bin/env bash
# Builds zeko and runs the sample conversion of examples/<target> (default datax):
# the sample input is copied into the temporary directory as the host system
# would leave it there, and the converter is started with the sample's
# configuration. The output lands in build/sample-out/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:-datax}"
./scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target zeko
./scripts/run-sample.sh build/zeko "$target" "build/sample-out/$target"
