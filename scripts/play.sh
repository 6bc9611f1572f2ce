#!/usr/bin/env bash
# Builds the game and starts it (Linux, SDL2).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_groups build
cmake -S . -B build/play -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_TESTS=OFF
cmake --build build/play --target carpex carpex-replay
exec build/play/platform/sdl/carpex "$@"
