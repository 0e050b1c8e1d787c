#!/bin/sh
# Runs the full-screen checks of sdl_gl_tests on a virtual X server of their
# own, wider than the game's picture, so that the bars show. -noreset: each
# test closes its connection, and a server resetting after the last client
# refuses the next test that connects.
set -u
tests=$1
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$fdfile"' EXIT
for _ in $(seq 100); do
  [ -s "$fdfile" ] && break
  sleep 0.05
done
if [ ! -s "$fdfile" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
DISPLAY=:$(head -n1 "$fdfile") SDL_VIDEODRIVER=x11 RZ_XVFB_TEST=1 \
  "$tests" --gtest_filter='FullScreen*'
