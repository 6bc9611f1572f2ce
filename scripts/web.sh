#!/usr/bin/env bash
# Builds the game's web page in build/web/ and serves its own files (index.html,
# carpex.js, carpex.wasm, the manifest, icons and service worker, installed
# into build/web-site/) on http://127.0.0.1:8000. With --no-serve it only
# builds the page.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
ensure_packages cmake ninja-build emscripten
# Debian's Emscripten finds its JavaScript modules (acorn) only there.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

emcmake cmake -S . -B build/web -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_TESTS=OFF \
  -DCARPEX_SDL=OFF
cmake --build build/web --target carpex-web-page
[[ ${1:-} == --no-serve ]] && exit 0

ensure_packages python3
rm -rf build/web-site
cmake --install build/web --prefix build/web-site >/dev/null
echo "Open http://127.0.0.1:8000 in a web browser (Ctrl+C stops the server)."
exec python3 -m http.server 8000 --bind 127.0.0.1 --directory build/web-site
