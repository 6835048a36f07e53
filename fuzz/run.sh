#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS seconds, one after the
# other, on a working corpus seeded from the seeds fuzz/make_seeds.py writes into
# build-fuzz/seeds/<target>/.
#   fuzz/run.sh SECONDS [TARGET...]     TARGET among: point_reader delimited names convert write_real analysis cli
# Logs go to build-fuzz/logs/, inputs that crash to build-fuzz/crashes/<target>/.
# Exits with 1 when any target found a crash.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh SECONDS [TARGET...]" >&2
  exit 2
fi
seconds=$1
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(point_reader delimited names convert write_real analysis cli)

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DGEOLAGO_FUZZ=ON -DGEOLAGO_TESTS=OFF \
  -DGEOLAGO_WINDOWS=OFF -DCMAKE_BUILD_TYPE= >/dev/null
cmake --build "$build" -j"$(nproc)" --target $(printf '%s_fuzz ' "${targets[@]}")

# Inputs are read and written whole, so the readers' inputs need room for a few rows.
declare -A max_len=([point_reader]=16384 [delimited]=16384 [analysis]=16384 [cli]=16384 [names]=4096 [convert]=64 [write_real]=16)

python3 fuzz/make_seeds.py "$build/seeds" >/dev/null
status=0
mkdir -p "$build/logs"
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  crashes="$build/crashes/$t"
  mkdir -p "$work" "$crashes"
  echo "== $t: ${seconds} s"
  if "$build/fuzz/${t}_fuzz" -max_total_time="$seconds" -max_len="${max_len[$t]}" \
       -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$crashes/" "$work" "$build/seeds/$t" >"$build/logs/$t.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^#[0-9]+ *DONE' "$build/logs/$t.log" | tail -2 || true
  else
    echo "!! $t failed: see $build/logs/$t.log and $crashes/" >&2
    tail -30 "$build/logs/$t.log" >&2
    status=1
  fi
done
exit $status
