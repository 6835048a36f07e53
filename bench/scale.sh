#!/usr/bin/env bash
# The batch command beyond the windows' limits, against the field's pairwise variogram.
# Builds build-bench/, writes point files of 10^4 to 10^7 points (one variable) into
# FOLDER (default /tmp/geolago-scale), and prints for each run its wall time and its peak
# memory (/usr/bin/time -v); then the same 10^4- and 10^5-point files through R's
# gstat::variogram (Debian r-cran-gstat, installed here if missing), and the ratio.
#   bench/scale.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-/tmp/geolago-scale}
scripts/install-deps.sh
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if ! dpkg-query -W -f='${Status}' r-cran-gstat 2>/dev/null | grep -q 'install ok installed'; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq r-cran-gstat r-cran-sp
fi
cmake -S . -B build-bench -DGEOLAGO_BENCH=ON -DGEOLAGO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-bench -j"$(nproc)" --target geolago-cli geolago-bench-data >/dev/null
cli=build-bench/cli/geolago-cli
for points in 10000 100000 1000000 10000000; do
  [ -f "$folder/scale_$points.txt" ] || build-bench/bench/geolago-bench-data "$folder" "$points" >/dev/null
done

# Runs geolago-cli with its arguments; prints "seconds megabytes".
measure() {
  /usr/bin/time -f '%e %M' -o "$folder/time.txt" "$cli" "$@" --quiet >/dev/null
  awk '{printf "%s s, %.0f MB\n", $1, $2 / 1024}' "$folder/time.txt"
}
echo "10^6 points, N = 256:                      $(measure "$folder/scale_1000000.txt" --points 1000000 --vars 1 --cells 256 --variable 1 --format tsv)"
echo "10^7 points, N = 1000, --max-shift 100:    $(measure "$folder/scale_10000000.txt" --points 10000000 --vars 1 --cells 1000 --max-shift 100 --variable 1 --format tsv)"
echo "10^5 points, N = 100, 999 permutations:    $(measure "$folder/scale_100000.txt" --points 100000 --vars 1 --cells 100 --permutations 999 --variable 1 --format tsv)"

# Side by side: the same files, both correlograms at N = 100 (shift steps of 120 m along
# X and 90 m along Y), against gstat's empirical variogram in 50 distance classes of
# 100 m up to 5 km, every pair of points measured.
for points in 10000 100000; do
  start=$(date +%s.%N)
  "$cli" "$folder/scale_$points.txt" --points "$points" --vars 1 --cells 100 --variable 1 --format tsv --quiet >/dev/null
  cli_time=$(awk "BEGIN {printf \"%.4f\", $(date +%s.%N) - $start}")
  r_time=$(Rscript -e "
    suppressMessages(library(gstat))
    d <- read.table('$folder/scale_$points.txt', col.names = c('x', 'y', 'v'))
    t <- system.time(variogram(v ~ 1, locations = ~x + y, data = d, cutoff = 5000, width = 100))
    cat(t[['elapsed']])")
  echo "$points points: geolago-cli ${cli_time} s, gstat::variogram ${r_time} s, ratio $(awk "BEGIN {printf \"%.0f\", $r_time / $cli_time}")"
done
