#!/usr/bin/env bash
# Installs whatever Debian packages are missing, configures and builds the
# game, its asset generator and its tests, and lays out the folder the game
# runs in. Safe to run again: it only does what is not yet done.
#
# RIDEROZAD_BUILD_DIR picks another build folder (default: build/);
# --packages-only stops once the packages are there.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_BUILD_DIR:-$root/build}"

"$root/scripts/install-packages.sh" "$root/scripts/packages.txt"
[[ "${1:-}" == --packages-only ]] && exit 0

if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S "$root" -B "$build_dir" -G Ninja
fi
cmake --build "$build_dir"
# The game runs in here: the executable and the generated Data/, L.wp, R.wp
# and M.mp3 are placed by the build itself.
mkdir -p "$build_dir/run"
