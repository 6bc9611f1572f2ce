# Sourced by the other scripts: makes sure the Debian packages a command needs
# are installed. Packages come in groups, one for each part of the project:
#
#   build       the Linux game
#   tests       the native tests, the virtual X server and its tools, the fuzzers
#   windows-64  the x86_64 Windows program: its cross compiler, Wine and wine64
#   windows-32  the i686 Windows program: its cross compiler and Wine's 32-bit loader
#   web         the page: Emscripten, and the browsers and Node.js that test it
#   release     the downloads: the Debian package's tools, zip and brotli
#
# ensure_groups REQUIRED... [--optional GROUP...]: as root, installs what is
# missing with apt-get; otherwise prints the install line of each group that
# is not complete. A package mirror has bad days (an index of the wrong size
# while it syncs, packages that need versions it no longer has), so a failed
# `apt-get update` is retried and then passed over, and a group that apt cannot
# install is reported once and left out, its packages tried one by one so that
# what can be installed is. Only a required group that stays incomplete stops
# the script; what needs an optional one is skipped by the tests, with the
# reason.

declare -A DEPS_GROUP=(
  [build]="cmake ninja-build g++ pkg-config libsdl2-dev libfreetype-dev fonts-wqy-zenhei"
  [tests]="clang-format clang-tidy libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb
    xauth xdotool imagemagick openbox x11-utils x11-apps debootstrap unzip"
  [windows-64]="g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64"
  # The i686 game runs under Wine's 32-bit loader, whose DirectDraw needs the
  # 32-bit Mesa GL for its video-memory surfaces.
  [windows-32]="g++-mingw-w64-i686-posix mingw-w64-i686-dev wine32:i386 libgl1-mesa-dri:i386
    libglx-mesa0:i386"
  # Emscripten builds the page; the browser tests run it in headless Chromium
  # and Firefox, driven from Node.js by puppeteer-core (installed by npm).
  [web]="emscripten chromium firefox-esr nodejs npm"
  # The commit's time, the Debian package and its checks (appstream for its
  # software-centre metadata), the zips and the web page's brotli copies.
  [release]="git dpkg-dev xz-utils lintian desktop-file-utils appstream zip brotli"
)

# What this run and the scripts it starts have already tried and could not
# install, one "group|packages|apt's reason" a line: asked again, it is
# reported as missing without another attempt.
export CARPEX_DEPS_FAILED=${CARPEX_DEPS_FAILED:-}

package_installed() {
  # No pipe into an early-exiting reader here: under pipefail the writer's
  # SIGPIPE would fail the test and count an installed package as missing.
  local status provides
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || status=
  [[ $status == "install ok installed" ]] && return 0
  # Or an installed package provides it (a Node.js build that carries its own npm).
  provides=$(dpkg-query -W -f='${Status}|${Provides}\n' 2>/dev/null |
    sed -n 's/^install ok installed|//p' | tr ',' '\n' | sed 's/^ *//; s/ .*//') || provides=
  grep -qxF -- "$1" <<<"$provides"
}

# The packages of the arguments that are not installed, one a line.
missing_packages() {
  local pkg
  for pkg in "$@"; do
    package_installed "$pkg" || echo "$pkg"
  done
}

# apt's own reason for a failure: its last "E:" line, without the "E: " and the full stop.
apt_reason() {
  local reason
  reason=$(sed -n 's/^E: //p' "$1" | tail -n 1)
  reason=${reason%.}
  echo "${reason:-apt-get failed without a message}"
}

apt_run() {
  # Wait for another apt run rather than fail on its lock.
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -q "$@"
}

# apt-get update, up to three times a few seconds apart. When it still fails,
# the run goes on with the package lists there are, saying in one line which
# index failed.
apt_update() {
  local log attempt failed
  log=$(mktemp)
  for attempt in 1 2 3; do
    if apt_run update >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [[ $attempt == 3 ]] || sleep "${CARPEX_APT_RETRY_SECONDS:-5}"
  done
  failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\) *\(.*\)$/\1 (\2)/p' "$log" | paste -sd ';' -)
  echo "deps: apt-get update failed 3 times; going on with the package lists there are." \
    "Failed: ${failed:-$(apt_reason "$log")}" >&2
  rm -f "$log"
}

# The foreign architectures (i386 of wine32:i386) of the arguments that dpkg does not know yet.
new_architectures() {
  local known pkg
  known=$(dpkg --print-foreign-architectures)
  for pkg in "$@"; do
    if [[ $pkg == *:* ]] && ! grep -qxF -- "${pkg##*:}" <<<"$known"; then echo "${pkg##*:}"; fi
  done | sort -u
}

