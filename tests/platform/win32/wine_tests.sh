#!/usr/bin/env bash
# Runs the Windows programs' tests under Wine: the game played with xdotool on a
# virtual 640 x 480 x 16 screen, and the Windows replay tool against the native
# one on every replay script.
#   tests/platform/win32/wine_tests.sh NATIVE_BUILD WINDOWS_BUILD [gtest arguments...]
# NATIVE_BUILD holds tests/platform/win32/carpex_wine_tests and platform/headless/carpex-replay;
# WINDOWS_BUILD is an i686 or x86_64 Windows tree (platform/win32/carpex.exe,
# platform/win32/carpex-replay.exe), run under Wine's 32-bit loader or wine64. Xvfb,
# openbox, xdotool, xprop, ImageMagick and Wine must be installed.
# CARPEX_WINE_KEEP=1 keeps the temporary folder.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 NATIVE_BUILD WINDOWS_BUILD [gtest arguments...]" >&2
  exit 2
fi
native=$(cd "$1" && pwd)
windows=$(cd "$2" && pwd)
shift 2
exec env CARPEX_WINDOWS_BUILD="$windows" "$native/tests/platform/win32/carpex_wine_tests" "$@"
