#!/usr/bin/env bash
# The pace probe: runs the real Linux game in a virtual X server, plays about
# ten seconds of a round (a bomb every second) with the frame rate shown, and
# prints what the game's own frame-rate text read each second and what each
# present cost (the picture taken from the flip and sent to the screen).
# A measuring tool, not a test: it prints figures and always exits 0 unless
# the game could not be run.
#
#   scripts/pace.sh [--candidates | --switches] [SCREEN ...]
#   scripts/pace.sh --windows
#   scripts/pace.sh --steps [linux] [windows] [page]
#
# With --candidates it also measures, on each screen, the ways of presenting
# the picture side by side on the same frames (bench/present_bench.cpp).
# With --switches it measures instead what Alt+Enter costs: the frames the
# game ran (read from its recording) over 101 presses 42 ms apart, against
# the same time with no press.
#
# With --windows it measures the x86_64 Windows game under wine64 instead, in
# each of its presentations: the exclusive full screen (640x480x16), a window
# and borderless (1280x1024x24 and 1920x1080x24, with openbox), each with
# Wine's default renderer and, on the desktop, its GDI one. The game's own
# probe (CARPEX_PACE_REPORT) times each frame's work without its sleep (the
# flip or the present included) and, on the desktop, the present alone.
# CARPEX_EXE names the program instead of build/win-x86_64's.
#
# With --steps it measures how the game keeps time, on each platform named
# (all three by default): the Linux game full screen in a virtual X server
# (1280x1024x24 and 640x480x16, with openbox), the x86_64 Windows game under
# wine64 full screen, in a window and borderless, and the page in headless
# Chromium (scripts/pace_page.mjs; built by scripts/web.sh --no-serve). Each
# plays a round with a bomb key every 0.37 s for PACE_SECONDS (30) seconds and
# prints the game's steps a second (sixty, whatever the display: each step
# comes at a tick of a 60 Hz clock, not a sleep after the last step's work),
# the interval between presents, and the delay from a bomb key's own event
# time to the first present that shows its bomb (at most a step and a refresh:
# the game waits for each step with the keys handled meanwhile). The figures
# come from the game's own probe; on the page from the page's clock. A
# platform that is not built is named and passed over.
#
# SCREEN is WIDTHxHEIGHTxDEPTH, optionally followed by "+bare" (no window
# manager) or "+window" (played in a window after Alt+Enter); by default
# 1280x1024x24 and 640x480x16 with openbox, full screen. CARPEX, SHOT_CHECK
# (and PRESENT_BENCH) in the environment name the programs to measure instead
# of a Release build. PACE_NO_SHOTS=1 takes no screenshots (and so reads no
# frame rate): each one makes the X server and the processor busy for tens of
# milliseconds, which may show in the tail of the present's cost.
set -euo pipefail
cd "$(dirname "$0")/.."

# One mode at most, named by its option; none: the plain probe.
candidates=0 switches=0 windows=0 steps=0
case ${1:-} in
  --steps | --candidates | --switches | --windows)
    declare "${1#--}=1"
    shift
    ;;
esac
. scripts/deps.sh
# What a probe started, stopped at its end and when the script ends.
work=$(mktemp -d)
xvfb="" wm="" game=""
stop() {
  if ((windows || steps)); then /usr/lib/wine/wineserver -k 2>/dev/null || true; fi
  for pid in $game $wm $xvfb; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  game="" wm="" xvfb=""
}
trap 'stop; rm -rf "$work"' EXIT
# A virtual X server of the screen $1 (WIDTHxHEIGHTxDEPTH), DISPLAY naming it.
xvfb_on() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  exec 3>&-
  for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
  rm -f "$work/display"
}

