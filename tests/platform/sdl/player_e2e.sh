#!/bin/bash
# The player's own ways of playing the Linux game, in a virtual X server with a
# window manager, in a window of the picture's size (whose title says what the
# legend would), in English.
#
#   player_e2e.sh speed CARPEX CARPEX_REPLAY OUTDIR
#       --speed 50 --record plays about 30 frames a second of the game's own
#       timer (100 %: about 60); the recording names 50 % and replays to its
#       final line; watching it takes about twice as long a frame as watching
#       a recording made at 100 %
#   player_e2e.sh keys CARPEX CARPEX_REPLAY OUTDIR
#       K asks for the bomb key, refuses a digit, takes B; in a round Space
#       drops nothing and B the bomb; started again, B is still the bomb key
#   player_e2e.sh switch CARPEX CARPEX_REPLAY OUTDIR
#       --one-switch, Space alone: holds choose level 9, a press starts it and
#       another drops the bomb; after the round a press goes back to the
#       level screen, a hold chooses the next level, and a hold of three
#       seconds quits
#   player_e2e.sh click CARPEX CARPEX_REPLAY OUTDIR
#       --click: a left click on the picture drops the bomb; --no-click: none
#
# Exit status 0 on success, 77 when a tool it needs is missing (skipped), 1 on failure.
set -u
here=$(dirname "$0")
. "$here/../../need_tools.sh"

fail() {
  echo "FAIL: $*" >&2
  [[ -s ${out:-/nonexistent}/game.err ]] && cat "$out/game.err" >&2
  exit 1
}
# The virtual X server and its window manager, which fail when they cannot start.
. "$here/x_server.sh"

# A virtual X server with openbox; what the game remembers stays in OUT, and
# its window is the picture's size.
start_x() {
  need_tools Xvfb openbox xdotool xprop
  rm -rf "$out"
  mkdir -p "$out/config/carpex"
  export XDG_CONFIG_HOME=$out/config
  printf 'presentation window\nwindow 640x480\n' >"$out/config/carpex/settings"
  game="" xvfb="" wm=""
  trap 'kill $game $wm $xvfb 2>/dev/null' EXIT
  local number
  start_xvfb "$out" 1280x1024x24
  export DISPLAY=":$number"
  start_openbox
}

# B, the chosen bomb key, pressed in a round; then the round left and the game quit.
bomb_with_b_and_leave() {
  sleep 0.3
  xdotool keydown b
  sleep 0.3
  xdotool keyup b
  sleep 0.5
  xdotool key Escape Escape
  ended 0
}

# Starts the game with the arguments given and sets wid to its window.
start_game() {
  env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=en_US.UTF-8 "$carpex" "$@" \
    >"$out/game.out" 2>"$out/game.err" &
  game=$!
  # Searched for again until found: a search that meets a window going away
  # while it looks (the last game's) fails at once.
  wid=""
  for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --name '^Carpex' 2>/dev/null | head -n 1) || true
    [[ -n $wid ]] && break
    sleep 0.1
  done
  [[ -n $wid ]] || fail "no window named Carpex appeared"
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null
  sleep 0.5
}

title() { xdotool getwindowname "$wid"; }
# Waits up to SECONDS for the title to hold TEXT.
title_says() {
  local text=$1 seconds=${2:-10}
  for _ in $(seq $((seconds * 10))); do
    [[ $(title) == *"$text"* ]] && return 0
    sleep 0.1
  done
  fail "the title does not say '$text': $(title)"
}

ended() {
  local expected=${1:-0} status
  wait "$game"
  status=$?
  game=""
  ((status == expected)) || fail "exit status $status, expected $expected"
}

# The recording replays to its final line.
replays() {
  local recording=$1 final last
  final=$(tail -n 1 "$recording")
  last=$("$replay" "$recording" | tail -n 1)
  [[ "# final: $last" == "$final" ]] || fail "$(basename "$recording") replays elsewhere than its final line"
}

# carpex-replay --check's line about the recording's last round.
last_round() { "$replay" --check "$1" 2>&1; }

# Frames a second of the game's own timer: the frames between its first and
# last tick, over the seconds between them.
per_second() {
  awk '$1 == "tick" { if (ticks++ > 0) counted = frames } $1 == "frames" && ticks > 0 { frames += $2 }
       END { if (ticks > 1) printf "%.1f\n", counted / (ticks - 1) }' "$1"
}

# Seconds from now until the watching's title says it replays exactly.
watched_in() {
  local recording=$1 start end
  start_game --watch "$recording"
  start=$(date +%s.%N)
  for _ in $(seq 600); do
    [[ $(title) == *"replays exactly"* ]] && break
    sleep 0.05
  done
  end=$(date +%s.%N)
  [[ $(title) == *"replays exactly"* ]] || fail "watching $(basename "$recording"): $(title)"
  xdotool key Escape
  ended 0
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f\n", b - a }'
}

# Whether R lies between LOW and HIGH.
between() { awk -v r="$1" -v low="$2" -v high="$3" 'BEGIN { exit !(r >= low && r <= high) }'; }

