#!/usr/bin/env bash
# Builds the Debian package build/riderozad_<version>_amd64.deb: the game in
# /usr/games, its data in /usr/share/games/riderozad, the menu entry, icon,
# AppStream metadata, manual pages and the modders' tools. Compiled with
# Debian's hardening flags in a build folder of its own (build-deb/), with
# the version of the top CMakeLists.txt and the library dependencies that
# dpkg-shlibdeps finds.
#
#   scripts/package-deb.sh [FOLDER]
#
# RIDEROZAD_BUILD_DIR picks another build folder (default: build/); the
# package is compiled in that folder's name + "-deb" and written into FOLDER
# (default: the build folder), which is made when it is missing, as it is in
# a fresh clone.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$(realpath -m "${RIDEROZAD_BUILD_DIR:-$root/build}")"
out_dir="$(realpath -m "${1:-$build_dir}")"
deb_build="$build_dir-deb"
# Laid out as dpkg-shlibdeps expects: a source tree whose debian/control names
# the package, staged in debian/riderozad with its DEBIAN folder.
tree="$deb_build/package"
stage="$tree/debian/riderozad"

"$root/scripts/setup.sh" --packages-only
umask 022
cd "$root"

# Debian's compiler and linker flags, hardening included; CMake reads no
# CPPFLAGS, so they go in with the compiler flags.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$deb_build" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  -DRIDEROZAD_TESTS=OFF -DRIDEROZAD_BENCH=OFF >/dev/null
cmake --build "$deb_build" --target riderozad xinfo replay rz_assets

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$deb_build/CMakeCache.txt")"
if [[ ! "$version" =~ ^[0-9]+(\.[0-9]+)*$ ]]; then
  echo "package-deb: no project version in CMakeLists.txt (found '$version')" >&2
  exit 1
fi
arch="$(dpkg --print-architecture)"
deb="$out_dir/riderozad_${version}_${arch}.deb"

rm -rf "$tree"
DESTDIR="$stage" cmake --install "$deb_build" >/dev/null
for program in riderozad riderozad-xinfo riderozad-replay; do
  strip --strip-unneeded --remove-section=.comment --remove-section=.note \
    "$stage/usr/games/$program"
done
gzip -9n "$stage"/usr/share/man/man6/*.6

# Dates come from the last commit, so the same checkout gives the same
# package.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}"
maintainer="Riderozad developers <riderozad@example.org>"
doc="$stage/usr/share/doc/riderozad"
mkdir -p "$doc"
cp "$root/packaging/debian/copyright" "$doc/copyright"
cat >"$deb_build/changelog" <<CHANGELOG
riderozad ($version) unstable; urgency=medium

  * Release $version, built from the project's own sources.

 -- $maintainer  $(date -R -u -d "@$SOURCE_DATE_EPOCH")
CHANGELOG
gzip -9n <"$deb_build/changelog" >"$doc/changelog.gz"
find "$stage" -exec touch --no-dereference -d "@$SOURCE_DATE_EPOCH" {} +

mkdir -p "$stage/DEBIAN"
printf 'Source: riderozad\n\nPackage: riderozad\nArchitecture: any\n' >"$tree/debian/control"
shlibs="$(cd "$tree" && dpkg-shlibdeps -O "$stage"/usr/games/riderozad \
  "$stage"/usr/games/riderozad-xinfo "$stage"/usr/games/riderozad-replay)"
shlibs="${shlibs#shlibs:Depends=}"

(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
# Besides the libraries it links, the game loads libGL at run time (through
# libepoxy) and draws its title in a font that fontconfig finds.
cat >"$stage/DEBIAN/control" <<CONTROL
Package: riderozad
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $shlibs, libgl1, fonts-dejavu-core
Section: games
Priority: optional
Description: first-person driving game on a country track
 Riderozad is a small first-person driving game: you sit in the driver's
 seat and steer with the arrow keys along a textured country track among
 nine traffic cars, with music.
 .
 Every model, texture, lane file and tune is made by the game's own
 generator, and each can be replaced by a file of your own; the tools
 riderozad-xinfo and riderozad-replay help to check them.
CONTROL

mkdir -p "$out_dir"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "package-deb: $deb"
