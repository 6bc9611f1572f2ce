#!/usr/bin/env bash
# Builds the downloads of the checked-out commit into dist/:
#   carpex-VERSION-windows-x86.zip, carpex-VERSION-windows-x64.zip
#       carpex.exe (i686 or x86_64, stripped), README.txt, LICENSE.txt
#   carpex_VERSION_ARCH.deb       the Linux game with its AppStream metadata,
#                                 checked with lintian and appstreamcli
#   carpex-VERSION-web.zip        the web page's own files, each but the icons
#                                 also brotli- and gzip-compressed beside it
#   SHA256SUMS
# The same commit gives the same bytes: every time stamp is the commit's
# (SOURCE_DATE_EPOCH), entries are sorted, and no path of this machine is
# built in. The Windows trees are build/win-i686 and build/win-x86_64 (as the
# test command uses them), the Linux one build/deb, the web one build/web.
#
# With --partial (the test command's way) it installs nothing and builds the
# downloads whose tools are on the machine, saying which it leaves out and why.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
# The cross compilers of the downloads, without what runs their programs.
DEPS_GROUP[compilers]="g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix
  mingw-w64-x86-64-dev emscripten"
partial=0
if [[ ${1:-} == --partial ]]; then
  partial=1
  ensure_groups build
else
  ensure_groups build release compilers
fi
# can_build DOWNLOAD PACKAGE...: whether the packages it is made with are
# installed; under --partial, one that cannot be made is said and left out.
can_build() {
  local download=$1 missing
  shift
  missing=$(missing_packages "$@" | paste -sd ' ' -)
  [[ -z $missing ]] && return 0
  echo "release.sh: $download is not built: $missing is not installed" >&2
  [[ -z ${CARPEX_NOT_TESTED:-} ]] || echo "$download: not built, $missing is not installed" >>"$CARPEX_NOT_TESTED"
  return 1
}
can_build "any download" git zip || exit 1

version=$(sed -n 's/^project(Carpex VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "release.sh: no version in CMakeLists.txt's project()" >&2; exit 1; }
maintainer="The Carpex developers <carpex@users.noreply.github.com>"
jobs=$(nproc)

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C.UTF-8
umask 022
if [[ -n $(git status --porcelain --untracked-files=no) ]]; then
  echo "release.sh: the working tree has changes; the downloads are not those of $(git rev-parse --short HEAD)" >&2
fi

stage=$PWD/build/dist-stage
rm -rf dist "$stage"
mkdir -p dist "$stage"

# Every file and folder under $1 stamped with the commit's time.
stamp() { find "$1" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +; }
# zip OUT DIR: the files under DIR, sorted, without extra attributes or folders.
pack() {
  local out=$1 dir=$2
  stamp "$dir"
  (cd "$dir" && find . -type f | sed 's|^\./||' | sort | zip -q -X -9 -D "$out" -@)
}

for arch in i686 x86_64; do
  name=x64
  [[ $arch == i686 ]] && name=x86
  can_build "the $name Windows download" "g++-mingw-w64-${arch//_/-}-posix" "mingw-w64-${arch//_/-}-dev" ||
    continue
  echo "== Windows build ($arch)"
  cmake -S . -B "build/win-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-$arch.cmake"
  cmake --build "build/win-$arch" -j "$jobs"
  cmake --install "build/win-$arch" --prefix "$stage/win-$arch" --strip >/dev/null
  pack "$PWD/dist/carpex-$version-windows-$name.zip" "$stage/win-$arch"
done

if can_build "the Linux package" dpkg-dev xz-utils lintian desktop-file-utils appstream; then
echo "== Linux package"
# With Debian's hardening: fortified functions, stack protector, read-only
# relocations bound at start.
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARPEX_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)"
cmake --build build/deb -j "$jobs" --target carpex carpex-package-files
root=$stage/deb
DESTDIR=$root cmake --install build/deb --prefix /usr --strip >/dev/null
strip --remove-section=.comment "$root/usr/games/carpex"
package=platform/sdl/package
arch=$(dpkg --print-architecture)
fill() {
  sed -e "s|@VERSION@|$version|g" -e "s|@ARCH@|$arch|g" -e "s|@MAINTAINER@|$maintainer|g" \
    -e "s|@DATE@|$(date -R --date="@$SOURCE_DATE_EPOCH")|g" \
    -e "s|@ISO_DATE@|$(date -u +%F --date="@$SOURCE_DATE_EPOCH")|g" "$@"
}
fill "$package/changelog.in" | gzip -9n >"$root/usr/share/doc/carpex/changelog.gz"
# What software centres show of it, the release being this commit.
mkdir -p "$root/usr/share/metainfo"
fill "$package/carpex.metainfo.xml.in" >"$root/usr/share/metainfo/example.carpex.carpex.metainfo.xml"
# dpkg-shlibdeps reads the package's name from a source tree's control file.
mkdir -p "$stage/source/debian"
printf 'Source: carpex\n\nPackage: carpex\nArchitecture: any\n' >"$stage/source/debian/control"
depends=$(cd "$stage/source" && dpkg-shlibdeps -O -e"$root/usr/games/carpex" 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')
[[ -n $depends ]] || { echo "release.sh: dpkg-shlibdeps found no dependencies" >&2; exit 1; }
# As dpkg-gencontrol counts it: KiB a file, rounded up, and one a folder.
size=$(cd "$root" && find usr \( -type f -printf '%s\n' \) -o \( -type d -printf '1024\n' \) |
  awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }')
mkdir -p "$root/DEBIAN"
fill "$package/control.in" | sed -e "s|@SIZE@|$size|" -e "s|@DEPENDS@|$depends|" >"$root/DEBIAN/control"
(cd "$root" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
stamp "$root"
deb=dist/carpex_${version}_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
desktop-file-validate "$root/usr/share/applications/carpex.desktop"
# Offline: the homepage and the screenshots are the project's site's.
echo "appstreamcli validate-tree --pedantic $root:"
appstreamcli validate-tree --pedantic --no-net "$root" ||
  { echo "release.sh: the AppStream metadata is not valid" >&2; exit 1; }
echo "lintian $deb:"
lintian --fail-on error --info "$deb" || { echo "release.sh: lintian found errors" >&2; exit 1; }
fi

if can_build "the web download" emscripten brotli; then
  echo "== Web page"
  scripts/web.sh --no-serve
  cmake --install build/web --prefix "$stage/web" >/dev/null
  # Compressed copies beside every file but the icons (PNG is compressed
  # already), at each format's best, for a server that sends them as they are.
  for file in "$stage"/web/*; do
    [[ $file == *.png ]] && continue
    gzip -9nk "$file"
    brotli -Zk "$file"
  done
  pack "$PWD/dist/carpex-$version-web.zip" "$stage/web"
fi

(cd dist && shopt -s nullglob && files=(*) && sha256sum -- "${files[@]}" </dev/null >SHA256SUMS)
echo "== dist/ (commit $(git rev-parse --short HEAD), $(date -u --date="@$SOURCE_DATE_EPOCH" '+%F %T') UTC)"
(cd dist && for file in *; do printf '%10d  %s\n' "$(stat -c %s "$file")" "$file"; done && cat SHA256SUMS)
