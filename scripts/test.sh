#!/usr/bin/env bash
# Builds everything and runs every test: the downloads (scripts/release.sh:
# both Windows builds, the Linux package, the web page), the native tests
# under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets for
# a bounded time, and the native release build with every test: both Windows
# programs played and compared under Wine (i686 under the 32-bit loader,
# x86_64 under wine64), and each download tried as a player gets it (the
# package in a clean Debian root, the zips under Wine, the web zip in headless
# Chromium and Firefox).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" \
  "${WEB_PACKAGES[@]}" "${RELEASE_PACKAGES[@]}"

jobs=$(nproc)

echo "== Formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== Downloads"
scripts/release.sh

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
  -DCARPEX_WIN64_BUILD_DIR="$PWD/build/win-x86_64" -DCARPEX_WIN32_BUILD_DIR="$PWD/build/win-i686" \
  -DCARPEX_DIST_DIR="$PWD/dist"
cmake --build build/release -j "$jobs"

# Before the release tests, so that their summary closes the run.
echo "== The web download in headless Chromium and Firefox"
npm ci --no-audit --no-fund
tests/packages/web_zip_play.sh dist/carpex-*-web.zip build/release/platform/headless/carpex-replay build/web-test

echo "== Release tests: both Windows games under Wine, the downloads as players get them"
(cd build/release && ctest --output-on-failure -j "$jobs")
