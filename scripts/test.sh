#!/usr/bin/env bash
# Sets everything up, checks the formatting and runs every test. Exits
# non-zero when anything fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"

status=0
cd "$root"
mapfile -d '' sources < <(find src tools tests bench -type f \
  \( -name '*.cpp' -o -name '*.hpp' -o -name '*.h' -o -name '*.c' -o -name '*.cc' \) -print0)
if ((${#sources[@]} > 0)) && ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "test: some files are not formatted; run clang-format -i on them" >&2
  status=1
fi

if ! ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)"; then
  status=1
fi
# Everything runs once more under the address and undefined-behaviour
# sanitizers: the tests that need an X server only with
# RIDEROZAD_SANITIZE_ALL=1, to keep CI short. What system libraries keep to
# the end is listed, library by library, in tests/sanitizer/lsan.supp.
asan_dir="$build_dir-asan"
if [[ ! -f "$asan_dir/build.ninja" ]]; then
  cmake -S "$root" -B "$asan_dir" -G Ninja -DRIDEROZAD_SANITIZE=ON -DRIDEROZAD_BENCH=OFF
fi
asan_skip=(-LE xserver)
[[ "${RIDEROZAD_SANITIZE_ALL:-0}" == 1 ]] && asan_skip=()
if ! cmake --build "$asan_dir" ||
  ! LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0" \
    ctest --test-dir "$asan_dir" "${asan_skip[@]}" --output-on-failure --no-tests=error \
    -j "$(nproc)"; then
  echo "test: some tests fail under the sanitizers" >&2
  status=1
fi
# The Debian package: built, linted, installed, played and removed again.
if ! "$root/tests/deb/check_package.sh"; then
  status=1
fi
# The Windows game, cross-built with mingw-w64, and its tests under Wine.
if ! "$root/scripts/build-windows.sh" --test; then
  echo "test: the Windows build or its tests fail" >&2
  status=1
fi
# The web game, built with emscripten, and its tests under node.
if ! "$root/scripts/build-web.sh" --test; then
  echo "test: the web build or its tests fail" >&2
  status=1
fi
exit "$status"
