#!/usr/bin/env bash
# Builds the game for the web with emscripten into build-web/ and packs
# build-web/riderozad-<version>-web.zip: the page, its loader, the
# WebAssembly and the data package. Installs the Debian packages it needs
# when they are missing (through sudo when not run as root). With --test it
# then runs the web tests under node.
#
# RIDEROZAD_WEB_BUILD_DIR picks another build folder. The generator and the
# Linux replay are taken from the Linux build of this tree
# (RIDEROZAD_BUILD_DIR, default build/) when there is one, else built in
# build-web/native.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_WEB_BUILD_DIR:-$root/build-web}"
linux_dir="${RIDEROZAD_BUILD_DIR:-$root/build}"
run_tests=0
case "${1:-}" in
--test) run_tests=1 ;;
"") ;;
*)
  echo "usage: build-web.sh [--test]" >&2
  exit 2
  ;;
esac

"$root/scripts/install-packages.sh" "$root/scripts/packages-web.txt"
# emscripten's JavaScript tools find their node modules (acorn) here, and
# Debian's emscripten runs on Debian's Python: a python3 found first on the
# PATH (a version manager's shim) only slows each of its hundreds of calls.
export NODE_PATH=/usr/share/nodejs
export EMSDK_PYTHON=/usr/bin/python3

if [[ ! -f "$build_dir/build.ninja" ]]; then
  native=()
  if [[ -f "$linux_dir/build.ninja" ]] &&
    grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$linux_dir/CMakeCache.txt"; then
    native=(-DRZ_NATIVE_BUILD_DIR="$linux_dir")
  fi
  # emcmake would name node with a flag that node 20 refuses.
  emscripten="$(dirname "$(readlink -f "$(command -v emcc)")")"
  cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$emscripten/cmake/Modules/Platform/Emscripten.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR=node "${native[@]}"
fi
cmake --build "$build_dir"

# The page as built: whichever of its four files there are, nothing else.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build_dir/CMakeCache.txt")"
name="riderozad-$version-web"
zip="$build_dir/$name.zip"
rm -rf "$build_dir/package" "$zip"
files=()
for file in index.html riderozad.js riderozad.wasm riderozad.data; do
  [[ -f "$build_dir/web/$file" ]] && files+=("$build_dir/web/$file")
done
if ((${#files[@]} > 0)); then
  mkdir -p "$build_dir/package/$name"
  cp "${files[@]}" "$build_dir/package/$name/"
  (cd "$build_dir/package" && cmake -E tar cf "$zip" --format=zip "$name")
  echo "build-web: wrote $zip"
else
  echo "build-web: no page in $build_dir/web, so no zip"
fi

if ((run_tests)); then
  ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)"
fi
