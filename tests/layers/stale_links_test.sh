#!/usr/bin/env bash
# A build tree configured before a folder's headers were listed one by one
# holds a link to the whole folder; configuring it again must replace that
# link, not write the new ones through it into the sources.
#   stale_links_test.sh SOURCE_ROOT
set -euo pipefail
layers=$1/cmake/layers.cmake
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/lib"
echo '#pragma once' >"$work/src/lib/a.h"
project() {
  cat >"$work/src/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(stale NONE)
include($layers)
add_library(x INTERFACE)
carpex_headers(x $1)
CMAKE
  cmake -S "$work/src" -B "$work/build" >/dev/null
}
project lib
project lib/a.h
if [ -L "$work/src/lib/a.h" ] || [ "$(cat "$work/src/lib/a.h")" != '#pragma once' ]; then
  echo "configuring again replaced the source lib/a.h" >&2
  exit 1
fi
[ -L "$work/build/headers/x/lib/a.h" ] && [ ! -L "$work/build/headers/x/lib" ]
echo "the folder's link replaced by the header's; the source untouched"
