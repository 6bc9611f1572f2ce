#!/bin/bash
# The game as a player meets it, in a virtual X server with a window manager:
# keys typed with xdotool, screenshots taken with import and read by shot_check;
# focus changes, one at a time and in a storm.
#
#   e2e.sh play CARPEX SHOT_CHECK OUTDIR   the whole round trip (screenshots kept in OUTDIR)
#   e2e.sh bare CARPEX SHOT_CHECK OUTDIR   an X server without a window manager
#   e2e.sh languages CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR
#                                          the level screen under an English and a
#                                          Chinese locale, as the replay tool draws
#                                          it in that language
#   e2e.sh window_size CARPEX SHOT_CHECK OUTDIR
#                                          the first window's size, and the legend in
#                                          full screen, on a 1920 x 1080 screen
#   e2e.sh pace CARPEX SHOT_CHECK OUTDIR   the game's frame-rate text counts 60 at 1280 x 1024
#                                          and at 640 x 480 with a window manager, and its
#                                          recording of 20 s of its timer holds 1,200 frames
#                                          (plus or minus 2); at 640 x 480 also through a
#                                          renderer asked for by name, which shows the level
#                                          screen pixel for pixel and reads 60 in most seconds
#   e2e.sh records CARPEX CARPEX_REPLAY OUTDIR
#                                          the records across a restart, and today's city
#   e2e.sh nodisplay CARPEX                no display at all: a clear error, no crash
#   e2e.sh under_x PROGRAM OUTDIR          a test program that needs an X server, on a
#                                          virtual one of its own
#
# The game runs in a Chinese locale (its own pictures) unless said otherwise.
#
# Exit status 0 on success, 77 when a tool it needs is missing (skipped), 1 on failure.
set -u
. "$(dirname "$0")/../../need_tools.sh"

fail() {
  echo "FAIL: $*" >&2
  if [[ -n ${out:-} && -s $out/game.err ]]; then
    echo "game's standard error:" >&2
    cat "$out/game.err" >&2
  fi
  exit 1
}

# Repeats a command every 0.25 s until it succeeds or SECONDS_ seconds have passed.
retry() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.25
  done
}

nodisplay() {
  local carpex=$1 err status
  err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$carpex" 2>&1 >/dev/null)
  status=$?
  echo "status $status: $err"
  ((status != 0)) || fail "started without a display"
  ((status < 124)) || fail "did not end cleanly (status $status: timeout or signal)"
  [[ $err == *display* ]] || fail "no clear error message: '$err'"
  exit 0
}

under_x() {
  local program=$1 status
  out=$2
  need_tools Xvfb
  . "$(dirname "$0")/x_server.sh"
  rm -rf "$out"
  mkdir -p "$out"
  start_xvfb "$out" 640x480x24
  env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=":$number" "$program"
  status=$?
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null
  exit "$status"
}

# Starts a virtual X server with the given screen (and DISPLAY for it), and
# openbox on it unless the second argument is "bare".
start_x() {
  local screen=$1 bare=${2:-}
  need_tools Xvfb openbox xdotool xprop import
  rm -rf "$out"
  mkdir -p "$out"

  # Global: the exit trap runs after this function has returned.
  xvfb="" wm="" game=""
  cleanup() {
    # All at once: a game still waiting on its X server ends with it.
    kill $game $wm $xvfb 2>/dev/null
    wait $game $wm $xvfb 2>/dev/null
  }
  trap cleanup EXIT

  # The server picks a display number nobody uses and writes it to fd 3.
  exec 3>"$out/display"
  # -noreset: without a window manager the server would start afresh between
  # one game and the next, and refuse the next meanwhile.
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset >"$out/xvfb.log" 2>&1 &
  xvfb=$!
  exec 3>&-
  retry 20 test -s "$out/display" || fail "no virtual X server could be started"
  export DISPLAY=":$(cat "$out/display")"
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER
  # What the game remembers of this run stays in the test's folder.
  export XDG_CONFIG_HOME=$out/config
  echo "X server on $DISPLAY ($screen${bare:+, no window manager})"

  [[ $bare == bare ]] && return
  openbox >"$out/openbox.log" 2>&1 &
  wm=$!
  # openbox announces itself (_NET_SUPPORTING_WM_CHECK) before it has read its
  # theme and fonts (slow while a fresh machine's font cache is being built),
  # and a window mapped in between is never managed; the work area comes last.
  retry 20 bash -c 'xprop -root _NET_WORKAREA | grep -q "="' ||
    fail "the window manager did not start"
}

