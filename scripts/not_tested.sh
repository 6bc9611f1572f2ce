# Sourced by scripts/test.sh: what the run could not test, and the list that
# closes it. Each part of the run that is not tested adds "what: why" with
# not_tested; the tests ctest skipped are read from its JUnit files, named in
# CARPEX_JUNIT; what apt could not install is in CARPEX_DEPS_FAILED
# (scripts/deps.sh).
mkdir -p build
export CARPEX_NOT_TESTED=${CARPEX_NOT_TESTED:-$PWD/build/not-tested.txt}
: >"$CARPEX_NOT_TESTED"
CARPEX_JUNIT=()

not_tested() { printf '%s\n' "$*" >>"$CARPEX_NOT_TESTED"; }

# The tests that ctest skipped, with the reason each gave: its "skipped: "
# line, or the line after GoogleTest's "Skipped". A test that ran in another
# of the files (a build tree that has what it needs) was tested.
skipped_tests() {
  awk '
    /<testcase / {
      name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
      skipped = /status="notrun"/; reason = ""; after = 0
      if (/status="run"/) ran[name] = 1
    }
    { line = $0; sub(/.*<system-out>/, "", line) }
    skipped && reason == "" && after { reason = line }
    skipped && reason == "" && line ~ /^skipped: / { reason = substr(line, 10) }
    { after = skipped && line ~ /: Skipped$/ }
    /<\/testcase>/ && skipped { why[name] = reason == "" ? "skipped" : reason; skipped = 0 }
    END { for (name in why) if (!(name in ran)) print name ": " why[name] }
  ' "$@" | sed -e 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&apos;/'"'"'/g; s/&amp;/\&/g'
}

# report_not_tested STATUS: prints the list and exits with STATUS, or with 1
# when CARPEX_REQUIRE_ALL=1 and something was not tested.
report_not_tested() {
  local status=$1 gaps file junit=()
  for file in "${CARPEX_JUNIT[@]}"; do [[ -f $file ]] && junit+=("$file"); done
  gaps=$({
    cat "$CARPEX_NOT_TESTED"
    [[ ${#junit[@]} -eq 0 ]] || skipped_tests "${junit[@]}"
  } | sort -u)
  echo
  if [[ -n ${CARPEX_DEPS_FAILED:-} ]]; then
    echo "apt could not install:"
    awk -F'|' 'NF == 3 { printf "  - %s (%s): %s\n", $2, $1, $3 }' <<<"$CARPEX_DEPS_FAILED"
  fi
  if [[ $status != 0 ]]; then
    # A run that stopped at a failure did not reach all it would have tested.
    echo "The run stopped at a failure (exit status $status)."
    [[ -z $gaps ]] || { echo "Not tested on this machine, of what it reached:"; sed 's/^/  - /' <<<"$gaps"; }
  elif [[ -z $gaps ]]; then
    echo "Everything was tested."
  else
    echo "Not tested on this machine:"
    sed 's/^/  - /' <<<"$gaps"
    if [[ ${CARPEX_REQUIRE_ALL:-0} == 1 && $status == 0 ]]; then
      echo "CARPEX_REQUIRE_ALL=1: every part must be tested on this machine." >&2
      status=1
    fi
  fi
  exit "$status"
}
