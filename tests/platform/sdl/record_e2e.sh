#!/bin/bash
# The game's command line, a recorded session and the loss of the X server.
#
#   record_e2e.sh play CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR
#       the session of e2e.sh (a round, a bomb, f, a switch away and back,
#       Escape, a second round, Escape, Escape) played with --record; the
#       replay of the recording must end on the recording's "# final:" line
#   record_e2e.sh cmdline CARPEX VERSION
#       --version and --help answered with status 0, and arguments the game
#       cannot follow refused with a message and status 2, before any display
#       is opened
#   record_e2e.sh xgone CARPEX CARPEX_REPLAY OUTDIR
#       the X server ends under the running game: its own one line, status 1;
#       the game's recording is on disk while it runs (flushed every second),
#       and ends with its "# final:" line, which its replay ends on
#   record_e2e.sh signals CARPEX CARPEX_REPLAY OUTDIR
#       SIGHUP (with standard output and error closed), SIGQUIT and a close
#       from the window manager end the recording game as SIGTERM does: status
#       0, the recording written to its "# final:" line, which its replay ends
#       on; a recording whose folder is deleted while the game plays is said
#       to be lost, with status 1
#
# Exit status 0 on success, 77 when a tool it needs is missing (skipped), 1 on failure.
set -u
here=$(dirname "$0")
. "$here/../../need_tools.sh"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

play() {
  local carpex=$1 check=$2 replay=$3 out=$4
  rm -rf "$out"
  mkdir -p "$out"
  local recording=$out/session.replay
  # e2e.sh starts the game it is given: this one records (a later start into
  # a file of its own).
  printf '#!/bin/sh\nr="%s"\n[ -e "$r" ] && r="${r%%.replay}-again.replay"\nexec "%s" --record "$r" "$@"\n' \
    "$recording" "$carpex" >"$out/carpex"
  chmod +x "$out/carpex"
  bash "$here/e2e.sh" play "$out/carpex" "$check" "$out/play"
  local status=$?
  ((status == 0)) || exit $status

  [[ -s $recording ]] || fail "nothing was recorded"
  # The pictures' language first (e2e.sh plays in a Chinese locale), then the seed.
  [[ $(head -n 1 "$recording") == "language zh" ]] || fail "the recording does not start with its language"
  sed -n 2p "$recording" | grep -Eq '^seed [0-9]+$' || fail "the recording's second line is not the seed"
  local what
  for what in 'char 57' 'down 32' 'up 32' 'char 102' 'tick' 'deactivate' 'restore' \
    'char 27'; do
    grep -qx "$what" "$recording" || fail "no '$what' in the recording"
  done
  local final
  final=$(tail -n 1 "$recording")
  [[ $final == "# final: n="* ]] || fail "the last line is not '# final:': $final"
  echo "recorded $(wc -l <"$recording") lines, $(grep -c '^frames' "$recording") runs of frames"

  "$replay" "$recording" >"$out/trace" 2>"$out/replay.err" || fail "replay exit $?: $(cat "$out/replay.err")"
  [[ ! -s $out/replay.err ]] || fail "the replay complained: $(cat "$out/replay.err")"
  local last
  last=$(tail -n 1 "$out/trace")
  [[ "# final: $last" == "$final" ]] || fail "the replay ends elsewhere:
  recorded: $final
  replayed: # final: $last"
  echo "the replay's last trace line is the recording's final line (${last%% gs=*})"
  echo "PASS"
}

