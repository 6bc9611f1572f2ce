#!/usr/bin/env bash
# scripts/deps.sh and scripts/not_tested.sh under the scripts' own shell
# options, against a fake dpkg, dpkg-query and apt-get that play a mirror's bad
# day: an index of the wrong size, a group with "held broken packages".
#
#   deps_test.sh SCRIPTS_DIR
set -euo pipefail
scripts=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
fake=$tmp/bin
mkdir -p "$fake"

# Installed packages are lines of $tmp/installed; "broken" ones never install.
cat >"$fake/dpkg-query" <<'FAKE'
#!/usr/bin/env bash
db=$FAKE_DIR/installed
case $2 in
  '-f=${Status}') grep -qxF -- "$3" "$db" && printf 'install ok installed' ;;
  '-f=${Package}\n') grep -- "${3#\*}\$" "$db" ;;
  *)
    # The whole list: the provider first, then far more than a pipe holds.
    echo 'install ok installed|nodejs-doc, npm (= 10.8.2)'
    for ((i = 0; i < 20000; i++)); do echo "install ok installed|libfiller$i-dev"; done ;;
esac
FAKE
cat >"$fake/apt-get" <<'FAKE'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_DIR/calls"
while [[ $1 == -* ]]; do [[ $1 == -o ]] && shift; shift; done
if [[ $1 == update ]]; then
  [[ -z ${FAKE_UPDATE_FAILS:-} ]] && exit 0
  echo "E: Failed to fetch http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80]"
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
  exit 100
fi
shift 2  # install -y
for pkg in "$@"; do
  if grep -qxF -- "$pkg" <<<"${FAKE_BROKEN:-}"; then
    echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages."
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
  fi
