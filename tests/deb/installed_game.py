#!/usr/bin/env python3
"""The installed game, started from an empty folder of its own under a
virtual X server: the title screen shows with every file found, Enter brings
the driving view, Escape ends it with 0."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import data_test  # noqa: E402
import xsession  # noqa: E402


def main():
    game = sys.argv[1]
    server = xsession.XServer()
    try:
        data_test.plays_from_anywhere(server, game)
    except xsession.TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        server.close()
    print(f"ok: {game} from an empty folder: title, driving view, exit 0 on Escape")
    return 0


if __name__ == "__main__":
    sys.exit(main())
