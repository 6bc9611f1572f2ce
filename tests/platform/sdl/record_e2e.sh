#!/bin/bash
# The game's command line, a recorded session and the loss of the X server.
#
#   record_e2e.sh play CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR
#       the session of e2e.sh (a round, a bomb, a pause, f, a switch away and
#       back, Escape, a second round, Escape, Escape) played with --record; the
#       replay of the recording must end on the recording's "# final:" line
#   record_e2e.sh cmdline CARPEX VERSION
#       --version and --help answered with status 0, and arguments the game
#       cannot follow refused with a message and status 2, before any display
#       is opened
#   record_e2e.sh xgone CARPEX CARPEX_REPLAY OUTDIR
#       the X server ends under the running game: its own one line, status 1;
#       the game's recording is on disk while it runs (flushed every second),
#       and ends with its "# final:" line, which its replay ends on
#   record_e2e.sh watch CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR
#       carpex --watch in a window: paused, its picture is carpex-replay's shot
#       of the same frame; Right runs one frame, at 4x the frames go by four
#       at a time; at the end it says it replays exactly and exits 0 on
#       Escape, or says where it differs and exits 3; a malformed and an
#       oversized recording get the replay tool's own message and status, and
#       nothing is written; one cut short is watched to its last whole line,
#       with TMPDIR of no use; a flood of rounds started between two frames
#       leaves Space, Escape and SIGTERM answered
#   record_e2e.sh signals CARPEX CARPEX_REPLAY OUTDIR
#       SIGHUP (with standard output and error closed), SIGQUIT and a close
#       from the window manager end the recording game as SIGTERM does: status
#       0, the recording written to its "# final:" line, which its replay ends
#       on; a recording whose folder is deleted while the game plays is said
#       to be lost, with status 1; one whose disk fills keeps its whole lines,
#       which replay, and the game says how many frames, with status 1
#
# Exit status 0 on success, 77 when a tool it needs is missing (skipped), 1 on failure.
set -u
here=$(dirname "$0")
. "$here/../../need_tools.sh"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# The virtual X server and its window manager, which fail when they cannot start.
. "$here/x_server.sh"

