#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them: one worst-case frame of play on
# the software display against SDL2's own blitter doing the same work, the city
# drawn whole, the recovery after a loss, and the full-screen copy against
# memcpy. Prints the ratios at the end; the exit status is 1 when a target is
# missed. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=frame).
#
#   scripts/bench.sh --replay   the replay tool's runner over scripts of 1 MB
#                               instead (a player's recording and the costliest
#                               a megabyte can ask for; a few minutes)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_groups build
ensure_packages libbenchmark-dev

build=${CARPEX_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_BENCHMARKS=ON \
  -DCARPEX_TESTS=OFF >/dev/null
if [[ ${1:-} == --replay ]]; then
  shift
  cmake --build "$build" --target carpex_replay_bench
  exec "$build/bench/carpex_replay_bench" "$@"
fi
cmake --build "$build" --target carpex_bench
exec "$build/bench/carpex_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
