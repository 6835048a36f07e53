#!/usr/bin/env bash
# Installs what is missing, builds Geolago and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGEOLAGO_WINDOWS=ON -DGEOLAGO_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
exec build/app/Geolago_2 "$@"