cmdline() {
  local carpex=$1 version=$2 tmp err status out
  tmp=$(mktemp -d)
  # No display at all: a command line checked after opening one would fail on that instead.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 "$carpex" --version 2>&1)
  status=$?
  [[ $status == 0 && $out == "Carpex $version" ]] || fail "--version: status $status, '$out'"
  echo "--version: $out"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 30 "$carpex" --record "$tmp/r" --help 2>&1)
  status=$?
  [[ $status == 0 && $out == "Usage: carpex [--window | --fullscreen] [--record FILE [--overwrite]]"*"--record FILE"* ]] ||
    fail "--help: status $status, '$out'"
  [[ ! -e $tmp/r ]] || fail "--help created the recording"
  refused() {
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$carpex" "$@" 2>&1 >/dev/null)
    status=$?
    ((status == 2)) || fail "'$*': status $status, expected 2 ($err)"
    [[ $(printf '%s\n' "$err" | wc -l) == 1 ]] || fail "'$*': not one line: $err"
    echo "$(printf '%q ' "$@"): $err"
  }
  refused --fly
  [[ $err == *"unknown argument '--fly'"* ]] || fail "no clear message for an unknown argument"
  refused --record
  [[ $err == *"--record needs"* ]] || fail "no clear message for a missing FILE"
  refused --record "$tmp/no/such/folder/x.replay"
  [[ $err == *"cannot create"*"No such file"* ]] || fail "no clear message for an uncreatable FILE"
  refused --record "$tmp/a.replay" --record "$tmp/b.replay"
  [[ $err == *"--record given twice"* ]] || fail "no clear message for --record twice"
  refused --overwrite
  [[ $err == *"--overwrite is for --record"* ]] || fail "no clear message for --overwrite alone"
  refused --window --fullscreen
  [[ $err == *"give one way of showing the game"* ]] || fail "no clear message for two ways"
  refused --borderless  # the Windows game's
  [[ $err == *"unknown argument '--borderless'"* ]] || fail "--borderless is not refused"
  refused --language fr
  [[ $err == *"--language takes zh or en, not 'fr'"* ]] || fail "no clear message for another language"
  refused --record "$tmp/$(printf '\033[2J\033]0;PWNED\007')/x.replay"
  if LC_ALL=C grep -q $'[\001-\037]' <<<"$err"; then fail "control bytes in: $(cat -v <<<"$err")"; fi
  # A recording is never lost: not replaced unless asked, not emptied nor left
  # behind by a game that cannot start (here: no display).
  echo "an earlier recording" >"$tmp/keep.replay"
  refused --record "$tmp/keep.replay"
  [[ $err == *"exists already (--overwrite replaces it)"* ]] || fail "no clear message for an existing FILE"
  local what
  for what in "--record $tmp/keep.replay --overwrite" "--record $tmp/new.replay"; do
    err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$carpex" $what 2>&1)
    status=$?
    ((status == 1)) || fail "'$what' without a display: status $status, expected 1 ($err)"
  done
  [[ $(cat "$tmp/keep.replay") == "an earlier recording" ]] || fail "a failed start touched the recording"
  [[ ! -e $tmp/new.replay ]] || fail "a failed start left a new recording behind"
  # Only a regular file takes a recording, refused at once (a pipe without a
  # reader would hold the open): a pipe, a device, a folder.
  mkfifo "$tmp/pipe"
  for what in "$tmp/pipe" /dev/null "$tmp"; do
    refused --record "$what" --overwrite
    [[ $err == *"it is not a regular file"* || $err == *"Is a directory"* ]] ||
      fail "no clear message for --record $what"
  done
  # One writer: a file another game records to is refused before a byte of it changes.
  echo "another game's recording" >"$tmp/two.replay"
  # The lock's holder is the sleep itself, which the kill below ends.
  (exec 9>>"$tmp/two.replay" && flock 9 && exec sleep 60) >/dev/null 2>&1 &
  local holder=$!
  while flock -n "$tmp/two.replay" true; do sleep 0.05; done
  refused --record "$tmp/two.replay" --overwrite
  kill $holder
  [[ $err == *"another game is recording to it"* ]] || fail "no clear message for a file in use"
  [[ $(cat "$tmp/two.replay") == "another game's recording" ]] || fail "a refused game touched the file"
  rm -rf "$tmp"
  echo "PASS"
}

# A virtual X server without a window manager for the game, its output in
# OUT (made anew); sets xvfb and number (the display's).
start_xvfb() {
  local out=$1
  need_tools Xvfb xdotool
  rm -rf "$out"
  mkdir -p "$out"
  # What the game remembers of these runs stays in the test's folder.
  export XDG_CONFIG_HOME=$out/config
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$out/xvfb.log" 2>&1 3>"$out/display" &
  xvfb=$!
  for _ in $(seq 100); do
    [[ -s $out/display ]] && break
    sleep 0.1
  done
  number=$(head -n 1 "$out/display")
  [[ -n $number ]] || { kill $xvfb; fail "no virtual X server"; }
}

xgone() {
  local carpex=$1 replay=$2 out=$3 xvfb game status number
  start_xvfb "$out"
  DISPLAY=":$number" "$carpex" --record "$out/rec.replay" >/dev/null 2>"$out/game.err" &
  game=$!
  DISPLAY=":$number" timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' >/dev/null ||
    { kill $game $xvfb; fail "no window appeared"; }
  sleep 2.5
  grep -q '^frames ' "$out/rec.replay" || { kill $game $xvfb; fail "no frames on disk while running"; }
  kill $xvfb
  wait $xvfb
  for _ in $(seq 100); do
    kill -0 $game 2>/dev/null || break
    sleep 0.1
  done
  kill -0 $game 2>/dev/null && { kill -9 $game; fail "still running without its X server"; }
  wait $game
  status=$?
  echo "status $status: $(cat "$out/game.err")"
  ((status == 1)) || fail "status $status, expected 1"
  [[ $(cat "$out/game.err") == "carpex: the connection to the X server was lost" ]] ||
    fail "not the game's own one line: $(cat "$out/game.err")"
  # The game was running when it noticed: its recording ends whole.
  local final last
  final=$(tail -n 1 "$out/rec.replay")
  [[ $final == "# final: n="* ]] || fail "the recording ends with '$final'"
  last=$("$replay" "$out/rec.replay" | tail -n 1)
  [[ "# final: $last" == "$final" ]] || fail "the replay ends elsewhere"
  echo "recorded to its final line (${last%% gs=*})"
  echo "PASS"
}

