#!/usr/bin/env bash
# Sets everything up, checks the formatting and runs every test. Exits
# non-zero when anything fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_BUILD_DIR:-$root/build}"

# Each part says how long it took, to see where CI's time goes.
part_start=$SECONDS
took() {
  echo "test: $1 took $((SECONDS - part_start)) s" >&2
  part_start=$SECONDS
}

"$root/scripts/setup.sh"
took "set-up and the Linux build"

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
took "the Linux tests"
# Everything runs once more under the address and undefined-behaviour
# sanitizers: the tests that need an X server only with
# RIDEROZAD_SANITIZE_ALL=1, to keep CI short. What system libraries keep to
# the end is listed, library by library, in tests/sanitizer/lsan.supp.
asan_dir="$build_dir-asan"
if [[ ! -f "$asan_dir/build.ninja" ]]; then
  # -O1 with line tables only: what the sanitizers need for their reports,
  # at much less compile time than the full debug information.
  cmake -S "$root" -B "$asan_dir" -G Ninja -DRIDEROZAD_SANITIZE=ON -DRIDEROZAD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
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
took "the sanitizer build and tests"
# The Debian package: built, linted, installed, played and removed again.
if ! "$root/tests/deb/check_package.sh"; then
  status=1
fi
took "the Debian package"
# The Windows game, cross-built with mingw-w64, and its tests under Wine.
if ! "$root/scripts/build-windows.sh" --test; then
  echo "test: the Windows build or its tests fail" >&2
  status=1
fi
took "the Windows build and tests"
# The web game, built with emscripten, and its tests under node.
if ! "$root/scripts/build-web.sh" --test; then
  echo "test: the web build or its tests fail" >&2
  status=1
fi
took "the web build and tests"
exit "$status"
