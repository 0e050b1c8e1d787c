#!/usr/bin/env python3
"""riderozad.exe --window under Wine: a window inside the 1024x768 screen,
drawn by a windowed device; Alt+Enter goes to the full-screen 1024x768
device and back through the device's own reset, and the drive goes on (the
car keeps its place and speed, which the game's own reset after a lost
device would not keep). Escape ends it with 0. Runs inside the Wine session
(tests/win32/wine_session.sh)."""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
import picture  # noqa: E402
from picture import Picture, changed_share, is_sky  # noqa: E402
from views import DIAL, GREY, SKY_BAND, VIEW, is_needle, title_shown  # noqa: E402
from window_options_test import picture_box  # noqa: E402
from wine_game import SessionScreen, WineGame  # noqa: E402
from xsession import TestFailure, wait_for  # noqa: E402

FULL = (0, 0, 1024, 768)


def view(server, window):
    """The game's picture in its window, at the game's size."""
    return picture.game_view(Picture(server.screenshot()),
                             picture_box(server.window_geometry(window)))


def driving(pic):
    return pic if pic.share(SKY_BAND, is_sky) > 0.6 and pic.where_exact(GREY)[0] < 100 else None


def needle_off(pic, rest):
    angle = picture.axis_angle(pic, DIAL, is_needle)
    return None if angle is None else abs(angle - rest)


def play(server, game):
    window = game.window_ids(timeout=60)[0]
    wait_for(lambda: title_shown(view(server, window)), 30, "no title screen in the window")
    # Shaped by the device: as large as the screen has room for, at 4:3.
    x, y, w, h = server.window_geometry(window)
    print(f"  --window: a window of {w}x{h} at {x},{y}")
    if w >= 1024 or h >= 768 or w < 640 or abs(w * 3 - h * 4) > 4:
        raise TestFailure(f"--window gave a window of {w}x{h} on the 1024x768 screen")
    server.run("xdotool", "windowfocus", "--sync", window)
    server.run("xdotool", "keydown", "Return")
    try:
        wait_for(lambda: driving(view(server, window)), 15, "Enter did not start the drive")
    finally:
        server.run("xdotool", "keyup", "Return")
    time.sleep(1.0)  # the car settles at the start
    start = view(server, window)
    rest = picture.axis_angle(start, DIAL, is_needle)
    server.run("xdotool", "keydown", "Up")
    try:
        wait_for(lambda: (needle_off(view(server, window), rest) or 0) >= 35, 30,
                 "the needle did not swing while driving")
    finally:
        server.run("xdotool", "keyup", "Up")
    for what, full in (("full screen", True), ("a window again", False)):
        server.run("xdotool", "key", "alt+Return")
        wait_for(lambda: (server.window_geometry(window) == FULL) == full, 15,
                 f"Alt+Enter did not give {what}")
        time.sleep(0.3)  # a lost device would have been seen by now
        pic = wait_for(lambda: driving(view(server, window)), 15, f"no driving view in {what}")
        swing, moved = needle_off(pic, rest), changed_share(start, pic, VIEW)
        print(f"  {what}: {server.window_geometry(window)}, needle {swing} degrees off rest, "
              f"view {moved:.0%} unlike the start")
        if swing is None or swing < 5 or moved < 0.3:
            raise TestFailure(f"in {what} the car is not where it was, or has lost its speed")
    server.run("xdotool", "key", "Escape")
    code = game.wait_exit(30)
    if code != 0:
        raise TestFailure(f"Escape: exit code {code}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    args = parser.parse_args()
    if "DISPLAY" not in os.environ or "WINEPREFIX" not in os.environ:
        print("wine_window_test.py runs inside tests/win32/wine_session.sh", file=sys.stderr)
        return 2
    server = SessionScreen(os.environ["DISPLAY"])
    game = WineGame(server, os.path.abspath(args.game), args=("--window",))
    try:
        play(server, game)
        print("ok: a window, full screen with Alt+Enter and back, the drive going on")
    except TestFailure as failure:
        print(f"FAIL: {failure}\n{game.output()}", file=sys.stderr)
        return 1
    finally:
        game.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
