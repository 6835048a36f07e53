#!/usr/bin/env bash
# The reading of a delimited text, before and after a change, side by side in one run:
# builds geolago-cli of this tree (build-bench/) and of the revision BEFORE (exported with
# git archive into FOLDER/before-REV, built there once), writes CSV files of 10^5, 10^6
# and 10^7 points (x, y and one variable, about 27 bytes a row) and one of about 1 GB
# (40 000 000 rows) into FOLDER (default /tmp/geolago-read), and prints for each run its
# wall time and peak memory (/usr/bin/time): every point read, then the first 1000 of the
# 1 GB file (--points 1000, as the windows ask). N = 10 cells, so that the reading
# is most of the run.
#   bench/read_csv.sh BEFORE [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
before=${1:?usage: bench/read_csv.sh BEFORE [FOLDER]}
folder=${2:-/tmp/geolago-read}
mkdir -p "$folder"
jobs=$(nproc)

cmake -S . -B build-bench -DGEOLAGO_BENCH=ON -DGEOLAGO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-bench -j"$jobs" --target geolago-cli >/dev/null
rev=$(git rev-parse --short "$before")
old="$folder/before-$rev"
if [ ! -x "$old/build/cli/geolago-cli" ]; then
  mkdir -p "$old"
  git archive "$rev" | tar -x -C "$old"
  cmake -S "$old" -B "$old/build" -DGEOLAGO_WINDOWS=OFF -DGEOLAGO_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$old/build" -j"$jobs" --target geolago-cli >/dev/null
fi

# points.csv of ROWS rows drawn from a fixed seed.
write() {
  local rows=$1 file="$folder/points_$1.csv"
  [ -f "$file" ] || awk -v n="$rows" 'BEGIN {
      srand(7); print "x,y,v"
      for (i = 1; i <= n; i++) printf "%.2f,%.2f,%.5f\n", rand() * 12000, rand() * 9000, rand() * 100 }' >"$file"
  echo "$file"
}

# Runs one geolago-cli on its arguments; prints "seconds s, megabytes MB".
measure() {
  local cli=$1
  shift
  /usr/bin/time -f '%e %M' -o "$folder/time.txt" "$cli" "$@" --cells 10 --variable v --format tsv --quiet >/dev/null
  awk '{printf "%6.2f s %6.0f MB", $1, $2 / 1024}' "$folder/time.txt"
}

printf '%-36s %-22s %-22s\n' "Run" "before ($rev)" "after ($(git rev-parse --short HEAD))"
for rows in 100000 1000000 10000000; do
  file=$(write "$rows")
  printf '%-36s %-22s %-22s\n' "$rows points, every one read" \
    "$(measure "$old/build/cli/geolago-cli" "$file")" "$(measure build-bench/cli/geolago-cli "$file")"
done
file=$(write 40000000)
printf '%-36s %-22s %-22s\n' "1 GB, 4*10^7 rows, --points 1000" \
  "$(measure "$old/build/cli/geolago-cli" "$file" --points 1000)" \
  "$(measure build-bench/cli/geolago-cli "$file" --points 1000)"
