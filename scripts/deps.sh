# Sourced by the other scripts: makes sure the Debian packages a command needs
# are installed. As root it installs what is missing with apt-get; otherwise it
# prints the exact install line and stops.
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

ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    package_installed "$pkg" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  # A package of another architecture (wine32:i386) needs that architecture
  # known to dpkg first.
  local arches=() arch
  for pkg in "${missing[@]}"; do
    [[ $pkg == *:* ]] || continue
    arch=${pkg##*:}
    grep -qxF -- "$arch" <<<"$(dpkg --print-foreign-architectures; printf '%s\n' "${arches[@]}")" ||
      arches+=("$arch")
  done
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    for arch in "${arches[@]}"; do dpkg --add-architecture "$arch"; done
    # Wait for another apt run rather than fail on its lock.
    apt-get -o DPkg::Lock::Timeout=900 update -q
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q "${missing[@]}"
  else
    echo "These packages are needed. Install them with:" >&2
    local line=""
    for arch in "${arches[@]}"; do line+="sudo dpkg --add-architecture $arch && "; done
    echo "  ${line}sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libsdl2-dev libfreetype-dev fonts-wqy-zenhei)
TEST_PACKAGES=(clang-format libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth
  xdotool imagemagick openbox x11-utils debootstrap unzip)
# The i686 game runs under Wine's 32-bit loader, whose DirectDraw needs the
# 32-bit Mesa GL for its video-memory surfaces.
MINGW_PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-i686-dev
  mingw-w64-x86-64-dev)
WINDOWS_PACKAGES=("${MINGW_PACKAGES[@]}" wine wine64 wine32:i386 libgl1-mesa-dri:i386
  libglx-mesa0:i386)
# The web page: Emscripten builds it; the browser tests run it in headless
# Chromium and Firefox, driven from Node.js by puppeteer-core (installed by npm).
WEB_PACKAGES=(emscripten chromium firefox-esr nodejs npm)
# The downloads (scripts/release.sh): the commit's time, the Debian package and
# its checks, the zips.
RELEASE_PACKAGES=(git dpkg-dev xz-utils lintian desktop-file-utils zip)