# A virtual X server of the screen $1 with openbox, once it has read its theme
# and fonts (its work area follows them).
screen_on() {
  xvfb_on "$1"
  openbox >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 100); do xprop -root _NET_WORKAREA 2>/dev/null | grep -q "=" && break; sleep 0.1; done
}
exe=${CARPEX_EXE:-$PWD/build/win-x86_64/platform/win32/carpex.exe}
wine=/usr/lib/wine/wine64
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The Windows game started under wine64 in the presentation $1 (with
# CARPEX_PACE_REPORT=report in $work), remembering nothing of earlier runs; wid
# is its window.
windows_game() {
  [[ -d $WINEPREFIX ]] || { "$wine" wineboot --init >/dev/null 2>&1; /usr/lib/wine/wineserver -w; }
  "$wine" reg delete 'HKCU\Software\Carpex' /f >/dev/null 2>&1 || true
  (cd "$work" && CARPEX_PACE_REPORT=report "$wine" "$exe" "--$1" >/dev/null 2>"$work/game.err") &
  game=$!
  wid=$(timeout 60 xdotool search --sync --onlyvisible --name '^Carpex' | head -n 1) || true
  [[ -n $wid ]] || return 1
  sleep 2
  timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null || true
}
# A bomb key every 0.37 s (a step's time does not divide it, so that the keys
# fall at every point of a step) for $1 seconds: each drops a bomb when none
# is on its way.
bomb_keys() {
  local end=$((SECONDS + $1))
  while ((SECONDS < end)); do
    xdotool key space
    sleep 0.37
  done
}
# The steps probe's round: level 0 started, bomb keys for $1 seconds, then
# the game left and waited for.
steps_round() {
  xdotool key 0
  sleep 1.5
  bomb_keys "$1"
  xdotool key Escape Escape
  wait "$game" || true
  game=""
}
# The steps, presents and keys of a report, on one line headed $1.
step_figures() {
  awk -v what="$1" '{ f[$1] = $2 } END {
    printf "%-34s %5.1f steps a second; between presents: median %s ms, p99 %s ms, max %s ms;\n",
      what, f["steps_per_second"], f["present_interval_ms_median"], f["present_interval_ms_p99"],
      f["present_interval_ms_max"]
    printf "%-34s key to picture: median %s ms, p99 %s ms (%s bombs)%s\n", "",
      f["key_to_present_ms_median"], f["key_to_present_ms_p99"], f["keys"],
      f["waits_for_refresh"] + 0 ? "; presents wait for the refresh" : "" }' "$2"
}

if ((steps)); then
  # The Linux game, full screen on both screens; the Windows game in each of
  # its presentations; the page (or those named). Those not built are named
  # and passed over.
  ensure_packages xvfb xauth xdotool openbox x11-utils
  seconds=${PACE_SECONDS:-30}
  platforms=" ${*:-linux windows page} "
  if [[ $platforms == *" linux "* && -z ${CARPEX:-} ]]; then
    ensure_groups build
    cmake -S . -B build/pace -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/pace --target carpex >/dev/null
    CARPEX=build/pace/platform/sdl/carpex
  fi
  for screen in 1280x1024x24 640x480x16; do
    [[ $platforms == *" linux "* ]] || break
    screen_on "$screen"
    export XDG_CONFIG_HOME=$work/config
    rm -rf "$work/config"
    unset WAYLAND_DISPLAY SDL_VIDEODRIVER
    CARPEX_PACE_REPORT="$work/report" "$CARPEX" >/dev/null 2>"$work/game.err" &
    game=$!
    wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Carpex' | head -n 1) || true
    [[ -n $wid ]] || { echo "pace: no game window on $screen" >&2; cat "$work/game.err" >&2; exit 1; }
    timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null || true
    steps_round "$seconds"
    stop
    step_figures "Linux, $screen openbox" "$work/report"
    rm -f "$work/report"
  done
  if [[ $platforms != *" windows "* ]]; then
    :
  elif [[ ! -f $exe ]]; then
    echo "Windows: not measured ($exe was not built)"
  elif [[ ! -x $wine ]]; then
    echo "Windows: not measured (wine64 is not installed, package wine64)"
  else
    for how in fullscreen window borderless; do
      screen=1280x1024x24
      [[ $how == fullscreen ]] && screen=640x480x16
      screen_on "$screen"
      if windows_game "$how"; then
        steps_round "$seconds"
      else
        echo "pace: no game window ($how on $screen)" >&2
      fi
      stop
      [[ -s $work/report ]] && step_figures "Windows x86_64, $how, $screen" "$work/report"
      rm -f "$work/report"
    done
  fi
  if [[ $platforms != *" page "* ]]; then
    :
  elif [[ ! -f build/web/carpex.wasm ]]; then
    echo "page: not measured (scripts/web.sh --no-serve builds it)"
  elif ! command -v node >/dev/null || [[ ! -d node_modules/puppeteer-core ]]; then
    echo "page: not measured (needs Node.js and npm ci for puppeteer-core)"
  else
    cmake --install build/web --prefix "$work/site" >/dev/null
    node scripts/pace_page.mjs "$work/site" "$seconds"
  fi
  exit 0
