#!/usr/bin/env bash
# Sets everything up, then starts the game in the folder it runs in.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_BUILD_DIR:-$root/build}"

"$root/scripts/setup.sh"
cd "$build_dir/run"
exec ./riderozad "$@"
