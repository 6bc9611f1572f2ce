#!/usr/bin/env bash
# The web download as a site owner gets it: unpacked into an empty folder,
# which holds the page's own files and a brotli and a gzip copy beside each
# but the icons (the same bytes), then served on a free port as a server that
# sends those copies does, and played by the page's own tests in one browser:
# headless Chromium (tests/platform/web/page_test.mjs, which also measures a
# first visit's transfer) or Firefox (tests/platform/web/firefox_test.mjs).
#
#   web_zip_play.sh ZIP CARPEX_REPLAY OUT_DIR chromium|firefox
#
# Exit status 0 on success, 77 when it cannot run here (skipped), 1 on failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../need_tools.sh"
zip=$(realpath "$1")
replay=$(realpath "$2")
out=$3
browser=$4
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[[ -f $zip ]] || { echo "skipped: $(basename "$zip") was not built"; exit 77; }
need_tools node unzip brotli
[[ -d $here/../../node_modules/puppeteer-core ]] ||
  { echo "skipped: puppeteer-core is not installed (npm ci)"; exit 77; }
case $browser in
  chromium) test=page_test.mjs exe=${CHROMIUM:-/usr/bin/chromium} package=chromium ;;
  firefox) test=firefox_test.mjs exe=${FIREFOX:-/usr/bin/firefox-esr} package=firefox-esr ;;
  *) fail "no browser '$browser'" ;;
esac
[[ -x $exe ]] || { echo "skipped: $exe is not installed (package $package)"; exit 77; }

site=$(mktemp -d "${TMPDIR:-/tmp}/carpex-site-XXXXXX")
trap 'rm -rf "$site"' EXIT
(cd "$site" && unzip -q "$zip")
echo "$(basename "$zip"): $(cd "$site" && find . -mindepth 1 -printf '%P\n' | sort | tr '\n' ' ')"
[[ -f $site/index.html ]] || fail "no index.html"
[[ -z $(find "$site" -mindepth 1 -type d) ]] || fail "folders in the zip"
for file in "$site"/*; do
  [[ $file == *.png || $file == *.gz || $file == *.br ]] && continue
  [[ -f $file.gz ]] || fail "no $(basename "$file").gz"
  gzip -dc "$file.gz" | cmp -s - "$file" || fail "$(basename "$file").gz is not $(basename "$file")"
  [[ -f $file.br ]] || fail "no $(basename "$file").br"
  brotli -dc "$file.br" | cmp -s - "$file" || fail "$(basename "$file").br is not $(basename "$file")"
done
node "$here/../platform/web/$test" "$site" "$replay" "$out"
