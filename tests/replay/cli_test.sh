#!/usr/bin/env bash
# carpex-replay from the command line: a script file, standard input, a
# malformed script, scripts that cannot be read, output that cannot be
# written, and the memory a long script takes.
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

# Scripts that cannot be read: a clear one-line message and status 2.
refused() {
  local what=$1
  shift
  "$@" >"$tmp/out" 2>"$tmp/err"
  local rc=$?
  [ $rc -eq 2 ] || fail "$what: exit $rc, expected 2 ($(cat "$tmp/err"))"
  [ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "$what: not one line: $(cat "$tmp/err")"
  grep -q "cannot read the script" "$tmp/err" || fail "$what: unclear message: $(cat "$tmp/err")"
  [ ! -s "$tmp/out" ] || fail "$what: printed a trace"
}
refused "a directory" "$replay" "$tmp"
refused "standard input with a read error" sh -c '"$1" - <"$2"' - "$replay" "$tmp"
refused "closed standard input" sh -c '"$1" - <&-' - "$replay"

# Output that cannot be written: said, and status 1.
for target in /dev/full closed; do
  if [ $target = closed ]; then
    "$replay" "$scripts/escape_and_new_round.replay" >&- 2>"$tmp/err"
  else
    "$replay" "$scripts/escape_and_new_round.replay" >$target 2>"$tmp/err"
  fi
  rc=$?
  [ $rc -eq 1 ] || fail "output to $target: exit $rc, expected 1"
  grep -q "cannot write the trace" "$tmp/err" || fail "output to $target: $(cat "$tmp/err")"
done

# 50 MB of tick lines, from a file and from a pipe, run in a bounded amount of
# memory beyond what a short script takes.
if [ -x /usr/bin/time ]; then
  peak() { /usr/bin/time -f %M -o "$tmp/kb" "$@" >/dev/null 2>&1 && cat "$tmp/kb"; }
  yes tick | head -n 10000000 >"$tmp/ticks.replay"
  echo "frames 1" >>"$tmp/ticks.replay"
  printf 'frames 1\n' >"$tmp/short.replay"
  small=$(peak "$replay" "$tmp/short.replay") || fail "short script"
  big=$(peak "$replay" "$tmp/ticks.replay") || fail "50 MB script"
  piped=$(peak sh -c '"$1" - <"$2"' - "$replay" "$tmp/ticks.replay") || fail "50 MB piped"
  for kb in $big $piped; do
    [ $((kb - small)) -lt 65536 ] || fail "50 MB of ticks took $((kb - small)) kB more than 1 line"
  done
  echo "peak memory: short script $small kB, 50 MB of ticks $big kB (piped: $piped kB)"
fi
echo "replay_cli: all checks passed"
