#!/usr/bin/env python3
"""Makes the README's screenshot from the game itself: the built game on a
virtual X server of its own, a few seconds of driving down the first
straight, and the screen as a PNG.

    scripts/screenshot.py [--game build/run/riderozad] [--out docs/screenshot.png]

Without --game it first sets everything up as scripts/play.sh does, so that
it works from a fresh clone.
"""

import argparse
import os
import subprocess
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
import picture  # noqa: E402
import xsession  # noqa: E402


def main():
    build = os.environ.get("RIDEROZAD_BUILD_DIR", os.path.join(root, "build"))
    parser = argparse.ArgumentParser()
    parser.add_argument("--game")
    parser.add_argument("--out", default=os.path.join(root, "docs", "screenshot.png"))
    args = parser.parse_args()
    if args.game is None:
        if subprocess.run([os.path.join(root, "scripts", "setup.sh")]).returncode != 0:
            print("screenshot: scripts/setup.sh failed", file=sys.stderr)
            return 1
        args.game = os.path.join(build, "run", "riderozad")
    game_path = os.path.abspath(args.game)
    if not os.path.isfile(game_path):
        print(f"screenshot: no game at {game_path}", file=sys.stderr)
        return 1

    server = xsession.XServer()
    game = None
    try:
        game = xsession.Game(server, game_path, cwd=os.path.dirname(game_path))
        game.window_ids()
        time.sleep(1)
        server.run("xdotool", "mousemove", "512", "384")
        game.hold("Return", 0.4)
        game.hold("Up", 3.0)
        time.sleep(0.5)
        os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
        picture.write_png(picture.Picture(server.screenshot()), args.out)
        server.run("xdotool", "key", "Escape")
        game.wait_exit(5)
    except xsession.TestFailure as failure:
        print(f"screenshot: {failure}", file=sys.stderr)
        return 1
    finally:
        if game:
            game.close()
        server.close()
    print(f"screenshot: {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
