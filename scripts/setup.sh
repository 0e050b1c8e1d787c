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

missing=()
while read -r line; do
  package="${line%%#*}"
  package="${package//[[:space:]]/}"
  [[ -z "$package" ]] && continue
  if ! dpkg -s "$package" 2>/dev/null | grep -q '^Status: install ok installed$'; then
    missing+=("$package")
  fi
done <"$root/scripts/packages.txt"

if ((${#missing[@]} > 0)); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [[ "$(id -u)" != 0 ]]; then
    if ! command -v sudo >/dev/null; then
      echo "setup: missing packages (${missing[*]}) and no sudo to install them" >&2
      exit 1
    fi
    sudo_cmd=(sudo)
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y -o DPkg::Lock::Timeout=900 "${missing[@]}"
fi
[[ "${1:-}" == --packages-only ]] && exit 0

if [[ ! -f "$build_dir/build.ninja" ]]; then
  cmake -S "$root" -B "$build_dir" -G Ninja
fi
cmake --build "$build_dir"
# The game runs in here: the executable and the generated Data/, L.wp, R.wp
# and M.mp3 are placed by the build itself.
mkdir -p "$build_dir/run"
