#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time on every core
# (a worker process each), starting from the committed corpus in
# tests/fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET]      (default 30)
#
# New inputs go to build/fuzz/found/<target>/, never into the committed corpus.
# A failing input is written to build/fuzz/crashes/ and the script fails; copy it
# into tests/fuzz/regressions/<target>/ once it is fixed, so that the ordinary
# test build replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
# The tree's test configuration wants GoogleTest even though only the fuzz
# targets are built.
ensure_packages cmake ninja-build clang libclang-rt-14-dev libgtest-dev libgmock-dev

seconds=${1:-30}
build=${CARPEX_FUZZ_BUILD:-build/fuzz}
flags="-fsanitize=fuzzer-no-link -gline-tables-only"
flags+=" -fsanitize-coverage-ignorelist=$PWD/tests/fuzz/coverage_ignore.txt"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCARPEX_SANITIZE=ON -DCARPEX_FUZZERS=ON -DCARPEX_SDL=OFF -DCARPEX_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target carpex_fuzz_bitmap carpex_fuzz_game

status=0
for target in bitmap game; do
  found=$build/found/$target
  mkdir -p "$found" "$build/crashes"
  case $target in
    bitmap) options=(-max_len=8192) ;;
    game) options=(-max_len=1024 -dict=tests/fuzz/game.dict) ;;
  esac
  echo "== fuzzing $target for ${seconds}s"
  # The workers' whole output goes to a log; the run shows its last progress
  # line, or all of it when the target failed.
  log=$build/$target.log
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/tests/fuzz/carpex_fuzz_$target" "${options[@]}" -max_total_time="$seconds" \
    -fork="$(nproc)" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$target-" "$found" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    grep -E '^#[0-9]+: cov:' "$log" | tail -n 1
  else
    cat "$log"
    echo "fuzz target $target failed; the input is in $build/crashes/" >&2
    status=1
  fi
done
exit $status