speed() {
  start_x
  local name percent rate
  for percent in 100 50; do
    name=$out/at$percent.replay
    start_game --speed $percent --record "$name"
    xdotool key 0
    sleep 6.5
    xdotool key Escape Escape
    ended 0
    rate=$(per_second "$name")
    echo "at $percent %: $rate frames a second of the game's timer"
    if ((percent == 50)); then
      [[ $(sed -n 4p "$name") == "# speed 50" ]] || fail "the recording does not name its speed"
      between "$rate" 25 33 || fail "at 50 %: $rate frames a second, not about 30"
    else
      ! grep -q '^# speed' "$name" || fail "a recording at 100 % names a speed"
      between "$rate" 50 66 || fail "at 100 %: $rate frames a second"
    fi
    replays "$name"
  done
  [[ $(last_round "$out/at50.replay") == *", speed 50 %"* ]] || fail "--check: $(last_round "$out/at50.replay")"
  # Watched at the pace it was played: twice as long a frame at 50 %.
  local slow fast frames50 frames100 ratio
  slow=$(watched_in "$out/at50.replay")
  fast=$(watched_in "$out/at100.replay")
  frames50=$(awk '$1 == "frames" { n += $2 } END { print n }' "$out/at50.replay")
  frames100=$(awk '$1 == "frames" { n += $2 } END { print n }' "$out/at100.replay")
  ratio=$(awk -v s="$slow" -v f="$fast" -v a="$frames50" -v b="$frames100" \
    'BEGIN { printf "%.2f\n", (s / a) / (f / b) }')
  echo "watched: $frames50 frames at 50 % in $slow s, $frames100 frames at 100 % in $fast s: $ratio times as long a frame"
  between "$ratio" 1.6 2.4 || fail "watching at 50 % takes $ratio times as long a frame"
  echo "PASS"
}

keys() {
  start_x
  start_game --record "$out/chosen.replay"
  xdotool key k
  title_says "Press the new bomb key"
  xdotool key 5
  title_says "5 is in use: press another key"
  xdotool key b
  title_says "Press the new key for leaving"
  xdotool key k
  title_says "0-9: choose a level"
  xdotool key 0
  title_says "B: drop the bomb"
  xdotool keydown space
  sleep 0.3
  xdotool keyup space
  bomb_with_b_and_leave
  grep -qx 'bomb-key B' "$out/config/carpex/settings" || fail "the bomb key is not remembered"
  [[ $(grep -c '^down 32$' "$out/chosen.replay") == 1 ]] || fail "not one bomb key in the recording"
  [[ $(last_round "$out/chosen.replay") == *", 1 bomb, "* ]] || fail "$(last_round "$out/chosen.replay")"
  replays "$out/chosen.replay"
  echo "B chosen: Space dropped nothing, B the bomb ($(last_round "$out/chosen.replay"))"

  start_game --record "$out/again.replay"
  xdotool key 0
  title_says "B: drop the bomb"
  xdotool key space
  bomb_with_b_and_leave
  [[ $(last_round "$out/again.replay") == *", 1 bomb, "* ]] || fail "$(last_round "$out/again.replay")"
  echo "started again: B is still the bomb key"
  echo "PASS"
}

# Space held for SECONDS.
hold() {
  xdotool keydown space
  sleep "$1"
  xdotool keyup space
  sleep 0.3
}

switch() {
  start_x
  start_game --one-switch --record "$out/switch.replay"
  title_says "Press: start level 0"
  local held
  for held in 2.5 2.5 2.5 2.5 1.5; do hold $held; done
  title_says "Press: start level 9"
  hold 0.1
  title_says "Press: drop the bomb"
  hold 0.2
  # The plane flies into a tower of level 9 within about 35 seconds.
  title_says "Press: back to the level choice" 60
  hold 0.1
  title_says "Press: start level 9"
  hold 1.5
  title_says "Press: start level 0"
  echo "back on the level screen, a hold chose level 0"
  xdotool keydown space
  sleep 3.5
  ended 0
  xdotool keyup space
  local what
  for what in 'char 57' 'down 32' 'up 32' 'char 27'; do
    grep -qx "$what" "$out/switch.replay" || fail "no '$what' in the recording"
  done
  [[ $(grep -c '^char 27$' "$out/switch.replay") == 2 ]] || fail "not two Escapes: back and quit"
  [[ $(last_round "$out/switch.replay") == *"lost"*", 1 bomb, level 9"* ]] ||
    fail "$(last_round "$out/switch.replay")"
  replays "$out/switch.replay"
  echo "Space alone: $(last_round "$out/switch.replay"); quit by a hold"
  echo "PASS"
}

click() {
  start_x
  local how bombs
  for how in --click --no-click; do
    start_game "$how" --record "$out/$how.replay"
    xdotool key 0
    sleep 0.5
    xdotool mousemove --window "$wid" 320 240 mousedown 1
    sleep 0.3
    xdotool mouseup 1
    sleep 0.5
    xdotool key Escape Escape
    ended 0
    bombs=$([[ $how == --click ]] && echo "1 bomb" || echo "0 bombs")
    [[ $(last_round "$out/$how.replay") == *", $bombs, "* ]] ||
      fail "$how: $(last_round "$out/$how.replay")"
    replays "$out/$how.replay"
    echo "$how: $bombs from a click"
  done
  echo "PASS"
}

mode=$1
carpex=$2
replay=$3
out=$4
case $mode in
speed | keys | switch | click) "$mode" ;;
*) fail "unknown mode $mode" ;;
esac