# Starts the game (with the arguments in carpex_args) in the locale LANG
# (Chinese unless given) and sets wid to its window.
carpex_args=()
start_game() {
  env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG="${1:-zh_CN.UTF-8}" "$carpex" "${carpex_args[@]}" \
    >"$out/game.out" 2>"$out/game.err" &
  game=$!
  # Searched for again until found: a search that meets a window going away
  # while it looks (the last game's) fails at once.
  found() { wid=$(xdotool search --onlyvisible --name '^Carpex' 2>/dev/null | head -n 1) && [[ -n $wid ]]; }
  retry 30 found || fail "no window named Carpex appeared"
  echo "window $wid"
}

shot() { import -window root -depth 8 "ppm:$out/$1.ppm"; }
# A shot that leaves the X server to the game while it is read: import takes
# the server for itself meanwhile, and a game whose present waits behind it
# misses steps, which a count of steps must not see.
quiet_shot() { xwd -root -silent >"$out/$1.xwd" && convert "xwd:$out/$1.xwd" -depth 8 "ppm:$out/$1.ppm"; }
window_shot() { import -window "$wid" -depth 8 "ppm:$out/$1.ppm"; }
check() { "$check" "$1" "$out/$2.ppm" "${@:3}"; }
# The number of game pixels that differ between two shots in a game rectangle.
differ() { "$check" diff "$out/$1.ppm" "$out/$2.ppm" "${@:3}"; }
geometry() { xdotool getwindowgeometry "$wid" | awk '/Position/ { p = $2 } /Geometry/ { g = $2 } END { print g " at " p }'; }

# The level-choice picture, pixel for pixel, in the named shot (made by the
# named shot function).
level_shown() {
  local take=$1 name=$2
  retry 30 eval "$take $name && check levelchoice $name >/dev/null" || {
    check levelchoice "$name"
    fail "the level-choice screen is not shown pixel for pixel in $name ($(geometry))"
  }
  echo "$name: $(check levelchoice "$name")"
}

# Alt+Enter: a 640 x 480 window showing the picture pixel for pixel; made
# larger, the picture stays whole and centred on black; Alt+Enter again: the
# whole screen, the picture as before. FULL is the screen's size.
switch_both_ways() {
  local full=$1 bare=${2:-}
  xdotool key alt+Return
  retry 20 eval '[[ $(geometry) == 640x480* ]]' || fail "Alt+Enter: no 640 x 480 window ($(geometry))"
  level_shown window_shot windowed
  # A window of the picture's size has no room for the legend: its title says
  # what the keys do, in the player's language.
  [[ $(xdotool getwindowname "$wid") == "Carpex：0-9：选择关卡；Esc：退出游戏；Alt+Enter：全屏或窗口；第 0 关：还没有记录；W：观看最佳一局；C：清除记录；L：English；H：隐藏说明" ]] ||
    fail "the window's title: $(xdotool getwindowname "$wid")"
  if [[ $bare != bare ]]; then
    xdotool windowsize "$wid" 900 700
    retry 20 eval '[[ $(geometry) == 900x700* ]]' || fail "the window cannot be resized ($(geometry))"
    level_shown window_shot windowed_larger
  fi
  xdotool key alt+Return
  retry 20 eval '[[ $(geometry) == "$full at 0,0" ]]' ||
    fail "Alt+Enter again: not the whole screen ($(geometry))"
  level_shown shot full_again
}

# No window manager: the window is the screen's size all the same.
bare() {
  local carpex=$1 check=$2
  out=$3
  start_x 1024x768x24 bare
  start_game
  [[ $(geometry) == "1024x768 at 0,0" ]] || fail "the window does not cover the screen: $(geometry)"
  level_shown shot level
  switch_both_ways 1024x768 bare
  xdotool key Escape
  local status
  wait "$game"
  status=$?
  game=""
  ((status == 0)) || fail "exit status $status"
  echo "PASS"
}

