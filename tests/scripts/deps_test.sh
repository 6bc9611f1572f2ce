#!/usr/bin/env bash
# scripts/deps.sh under the scripts' own shell options, against a fake dpkg:
# an installed package, one provided by another (Node.js carrying npm) with a
# long package list after it, and a missing one, which must reach apt-get.
set -euo pipefail
deps=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cat >"$tmp/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
if [[ $2 == '-f=${Status}' ]]; then
  [[ $3 == g++ ]] && { printf 'install ok installed'; exit 0; }
  exit 1
fi
# The whole list: the provider first, then far more than a pipe holds.
echo 'install ok installed|nodejs-doc, npm (= 10.8.2)'
for ((i = 0; i < 20000; i++)); do echo "install ok installed|libfiller$i-dev"; done
FAKE
cat >"$tmp/dpkg" <<'FAKE'
#!/usr/bin/env bash
echo "dpkg $*" >>"$(dirname "$0")/calls"
FAKE
cat >"$tmp/id" <<'FAKE'
#!/usr/bin/env bash
echo 1000
FAKE
chmod +x "$tmp"/dpkg-query "$tmp"/dpkg "$tmp"/id
export PATH="$tmp:$PATH"
. "$deps"

for attempt in 1 2 3 4 5; do
  package_installed npm || fail "npm provided by nodejs counted as missing (attempt $attempt)"
done
package_installed g++ || fail "an installed package counted as missing"
if package_installed wine32:i386; then fail "a missing package counted as installed"; fi
if package_installed npm-doc; then fail "a prefix of a provided name counted as installed"; fi

# Not root: the exact install line, with the architecture it needs, and exit 1.
rc=0
(ensure_packages g++ npm wine32:i386 libgl1-mesa-dri:i386) 2>"$tmp/err" || rc=$?
[ $rc -eq 1 ] || fail "ensure_packages exit $rc, expected 1"
grep -qxF '  sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install -y wine32:i386 libgl1-mesa-dri:i386' \
  "$tmp/err" || fail "install line: $(cat "$tmp/err")"
(ensure_packages g++ npm) || fail "nothing missing, yet ensure_packages failed"
echo "deps: ok"
