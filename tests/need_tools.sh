# Sourced by the test scripts. need_tools TOOL...: the programs a test cannot
# run without; when one is missing the test is skipped (exit 77, which ctest
# counts as skipped), naming the package that brings it.
declare -A kToolPackage=(
  [Xvfb]=xvfb [openbox]=openbox [xdotool]=xdotool [xprop]=x11-utils [import]=imagemagick
  [compare]=imagemagick [xwd]=x11-apps [debootstrap]=debootstrap [chroot]=coreutils [unshare]=util-linux
  [setsid]=util-linux [unzip]=unzip [node]=nodejs [brotli]=brotli
)
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null && continue
    echo "skipped: $tool is not installed (package ${kToolPackage[$tool]:-$tool})"
    exit 77
  done
}
