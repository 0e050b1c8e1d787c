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
# The .x reader takes files from anyone, so its tests run once more under the
# address and undefined-behaviour sanitizers.
asan_dir="$build_dir-asan"
if [[ ! -f "$asan_dir/build.ninja" ]]; then
  cmake -S "$root" -B "$asan_dir" -G Ninja -DRIDEROZAD_SANITIZE=ON -DRIDEROZAD_BENCH=OFF
fi
if ! cmake --build "$asan_dir" --target xfile_tests xinfo ||
  ! "$asan_dir/tests/xfile/xfile_tests" --gtest_brief=1 ||
  ! ctest --test-dir "$asan_dir" -R '^xinfo[.]' --output-on-failure --no-tests=error; then
  echo "test: the .x reader fails under the sanitizers" >&2
  status=1
fi
# The Windows game, cross-built with mingw-w64, and its tests under Wine.
if ! "$root/scripts/build-windows.sh" --test; then
  echo "test: the Windows build or its tests fail" >&2
  status=1
fi
exit "$status"
