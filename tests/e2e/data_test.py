#!/usr/bin/env python3
"""Where the game finds its files. Started from a folder without them, the
built game uses the data beside it, an installed game (cmake --install into
a fresh prefix) uses its share/games/riderozad, and a game with no data
anywhere says where it looked and which files are missing, and still quits
cleanly on Escape."""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import views  # noqa: E402
import xsession  # noqa: E402
from picture import Picture, is_black, is_sky  # noqa: E402
from xsession import TestFailure  # noqa: E402

# What the game reads, relative to its data folder.
GAME_FILES = ["Data/car.x", "Data/sph.x", "Data/try.x", "Data/dir.x", "Data/mg.x",
              "Data/ford.x", "Data/honda.x", "Data/truck1.x", "Data/oct.x", "Data/honda2.x",
              "Data/skybox2.x", "L.wp", "R.wp", "M.mp3"]
INSTALLED = ["bin/riderozad", "bin/riderozad-xinfo", "bin/riderozad-replay",
             "share/applications/riderozad.desktop",
             "share/icons/hicolor/scalable/apps/riderozad.svg",
             "share/metainfo/riderozad.metainfo.xml", "share/man/man6/riderozad.6"] + [
    "share/games/riderozad/" + f for f in GAME_FILES]


def plays_from_anywhere(server, executable):
    """Starts executable from an empty folder: the title screen must come up
    with every file found (the title needs none of them, so Enter must bring
    the world up too), and Escape must end the game with 0."""
    game = xsession.Game(server, executable)
    try:
        game.window_ids()

        def title():
            pic = Picture(server.screenshot())
            return pic if views.title_shown(pic) else None

        pic = xsession.wait_for(title, 20, f"{executable} showed no title screen")
        problem = views.title_problem(pic)
        if problem:
            raise TestFailure(problem)
        complaints = [line for line in game.output().splitlines()
                      if "no Data folder" in line or "cannot open" in line]
        if complaints:
            raise TestFailure("the game did not find its files:\n" + "\n".join(complaints))
        server.run("xdotool", "mousemove", "512", "384")
        game.hold("Return", 0.4)
        xsession.wait_for(
            lambda: Picture(server.screenshot()).share(views.SKY_BAND, is_sky) > 0.6, 5,
            "Enter did not show the world")
        quit_with_escape(server, game)
    finally:
        game.close()


def quit_with_escape(server, game):
    server.run("xdotool", "mousemove", "512", "384")
    server.run("xdotool", "key", "Escape")
    code = game.wait_exit(20)
    if code != 0:
        raise TestFailure(f"Escape: exit code {code}:\n{game.output()}")


def check_installed(server, build_dir):
    prefix = tempfile.mkdtemp(prefix="riderozad-prefix-")
    try:
        result = subprocess.run(["cmake", "--install", build_dir, "--prefix", prefix],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        if result.returncode != 0:
            raise TestFailure(f"cmake --install failed:\n{result.stdout.decode()}")
        missing = [f for f in INSTALLED if not os.path.isfile(os.path.join(prefix, f))]
        if missing:
            raise TestFailure(f"not installed: {', '.join(missing)}")
        with open(os.path.join(prefix, "share/applications/riderozad.desktop")) as f:
            entry = f.read().splitlines()
        # The entry names the game by the path it was installed to, which
        # no PATH needs to hold.
        game = os.path.join(prefix, "bin/riderozad")
        for line in ["[Desktop Entry]", "Type=Application", f"Exec={game}",
                     f"TryExec={game}", "Icon=riderozad"]:
            if line not in entry:
                raise TestFailure(f"the menu entry lacks the line {line!r}")
        plays_from_anywhere(server, os.path.join(prefix, "bin/riderozad"))
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def check_no_data(server, game_path):
    """A copy of the game with no data anywhere near it."""
    lone = tempfile.mkdtemp(prefix="riderozad-lone-")
    try:
        executable = os.path.join(lone, "riderozad")
        shutil.copy(game_path, executable)
        game = xsession.Game(server, executable)
        try:
            game.window_ids()
            xsession.wait_for(lambda: "M.mp3" in game.output(), 20,
                              "the game did not report its missing files")
            xsession.wait_for(
                lambda: Picture(server.screenshot()).share((0, 0, 1024, 768), is_black) > 0.9, 10,
                "without data the screen did not turn to the black title screen")
            quit_with_escape(server, game)
            output = game.output()
        finally:
            game.close()
        looked = [game.folder, lone, os.path.join(os.path.dirname(lone), "share/games/riderozad")]
        said = next((line for line in output.splitlines() if "no Data folder" in line), "")
        for place in looked:
            if place not in said:
                raise TestFailure(f"the game did not say it looked in {place}:\n{output}")
        unnamed = [f for f in GAME_FILES if f not in output]
        if unnamed:
            raise TestFailure(f"missing files not reported: {', '.join(unnamed)}:\n{output}")
    finally:
        shutil.rmtree(lone, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--build-dir", required=True)
    args = parser.parse_args()
    game_path = os.path.abspath(args.game)

    server = xsession.XServer()
    try:
        plays_from_anywhere(server, game_path)
        print("ok: started from an empty folder, the built game finds the data beside it")
        check_installed(server, os.path.abspath(args.build_dir))
        print("ok: installed into a fresh prefix, the game finds its data from any folder")
        check_no_data(server, game_path)
        print("ok: with no data anywhere, it says where it looked and what is missing, "
              "and Escape exits with 0")
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        server.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