play() {
  local carpex=$1 check=$2 wid
  out=$3
  start_x 1280x1024x24
  start_game

  # --- The window: title and class (the desktop entry's), icon, borderless over the whole screen.
  [[ $(xdotool getwindowname "$wid") == Carpex ]] || fail "window title"
  [[ $(xprop -id "$wid" WM_CLASS) == 'WM_CLASS(STRING) = "carpex", "carpex"' ]] ||
    fail "window class: $(xprop -id "$wid" WM_CLASS)"
  xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "the window has no 32 x 32 icon"
  xdotool getwindowgeometry "$wid" | grep -q 'Geometry: 1280x1024' ||
    fail "the window does not cover the screen: $(xdotool getwindowgeometry "$wid")"
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null

  # --- The level-choice screen, pixel for pixel, its legend under it; Alt+Enter
  # to a window and back.
  level_shown shot level
  local legend_level
  legend_level=$(check legend level) || fail "no legend beside or under the picture"
  echo "legend on the level screen: $legend_level (pixels, sum of places)"
  switch_both_ways 1280x1024

  # --- '9' starts a round with tall buildings; the plane flies above them.
  xdotool key 9
  retry 30 eval 'shot city && check plane city >/dev/null' || fail "no plane after '9'"
  local city_pixels
  city_pixels=$(differ level city 0 300 640 180)
  ((city_pixels > 20000)) || fail "no city below the plane ($city_pixels pixels changed)"
  local first_plane legend_round
  first_plane=$(check plane city)
  echo "round started; plane at $first_plane"
  legend_round=$(check legend city)
  [[ $legend_round != "$legend_level" ]] || fail "the legend says in a round what it said on the level screen"

  # --- Wait until the plane is well into the screen, then drop a bomb. A key
  # that reaches the game as the plane leaves the screen drops none (a loaded
  # machine may take seconds from the shot to the key): then again on a later
  # pass.
  plane_in() {
    shot before_bomb && local p && p=$(check plane before_bomb) && local left=${p%% *} &&
      ((left >= 150 && left <= 400))
  }
  # The bomb falls 2 pixels a frame: wait by what the screen shows, not by the clock.
  bomb_landed() { shot after_bomb && (($(differ before_bomb after_bomb 0 96 640 384) >= 256)); }
  local try
  for try in 1 2 3; do
    retry 90 plane_in || fail "the plane does not fly in ($(check plane before_bomb))"
    xdotool key space
    retry 5 bomb_landed && break
    ((try < 3)) || fail "nothing happened in the city after Space, three times"
  done
  local later_plane
  later_plane=$(check plane before_bomb)
  [[ $later_plane != "$first_plane" ]] || fail "the plane did not move"
  echo "plane later at $later_plane"
  # The explosions play out: the city stops changing.
  city_still() {
    shot settle_a && sleep 1 && shot settle_b && (($(differ settle_a settle_b 0 96 640 384) == 0))
  }
  retry 60 city_still || fail "the city keeps changing"
  local demolished
  demolished=$(differ before_bomb settle_b 0 96 640 384)
  ((demolished >= 128)) || fail "the bomb brought nothing down ($demolished pixels changed)"
  echo "bomb: $demolished city pixels changed for good"

  # --- P pauses the round: not a pixel of the picture changes for a second,
  # and the legend says how to go on. The round stays paused while the game
  # is switched away from and back, so that the world stands still however
  # long the shots take (the plane meets the tall city within half a minute).
  xdotool key p
  sleep 0.3
  shot paused_a
  sleep 1
  shot paused_b
  local still
  still=$(differ paused_a paused_b 0 0 640 480)
  ((still == 0)) || fail "$still pixels of the paused picture changed"
  [[ $(check legend paused_b) != "$legend_round" ]] || fail "the legend does not say the round is paused"
  echo "paused: the picture stood still for a second"

  # --- Focus away and back: every picture comes back, the round still paused.
  timeout 20 xdotool windowminimize --sync "$wid"
  retry 10 bash -c "xprop -id $wid WM_STATE | grep -q Iconic" || fail "the window did not minimise"
  sleep 1
  shot away
  local gone
  gone=$(differ paused_b away 0 96 640 384)
  ((gone > 1000)) || fail "the game still shows while minimised ($gone pixels changed)"
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
  back_again() {
    shot back && [[ $(check lost back) == 0 ]] && [[ $(differ paused_b back 0 96 640 384) == 0 ]] &&
      check plane back >/dev/null
  }
  retry 60 back_again || fail "the pictures did not come back: lost $(check lost back)," \
    "city pixels changed $(differ paused_b back 0 96 640 384), plane $(check plane back)"
  echo "restored: city as before, plane at $(check plane back)"
  xdotool key p
  retry 20 eval 'shot going_on && (($(differ back going_on 0 0 640 96) > 0))' ||
    fail "P again: the plane does not fly on"
  echo "P again: the round went on"

  # --- 'f' shows the frame rate at the window's top-left.
  xdotool key f
  sleep 2.5
  local readings=""
  for i in 1 2 3; do
    shot "fps$i"
    readings+="$(check fps "fps$i" | cut -d' ' -f1) "
    sleep 1.1
  done
  check fps fps1 >/dev/null || fail "no frame rate shown after 'f'"
  echo "frame rate shown: $readings(text box colour $(check fps fps1 | cut -d' ' -f2))"

  # --- Back on the level-choice screen its picture is whole again too.
  xdotool key f Escape
  retry 30 eval 'shot level_again && check levelchoice level_again >/dev/null' || {
    check levelchoice level_again
    fail "the level-choice screen did not come back after the restore"
  }

  # --- A new round, then Escape, Escape ends the program.
  xdotool key 9
  retry 30 eval 'shot round2 && check plane round2 >/dev/null' || fail "no second round"

  # --- A focus storm: minimised and activated 100 times, 20 ms apart. What
  # counts is the window as it is when the game looks: within a second of the
  # last activation it is shown, its pictures whole and the plane flying.
  local storm=() i storm_end
  for i in $(seq 100); do storm+=(windowminimize "$wid" sleep 0.02 windowactivate "$wid" sleep 0.02); done
  xdotool "${storm[@]}" 2>/dev/null
  storm_end=$(date +%s%3N)
  running_again() {
    xprop -id "$wid" WM_STATE | grep -q 'window state: Normal' && shot storm_a && sleep 0.1 &&
      shot storm_b && [[ $(check lost storm_b) == 0 ]] && check plane storm_b >/dev/null &&
      [[ $(check plane storm_a) != "$(check plane storm_b)" ]]
  }
  until running_again; do
    (($(date +%s%3N) - storm_end < 1000)) || fail "not running a second after the focus storm:" \
      "$(xprop -id "$wid" WM_STATE | grep 'window state'), lost $(check lost storm_b)," \
      "plane $(check plane storm_a) then $(check plane storm_b)"
  done
  echo "focus storm: shown and running $(($(date +%s%3N) - storm_end)) ms after the last activation"
  local start_ms=$(date +%s%3N) status
  xdotool key Escape Escape
  for _ in $(seq 200); do
    kill -0 "$game" 2>/dev/null || break
    sleep 0.01
  done
  local elapsed=$(($(date +%s%3N) - start_ms))
  kill -0 "$game" 2>/dev/null && fail "still running ${elapsed} ms after Escape, Escape"
  wait "$game"
  status=$?
  game=""
  ((status == 0)) || fail "exit status $status"
  echo "ended with status 0, ${elapsed} ms after Escape, Escape"
  if [[ -s $out/game.err ]]; then
    echo "game's standard error:"
    cat "$out/game.err"
  fi

  # --- Remembered: full screen, and the window's last size, which a start in
  # a window takes again.
  grep -qx "presentation fullscreen" "$out/config/carpex/settings" &&
    grep -qx "window 900x700" "$out/config/carpex/settings" ||
    fail "not remembered: $(cat "$out/config/carpex/settings")"
  carpex_args=(--window)
  start_game
  retry 20 eval '[[ $(geometry) == 900x700* ]]' || fail "the window's size was not taken again ($(geometry))"
  xdotool key Escape
  wait "$game" || fail "exit status $? after a start in a window"
  game=""
  grep -qx "presentation window" "$out/config/carpex/settings" || fail "the window was not remembered"
  echo "remembered: a start in a window takes the size it was left at"
  echo "PASS"
}

