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
exit "$status"
