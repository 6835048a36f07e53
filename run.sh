#!/usr/bin/env bash
# Installs what is missing, builds the program and the batch command (no tests) and
# starts the program: on the shipped example, its counts filled in, unless arguments are
# given, which are passed on.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGEOLAGO_WINDOWS=ON -DGEOLAGO_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)" --target Geolago_2 geolago-cli
if [ $# -eq 0 ]; then
  set -- examples/quartiers.txt
fi
exec build/app/Geolago_2 "$@"
