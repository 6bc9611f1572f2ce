#!/usr/bin/env bash
# carpex-replay from the command line: a script file, standard input, a
# malformed script, scripts that cannot be read, output that cannot be
# written, shots, hostile input, and the memory a long script takes.
set -u
replay=$1
scripts=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
good=$scripts/escape_and_new_round.replay

"$replay" "$good" >"$tmp/good.out" 2>"$tmp/err" || fail "exit $? for a good script"
[ "$(wc -l <"$tmp/good.out")" -eq 78 ] || fail "expected 78 trace lines, got $(wc -l <"$tmp/good.out")"
[ ! -s "$tmp/err" ] || fail "unexpected standard error: $(cat "$tmp/err")"
grep -q '^n=1 gs=2 level=0 ' "$tmp/good.out" || fail "first trace line"

"$replay" - <"$good" >"$tmp/out" 2>/dev/null || fail "exit $? from standard input"
cmp -s "$tmp/good.out" "$tmp/out" || fail "standard input gave another trace"

printf 'char 48\nframes 2\nframes zero\n' >"$tmp/bad.replay"
"$replay" "$tmp/bad.replay" >"$tmp/out" 2>"$tmp/err"
rc=$?
[ $rc -eq 2 ] || fail "malformed script: exit $rc, expected 2"
[ ! -s "$tmp/out" ] || fail "malformed script printed a trace"
grep -q "^'$tmp/bad.replay':3: " "$tmp/err" || fail "message does not name line 3: $(cat "$tmp/err")"
[ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "message is not one line"

# A recording cut short in the middle of its last line (a full disk, a crash)
# replays to the line before it, and says so.
printf 'seed 1\nchar 48\nframes 3\nup 32\nf' >"$tmp/cut.replay"
"$replay" "$tmp/cut.replay" >"$tmp/out" 2>"$tmp/err" || fail "a cut recording: exit $?: $(cat "$tmp/err")"
[ "$(wc -l <"$tmp/out")" -eq 3 ] || fail "a cut recording: $(wc -l <"$tmp/out") trace lines, expected 3"
[ "$(cat "$tmp/err")" == "'$tmp/cut.replay':5: the last line is cut short (no line feed, and no command): the script ends before it" ] ||
  fail "a cut recording: $(cat "$tmp/err")"

"$replay" --help >"$tmp/out" 2>"$tmp/err" || fail "--help: exit $?"
head -n 1 "$tmp/out" | grep -q '^usage: carpex-replay ' || fail "--help: $(cat "$tmp/out")"
[ ! -s "$tmp/err" ] || fail "--help wrote to standard error"

"$replay" "$tmp/missing.replay" >/dev/null 2>&1
[ $? -eq 2 ] || fail "missing script file should exit 2"

# Scripts that cannot be read: a clear one-line message and status 2.
refused() {
  local what=$1 text=$2
  shift 2
  "$@" >"$tmp/out" 2>"$tmp/err"
  local rc=$?
  [ $rc -eq 2 ] || fail "$what: exit $rc, expected 2 ($(cat "$tmp/err"))"
  [ "$(wc -l <"$tmp/err")" -eq 1 ] || fail "$what: not one line: $(cat "$tmp/err")"
  grep -q -- "$text" "$tmp/err" || fail "$what: unclear message: $(cat "$tmp/err")"
  [ ! -s "$tmp/out" ] || fail "$what: printed a trace"
}
refused "a directory" "cannot read the script" "$replay" "$tmp"
refused "standard input with a read error" "cannot read the script" \
  sh -c '"$1" - <"$2"' - "$replay" "$tmp"
refused "closed standard input" "cannot read the script" sh -c '"$1" - <&-' - "$replay"
# Endless input: refused once it passes the limit, or at its first word.
refused "an endless pipe" "longer than 64 MiB" \
  timeout 120 sh -c 'yes "# $(printf %0200d 0)" | "$1" -' - "$replay"
refused "/dev/zero" "unknown command '\\\\x00" timeout 10 "$replay" /dev/zero
# The private copy goes where TMPDIR says.
refused "TMPDIR missing" "cannot make a temporary copy" \
  env TMPDIR="$tmp/no-such-folder" "$replay" - <"$good"
refused "no such shot folder" "not a folder" "$replay" --shots "$tmp/none" "$good"
refused "--overwrite alone" "--overwrite is for --shots" "$replay" --overwrite "$good"
refused "--shots twice" "given twice" "$replay" --shots "$tmp" --shots "$tmp" "$good"

# A standard input already partly read is read on from where it stands.
{ echo fly; cat "$good"; } >"$tmp/after-first-line.replay"
(read -r _ && "$replay" -) <"$tmp/after-first-line.replay" >"$tmp/out" 2>"$tmp/err" ||
  fail "partly read standard input: $(cat "$tmp/err")"
cmp -s "$tmp/good.out" "$tmp/out" || fail "partly read standard input gave another trace"

# A script changed while it runs (here once its first trace lines are out)
# runs as it was checked: from the copy made while it was checked.
{
  echo "frames 20000"
  for _ in $(seq 2000); do echo "# padding beyond the first read of the run"; done
  echo "frames 1"
} >"$tmp/changed.replay"
"$replay" "$tmp/changed.replay" >"$tmp/out" 2>"$tmp/err" &
run=$!
for _ in $(seq 600); do [ -s "$tmp/out" ] && break; sleep 0.05; done
printf 'fly     \n' | dd of="$tmp/changed.replay" bs=1 seek=$(($(stat -c %s "$tmp/changed.replay") - 9)) \
  conv=notrunc status=none
wait $run || fail "a script changed while running: exit $?: $(cat "$tmp/err")"
[ "$(wc -l <"$tmp/out")" -eq 20001 ] || fail "a script changed while running: $(wc -l <"$tmp/out") lines"

# Names in messages are quoted, control bytes escaped: nothing reaches the terminal raw.
esc=$(printf '\033]0;PWNED\007\033[2J')
"$replay" "$tmp/$esc.replay" >/dev/null 2>"$tmp/err"
printf 'frames 1\nshot %s.png\n' "$esc" | "$replay" - >/dev/null 2>>"$tmp/err"
[ $? -eq 2 ] || fail "a shot named with escapes was not refused"
grep -q "^'-':2: shot needs a plain file name" "$tmp/err" || fail "shot name: $(cat -v "$tmp/err")"
if LC_ALL=C grep -q $'[\001-\011\013-\037]' "$tmp/err"; then
  fail "control bytes in a message: $(cat -v "$tmp/err")"
fi

# Output that cannot be written: said, and status 1; also when standard
# output is closed and the script comes from a pipe (whose copy must not land
# on descriptor 1).
for target in /dev/full closed piped; do
  case $target in
    closed) "$replay" "$good" >&- 2>"$tmp/err" ;;
    piped) cat "$good" | "$replay" - >&- 2>"$tmp/err" ;;
    *) "$replay" "$good" >$target 2>"$tmp/err" ;;
  esac
  rc=$?
  [ $rc -eq 1 ] || fail "output to $target: exit $rc, expected 1"
  grep -q "cannot write the trace" "$tmp/err" || fail "output to $target: $(cat "$tmp/err")"
