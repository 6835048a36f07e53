#!/usr/bin/env bash
# Builds the benchmarks in build-bench/ (RelWithDebInfo, as ./run.sh builds the program)
# and prints the medians of REPETITIONS runs (10 by default) of every step on the
# largest input: the analysis steps, geolago-cli --all, and the windows' steps on the
# offscreen platform; then the program's start-up on a virtual X server (Xvfb), from its
# launch on the example until its main window shows.
#   bench/run.sh [REPETITIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=${1:-10}
scripts/install-deps.sh
cmake -S . -B build-bench -DGEOLAGO_BENCH=ON -DGEOLAGO_TESTS=OFF -DGEOLAGO_WINDOWS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-bench -j"$(nproc)" --target geolago-bench geolago-windows-bench geolago-bench-data \
  Geolago_2 geolago-first-frame
flags=(--benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true)
build-bench/bench/geolago-bench "${flags[@]}" 2>&1 | grep -E '^Run on|_median'
if [ -x build-bench/bench/geolago-windows-bench ]; then
  QT_QPA_PLATFORM=offscreen build-bench/bench/geolago-windows-bench "${flags[@]}" 2>&1 | grep -E '_median'
fi
if [ -x build-bench/bench/geolago-first-frame ] && command -v xvfb-run >/dev/null; then
  echo "Start-up on Xvfb, launch to main window shown:"
  xvfb-run -a -s "-screen 0 1280x1024x24" \
    build-bench/bench/geolago-first-frame "$repetitions" build-bench/app/Geolago_2 examples/quartiers.txt 2>/dev/null |
    grep median
fi
