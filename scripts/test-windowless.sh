#!/usr/bin/env bash
# Builds the core, the batch command and their tests without Qt's windows in
# build-windowless/ and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-windowless -DGEOLAGO_WINDOWS=OFF -DGEOLAGO_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-windowless -j"$(nproc)"
cd build-windowless
ctest --output-on-failure -j"$(nproc)"
