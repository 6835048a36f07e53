#!/usr/bin/env bash
# The reading of a delimited text, before and after a change, side by side in one run:
# builds geolago-cli of this tree (build-bench/) and of the revision BEFORE (exported with
# git archive into FOLDER/before-REV, built there once), writes CSV files of 10^5, 10^6
# and 10^7 points (x, y and one variable, about 27 bytes a row) and one of about 1 GB
# (40 000 000 rows) into FOLDER (default /tmp/geolago-read), and prints for each run its
# wall time, its processor time (user + system) and peak memory (/usr/bin/time): every
# point read, then the first 1000 of the 1 GB file (--points 1000, as the windows ask),
# with N = 10 cells so that the reading is most of the run; then the 10^7 points with
# N = 1000 and --max-shift 100, the whole batch run. Each run is made RUNS times (default
# 3), before and after in turn, and the fastest is shown: the machine is shared.
#   bench/read_csv.sh BEFORE [FOLDER] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
before=${1:?usage: bench/read_csv.sh BEFORE [FOLDER] [RUNS]}
folder=${2:-/tmp/geolago-read}
runs=${3:-3}
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

# Runs geolago-cli before and after on the same arguments, RUNS times in turn; prints for
# each the fastest run (by processor time) as "wall s (processor s), megabytes MB".
side_by_side() {
  local label=$1
  shift
  local cli kept
  for cli in before after; do : >"$folder/times-$cli.txt"; done
  for _ in $(seq "$runs"); do
    for cli in before after; do
      local binary=build-bench/cli/geolago-cli
      [ "$cli" = before ] && binary="$old/build/cli/geolago-cli"
      /usr/bin/time -f '%e %U %S %M' -o "$folder/time.txt" "$binary" "$@" --variable v --format tsv --quiet >/dev/null 2>"$folder/notes.txt"
      cat "$folder/time.txt" >>"$folder/times-$cli.txt"
    done
  done
  printf '%-40s' "$label"
  for cli in before after; do
    kept=$(sort -k5 -n <(awk '{print $1, $2, $3, $4, $2 + $3}' "$folder/times-$cli.txt") | head -1)
    printf ' %-28s' "$(echo "$kept" | awk '{printf "%6.2f s (%5.2f s) %5.0f MB", $1, $5, $4 / 1024}')"
  done
  echo
}

printf '%-40s %-28s %-28s\n' "Run" "before ($rev)" "after ($(git rev-parse --short HEAD))"
for rows in 100000 1000000 10000000; do
  side_by_side "$rows points, every one read" "$(write "$rows")" --cells 10
done
side_by_side "10^7 points, N = 1000, --max-shift 100" "$(write 10000000)" --cells 1000 --max-shift 100
side_by_side "1 GB, 4*10^7 rows, --points 1000" "$(write 40000000)" --points 1000 --cells 10
