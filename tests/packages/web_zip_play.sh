#!/usr/bin/env bash
# The web download as a site owner gets it: unpacked into an empty folder,
# which holds the page's own files and a gzip copy beside each .js and .wasm
# (the same bytes), then served on a free port and played by the page's own
# tests, in headless Chromium (tests/platform/web/page_test.mjs) and Firefox
# (tests/platform/web/firefox_test.mjs).
#
#   web_zip_play.sh ZIP CARPEX_REPLAY OUT_DIR
set -euo pipefail
zip=$(realpath "$1")
replay=$(realpath "$2")
out=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
command -v node >/dev/null || { echo "skipped: node is not installed"; exit 77; }
site=$(mktemp -d "${TMPDIR:-/tmp}/carpex-site-XXXXXX")
trap 'rm -rf "$site"' EXIT
(cd "$site" && unzip -q "$zip")
echo "$(basename "$zip"): $(cd "$site" && find . -mindepth 1 -printf '%P\n' | sort | tr '\n' ' ')"
[[ -f $site/index.html ]] || fail "no index.html"
[[ -z $(find "$site" -mindepth 1 -type d) ]] || fail "folders in the zip"
for file in "$site"/*.js "$site"/*.wasm; do
  [[ -f $file.gz ]] || fail "no $(basename "$file").gz"
  gzip -dc "$file.gz" | cmp -s - "$file" || fail "$(basename "$file").gz is not $(basename "$file")"
done
node "$here/../platform/web/page_test.mjs" "$site" "$replay" "$out"
node "$here/../platform/web/firefox_test.mjs" "$site" "$replay" "$out"
