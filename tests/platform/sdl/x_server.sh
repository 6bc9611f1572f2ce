# Sourced by the SDL end-to-end scripts, which define fail.

# start_xvfb OUT SCREEN: a virtual X server of SCREEN (WIDTHxHEIGHTxDEPTH), its
# log in OUT; sets xvfb (the server) and number (its display's).
start_xvfb() {
  local out=$1
  Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp >"$out/xvfb.log" 2>&1 3>"$out/display" &
  xvfb=$!
  for _ in $(seq 100); do
    [[ -s $out/display ]] && break
    sleep 0.1
  done
  number=$(head -n 1 "$out/display")
  [[ -n $number ]] || { kill $xvfb; fail "no virtual X server"; }
}

# start_openbox: openbox on DISPLAY, once it has read its theme and fonts (a
# window mapped before is never managed; the work area comes last); sets wm.
# On a loaded machine openbox sometimes fails to open the display at once:
# then it is started again.
start_openbox() {
  for _ in 1 2 3; do
    openbox >/dev/null 2>&1 &
    wm=$!
    for _ in $(seq 100); do
      xprop -root _NET_WORKAREA 2>/dev/null | grep -q = && return 0
      kill -0 $wm 2>/dev/null || break
      sleep 0.1
    done
    kill -0 $wm 2>/dev/null && return 0
  done
  fail "openbox did not start"
}
