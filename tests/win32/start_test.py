#!/usr/bin/env python3
"""riderozad.exe without what it needs. Copied alone into a folder whose
name is not ASCII, on a display that cannot give it its full-screen
1024x768 device (an X server of the test's own, 800x600), it shows one
message box that says what is missing, for a player who started it from
Explorer and sees no standard error; the folder's name comes out intact
there as on standard error, and the game exits with 1 once the box is
closed. Without its music file, and with a stand-in xinput1_4.dll beside it
that Wine is told to prefer wherever it finds one (as Windows searches a
program's folder first), it says it has no music as the Linux game does,
loads no XInput but the system's, and plays on; Alt+F4 ends it with 0. Runs
inside the Wine session (tests/win32/wine_session.sh)."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
import picture  # noqa: E402
import xsession  # noqa: E402
from picture import Picture  # noqa: E402
from wine_game import SessionScreen, WineGame, drive_from_title, windows_named  # noqa: E402
from xsession import TestFailure, wait_for  # noqa: E402

BOX_TITLE = "Riderozad"
NO_MUSIC = "music: M.mp3 cannot be played; the game runs without music"
# Greek, Czech and Japanese: outside every single-byte code page at once.
FOLDER_NAME = "Hra Ωμέγα žluťoučký 車"


def check_no_device(server, game_path, box_text, out_dir):
    top = tempfile.mkdtemp(prefix="riderozad-no-device-")
    folder = os.path.join(top, FOLDER_NAME)
    os.mkdir(folder)
    shutil.copy(game_path, folder)
    game = WineGame(server, os.path.join(folder, os.path.basename(game_path)))
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
        reader = subprocess.run(["wine", box_text, BOX_TITLE], env=server.env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, timeout=60)
        shown = reader.stdout.decode("utf-8", errors="replace")
        for where, text in (("standard error", said), ("the message box", shown)):
            if FOLDER_NAME not in text:
                raise TestFailure(f"{where} does not name the folder {FOLDER_NAME!r} intact:\n"
                                  f"{text}")
        server.run("xdotool", "windowfocus", "--sync", boxes[0])
        server.run("xdotool", "key", "Return")
        code = game.wait_exit(20)
        if code != 1:
            raise TestFailure(f"exit code {code} after the box, not 1")
        print(f"ok: one message box (kept as {path}) naming {FOLDER_NAME!r} intact, then exit "
              "code 1; standard error said:")
        print("  " + "\n  ".join(line for line in said.splitlines()
                                 if line.startswith("riderozad:")))
    finally:
        game.close()
        shutil.rmtree(top, ignore_errors=True)


def check_no_music(server, game_path, planted_xinput):
    folder = tempfile.mkdtemp(prefix="riderozad-no-music-")
    game = None
    try:
        source = os.path.dirname(game_path)
        for name in ("Data", "L.wp", "R.wp", os.path.basename(game_path)):
            if os.path.isdir(os.path.join(source, name)):
                shutil.copytree(os.path.join(source, name), os.path.join(folder, name))
            else:
                shutil.copy(os.path.join(source, name), folder)
        shutil.copy(planted_xinput, os.path.join(folder, "xinput1_4.dll"))
        game = WineGame(server, os.path.join(folder, os.path.basename(game_path)),
                        {"WINEDLLOVERRIDES": "xinput1_4=n,b"})
        window = game.window_ids(timeout=60)[0]
        drive_from_title(server, window, "the game without music")
        said = [line for line in game.output().splitlines()
                if line.startswith(("riderozad:", "music:"))]
        if NO_MUSIC not in said:
            raise TestFailure(f"without M.mp3 the game did not say {NO_MUSIC!r}:\n"
                              + "\n".join(said))
        pads = [line for line in said if "gamepad" in line]
        if pads:
            raise TestFailure("the game loaded the xinput1_4.dll beside it:\n" + "\n".join(pads))
        server.run("xdotool", "windowfocus", "--sync", window)
        server.run("xdotool", "key", "alt+F4")
        code = game.wait_exit(20)
        if code != 0:
            raise TestFailure(f"Alt+F4: exit code {code}")
        print("ok: without M.mp3 the game says so and plays on, with no XInput from its own "
              "folder; Alt+F4 exits 0:")
        print("  " + "\n  ".join(said))
    finally:
        if game:
            game.close()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--box-text", required=True, help="the message box reader .exe")
    parser.add_argument("--planted-xinput", required=True, help="the stand-in XInput DLL")
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    if "DISPLAY" not in os.environ or "WINEPREFIX" not in os.environ:
        print("start_test.py runs inside tests/win32/wine_session.sh", file=sys.stderr)
        return 2
    os.makedirs(args.out, exist_ok=True)
    game_path = os.path.abspath(args.game)
    try:
        small = xsession.XServer(800, 600)
        try:
            check_no_device(small, game_path, os.path.abspath(args.box_text), args.out)
        finally:
            small.close()
        check_no_music(SessionScreen(os.environ["DISPLAY"]), game_path,
                       os.path.abspath(args.planted_xinput))
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
