#!/usr/bin/env bash
# The reading of each input format, before and after a change, side by side in one run:
# builds geolago-cli and geolago-bench-formats of this tree (build-bench/) and geolago-cli
# of the revision BEFORE (exported with git archive into FOLDER/before-REV, built there
# once), writes the same points as a point file, a CSV text, a GeoPackage point layer and a
# GeoTIFF raster of as many pixels (geolago-bench-formats) into FOLDER (default
# /tmp/geolago-formats), and prints for each run its wall time, its process time (user and
# system, steadier on a shared machine) and its peak memory (/usr/bin/time): every point read, N = 10 cells and one variable, so that the reading is
# most of the run. The point file is given its counts (--points, --vars), which a file of
# more than 16 MiB does not propose. A run stopped by TIMEOUT seconds (default 120) prints
# "> TIMEOUT s".
#   bench/read_formats.sh BEFORE [FOLDER] [POINTS...]     (POINTS: 100000 1000000 10000000)
# GEOLAGO_CLI_AFTER and GEOLAGO_CLI_BEFORE name programs already built instead.
set -euo pipefail
cd "$(dirname "$0")/.."
before=${1:?usage: bench/read_formats.sh BEFORE [FOLDER] [POINTS...]}
folder=${2:-/tmp/geolago-formats}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(100000 1000000 10000000)
timeout=${TIMEOUT:-120}
mkdir -p "$folder"
jobs=$(nproc)

cmake -S . -B build-bench -DGEOLAGO_BENCH=ON -DGEOLAGO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(geolago-bench-formats)
[ -z "${GEOLAGO_CLI_AFTER:-}" ] && targets+=(geolago-cli)
cmake --build build-bench -j"$jobs" --target "${targets[@]}" >/dev/null
after_cli=${GEOLAGO_CLI_AFTER:-build-bench/cli/geolago-cli}
rev=$(git rev-parse --short "$before")
before_cli=${GEOLAGO_CLI_BEFORE:-$folder/before-$rev/build/cli/geolago-cli}
if [ ! -x "$before_cli" ]; then
  old="$folder/before-$rev"
  mkdir -p "$old"
  git archive "$rev" | tar -x -C "$old"
  cmake -S "$old" -B "$old/build" -DGEOLAGO_WINDOWS=OFF -DGEOLAGO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$old/build" -j"$jobs" --target geolago-cli >/dev/null
fi

# Runs one geolago-cli on its arguments; prints "wall s (process s) megabytes MB".
measure() {
  local cli=$1
  shift
  if timeout "$timeout" /usr/bin/time -f '%e %U %S %M' -o "$folder/time.txt" "$cli" "$@" --cells 10 --variable 1 \
       --format tsv --quiet >/dev/null 2>"$folder/errors.txt"; then
    awk '{printf "%6.2f s (%5.2f) %5.0f MB", $1, $2 + $3, $4 / 1024}' "$folder/time.txt"
  elif [ $? -eq 124 ]; then
    printf '> %s s' "$timeout"
  else
    printf 'failed: %s' "$(head -c 60 "$folder/errors.txt")"
  fi
}

printf '%-28s %-28s %-28s\n' "Run" "before ($rev)" "after ($(git rev-parse --short HEAD))"
for points in "${sizes[@]}"; do
  for format in txt csv gpkg tif; do
    file=$(build-bench/bench/geolago-bench-formats "$folder" "$points" "$format")
    extra=()
    [ "$format" = txt ] && extra=(--points "$points" --vars 1)
    printf '%-28s %-28s %-28s\n' "$points points, $format" \
      "$(measure "$before_cli" "$file" "${extra[@]}")" "$(measure "$after_cli" "$file" "${extra[@]}")"
  done
done