fi

if ((windows)); then
  ensure_packages xvfb xauth xdotool openbox x11-utils
  [[ -f $exe ]] || { echo "pace: $exe was not built (scripts/release.sh --partial builds it)" >&2; exit 1; }
  [[ -x $wine ]] || { echo "pace: wine64 is not installed (package wine64)" >&2; exit 1; }
  # One presentation: ten seconds of a round, a bomb every second.
  windows_probe() {
    local screen=$1 how=$2 renderer=$3 wid
    screen_on "$screen"
    WINE_D3D_CONFIG=${renderer:+renderer=$renderer} windows_game "$how" ||
      { echo "pace: no game window ($how on $screen)" >&2; stop; return; }
    xdotool key 9
    for _ in $(seq 10); do sleep 1; xdotool key space; done
    xdotool key Escape Escape
    wait "$game" || true
    game=""
    stop
    awk -v what="$how on $screen, renderer ${renderer:-default}" '{ f[$1] = $2 } END {
      printf "%-44s %5.1f frames a second; a frame'"'"'s work: median %s ms, p99 %s ms", what,
        f["frames_per_second"], f["frame_ms_median"], f["frame_ms_p99"]
      if (f["presents"] > 0) printf "; the present: median %s ms, p99 %s ms", f["present_ms_median"], f["present_ms_p99"]
      printf "\n" }' "$work/report"
    rm -f "$work/report"
  }
  windows_probe 640x480x16 fullscreen ""
  for screen in 1280x1024x24 1920x1080x24; do
    for how in window borderless; do
      for renderer in "" gdi; do windows_probe "$screen" "$how" "$renderer"; done
    done
  done
  exit 0
fi
ensure_packages xvfb xauth xdotool imagemagick openbox x11-utils x11-apps
if [[ -z ${CARPEX:-} || -z ${SHOT_CHECK:-} ]] || { ((candidates)) && [[ -z ${PRESENT_BENCH:-} ]]; }; then
  ensure_groups build
  ensure_packages libbenchmark-dev
  cmake -S . -B build/pace -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_BENCHMARKS=ON >/dev/null
  cmake --build build/pace --target carpex carpex_sdl_shot_check carpex_present_bench
  CARPEX=build/pace/platform/sdl/carpex
  SHOT_CHECK=build/pace/tests/platform/sdl/carpex_sdl_shot_check
  PRESENT_BENCH=build/pace/bench/carpex_present_bench
fi

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }

