#!/usr/bin/env python3
"""riderozad.exe on a display that cannot give it its full-screen 1024x768
device: a player who started it from Explorer sees no standard error, so
one message box must say what is missing, and the game must exit with 1
once it is closed. Runs inside the Wine session (tests/win32/wine_session.sh)
but on an X server of its own, 800x600."""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
import picture  # noqa: E402
import xsession  # noqa: E402
from picture import Picture  # noqa: E402
from wine_game import WineGame  # noqa: E402
from xsession import TestFailure, wait_for  # noqa: E402

BOX_TITLE = "Riderozad"


def windows_named(server, name):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                            env=server.env(), stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=10)
    return result.stdout.decode().split()


def check(server, game_path, out_dir):
    game = WineGame(server, game_path)
    try:
        def box():
            if game.process.poll() is not None:
                raise TestFailure(f"the game ended with {game.process.returncode} and showed "
                                  f"no message box:\n{game.output()}")
            return windows_named(server, BOX_TITLE)

        boxes = wait_for(box, 60, f"no message box titled {BOX_TITLE!r}")
        if len(boxes) != 1:
            raise TestFailure(f"{len(boxes)} message boxes")
        pic = Picture(server.screenshot())
        path = os.path.join(out_dir, "win32_no_device_box.png")
        picture.write_png(pic, path)
        said = game.output()
        if "Direct3D 9" not in said or "1024x768" not in said:
            raise TestFailure(f"standard error does not say what is missing:\n{said}")
        server.run("xdotool", "windowfocus", "--sync", boxes[0])
        server.run("xdotool", "key", "Return")
        code = game.wait_exit(20)
        if code != 1:
            raise TestFailure(f"exit code {code} after the box, not 1")
        print(f"ok: one message box (kept as {path}), then exit code 1; standard error said:")
        print("  " + "\n  ".join(line for line in said.splitlines()
                                 if line.startswith("riderozad:")))
    finally:
        game.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    if "WINEPREFIX" not in os.environ:
        print("no_device_test.py runs inside tests/win32/wine_session.sh", file=sys.stderr)
        return 2
    os.makedirs(args.out, exist_ok=True)
    server = xsession.XServer(800, 600)
    try:
        check(server, os.path.abspath(args.game), args.out)
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        server.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
