#!/usr/bin/env bash
# Builds everything and runs every test this machine can run: the downloads
# (scripts/release.sh: both Windows builds, the Linux package, the web page),
# the native tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# fuzz targets for a bounded time, and the native release build with every
# test: both Windows programs played and compared under Wine (i686 under the
# 32-bit loader, x86_64 under wine64), and each download tried as a player
# gets it (the package in a clean Debian root, the zips under Wine, the web zip
# in headless Chromium and Firefox).
#
# What the machine cannot run (a package apt could not install, a tool that
# needs root) is skipped with its reason, never counted as passed, and the run
# ends with the list of what was not tested. The exit status is 0 when all
# that ran passed. CARPEX_REQUIRE_ALL=1 makes every such gap a failure, for a
# machine that must test everything (a release machine).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
if [[ ${CARPEX_REQUIRE_ALL:-0} == 1 ]]; then
  ensure_groups build tests windows-64 windows-32 web release
else
  ensure_groups build --optional tests windows-64 windows-32 web release
fi
missing=$(missing_packages libgtest-dev libgmock-dev libbenchmark-dev | paste -sd ' ' -)
if [[ -n $missing ]]; then
  echo "test.sh: no test can be built without $missing (the tests group)" >&2
  exit 1
fi

jobs=$(nproc)
have() { command -v "$1" >/dev/null; }
. scripts/not_tested.sh
trap 'report_not_tested $?' EXIT

echo "== Formatting"
if have clang-format; then
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
else
  not_tested "the formatting check: clang-format is not installed (package clang-format)"
fi

echo "== Downloads"
scripts/release.sh --partial

echo "== Sanitizer build (ASan + UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCARPEX_SANITIZE=ON -DCARPEX_TESTS=ON
cmake --build build/asan -j "$jobs"
echo "== Naming"
if have clang-tidy; then
  scripts/naming.sh build/asan
else
  not_tested "the naming check: clang-tidy is not installed (package clang-tidy)"
fi
CARPEX_JUNIT+=("$PWD/build/asan/junit.xml")
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$jobs" --output-junit junit.xml)

echo "== Fuzzing"
missing=$(missing_packages clang libclang-rt-14-dev | paste -sd ' ' -)
if [[ -z $missing ]]; then
  scripts/fuzz.sh
else
  not_tested "the fuzz targets: libFuzzer needs $missing, which is not installed"
fi

echo "== Release build"
# The benchmarks are built (not run) so that a change cannot leave them broken.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_TESTS=ON -DCARPEX_BENCHMARKS=ON \
  -DCARPEX_WIN64_BUILD_DIR="$PWD/build/win-x86_64" -DCARPEX_WIN32_BUILD_DIR="$PWD/build/win-i686" \
  -DCARPEX_DIST_DIR="$PWD/dist"
cmake --build build/release -j "$jobs"
# puppeteer-core, which drives the browsers of the page's tests.
if have npm; then npm ci --no-audit --no-fund; fi

echo "== Release tests: both Windows games under Wine, the downloads as players get them"
CARPEX_JUNIT+=("$PWD/build/release/junit.xml")
(cd build/release && ctest --output-on-failure -j "$jobs" --output-junit junit.xml)
