#!/usr/bin/env python3
"""The game and its display: with no display it refuses to start; when the
display goes away, while the game runs or while it stops, the game ends with
one line on standard error; SIGTERM and SIGINT end it even while the display
does not answer. Each end is waited for with a generous limit, and the time
it took is printed."""

import argparse
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession  # noqa: E402
from xsession import TestFailure  # noqa: E402

LIMIT = 30  # seconds; a game that misses it has hung, not run slowly


def ended(game, what, since):
    code = game.wait_exit(LIMIT)
    print(f"   {what}: ended with {code} after {time.monotonic() - since:.2f} s")
    return code


def new_lines(game, before):
    return game.output()[len(before):].splitlines()


def refuses_no_display(game_path):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    env["SDL_AUDIODRIVER"] = "dummy"
    # Unset, and a display number nothing listens on.
    for display in (None, ":4091"):
        if display:
            env["DISPLAY"] = display
        try:
            result = subprocess.run([game_path], env=env, stdout=subprocess.PIPE,
                                    stderr=subprocess.PIPE, timeout=LIMIT)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"DISPLAY={display}: still running after {LIMIT} s")
        err = result.stderr.decode(errors="replace")
        if result.returncode != 1 or "riderozad: no display" not in err:
            raise TestFailure(f"DISPLAY={display}: exit code {result.returncode}, "
                              f"standard error:\n{err}")


def signals_end_it_on_a_frozen_display(server, game_path):
    for sig in (signal.SIGTERM, signal.SIGINT):
        game = xsession.Game(server, game_path)
        try:
            game.window_ids()
            server.process.send_signal(signal.SIGSTOP)
            try:
                since = time.monotonic()
                game.process.send_signal(sig)
                ended(game, sig.name, since)
            finally:
                server.process.send_signal(signal.SIGCONT)
        finally:
            game.close()


def display_lost_while_running(server, game_path):
    game = xsession.Game(server, game_path)
    try:
        game.window_ids()
        before = game.output()
        since = time.monotonic()
        server.close()
        code = ended(game, "display lost while running", since)
        lines = new_lines(game, before)
        if code == 0 or len(lines) != 1 or not lines[0].startswith("riderozad: "):
            raise TestFailure(f"exit code {code}, new output {lines}")
    finally:
        game.close()


def display_lost_while_stopping(server, game_path, close_tool):
    """The window is closed and the server killed at once: the game is
    somewhere between the close and its last call to the display."""
    game = xsession.Game(server, game_path)
    try:
        ids = game.window_ids()
        before = game.output()
        server.run(close_tool, *ids)
        since = time.monotonic()
        server.process.kill()
        code = ended(game, "display lost while stopping", since)
        lines = new_lines(game, before)
        if code != 0 and (len(lines) != 1 or not lines[0].startswith("riderozad: ")):
            raise TestFailure(f"exit code {code}, new output {lines}")
    finally:
        game.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--close-tool", required=True)
    args = parser.parse_args()
    game_path = os.path.abspath(args.game)
    close_tool = os.path.abspath(args.close_tool)

    servers = []
    try:
        refuses_no_display(game_path)
        print("ok: with no display the game exits with 1 and says so")
        servers.append(xsession.XServer())
        signals_end_it_on_a_frozen_display(servers[-1], game_path)
        print("ok: SIGTERM and SIGINT end it while its display does not answer")
        display_lost_while_running(servers[-1], game_path)
        print("ok: losing the display while it runs ends it with one line")
        servers.append(xsession.XServer())
        display_lost_while_stopping(servers[-1], game_path, close_tool)
        print("ok: losing the display while it stops ends it")
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        for server in servers:
            server.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
