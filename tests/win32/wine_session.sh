#!/usr/bin/env bash
# wine_session.sh CMD [ARGS...]: runs CMD inside a ready Wine session and
# passes its exit code back.
#
# CMD gets this environment:
#   DISPLAY          a private Xvfb, exactly 1024x768x24 (the full-screen
#                    Direct3D 9 device needs that one mode), -noreset
#   WINEPREFIX       $RZ_WINE_DIR/prefix, booted, with its wineserver running
#   HOME             $RZ_WINE_DIR/home; its .asoundrc sends ALSA's default
#                    device to a null sink, so DirectShow can play music
#   XDG_RUNTIME_DIR  $RZ_WINE_DIR/run (mode 700)
#   WINEDEBUG=-all
#   RZ_WINE_SESSION=1, so that a nested call just runs its command
# and a hidden keep-alive window (tests/win32/keepalive.c) is up, so that no
# program waits for Wine's services to start again. Run a Windows program
# with `wine PROGRAM.exe`; CMake's tests do so themselves.
#
# RZ_WIN_BUILD_DIR is the Windows build folder (default: build-win64/ in the
# source tree); RZ_WINE_DIR is the session's private folder (default:
# $RZ_WIN_BUILD_DIR/wine). Sessions on one RZ_WINE_DIR run one at a time.
# RZ_WINE_FRESH=1 makes the session's prefix and home anew.
# At the end every Wine process of the prefix and the Xvfb are ended.
set -uo pipefail

if (($# == 0)); then
  echo "usage: wine_session.sh CMD [ARGS...]" >&2
  exit 2
fi
if [[ "${RZ_WINE_SESSION:-}" == 1 ]]; then
  exec "$@"
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build_dir="${RZ_WIN_BUILD_DIR:-$root/build-win64}"
wine_dir="${RZ_WINE_DIR:-$build_dir/wine}"
mkdir -p "$wine_dir"
wine_dir="$(cd "$wine_dir" && pwd)"

# One session per prefix at a time: two would share one wineserver, and the
# first to finish would end the other's programs.
exec 9>"$wine_dir/lock"
if ! flock -w 1800 9; then
  echo "wine_session: $wine_dir is still in use by another session" >&2
  exit 1
fi
[[ "${RZ_WINE_FRESH:-}" == 1 ]] && rm -rf "$wine_dir/prefix" "$wine_dir/home"
mkdir -p "$wine_dir/prefix" "$wine_dir/home" "$wine_dir/run"
chmod 700 "$wine_dir/home" "$wine_dir/run"

export WINEPREFIX="$wine_dir/prefix" HOME="$wine_dir/home" XDG_RUNTIME_DIR="$wine_dir/run"
export WINEDEBUG=-all RZ_WINE_SESSION=1
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"

fdfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
xvfb=$!
finish() {
  wineserver -k >/dev/null 2>&1
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  rm -f "$fdfile"
}
trap 'finish; exit 130' INT TERM
for _ in $(seq 200); do
  [[ -s "$fdfile" ]] && break
  sleep 0.05
done
if [[ ! -s "$fdfile" ]]; then
  echo "wine_session: Xvfb did not start" >&2
  finish
  exit 1
fi
DISPLAY=":$(head -n1 "$fdfile")"
export DISPLAY

# Wine's background processes must not hold CMD's output open (ctest would
# wait for them), so each is started with no standard streams of ours.
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  # The .NET and HTML engines are not needed and would ask to be installed.
  if ! WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot --init </dev/null >/dev/null 2>&1; then
    echo "wine_session: wineboot failed in $WINEPREFIX" >&2
    finish
    exit 1
  fi
  wineserver -w
fi
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
keepalive="$build_dir/tests/win32/rz_keepalive.exe"
if [[ -f "$keepalive" ]]; then
  wine "$keepalive" </dev/null >/dev/null 2>&1 &
else
  echo "wine_session: $keepalive is not built; programs may stall while Wine restarts" >&2
fi

"$@"
status=$?
finish
exit "$status"
