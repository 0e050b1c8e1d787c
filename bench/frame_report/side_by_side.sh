#!/usr/bin/env bash
# side_by_side.sh [LINUX_BUILD [WINDOWS_BUILD]]: the frame report's drive on
# the Linux game's GL device and on the Windows game's Direct3D 9 device
# under Wine, one after the other on this machine, with both reports and
# their frame rates side by side. Builds default to build/ and build-win64/.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
linux_build="${1:-$root/build}"
windows_build="${2:-$root/build-win64}"
linux="$linux_build/bench/frame_report/frame_report"
windows="$windows_build/bench/frame_report/frame_report.exe"
for program in "$linux" "$windows"; do
  if [[ ! -x "$program" && ! -f "$program" ]]; then
    echo "side_by_side: $program is not built" >&2
    exit 1
  fi
done

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$linux" >"$out/linux.txt" 2>"$out/linux.err" || {
  cat "$out/linux.err" >&2
  exit 1
}
RZ_WIN_BUILD_DIR="$windows_build" "$root/tests/win32/wine_session.sh" \
  wine "$windows" >"$out/windows.txt" 2>"$out/windows.err" || {
  cat "$out/windows.err" >&2
  exit 1
}
echo "== Linux: GL device"
cat "$out/linux.txt"
echo "== Windows under Wine: Direct3D 9 device"
cat "$out/windows.txt"
echo "== Side by side"
# field counted from the end of a row: fps, median ms, p95 ms.
column() { awk -v row="$2" -v back="$3" 'index($0, row) == 1 { print $(NF - back) }' "$1"; }
printf '%-20s %22s %22s\n' "" "Linux GL" "Windows D3D9 (Wine)"
for row in "scripted drive" "clear and present"; do
  printf '%-20s %18s fps %18s fps\n' "$row" "$(column "$out/linux.txt" "$row" 4)" \
    "$(column "$out/windows.txt" "$row" 4)"
  printf '%-20s %15s ms p50 %15s ms p50\n' "" "$(column "$out/linux.txt" "$row" 3)" \
    "$(column "$out/windows.txt" "$row" 3)"
done
