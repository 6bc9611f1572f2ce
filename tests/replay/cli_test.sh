#!/usr/bin/env bash
# carpex-replay from the command line: a script file, standard input, a
# malformed script and a missing file.
set -u
replay=$1
scripts=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

"$replay" "$scripts/escape_and_new_round.replay" >"$tmp/out" 2>"$tmp/err" || fail "exit $? for a good script"
[ "$(wc -l <"$tmp/out")" -eq 78 ] || fail "expected 78 trace lines, got $(wc -l <"$tmp/out")"
[ ! -s "$tmp/err" ] || fail "unexpected standard error: $(cat "$tmp/err")"
grep -q '^n=1 gs=2 level=0 ' "$tmp/out" || fail "first trace line"

"$replay" - <"$scripts/escape_and_new_round.replay" >"$tmp/out2" 2>/dev/null || fail "exit $? from standard input"
cmp -s "$tmp/out" "$tmp/out2" || fail "standard input gave another trace"

printf 'char 48\nframes 2\nframes zero\n' >"$tmp/bad.replay"
"$replay" "$tmp/bad.replay" >"$tmp/out" 2>"$tmp/err"
rc=$?
[ $rc -eq 2 ] || fail "malformed script: exit $rc, expected 2"
[ ! -s "$tmp/out" ] || fail "malformed script printed a trace"
grep -q "^$tmp/bad.replay:3: " "$tmp/err" || fail "message does not name line 3: $(cat "$tmp/err")"
[ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "message is not one line"

"$replay" "$tmp/missing.replay" >/dev/null 2>&1
[ $? -eq 2 ] || fail "missing script file should exit 2"
echo "replay_cli: all checks passed"
