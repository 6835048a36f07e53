#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (Debug, every check fatal) in build-asan/ and runs it. Any report fails the run. The
# Python module and the R package are left out: neither Python nor R has the sanitizers'
# runtime to load them with.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-asan -DGEOLAGO_SANITIZE=ON -DGEOLAGO_WINDOWS=ON -DGEOLAGO_PYTHON=OFF -DGEOLAGO_R=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
# Leak detection stays on for every binary, the window tests included: none needs a
# suppression today.
export ASAN_OPTIONS="abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
