#!/usr/bin/env bash
# Builds everything and runs every test: the native build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows builds.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

jobs=$(nproc)

echo "== Sanitizer build (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCARPEX_SANITIZE=ON
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

echo "== Release build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release -j "$jobs"
(cd build/release && ctest --output-on-failure -j "$jobs")
