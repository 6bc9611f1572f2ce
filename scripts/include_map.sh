#!/usr/bin/env bash
# The include map of the code's folders, drawn from the sources: one line per
# pair of folders that one includes from the other, with the count. The folders
# are the layers, from the bottom up:
#
#   world  graphics/soft  graphics  assets  shell  tools  platform/common  front ends
#
# (the front ends are platform/headless, sdl, web and win32). An include may
# point into its own folder or to a layer below it; one that points up, or
# from one front end into another, is marked UPWARD and makes the exit status 1.
#   scripts/include_map.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

rank() {
  case "$1" in
    world) echo 0 ;;
    graphics/soft) echo 1 ;;
    graphics) echo 2 ;;
    assets) echo 3 ;;
    shell) echo 4 ;;
    tools) echo 5 ;;
    platform/common) echo 6 ;;
    platform/*) echo 7 ;;
    *) echo -1 ;;
  esac
}

# The layer a path belongs to: graphics/soft and each folder of platform/ are
# their own, every other folder is its top one (assets/gen is assets).
layer() {
  case "$1" in
    graphics/soft/*) echo graphics/soft ;;
    platform/*/*) echo "${1%/*}" | cut -d/ -f1-2 ;;
    */*) echo "${1%%/*}" ;;
    *) echo "" ;;
  esac
}

pairs=$(git ls-files -- world graphics assets shell tools platform | grep -E '\.(cpp|h|rc|in)$' |
  while read -r file; do
    from=$(layer "$file")
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file" |
      while read -r header; do
        to=$(layer "$header")
        if [ -n "$to" ] && [ "$(rank "$to")" -ge 0 ]; then echo "$from $to"; fi
      done
  done | sort | uniq -c)

map=$(while read -r count from to; do
  if [ "$from" = "$to" ]; then continue; fi
  rf=$(rank "$from") rt=$(rank "$to") mark=""
  if [ "$rt" -ge "$rf" ]; then mark="  UPWARD"; fi
  printf '%s %-17s -> %-17s %3d%s\n' "$rf" "$from" "$to" "$count" "$mark"
done <<<"$pairs" | sort -k1,1n -k2,2 -k4,4 | cut -d' ' -f2-)
echo "$map"
if grep -q UPWARD <<<"$map"; then
  exit 1
fi
