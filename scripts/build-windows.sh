#!/usr/bin/env bash
# Builds the Windows game with mingw-w64 into build-win64/ and packs
# build-win64/riderozad-<version>-win64.zip for Windows players. Installs the
# Debian packages it needs when they are missing (through sudo when not run
# as root). With --test it then runs the Windows tests under Wine and Xvfb.
#
# RIDEROZAD_WIN_BUILD_DIR picks another build folder.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_WIN_BUILD_DIR:-$root/build-win64}"
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

if [[ ! -f "$build_dir/build.ninja" ]]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$build_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}"
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

if ((run_tests)); then
  RZ_WIN_BUILD_DIR="$build_dir" "$root/tests/win32/wine_session.sh" \
    ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)"
fi
