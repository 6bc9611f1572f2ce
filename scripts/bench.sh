#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them: one worst-case frame of play on
# the software display against SDL2's own blitter doing the same work, the city
# drawn whole, the recovery after a loss, and the full-screen copy against
# memcpy. Prints the ratios at the end; the exit status is 1 when a target is
# missed. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=frame).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_groups build
ensure_packages libbenchmark-dev

build=${CARPEX_BENCH_BUILD:-build/bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_BENCHMARKS=ON \
  -DCARPEX_TESTS=OFF >/dev/null
cmake --build "$build" --target carpex_bench
exec "$build/bench/carpex_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
