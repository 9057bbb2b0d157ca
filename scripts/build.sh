#!/usr/bin/env bash
# Configures and builds build/zeko and the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
