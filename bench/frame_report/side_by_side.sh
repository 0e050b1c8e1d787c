#!/usr/bin/env bash
# side_by_side.sh [LINUX_BUILD [WINDOWS_BUILD [WEB_BUILD]]]: the frame
# report's drive on the Linux game's GL device, on the Windows game's
# Direct3D 9 device under Wine and, where the web build is there, on WebGL2
# in headless Chromium (SwiftShader, frame limit lifted), one after the
# other on this machine, with the reports and their frame rates side by
# side. Builds default to build/, build-win64/ and build-web/; the web
# page's report is built here when the web build is.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
linux_build="${1:-$root/build}"
windows_build="${2:-$root/build-win64}"
web_build="${3:-$root/build-web}"
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
reports=(linux windows)
names=("Linux GL" "Windows D3D9 (Wine)")
if [[ -f "$web_build/build.ninja" ]]; then
  if ! cmake --build "$web_build" --target frame_report >"$out/web.err" 2>&1 ||
    ! "$root/bench/frame_report/report_in_browser.py" "$web_build" \
      >"$out/web.txt" 2>>"$out/web.err"; then
    cat "$out/web.err" >&2
    exit 1
  fi
  reports+=(web)
  names+=("WebGL2 (Chromium)")
fi
titles=("Linux: GL device" "Windows under Wine: Direct3D 9 device"
  "Web: WebGL2 in headless Chromium")
for i in "${!reports[@]}"; do
  echo "== ${titles[i]}"
  cat "$out/${reports[i]}.txt"
done
echo "== Side by side"
# field counted from the end of a row: fps, median ms, p95 ms.
column() { awk -v row="$2" -v back="$3" 'index($0, row) == 1 { print $(NF - back) }' "$1"; }
printf '%-20s' ""
printf ' %22s' "${names[@]}"
echo
for row in "scripted drive" "clear and present"; do
  printf '%-20s' "$row"
  for report in "${reports[@]}"; do printf ' %18s fps' "$(column "$out/$report.txt" "$row" 4)"; done
  printf '\n%-20s' ""
  for report in "${reports[@]}"; do printf ' %15s ms p50' "$(column "$out/$report.txt" "$row" 3)"; done
  echo
done
