#!/usr/bin/env bash
# The naming rule of .clang-tidy (parameters, locals and constants; a
# declaration's parameter names as its definition's) over every native source
# of the build tree BUILD_DIR's compile_commands.json. Exit status 1 with the
# places when a name breaks the rule.
#
#   scripts/naming.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
db=$build/compile_commands.json
[[ -f $db ]] || { echo "naming.sh: no $db (configure $build first)" >&2; exit 1; }
# The sources the build compiles, but for the one meant not to build (an
# include a layer may not make) and the allocation counter, which defines the
# C library's own functions with the C library's parameter names.
sources=$(grep -o '"file": "[^"]*"' "$db" | sed 's/"file": "//; s/"$//' | sort -u |
  grep -v -e '/tests/layers/upward_include\.cpp$' -e '/tests/shell/heap_counter\.cpp$' |
  grep "^$PWD/")
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Only the project's own headers are looked at, not the system's.
xargs -P "$(nproc)" -n 8 clang-tidy -p "$build" --quiet \
  --header-filter='/(world|graphics|assets|shell|tools|platform|tests|bench)/' \
  <<<"$sources" >"$out" 2>/dev/null || true
problems=$(grep -E ': (warning|error): ' "$out" | sort -u || true)
if [[ -n $problems ]]; then
  echo "$problems"
  echo "naming.sh: $(wc -l <<<"$problems") names break the naming rule of .clang-tidy" >&2
  exit 1
fi
echo "naming.sh: $(wc -l <<<"$sources") sources follow the naming rule"