done
printf '%s\n' "$@" >>"$FAKE_DIR/installed"
FAKE
cat >"$fake/dpkg" <<'FAKE'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE_DIR/calls"
[[ $1 == --print-foreign-architectures ]] && cat "$FAKE_DIR/arches" 2>/dev/null
[[ $1 == --add-architecture ]] && echo "$2" >>"$FAKE_DIR/arches"
[[ $1 == --remove-architecture ]] && sed -i "/^$2\$/d" "$FAKE_DIR/arches"
exit 0
FAKE
printf '#!/usr/bin/env bash\necho "${FAKE_UID:-0}"\n' >"$fake/id"
chmod +x "$fake"/*
export PATH="$fake:$PATH" FAKE_DIR=$tmp CARPEX_APT_RETRY_SECONDS=0

# A fresh machine: g++ only, and the project's groups made small.
setup() {
  printf 'g++\n' >"$tmp/installed"
  : >"$tmp/calls"
  : >"$tmp/arches"
  unset FAKE_UPDATE_FAILS FAKE_BROKEN FAKE_UID CARPEX_DEPS_FAILED
}
run() {
  # shellcheck disable=SC1090
  (. "$scripts/deps.sh"
   DEPS_GROUP=([build]="g++ cmake" [tests]="xvfb" [windows-32]="mingw-i686 wine32:i386 mesa:i386"
               [web]="chromium")
   ensure_groups "$@"
   echo "failed=[$CARPEX_DEPS_FAILED]") >"$tmp/out" 2>"$tmp/err"
}
installed() { grep -qxF -- "$1" "$tmp/installed"; }

setup
. "$scripts/deps.sh"
for attempt in 1 2 3 4 5; do
  package_installed npm || fail "npm provided by nodejs counted as missing (attempt $attempt)"
done
package_installed g++ || fail "an installed package counted as missing"
if package_installed wine32:i386; then fail "a missing package counted as installed"; fi
if package_installed npm-doc; then fail "a prefix of a provided name counted as installed"; fi

# The mirror's index of the wrong size: three updates, one line naming the
# index, and the installs go on.
setup
export FAKE_UPDATE_FAILS=1
run build --optional tests || fail "a failing update stopped the set-up: $(cat "$tmp/err")"
[[ $(grep -c 'update' "$tmp/calls") == 3 ]] || fail "update not tried 3 times: $(cat "$tmp/calls")"
grep -q 'update failed 3 times.*binary-i386/Packages.xz (File has unexpected size' "$tmp/err" ||
  fail "the failed index is not named: $(cat "$tmp/err")"
[[ $(grep -c 'update' "$tmp/err") == 1 ]] || fail "more than one line on the update"
installed cmake && installed xvfb || fail "the groups were not installed after the failed update"

# A group with held broken packages: reported once with apt's reason, what
# can be installed of it alone is, the i386 architecture it added is taken
# back, and the other groups are installed.
setup
export FAKE_BROKEN=$'wine32:i386\nmesa:i386'
run build --optional windows-32 web || fail "a broken optional group stopped the set-up"
grep -qxF 'deps: apt could not install wine32:i386 mesa:i386 (windows-32): Unable to correct problems, you have held broken packages. Going on without them.' \
  "$tmp/err" || fail "no report of the broken group: $(cat "$tmp/err")"
[[ $(grep -c 'could not install' "$tmp/err") == 1 ]] || fail "the broken group reported more than once"
grep -qF 'failed=[windows-32|wine32:i386 mesa:i386|Unable to correct problems' "$tmp/out" ||
  fail "the failure is not kept for the tests: $(cat "$tmp/out")"
installed mingw-i686 && installed chromium || fail "what could be installed was not"
grep -q 'dpkg --add-architecture i386' "$tmp/calls" || fail "i386 not added for wine32:i386"
[[ ! -s $tmp/arches ]] || fail "the i386 architecture stays although nothing of it was installed"

# Asked again by a script that the first one starts: no second attempt.
: >"$tmp/calls"
CARPEX_DEPS_FAILED='windows-32|wine32:i386 mesa:i386|held' run build --optional windows-32 ||
  fail "a group known to fail stopped the set-up"
[[ ! -s $tmp/calls ]] || fail "a group known to fail was tried again: $(cat "$tmp/calls")"

# The build group failing stops, saying so.
setup
export FAKE_BROKEN=cmake
rc=0
run build --optional tests || rc=$?
[[ $rc == 1 ]] || fail "a broken build group gave exit $rc, not 1"
grep -q 'could not install cmake (build): Unable to correct problems.*Cannot go on' "$tmp/err" ||
  fail "no clear stop: $(cat "$tmp/err")"

# Not root: one install line a group, the architecture where it needs one;
# only a missing required group stops.
setup
export FAKE_UID=1000
run build --optional windows-32 && fail "a missing build group did not stop"
grep -qxF '  sudo apt-get update && sudo apt-get install -y cmake' "$tmp/err" ||
  fail "build's line: $(cat "$tmp/err")"
grep -qxF '  sudo dpkg --add-architecture i386 && sudo apt-get update && sudo apt-get install -y mingw-i686 wine32:i386 mesa:i386' \
  "$tmp/err" || fail "windows-32's line: $(cat "$tmp/err")"
echo cmake >>"$tmp/installed"
run build --optional windows-32 || fail "a missing optional group stopped a user who is not root"
grep -q 'apt-get\|architecture ' "$tmp/calls" && fail "apt-get or dpkg run without root: $(cat "$tmp/calls")"

# The closing list: a skipped test with its reason, a part left out; under
# CARPEX_REQUIRE_ALL=1 a gap fails the run.
cat >"$tmp/junit.xml" <<'XML'
<testsuite>
	<testcase name="carpex_wine_tests_i686" classname="c" status="notrun">
		<skipped message="SKIP_RETURN_CODE=77"/>
		<system-out>skipped: the 32-bit Wine loader /usr/lib/wine/wine is not installed (package wine32:i386)
</system-out>
	</testcase>
	<testcase name="Icon.Embedded" classname="c" status="notrun">
		<system-out>Running main() from gmock_main.cc
icon_test.cpp:160: Skipped
no embedded icon in this build &amp; no &lt;icon&gt;

[  SKIPPED ] Icon.Embedded (0 ms)
</system-out>
	</testcase>
	<testcase name="passes" classname="c" status="run"><system-out>skipped: no</system-out></testcase>
	<testcase name="Exe.Resources" classname="c" status="notrun">
		<system-out>skipped: no Windows build in this tree</system-out>
	</testcase>
</testsuite>
XML
# Skipped in one build tree, run in the other: tested.
printf '<testcase name="Exe.Resources" classname="c" status="run">\n</testcase>\n' >"$tmp/ran.xml"
report() {
  (cd "$tmp" && . "$scripts/not_tested.sh" && CARPEX_JUNIT=("$@") &&
   not_tested "the formatting check: clang-format is not installed" && report_not_tested 0) >"$tmp/out" 2>&1
}
report "$tmp/junit.xml" "$tmp/ran.xml" || fail "a skip failed the run"
for line in 'Not tested on this machine:' \
  '  - Icon.Embedded: no embedded icon in this build & no <icon>' \
  '  - carpex_wine_tests_i686: the 32-bit Wine loader /usr/lib/wine/wine is not installed (package wine32:i386)' \
  '  - the formatting check: clang-format is not installed'; do
  grep -qxF -- "$line" "$tmp/out" || fail "the list lacks '$line': $(cat "$tmp/out")"
done
grep -q 'passes\|Exe.Resources' "$tmp/out" && fail "a test that ran is in the list: $(cat "$tmp/out")"
rc=0
CARPEX_REQUIRE_ALL=1 report "$tmp/junit.xml" || rc=$?
[[ $rc == 1 ]] || fail "CARPEX_REQUIRE_ALL=1 with a skip gave exit $rc, not 1"
(cd "$tmp" && . "$scripts/not_tested.sh" && CARPEX_REQUIRE_ALL=1 report_not_tested 0) >"$tmp/out" ||
  fail "nothing skipped, yet the run failed"
grep -qxF 'Everything was tested.' "$tmp/out" || fail "no 'Everything was tested.'"
# A run that failed never says that everything was tested.
(cd "$tmp" && . "$scripts/not_tested.sh" && report_not_tested 1) >"$tmp/out" && fail "a failed run exited 0"
grep -q 'Everything was tested' "$tmp/out" && fail "a failed run says everything was tested"
echo "deps: ok"
