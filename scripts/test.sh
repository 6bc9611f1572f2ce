#!/usr/bin/env bash
# Builds everything and runs every test: the two Windows builds (the x86_64 one
# is then played and compared under Wine), the native tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for a
# bounded time, the native release build with every test, and the web page in
# headless Chromium and Firefox.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
  "${WEB_PACKAGES[@]}"

jobs=$(nproc)

echo "== Formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

for arch in i686 x86_64; do
  echo "== Windows build ($arch)"
  cmake -S . -B "build/win-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-$arch.cmake"
  cmake --build "build/win-$arch" -j "$jobs"
done

echo "== Sanitizer build (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCARPEX_SANITIZE=ON -DCARPEX_TESTS=ON
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs")

if [ -x scripts/fuzz.sh ]; then
  echo "== Fuzzing"
  scripts/fuzz.sh
fi

echo "== Release build"
# The benchmarks are built (not run) so that a change cannot leave them broken.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_TESTS=ON -DCARPEX_BENCHMARKS=ON \
  -DCARPEX_WIN64_BUILD_DIR="$PWD/build/win-x86_64" -DCARPEX_WIN32_BUILD_DIR="$PWD/build/win-i686"
cmake --build build/release -j "$jobs"

# Before the release tests, so that their summary closes the run.
echo "== Web page in headless Chromium and Firefox"
scripts/web.sh --no-serve
npm ci --no-audit --no-fund
node tests/web/page_test.mjs build/web build/release/tools/carpex-replay build/web-test
node tests/web/firefox_test.mjs build/web build/release/tools/carpex-replay build/web-test

echo "== Release tests, with the Windows game under Wine"
(cd build/release && ctest --output-on-failure -j "$jobs")