probe() {
  local screen=${1%%+*} bare=0 windowed=0
  [[ $1 == *+bare ]] && bare=1
  [[ $1 == *+window ]] && windowed=1
  xvfb_on "$screen"
  unset WAYLAND_DISPLAY SDL_VIDEODRIVER
  # Each probe starts as a first run does, and remembers nothing for the player.
  export XDG_CONFIG_HOME=$work/config
  rm -rf "$work/config"
  if ((!bare)); then
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 100); do
      # Once openbox has read its theme and fonts, which its work area follows.
      xprop -root _NET_WORKAREA 2>/dev/null | grep -q "=" && break
      sleep 0.1
    done
  fi
  local record=()
  ((switches)) && record=(--record "$work/session.replay")
  CARPEX_PACE_REPORT="$work/report" "$CARPEX" "${record[@]}" >/dev/null 2>"$work/game.err" &
  game=$!
  local wid
  wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Carpex$' | head -n 1) || true
  [[ -n $wid ]] || { echo "pace: no game window on $screen" >&2; cat "$work/game.err" >&2; exit 1; }
  ((bare)) || timeout 20 xdotool windowactivate --sync "$wid" 2>/dev/null || true
  if ((windowed)); then
    xdotool key alt+Return
    sleep 1
  fi
  local geometry
  geometry=$(xdotool getwindowgeometry "$wid" | awk '/Position/ { p = $2 } /Geometry/ { g = $2 } END { print g " at " p }')
  local crop
  crop=$(xwininfo -id "$wid" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }')

  xdotool key 0 f
  sleep 1.5
  if ((switches)); then
    switch_cost "$1$( ((bare)) || echo ' openbox')" "$wid"
    return
  fi
  local readings="" n
  for n in $(seq 10); do
    xdotool key space
    ((${PACE_NO_SHOTS:-0})) && { sleep 0.8; continue; }
    # The window's part of the screen (a window's own grab misreads 16-bit
    # colours), read by xwd: import takes the X server for itself while it
    # reads, and the game's presents wait behind it.
    xwd -root -silent | convert xwd:- -crop "$crop" +repage -depth 8 "ppm:$work/shot.ppm"
    readings+="$({ "$SHOT_CHECK" fps "$work/shot.ppm" || true; } | cut -d' ' -f1) "
    sleep 0.8
  done
  xdotool key Escape Escape
  wait "$game" || true
  game=""
  ((candidates)) && "$PRESENT_BENCH" >"$work/candidates" 2>&1
  stop

  local fps
  fps=$(tr ' ' '\n' <<<"$readings" | { grep -E '^[0-9]+$' || true; } | median)
  printf '%-22s window %s, load average %s\n' "$1$( ((bare)) || echo ' openbox')" "$geometry" \
    "$(cut -d' ' -f1 /proc/loadavg)"
  printf '  frame-rate text: %s(median %s)\n' "$readings" "$fps"
  if [[ -s $work/report ]]; then
    awk '{ f[$1] = $2 } END {
      printf "  present cost: median %s ms, p99 %s ms, max %s ms (%s presents, %s a second)\n",
        f["present_ms_median"], f["present_ms_p99"], f["present_ms_max"], f["presents"],
        f["presents_per_second"]
      printf "  of it on the processor: median %s ms, p99 %s ms, max %s ms\n",
        f["present_cpu_ms_median"], f["present_cpu_ms_p99"], f["present_cpu_ms_max"] }' "$work/report"
  fi
  ((candidates)) && sed 's/^/  /' "$work/candidates"
  rm -f "$work/report" "$work/display" "$work/candidates"
}

# Alt+Enter 101 times, then as long without a press; each run between two
# presses of f, which the recording marks as "char 102".
switch_cost() {
  local screen=$1 wid=$2 presses=() n started ms
  for n in $(seq 101); do presses+=(key alt+Return sleep 0.042); done
  xdotool key f
  started=$(date +%s%N)
  xdotool "${presses[@]}"
  xdotool key f
  ms=$((($(date +%s%N) - started) / 1000000))
  sleep 1
  xdotool key f
  sleep "$((ms / 1000)).$(printf %03d $((ms % 1000)))"
  xdotool key f Escape Escape
  wait "$game" || true
  game=""
  stop
  awk -v screen="$screen" -v ms="$ms" '
    $0 == "char 102" { ++marks; next }
    /^frames / { runs[marks] += $2 }
    END {
      pressed = runs[2]; still = runs[4]
      printf "%-22s 101 presses of Alt+Enter in %.1f s: %d frames (%.0f a second);\n",
        screen, ms / 1000, pressed, pressed * 1000 / ms
      printf "  as long without a press: %d frames; the presses cost %.2f frames each\n",
        still, (still - pressed) / 101
    }' "$work/session.replay"
  rm -f "$work/report" "$work/display" "$work/session.replay"
}

screens=("$@")
((${#screens[@]})) || screens=(1280x1024x24 640x480x16)
for s in "${screens[@]}"; do probe "$s"; done