signals() {
  local carpex=$1 replay=$2 out=$3 status number signal fd
  # Global: the exit trap runs after this function has returned.
  game="" xvfb=""
  trap 'kill $game $xvfb 2>/dev/null' EXIT
  start_xvfb "$out"
  for signal in HUP QUIT; do
    local recording=$out/$signal.replay
    if [[ $signal == HUP ]]; then
      DISPLAY=":$number" "$carpex" --record "$recording" >&- 2>&- &
    else
      DISPLAY=":$number" "$carpex" --record "$recording" >/dev/null 2>"$out/game.err" &
    fi
    game=$!
    DISPLAY=":$number" timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' >/dev/null ||
      fail "no window appeared"
    if [[ $signal == HUP ]]; then
      # Neither the recording nor the X connection took the closed descriptors.
      for fd in 1 2; do
        [[ $(readlink "/proc/$game/fd/$fd") == /dev/null ]] ||
          fail "descriptor $fd of the game is $(readlink "/proc/$game/fd/$fd"), not /dev/null"
      done
    fi
    sleep 1.5
    kill -$signal $game
    wait $game
    status=$?
    game=""
    ((status == 0)) || fail "SIG$signal: status $status, expected 0"
    local final last
    final=$(tail -n 1 "$recording")
    [[ $final == "# final: n="* ]] || fail "SIG$signal: the recording ends with '$final'"
    last=$("$replay" "$recording" | tail -n 1)
    [[ "# final: $last" == "$final" ]] || fail "SIG$signal: the replay ends elsewhere"
    echo "SIG$signal: status 0, recorded to its final line (${last%% gs=*})"
  done
  # A recording whose folder is deleted while the game plays is lost, and the
  # game says so at the end.
  mkdir -p "$out/gone"
  DISPLAY=":$number" "$carpex" --record "$out/gone/rec.replay" >/dev/null 2>"$out/game.err" &
  game=$!
  DISPLAY=":$number" timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' >/dev/null ||
    fail "no window appeared"
  sleep 1
  rm -rf "$out/gone"
  kill -TERM $game
  wait $game
  status=$?
  game=""
  ((status == 1)) || fail "a recording deleted while playing: status $status, expected 1"
  [[ $(cat "$out/game.err") == *"is lost: its file was deleted or moved"* ]] ||
    fail "a recording deleted while playing: '$(cat "$out/game.err")'"
  echo "a recording deleted while playing: status 1, $(cat "$out/game.err")"
  # Closed by the window manager (openbox's Alt+F4): the recording ends whole too.
  need_tools openbox xprop
  DISPLAY=":$number" openbox >/dev/null 2>&1 &
  local wm=$!
  for _ in $(seq 100); do
    DISPLAY=":$number" xprop -root _NET_WORKAREA 2>/dev/null | grep -q = && break
    sleep 0.1
  done
  DISPLAY=":$number" "$carpex" --record "$out/closed.replay" >/dev/null 2>"$out/game.err" &
  game=$!
  DISPLAY=":$number" timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' >/dev/null ||
    fail "no window appeared"
  sleep 1.5
  DISPLAY=":$number" xdotool key alt+F4
  wait $game
  status=$?
  game=""
  kill $wm
  ((status == 0)) || fail "closed by the window manager: status $status, expected 0"
  local final last
  final=$(tail -n 1 "$out/closed.replay")
  [[ $final == "# final: n="* ]] || fail "closed by the window manager: the recording ends with '$final'"
  last=$("$replay" "$out/closed.replay" | tail -n 1)
  [[ "# final: $last" == "$final" ]] || fail "closed by the window manager: the replay ends elsewhere"
  echo "closed by the window manager: status 0, recorded to its final line (${last%% gs=*})"
  echo "PASS"
}

case ${1:-} in
  play) play "$2" "$3" "$4" "$5" ;;
  cmdline) cmdline "$2" "$3" ;;
  xgone) xgone "$2" "$3" "$4" ;;
  signals) signals "$2" "$3" "$4" ;;
  *)
    echo "usage: $0 play CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR | cmdline CARPEX VERSION |" \
      "xgone CARPEX CARPEX_REPLAY OUTDIR | signals CARPEX CARPEX_REPLAY OUTDIR" >&2
    exit 2
    ;;
esac