# Sixty steps a second, as the game counts them and as its recording holds
# them, at two screen sizes, and through a renderer (Mesa's, drawn by the
# processor here) asked for by name.
pace() {
  local carpex=$1 check=$2 base=$3 run screen readings fps frames i reading
  need_tools xwd
  for run in 1280x1024x24 640x480x16 640x480x16+renderer; do
    screen=${run%+*}
    out=$base/${run/+/-}
    start_x "$screen"
    carpex_args=(--record "$out/game.replay")
    if [[ $run == *+renderer ]]; then
      SDL_RENDER_DRIVER=opengl CARPEX_PACE_REPORT=$out/pace start_game
      level_shown shot level
    else
      start_game
    fi
    timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
    # A round, its frame rate shown once a timer period has gone by.
    xdotool key 0 f
    sleep 2.5
    readings=""
    for i in 1 2 3 4 5; do
      quiet_shot "fps$i"
      readings+="$(check fps "fps$i" | cut -d' ' -f1) "
      sleep 1.1
    done
    # Twenty seconds of the game's timer after its second tick.
    sleep "$([[ $run == *+renderer ]] && echo 0 || echo 17)"
    xdotool key Escape Escape
    wait "$game" || fail "exit status $?"
    game=""
    kill "$wm" "$xvfb" 2>/dev/null
    wait "$wm" "$xvfb" 2>/dev/null
    fps=$(tr ' ' '\n' <<<"$readings" | sort -n | sed -n 3p)
    echo "$run: frame-rate text $readings(median $fps)"
    if [[ $run == *+renderer ]]; then
      # GL drawn by the processor shares the two cores with the shots (and,
      # in the sanitizer's build, costs twice as much), so a second can come
      # short; what this run guards is that waiting for the refresh through
      # the renderer keeps the game's pace (a wait on top of the step's own
      # would read 30), over most of the seconds read.
      ((fps >= 59 && fps <= 61)) || fail "$run: the frame rate shown is not 60: $readings"
      grep -qx "waits_for_refresh 1" "$out/pace" || fail "$run: the renderer was not used"
      continue
    fi
    [[ $fps == 60 ]] || fail "$run: the frame rate shown is not 60: $readings"
    for reading in $readings; do
      ((reading >= 59 && reading <= 61)) || fail "$run: the frame rate shown is not 60: $readings"
    done
    frames=$(awk '$1 == "tick" && ++ticks == 22 { exit } ticks >= 2 && $1 == "frames" { n += $2 }
                  END { print n + 0 }' "$out/game.replay")
    echo "$run: $frames frames recorded in 20 s of the game's timer"
    ((frames >= 1198 && frames <= 1202)) || fail "$run: $frames frames in 20 s, not 1,200"
  done
  echo "PASS"
}

# The level screen in the player's language, pixel for pixel as carpex-replay
# draws it with that language: English for an English locale, the game's own
# Chinese pictures for a Chinese one.
languages() {
  local carpex=$1 check=$2 replay=$3 lang code legends=()
  out=$4
  start_x 1280x1024x24 bare
  for lang in en_US.UTF-8 zh_CN.UTF-8; do
    code=${lang%%_*}
    printf 'language %s\nseed 1\nframes 2\nshot level-%s.ppm\n' "$code" "$code" |
      "$replay" --shots "$out" - >/dev/null || fail "carpex-replay could not draw the level screen"
    start_game "$lang"
    retry 30 eval 'shot "shown-$code" && check same "shown-$code" "$out/level-$code.ppm" >/dev/null' ||
      fail "LANG=$lang: not the level screen in '$code': $(check same "shown-$code" "$out/level-$code.ppm")"
    echo "LANG=$lang: $(check same "shown-$code" "$out/level-$code.ppm")"
    legends+=("$(check legend "shown-$code")") || fail "LANG=$lang: no legend under the picture"
    xdotool key Escape
    wait "$game"
    game=""
  done
  # The legend's words follow the locale too.
  [[ ${legends[0]} != "${legends[1]}" ]] || fail "the legend is the same in English and in Chinese"
  echo "PASS"
}

# A first window on a 1920 x 1080 screen with a window manager: the picture
# enlarged by the largest whole factor whose window, frame and all, fits.
window_size() {
  local carpex=$1 check=$2
  out=$3
  start_x 1920x1080x24
  carpex_args=(--window)
  start_game en_US.UTF-8
  retry 20 eval '[[ $(geometry) == 1280x960* ]]' || fail "the first window is $(geometry), not 1280x960"
  echo "first window: $(geometry)"
  xdotool key Escape
  wait "$game"
  game=""
  # Full screen on this screen: the picture pixel for pixel, the legend beside it.
  carpex_args=(--fullscreen)
  start_game
  level_shown shot wide
  check legend wide >/dev/null || fail "no legend around the picture on a 1920 x 1080 screen"
  echo "legend on a 1920 x 1080 screen: $(check legend wide)"
  xdotool key Escape
  wait "$game"
  game=""
  echo "PASS"
}

# The records beside the settings survive a restart, and the legend (the
# title of a 640 x 480 window) tells them; two games with --daily on the same
# CARPEX_TODAY build the same city, a day later another; without --daily the
# clock seeds as before.
records() {
  local carpex=$1 replay=$2 run
  out=$3
  start_x 1280x1024x24 bare
  unset CARPEX_TODAY
  # The legend is in the title of the picture's size's window.
  title() { xdotool search --onlyvisible --name '^Carpex' getwindowname 2>/dev/null | head -n 1; }
  # The game in English in a window: level 0 for a moment, left, quit.
  round_and_quit() {
    # Searched for again until found (start_game's one search ends at a
    # window that goes while it looks, which four starts may meet).
    env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=en_US.UTF-8 "$carpex" --window "$@" \
      >"$out/game.out" 2>"$out/game.err" &
    game=$!
    retry 30 eval '[[ -n $(title) ]]' || fail "no window named Carpex appeared"
    retry 20 eval '[[ $(title) == *"$first"* ]]' || fail "no level screen saying $first: $(title)"
    xdotool key 0
    retry 20 eval '[[ $(title) == *"drop the bomb"* ]]' || fail "no round: $(title)"
    sleep 0.5
    xdotool key Escape
    retry 20 eval '[[ $(title) == *"Level 0: won 0, lost 0, left "* ]]' || fail "not back: $(title)"
    xdotool key Escape
    wait "$game" || fail "exit status $?"
    game=""
  }
  # Without --daily first: the clock seeds, and the round is in the records;
  # a restart tells it.
  local first="Level 0: no record yet"
  city() { "$replay" "$out/$1.replay" | grep -m 1 ' gs=2 ' | grep -o 'heights=[0-9,]*'; }
  for run in plain a b c; do
    case $run in
      a | b) export CARPEX_TODAY=2026-12-09 ;;
      c) export CARPEX_TODAY=2026-12-10 ;;
    esac
    round_and_quit --record "$out/$run.replay" $([[ $run == plain ]] || echo --daily)
    if [[ $run == plain ]]; then
      grep -qx 'level 0 speed 100 won 0 lost 0 left 1 fastest 0 fewest 0' \
        "$XDG_CONFIG_HOME/carpex/records" || fail "the round is not in the records"
      first="Level 0: won 0, lost 0, left 1"
    else
      first="0-9: choose a level"
    fi
  done
  [[ $(grep '^daily' "$out/a.replay") == "daily 20261209" && $(city a) == "$(city b)" ]] ||
    fail "two games the same day do not build the same city"
  grep -qx 'daily 20261210' "$out/c.replay" && [[ -n $(city a) && $(city a) != "$(city c)" ]] ||
    fail "the next day's city is not another"
  ! grep -q '^daily' "$out/plain.replay" && grep -Eq '^seed [0-9]+$' "$out/plain.replay" ||
    fail "a game without --daily does not seed from the clock"
  [[ -s $XDG_CONFIG_HOME/carpex/today-20261209.replay ]] || fail "the day's result was not kept"
  echo "today's city: $(city a | cut -c1-40)..."
  echo "PASS"
}

case ${1:-} in
  nodisplay) nodisplay "$2" ;;
  under_x) under_x "$2" "$3" ;;
  languages) languages "$2" "$3" "$4" "$5" ;;
  window_size) window_size "$2" "$3" "$4" ;;
  play) play "$2" "$3" "$4" ;;
  bare) bare "$2" "$3" "$4" ;;
  pace) pace "$2" "$3" "$4" ;;
  records) records "$2" "$3" "$4" ;;
  *) echo "usage: $0 play|bare|pace CARPEX SHOT_CHECK OUTDIR | languages CARPEX SHOT_CHECK CARPEX_REPLAY OUTDIR | window_size CARPEX SHOT_CHECK OUTDIR | records CARPEX CARPEX_REPLAY OUTDIR | nodisplay CARPEX" >&2; exit 2 ;;
esac
