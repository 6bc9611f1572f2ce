#!/usr/bin/env bash
# The Linux package as a player gets it: installed with apt into a clean
# Debian 12 root (debootstrap, minbase), where a recording is a file type the
# desktop opens in the game, and /usr/games/carpex starts in a virtual X
# server and shows the level screen, pixel for pixel as the replay tool draws
# it (in English: the root has no locale).
#
#   deb_play.sh DEB CARPEX_REPLAY OUT_DIR
#
# OUT_DIR keeps the packages debootstrap fetched, for the next run, and the
# screen (level-screen.xwd). Exit
# status 0 on success, 77 when it cannot run here (not root, a tool missing),
# 1 on failure. Everything it mounts is unmounted and its folder removed, also
# when it fails.
set -euo pipefail
deb=$(realpath "$1")
replay=$(realpath "$2")
out=$3

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
. "$(dirname "$0")/../need_tools.sh"
[[ -f $deb ]] || { echo "skipped: $(basename "$deb") was not built"; exit 77; }
[[ $(id -u) == 0 ]] || { echo "skipped: debootstrap and chroot need root"; exit 77; }
need_tools debootstrap chroot unshare setsid compare

work=$(mktemp -d "${TMPDIR:-/tmp}/carpex-deb-XXXXXX")
root=$work/root
mounts=()
session=""
cleanup() {
  if [[ -n $session ]]; then
    kill -- "-$session" 2>/dev/null || true
    wait "$session" 2>/dev/null || true
  fi
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount --lazy "${mounts[i]}" || true
  done
  # Never remove anything while a mount (the machine's own /dev) is still below.
  if findmnt -rn -o TARGET | grep -q "^$root/"; then
    echo "left $work: still mounted" >&2
  else
    rm -rf --one-file-system "$work"
  fi
}
trap cleanup EXIT
mount_in() {
  mount "$@"
  mounts+=("${*: -1}")
  # Nothing mounted below it reaches the machine's own tree.
  mount --make-private "${*: -1}"
}
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }

mkdir -p "$out/debootstrap-cache"
out=$(realpath "$out")
cache=$out/debootstrap-cache
start=$SECONDS
debootstrap --variant=minbase --cache-dir="$cache" bookworm "$root" http://deb.debian.org/debian \
  >"$work/debootstrap.log" 2>&1 || fail "debootstrap: $(tail -n 5 "$work/debootstrap.log")"
echo "clean Debian 12 root (minbase) in $((SECONDS - start)) s"
mount_in -t proc proc "$root/proc"
mount_in --bind /dev "$root/dev"
mount_in -t tmpfs -o mode=1777 shm "$root/dev/shm"

start=$SECONDS
cp "$deb" "$root/tmp/"
in_root apt-get update -q >"$work/apt.log" 2>&1 || fail "apt-get update: $(tail -n 5 "$work/apt.log")"
in_root apt-get install -y -q "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 ||
  fail "apt-get install: $(tail -n 20 "$work/apt.log")"
# The X server is the player's desktop, not part of the package.
in_root apt-get install -y -q --no-install-recommends xvfb xauth >>"$work/apt.log" 2>&1 ||
  fail "apt-get install xvfb: $(tail -n 20 "$work/apt.log")"
echo "package and Xvfb installed with apt in $((SECONDS - start)) s: $(in_root dpkg-query -W carpex)"
in_root test -x /usr/games/carpex || fail "no /usr/games/carpex"
in_root /usr/games/carpex --version

# A recording is a file type of its own, which the desktop opens in the game:
# as a desktop finds it, with the type database and xdg-mime's own tools.
in_root apt-get install -y -q --no-install-recommends shared-mime-info desktop-file-utils \
  xdg-utils libfile-mimeinfo-perl >>"$work/apt.log" 2>&1 ||
  fail "apt-get install shared-mime-info: $(tail -n 20 "$work/apt.log")"
printf '# Carpex 1.0.0\nlanguage en\nseed 1\nframes 2\n' >"$root/tmp/round.replay"
type=$(in_root xdg-mime query filetype /tmp/round.replay)
[[ $type == application/x-carpex-replay ]] || fail "xdg-mime says a recording is '$type'"
opener=$(in_root xdg-mime query default application/x-carpex-replay)
[[ $opener == carpex.desktop ]] || fail "a recording opens with '$opener', not the game"
echo "a recording is $type, opened by $opener"

# The screen's pixels are in a file (Xvfb -fbdir), read from outside. The root
# has a network of its own, so that its X server and the machine's cannot
# share a display's abstract socket.
setsid unshare --net chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin /bin/sh -c '
  Xvfb -displayfd 3 -screen 0 640x480x24 -fbdir /tmp -nolisten tcp 3>/tmp/display 2>/tmp/xvfb.log &
  for i in $(seq 100); do [ -s /tmp/display ] && break; sleep 0.1; done
  DISPLAY=:$(head -n 1 /tmp/display) /usr/games/carpex >/tmp/game.out 2>/tmp/game.err
  echo "game ended: status $?" >>/tmp/game.err' &
session=$!

printf 'language en\nseed 1\nframes 2\nshot level.ppm\n' | "$replay" --shots "$work" - >/dev/null
differ=""
for _ in $(seq 150); do
  if [[ -s $root/tmp/Xvfb_screen0 ]] && grep -q . "$root/tmp/display" 2>/dev/null; then
    differ=$(compare -metric AE "xwd:$root/tmp/Xvfb_screen0" "$work/level.ppm" null: 2>&1) || true
    [[ $differ == 0 ]] && break
  fi
  kill -0 "$session" 2>/dev/null || break
  sleep 0.2
done
cp "$root/tmp/Xvfb_screen0" "$out/level-screen.xwd" 2>/dev/null || true
[[ $differ == 0 ]] || fail "the level screen is not shown pixel for pixel (${differ:-no picture}):
$(cat "$root/tmp/xvfb.log" "$root/tmp/game.err" 2>/dev/null)"
echo "/usr/games/carpex in the root shows the level screen, pixel-identical to carpex-replay's"
echo "PASS"