done

# Shots: only with --shots, into its folder, never over a file unless told,
# never a partial file.
mkdir "$tmp/shots"
printf 'seed 1\nframes 2\nshot level.ppm\n' >"$tmp/shot.replay"
(cd "$tmp/shots" && "$replay" "$tmp/shot.replay" >/dev/null) || fail "a script with a shot"
[ -z "$(ls -A "$tmp/shots")" ] || fail "a shot was written without --shots: $(ls -A "$tmp/shots")"
"$replay" --shots "$tmp/shots" "$tmp/shot.replay" >/dev/null || fail "--shots: exit $?"
[ "$(head -c 15 "$tmp/shots/level.ppm")" == $'P6\n640 480\n255' ] || fail "no level.ppm picture"
echo kept >"$tmp/shots/level.ppm"
"$replay" --shots "$tmp/shots" "$tmp/shot.replay" >/dev/null 2>"$tmp/err"
[ $? -eq 1 ] || fail "a shot over an existing file: not status 1"
grep -q "^'$tmp/shot.replay':3: cannot write 'level.ppm': it exists already (--overwrite replaces it)$" \
  "$tmp/err" || fail "shot over a file: $(cat "$tmp/err")"
[ "$(cat "$tmp/shots/level.ppm")" == kept ] || fail "the existing file was touched"
"$replay" --shots "$tmp/shots" --overwrite "$tmp/shot.replay" >/dev/null || fail "--overwrite"
[ "$(head -c 2 "$tmp/shots/level.ppm")" == P6 ] || fail "--overwrite did not replace the file"
rm "$tmp/shots/level.ppm"
mkdir "$tmp/shots/level.ppm"
"$replay" --shots "$tmp/shots" --overwrite "$tmp/shot.replay" >/dev/null 2>"$tmp/err"
[ $? -eq 1 ] && grep -q "cannot write 'level.ppm': Is a directory" "$tmp/err" ||
  fail "a shot onto a folder: $(cat "$tmp/err")"
rmdir "$tmp/shots/level.ppm"
# A write that fails halfway (here the file size limit, as a full disk would)
# leaves nothing behind and says why.
(trap '' XFSZ && ulimit -f 100 && "$replay" --shots "$tmp/shots" "$tmp/shot.replay") \
  >/dev/null 2>"$tmp/err"
[ $? -eq 1 ] && grep -q "cannot write 'level.ppm': File too large" "$tmp/err" ||
  fail "a shot that cannot be written whole: $(cat "$tmp/err")"
[ -z "$(ls -A "$tmp/shots")" ] || fail "a failed shot left files: $(ls -A "$tmp/shots")"

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
