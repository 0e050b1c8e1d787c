#!/usr/bin/env bash
# play-web.sh [PORT]: builds the web game (scripts/build-web.sh) and serves
# its page on 127.0.0.1 (port 8000 unless named) until Ctrl+C.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${RIDEROZAD_WEB_BUILD_DIR:-$root/build-web}"
port="${1:-8000}"

"$root/scripts/build-web.sh"
if [[ ! -f "$build_dir/web/index.html" ]]; then
  echo "play-web: no page was built in $build_dir/web" >&2
  exit 1
fi
echo "play-web: open http://127.0.0.1:$port/ in a browser; Ctrl+C stops the server"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$build_dir/web"
