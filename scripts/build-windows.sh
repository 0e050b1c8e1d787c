#!/usr/bin/env bash
# Builds the Windows game with mingw-w64 into build-win64/ and packs it for
# Windows players twice: build-win64/riderozad-<version>-win64.zip and the
# installer build-win64/riderozad-<version>-win64-setup.exe. Installs the
# Debian packages it needs when they are missing (through sudo when not run
# as root). With --test it then runs the Windows tests under Wine and Xvfb.
# Runs from any folder, on a fresh clone too.
#
# RIDEROZAD_WIN_BUILD_DIR picks another build folder.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$(realpath -m "${RIDEROZAD_WIN_BUILD_DIR:-$root/build-win64}")"
run_tests=0
case "${1:-}" in
--test) run_tests=1 ;;
"") ;;
*)
  echo "usage: build-windows.sh [--test]" >&2
  exit 2
  ;;
esac

lists=("$root/scripts/packages-windows.txt")
((run_tests)) && lists+=("$root/scripts/packages-windows-test.txt")
"$root/scripts/install-packages.sh" "${lists[@]}"

# What Debian has for the build machine only, laid out for the Windows
# build, which takes it through the same variables as a build on Windows:
# meshoptimizer's source (the version the Linux build links), a folder of
# stb's image headers alone, and googletest built for Windows.
deps="$build_dir/_deps"
mkdir -p "$deps/stb"
[[ -f "$deps/meshoptimizer/src/meshoptimizer.h" ]] ||
  "$root/scripts/fetch-debian-source.sh" "$deps" libmeshoptimizer-dev
for header in stb_image.h stb_image_write.h; do
  ln -sf "/usr/include/stb/$header" "$deps/stb/$header"
done
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
gtest_config="$deps/googletest-windows/lib/cmake/GTest"
if [[ ! -f "$gtest_config/GTestConfig.cmake" ]]; then
  rm -rf "$deps/googletest-build"
  cmake -S /usr/src/googletest -B "$deps/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$deps/googletest-windows" >/dev/null
  cmake --build "$deps/googletest-build"
  cmake --install "$deps/googletest-build" >/dev/null
  rm -rf "$deps/googletest-build"
fi

# Configured anew when the build folder is new or was configured otherwise.
if [[ ! -f "$build_dir/build.ninja" ]] ||
  ! grep -qxF "RZ_STB_INCLUDE_DIR:PATH=$deps/stb" "$build_dir/CMakeCache.txt"; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DRZ_MESHOPT_SOURCE_DIR="$deps/meshoptimizer" -DRZ_STB_INCLUDE_DIR="$deps/stb" \
    -DGTest_DIR="$gtest_config" "${launcher[@]}"
fi
cmake --build "$build_dir"

run="$build_dir/run"
exe="$run/riderozad.exe"
if [[ ! -f "$exe" ]]; then
  echo "build-windows: $exe was not built" >&2
  exit 1
fi
echo "build-windows: riderozad.exe imports:"
"$root/tests/win32/check_imports.sh" "$exe"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build_dir/CMakeCache.txt")"
name="riderozad-$version-win64"
stage="$build_dir/package/$name"
rm -rf "$build_dir/package"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/riderozad.exe" "$exe"
cp -r "$run/Data" "$run/L.wp" "$run/R.wp" "$run/M.mp3" "$stage/"
rm -f "$stage/Data/.generated"
cp "$root/packaging/windows/README.txt" "$stage/README.txt"
zip="$build_dir/$name.zip"
rm -f "$zip"
(cd "$build_dir/package" && cmake -E tar cf "$zip" --format=zip "$name")
echo "build-windows: wrote $zip"
setup="$build_dir/$name-setup.exe"
"$root/packaging/windows/make_installer.sh" "$stage" "$version" \
  "$build_dir/resources/riderozad.ico" "$setup"
echo "build-windows: wrote $setup"

if ((run_tests)); then
  RZ_WIN_BUILD_DIR="$build_dir" "$root/tests/win32/wine_session.sh" \
    ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)"
fi
