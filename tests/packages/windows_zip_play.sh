#!/usr/bin/env bash
# A Windows download as a player gets it: unpacked into an empty folder, which
# then holds carpex.exe, its two commands (a window, the full screen),
# README.txt and LICENSE.txt and nothing else, and the game played from there
# under its Wine loader (the 32-bit one for the x86 zip): a round, a bomb, a
# switch away and back, Escape, Escape, status 0; and the window's command
# starting it in a window.
#
#   windows_zip_play.sh ZIP CARPEX_WINE_TESTS
#
# Exit status 0 on success, 77 when it cannot run here (skipped), 1 on failure.
set -euo pipefail
. "$(dirname "$0")/../need_tools.sh"
zip=$(realpath "$1")
wine_tests=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[[ -f $zip ]] || { echo "skipped: $(basename "$zip") was not built"; exit 77; }
need_tools unzip
folder=$(mktemp -d "${TMPDIR:-/tmp}/carpex-zip-XXXXXX")
trap 'rm -rf "$folder"' EXIT
(cd "$folder" && unzip -q "$zip")
files=$(cd "$folder" && find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')
[[ $files == "LICENSE.txt README.txt carpex (full screen).cmd carpex (window).cmd carpex.exe " ]] ||
  fail "the zip holds: $files"
grep -q "record" "$folder/README.txt" || fail "README.txt does not say how to record a game"
grep -q "Alt+Enter" "$folder/README.txt" && grep -q "carpex (window).cmd" "$folder/README.txt" ||
  fail "README.txt does not say how to play in a window"
echo "$(basename "$zip"): $files"
# It skips (77) when Wine or the virtual screen's tools are missing.
CARPEX_WINDOWS_GAME=$folder/carpex.exe "$wine_tests" \
  --gtest_filter=WineGame.PlaysARoundSurvivesASwitchAwayAndEndsWithEscape:WineGame.TheWindowCommand*