play() {
  local carpex=$1 check=$2 replay=$3 out=$4 version
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
  version=$("$carpex" --version) && version=${version#Carpex }
  # The game's version first, the pictures' language (e2e.sh plays in a
  # Chinese locale), then the seed.
  [[ $(head -n 1 "$recording") == "# Carpex $version" ]] || fail "the recording does not name its version"
  [[ $(sed -n 2p "$recording") == "language zh" ]] || fail "the recording's second line is not its language"
  sed -n 3p "$recording" | grep -Eq '^seed [0-9]+$' || fail "the recording's third line is not the seed"
  local what
  for what in 'char 57' 'down 32' 'up 32' 'char 102' 'tick' 'deactivate' 'restore' \
    'pause' 'char 27'; do
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
  # A symbolic link to a file that does not exist is named as one; --overwrite
  # takes it (the game then fails for want of a display, and leaves the link
  # as it was).
  ln -s dangling.replay "$tmp/link.replay"
  refused --record "$tmp/link.replay"
  [[ $err == *"it is a symbolic link to a file that does not exist (--overwrite creates that file)" ]] ||
    fail "no clear message for a link to nothing"
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$carpex" --record "$tmp/link.replay" --overwrite 2>&1)
  status=$?
  ((status == 1)) || fail "--overwrite of a link to nothing: status $status, expected 1 ($err)"
  [[ -L $tmp/link.replay && ! -e $tmp/dangling.replay ]] || fail "a failed start changed the link or left its file"
  # Only a regular file takes a recording, refused at once (a pipe without a
  # reader would hold the open): a pipe, a device, a folder.
  mkfifo "$tmp/pipe"
  for what in "$tmp/pipe" /dev/null "$tmp"; do
    refused --record "$what" --overwrite
    [[ $err == *"it is not a regular file"* || $err == *"Is a directory"* ]] ||
      fail "no clear message for --record $what"
  done
  # Nor is anything else read unless it is a regular file: watching a pipe
  # without a writer is refused at once, not waited on.
  refused --watch "$tmp/pipe"
  [[ $err == *"'$tmp/pipe': cannot read the recording: it is not a regular file" ]] ||
    fail "no clear message for --watch of a pipe"
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
start_bare_x() {
  local out=$1
  need_tools Xvfb xdotool
  rm -rf "$out"
  mkdir -p "$out"
  # What the game remembers of these runs stays in the test's folder.
  export XDG_CONFIG_HOME=$out/config
  start_xvfb "$out" 800x600x24
}

# The recording RECORDING ends with its "# final:" line, which REPLAY's replay
# of it ends on too; WHAT, when given, names what ended the game (with
# status 0) in what is said.
recorded_whole() {
  local replay=$1 recording=$2 what=${3:-} final last
  final=$(tail -n 1 "$recording")
  [[ $final == "# final: n="* ]] || fail "${what:+$what: }the recording ends with '$final'"
  last=$("$replay" "$recording" | tail -n 1)
  [[ "# final: $last" == "$final" ]] || fail "${what:+$what: }the replay ends elsewhere"
  echo "${what:+$what: status 0, }recorded to its final line (${last%% gs=*})"
}

xgone() {
  local carpex=$1 replay=$2 out=$3 xvfb game status number
  start_bare_x "$out"
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
  recorded_whole "$replay" "$out/rec.replay"
  echo "PASS"
}

signals() {
  local carpex=$1 replay=$2 out=$3 status number signal fd
  # Global: the exit trap runs after this function has returned.
  game="" xvfb=""
  trap 'kill $game $xvfb 2>/dev/null' EXIT
  start_bare_x "$out"
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
    recorded_whole "$replay" "$recording" "SIG$signal"
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
  local wm
  DISPLAY=":$number" start_openbox
  DISPLAY=":$number" "$carpex" --record "$out/closed.replay" >/dev/null 2>"$out/game.err" &
  game=$!
  local window
  window=$(DISPLAY=":$number" timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' | head -n 1)
  [[ -n $window ]] || fail "no window appeared"
  sleep 1.5
  # On a loaded machine the window manager may take the window, and the
  # focus, later than that: Alt+F4 again until the game has gone.
  for _ in $(seq 20); do
    DISPLAY=":$number" xdotool windowactivate --sync "$window" key alt+F4 2>/dev/null
    for _ in $(seq 10); do
      kill -0 "$game" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  kill -0 "$game" 2>/dev/null && fail "Alt+F4 did not close the game"
  wait $game
  status=$?
  game=""
  ((status == 0)) || fail "closed by the window manager: status $status, expected 0"
  recorded_whole "$replay" "$out/closed.replay" "closed by the window manager"
  # A disk that fills while the game records (the file size limit, as a full
  # disk would): the file keeps its whole lines, which replay, and the game
  # says how many frames it kept, with status 1.
  (trap '' XFSZ && ulimit -f 4 && DISPLAY=":$number" exec "$carpex" --record "$out/full.replay") \
    >/dev/null 2>"$out/game.err" &
  game=$!
  window=$(DISPLAY=":$number" timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' | head -n 1)
  [[ -n $window ]] || fail "no window appeared"
  DISPLAY=":$number" timeout 20 xdotool windowactivate --sync "$window" 2>/dev/null
  DISPLAY=":$number" xdotool type --delay 4 "$(printf 'f%.0s' $(seq 400))"
  sleep 1.5
  kill -TERM $game
  wait $game
  status=$?
  game=""
  ((status == 1)) || fail "a full disk: status $status, expected 1 ($(cat "$out/game.err"))"
  local kept
  kept=$(sed -n 's/.*could not be written whole (File too large): it keeps the first \([0-9]*\) frames of the game$/\1/p' "$out/game.err")
  [[ -n $kept ]] || fail "a full disk: '$(cat "$out/game.err")'"
  [[ $(tail -c 1 "$out/full.replay" | od -An -c | tr -d ' ') == '\n' ]] || fail "a full disk: the file ends in a cut line"
  "$replay" "$out/full.replay" >"$out/trace" 2>"$out/replay.err" || fail "a full disk: replay exit $?"
  [[ ! -s $out/replay.err && $(wc -l <"$out/trace") == "$kept" ]] ||
    fail "a full disk: $(wc -l <"$out/trace") frames replayed, $kept kept: $(cat "$out/replay.err")"
  echo "a full disk: status 1, $(cat "$out/game.err")"
  kill $wm
  echo "PASS"
}

# The recording cut after its first N frames, and a shot of the picture then.
cut_after() {
  awk -v n="$1" '
    $1 == "frames" { if (done + $2 >= n) { print "frames " (n - done); exit } done += $2 }
    { print }' "$2"
  echo "shot $3"
}

# The frame the window's title names ("... frame N of ...").
title_frame() { xdotool getwindowname "$wid" | sed -n 's/.*, frame \([0-9]*\) of .*/\1/p'; }

watch() {
  local carpex=$1 check=$2 replay=$3 out=$4 status number wid frame next
  game="" xvfb="" wm=""
  trap 'kill $game $wm $xvfb 2>/dev/null' EXIT
  start_bare_x "$out"
  need_tools openbox xprop import
  export DISPLAY=":$number"
  start_openbox
  # A recording as the game writes one: a round of level 5 with bombs, a
  # switch away and back, a display lost, and the close.
  {
    printf '# Carpex %s\nlanguage en\nseed 5\nframes 30\ntick\nchar 53\n' "$(${carpex} --version | cut -d' ' -f2)"
    for i in $(seq 12); do printf 'frames 20\ndown 32\nframes 3\nup 32\nframes 37\ntick\n'; done
    printf 'deactivate\nframes 5\nrestore\nlose\nframes 200\nchar 27\nframes 10\nchar 27\n'
  } >"$out/rec.replay"
  "$replay" "$out/rec.replay" | tail -n 1 | sed 's/^/# final: /' >>"$out/rec.replay"
  local total
  total=$("$replay" "$out/rec.replay" | wc -l)
  same_as_replay() {
    local at=$1 name=$2
    cut_after "$at" "$out/rec.replay" "ref-$name.ppm" | "$replay" --shots "$out" --overwrite - >/dev/null ||
      fail "no reference picture of frame $at"
    import -window "$wid" -depth 8 "ppm:$out/$name.ppm"
    "$check" same "$out/$name.ppm" "$out/ref-$name.ppm" >/dev/null ||
      fail "frame $at: $("$check" same "$out/$name.ppm" "$out/ref-$name.ppm")"
    echo "frame $at: the window shows carpex-replay's shot of it, pixel for pixel"
  }

  "$carpex" --watch "$out/rec.replay" >"$out/game.out" 2>"$out/game.err" &
  game=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Carpex: 'rec.replay'" | head -n 1)
  [[ -n $wid ]] || fail "no window watching the recording appeared"
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
  sleep 1
  xdotool key space
  sleep 0.5
  frame=$(title_frame)
  [[ $(xdotool getwindowname "$wid") == *", paused - "* && -n $frame ]] ||
    fail "Space did not pause: $(xdotool getwindowname "$wid")"
  echo "paused: $(xdotool getwindowname "$wid")"
  import -window root "$out/watching-paused.png"
  same_as_replay "$frame" paused
  xdotool key Right Right period
  sleep 0.5
  next=$(title_frame)
  ((next == frame + 3)) || fail "three steps went from frame $frame to $next"
  same_as_replay "$next" stepped
  xdotool key Up Up
  sleep 0.3
  [[ $(xdotool getwindowname "$wid") == *", 4x, paused"* ]] || fail "Up, Up: $(xdotool getwindowname "$wid")"
  xdotool key space
  sleep 1
  xdotool key space
  sleep 0.5
  frame=$(title_frame)
  ((frame > next && (frame - next) % 4 == 0)) || fail "at 4x from frame $next to $frame"
  echo "at 4x: from frame $next to $frame, four frames a step"
  same_as_replay "$frame" fast
  # Again from the start, as fast as it goes, to the end: the last picture
  # stays, and the title says the game reached the final line.
  xdotool key Home Up Up
  sleep 0.3
  [[ $(xdotool getwindowname "$wid") == *", 16x"* ]] || fail "Home, Up, Up: $(xdotool getwindowname "$wid")"
  for _ in $(seq 100); do
    [[ $(xdotool getwindowname "$wid") == *"replays exactly"* ]] && break
    sleep 0.1
  done
  [[ $(xdotool getwindowname "$wid") == "Carpex: 'rec.replay' replays exactly ($total frames) - Escape quits" ]] ||
    fail "at the end: $(xdotool getwindowname "$wid")"
  echo "at the end: $(xdotool getwindowname "$wid")"
  same_as_replay "$total" end
  xdotool key Escape
  wait $game
  status=$?
  game=""
  ((status == 0)) || fail "exit status $status after replaying exactly"
  [[ ! -s $out/game.err ]] || fail "standard error: $(cat "$out/game.err")"
  echo "Escape: exit status 0"

  # A final line the game does not reach: where it differs, and status 3.
  sed '$ s/ fc=\([0-9]*\)/ fc=9\1/' "$out/rec.replay" >"$out/other.replay"
  "$carpex" --watch "$out/other.replay" >/dev/null 2>&1 &
  game=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Carpex: 'other.replay'" | head -n 1)
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
  xdotool key Up Up Up Up
  for _ in $(seq 100); do
    [[ $(xdotool getwindowname "$wid") == *"differs"* ]] && break
    sleep 0.1
  done
  [[ $(xdotool getwindowname "$wid") == "Carpex: 'other.replay' differs from its final line after $total frames: fc: "*" in the recording - Escape quits" ]] ||
    fail "a final line not reached: $(xdotool getwindowname "$wid")"
  echo "$(xdotool getwindowname "$wid")"
  xdotool key Escape
  wait $game
  status=$?
  game=""
  ((status == 3)) || fail "exit status $status for a recording that differs, expected 3"

  # Refused before any window, as the replay tool refuses it, and nothing is
  # written: a malformed line, one longer than 64 MiB.
  printf 'seed 1\nframes 2\nfly 3\n' >"$out/bad.replay"
  { cat "$out/rec.replay"; yes '# padding' | head -c 70000000; } >"$out/long.replay"
  mkdir -p "$out/tmp"
  local bad expected
  for bad in bad long; do
    expected=$("$replay" "$out/$bad.replay" 2>&1 >/dev/null)
    err=$(env -u DISPLAY XDG_CONFIG_HOME="$out/nothing" TMPDIR="$out/tmp" "$carpex" --watch "$out/$bad.replay" 2>&1)
    status=$?
    ((status == 2)) || fail "$bad.replay: status $status, expected 2 ($err)"
    [[ $err == "carpex: $expected" ]] || fail "$bad.replay: '$err', the replay tool says '$expected'"
    echo "$bad.replay: status 2, $err"
  done
  [[ ! -e $out/nothing && -z $(ls -A "$out/tmp") ]] || fail "a refused recording left something behind"
  # Cut at the end of a line, or in the middle of one (a full disk, a crash),
  # it is watched to its last whole line, with nothing to compare; with no
  # room for a private copy in TMPDIR, as watching makes none.
  head -n 20 "$out/rec.replay" >"$out/short.replay"
  head -c $(($(grep -b -m 1 '^down 32' "$out/rec.replay" | cut -d: -f1) + 3)) "$out/rec.replay" >"$out/cut.replay"
  local short
  for short in short cut; do
    TMPDIR="$out/no-such-folder" "$carpex" --watch "$out/$short.replay" >/dev/null 2>"$out/game.err" &
    game=$!
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Carpex: '$short.replay'" | head -n 1)
    [[ -n $wid ]] || fail "$short.replay: no window appeared: $(cat "$out/game.err")"
    timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
    for _ in $(seq 100); do
      [[ $(xdotool getwindowname "$wid") == *"without a final line"* ]] && break
      sleep 0.1
    done
    echo "$(xdotool getwindowname "$wid")"
    [[ $(xdotool getwindowname "$wid") == *"without a final line to compare with - Escape quits" ]] ||
      fail "a recording without its end: $(xdotool getwindowname "$wid")"
    [[ $short == short || $(xdotool getwindowname "$wid") == *"where its last line is cut short"* ]] ||
      fail "a recording cut short does not say so"
    xdotool key Escape
    wait $game
    status=$?
    game=""
    ((status == 3)) || fail "exit status $status for a recording without its end, expected 3"
  done
  [[ ! -e $out/config ]] || fail "watching remembered how the game was shown"

  # A megabyte of rounds started and left between two frames, far more than a
  # game hands its form: the window answers Space and Escape, and SIGTERM ends
  # the game, while the rounds go on being started.
  {
    printf '# Carpex %s\nseed 1\n' "$(${carpex} --version | cut -d' ' -f2)"
    yes $'char 57\nchar 27' | head -n 130000
    echo "frames 1"
  } >"$out/flood.replay"
  "$carpex" --watch "$out/flood.replay" >/dev/null 2>&1 &
  game=$!
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Carpex: 'flood.replay'" | head -n 1)
  [[ -n $wid ]] || fail "no window watching the flood of rounds appeared"
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
  answered() {
    for _ in $(seq 50); do
      [[ $(xdotool getwindowname "$wid") == *"$1"* ]] && return 0
      sleep 0.1
    done
    fail "$2 was not answered: $(xdotool getwindowname "$wid")"
  }
  xdotool key space
  answered ", frame 0 of 1, 1x, paused" "Space"
  xdotool key space Escape
  answered "stopped at frame 0 of 1" "Escape"
  echo "a flood of rounds: $(xdotool getwindowname "$wid")"
  kill -TERM $game
  for _ in $(seq 50); do
    kill -0 $game 2>/dev/null || break
    sleep 0.1
  done
  kill -0 $game 2>/dev/null && fail "SIGTERM did not end the game watching a flood of rounds"
  game=""
  echo "SIGTERM ended it"
  echo "PASS"
}

case ${1:-} in
  play) play "$2" "$3" "$4" "$5" ;;
  watch) watch "$2" "$3" "$4" "$5" ;;
  cmdline) cmdline "$2" "$3" ;;
  xgone) xgone "$2" "$3" "$4" ;;
  signals) signals "$2" "$3" "$4" ;;
  *)
    echo "usage: $0 play|watch CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR | cmdline CARPEX VERSION |" \
      "xgone CARPEX CARPEX_REPLAY OUTDIR | signals CARPEX CARPEX_REPLAY OUTDIR" >&2
    exit 2
    ;;
esac
