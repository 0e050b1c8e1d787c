#!/usr/bin/env python3
"""The real game in a real window: it covers the screen with its clear
colour, and both Escape and closing the window end it with exit code 0."""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from xsession import TestFailure  # noqa: E402

CLEAR_COLOUR = (0, 0, 0)
ROOT_COLOUR = (255, 255, 255)


def covers_screen(server, out_dir):
    """True once no root pixel is left and the clear colour fills at least
    nine tenths of the screen (title text may take the rest)."""
    width, height, pixels = server.screenshot()
    with open(os.path.join(out_dir, "e2e_window_last.ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + pixels)
    total = width * height
    if (width, height) != (xsession.SCREEN_WIDTH, xsession.SCREEN_HEIGHT):
        raise TestFailure(f"screen is {width}x{height}")
    if xsession.count_colour(pixels, ROOT_COLOUR) > 0:
        return False
    return xsession.count_colour(pixels, CLEAR_COLOUR) >= total * 9 // 10


def escape_quits(server, game_path, out_dir):
    game = xsession.Game(server, game_path)
    try:
        ids = game.window_ids()
        xsession.wait_for(lambda: covers_screen(server, out_dir), 20,
                          "the game's clear colour did not cover the screen")
        server.run("xdotool", "mousemove", "512", "384")
        server.run("xdotool", "windowfocus", "--sync", ids[0])
        server.run("xdotool", "key", "Escape")
        code = game.wait_exit(20)
        if code != 0:
            raise TestFailure(f"Escape: exit code {code}:\n{game.output()}")
    finally:
        game.close()


def closing_quits(server, game_path, close_tool):
    game = xsession.Game(server, game_path)
    try:
        ids = game.window_ids()
        server.run(close_tool, *ids)
        code = game.wait_exit(20)
        if code != 0:
            raise TestFailure(f"closing the window: exit code {code}:\n{game.output()}")
    finally:
        game.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--close-tool", required=True)
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    args.game = os.path.abspath(args.game)
    args.close_tool = os.path.abspath(args.close_tool)

    server = xsession.XServer()
    try:
        escape_quits(server, args.game, args.out)
        print("ok: covers the screen, Escape exits with 0")
        closing_quits(server, args.game, args.close_tool)
        print("ok: closing the window exits with 0")
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        server.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
