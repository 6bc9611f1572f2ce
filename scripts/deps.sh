# Sourced by the other scripts: makes sure the Debian packages a command needs
# are installed. As root it installs what is missing with apt-get; otherwise it
# prints the exact install line and stops.
package_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed" && return 0
  # Or an installed package provides it (a Node.js build that carries its own npm).
  dpkg-query -W -f='${Status}|${Provides}\n' 2>/dev/null | sed -n 's/^install ok installed|//p' |
    tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qxF "$1"
}

ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    package_installed "$pkg" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    # Wait for another apt run rather than fail on its lock.
    apt-get -o DPkg::Lock::Timeout=900 update -q
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -q "${missing[@]}"
  else
    echo "These packages are needed. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
}

BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libsdl2-dev libfreetype-dev fonts-wqy-zenhei)
TEST_PACKAGES=(clang-format libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth
  xdotool imagemagick openbox x11-utils)
WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-i686-dev
  mingw-w64-x86-64-dev wine wine64)
# The web page: Emscripten builds it; the browser test runs it in headless
# Chromium, driven from Node.js by puppeteer-core (installed by npm).
WEB_PACKAGES=(emscripten chromium nodejs npm)