# deps_install GROUP PKG...: installs them as one; when apt cannot, each alone.
# What is still missing is left in DEPS_LEFT, with apt's reason in DEPS_REASON.
deps_install() {
  local group=$1 log pkg
  shift
  DEPS_LEFT=() DEPS_REASON=
  log=$(mktemp)
  echo "Installing ($group): $*"
  if apt_run install -y "$@" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  DEPS_REASON=$(apt_reason "$log")
  for pkg in "$@"; do
    apt_run install -y "$pkg" >"$log" 2>&1 || DEPS_LEFT+=("$pkg")
  done
  rm -f "$log"
  [[ ${#DEPS_LEFT[@]} -eq 0 ]]
}

# ensure_groups REQUIRED... [--optional GROUP...]
ensure_groups() {
  local required=() optional=() group pkg optional_now=0
  for group in "$@"; do
    if [[ $group == --optional ]]; then
      optional_now=1
    elif ((optional_now)); then
      optional+=("$group")
    else
      required+=("$group")
    fi
  done
  # The missing packages of each group, leaving out what was tried already.
  local -A missing=()
  local wanted=() tried
  tried=$(cut -d'|' -f2 <<<"$CARPEX_DEPS_FAILED" | tr ' ' '\n')
  for group in "${required[@]}" "${optional[@]}"; do
    [[ -n ${DEPS_GROUP[$group]+set} ]] || { echo "deps: no group '$group'" >&2; exit 2; }
    local left=()
    for pkg in $(missing_packages ${DEPS_GROUP[$group]}); do
      grep -qxF -- "$pkg" <<<"$tried" || left+=("$pkg")
    done
    [[ ${#left[@]} -eq 0 ]] && continue
    missing[$group]="${left[*]}"
    wanted+=("${left[@]}")
  done

  if [[ ${#wanted[@]} -gt 0 ]]; then
    if [[ $(id -u) -eq 0 ]]; then
      local added=() arch
      mapfile -t added < <(new_architectures "${wanted[@]}")
      for arch in "${added[@]}"; do dpkg --add-architecture "$arch"; done
      apt_update
      for group in "${required[@]}" "${optional[@]}"; do
        [[ -n ${missing[$group]:-} ]] || continue
        # shellcheck disable=SC2086
        deps_install "$group" ${missing[$group]} && continue
        if [[ " ${required[*]} " == *" $group "* ]]; then
          echo "deps: apt could not install ${DEPS_LEFT[*]} ($group): $DEPS_REASON." \
            "Cannot go on without them." >&2
          exit 1
        fi
        echo "deps: apt could not install ${DEPS_LEFT[*]} ($group): $DEPS_REASON." \
          "Going on without them." >&2
        CARPEX_DEPS_FAILED+="$group|${DEPS_LEFT[*]}|$DEPS_REASON"$'\n'
      done
      # An architecture added for nothing would only make every later
      # `apt-get update` on this machine fetch (and maybe fail on) its indexes.
      for arch in "${added[@]}"; do
        [[ -n $(dpkg-query -W -f='${Package}\n' "*:$arch" 2>/dev/null) ]] ||
          dpkg --remove-architecture "$arch"
      done
    else
      echo "These packages are missing. Install the groups you want with:" >&2
      for group in "${required[@]}" "${optional[@]}"; do
        [[ -n ${missing[$group]:-} ]] || continue
        local line="sudo apt-get update && " arch
        for arch in $(new_architectures ${missing[$group]}); do
          line="sudo dpkg --add-architecture $arch && $line"
        done
        printf '  # %s\n  %ssudo apt-get install -y %s\n' "$group" "$line" "${missing[$group]}" >&2
        CARPEX_DEPS_FAILED+="$group|${missing[$group]}|not installed, and not root to install it"$'\n'
      done
    fi
  fi

  # A required group still incomplete stops the script here.
  for group in "${required[@]}"; do
    local still
    still=$(missing_packages ${DEPS_GROUP[$group]} | paste -sd ' ' -)
    [[ -z $still ]] && continue
    echo "deps: cannot go on without $still ($group)" >&2
    exit 1
  done
}

# ensure_packages PKG...: these packages or stop, for the tools a script needs
# whatever the group (the X server of the pace probe).
ensure_packages() {
  DEPS_GROUP[needed]="$*"
  ensure_groups needed
}
