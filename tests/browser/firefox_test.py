#!/usr/bin/env python3
"""Firefox ESR shows the game's title screen: the page served as a player
gets it, Firefox with a fresh profile, and the screen watched until the
grey and violet title texts are on it.

Headless Firefox offers no WebGL (`firefox --headless --screenshot` gets
the page's own "no WebGL2" message; with webgl.force-enabled it finds no GL
driver), so it runs in a window on a virtual X server of the test's own,
where Mesa's software renderer gives it WebGL2."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import devtools  # noqa: E402  (puts tests/e2e on the path)
import picture  # noqa: E402
import views  # noqa: E402
import xsession  # noqa: E402
from picture import Picture  # noqa: E402
from xsession import TestFailure, wait_for  # noqa: E402

# A fresh profile's first run, quietened: no welcome tab, no questions.
PREFERENCES = {
    "browser.aboutwelcome.enabled": "false",
    "browser.shell.checkDefaultBrowser": "false",
    "browser.startup.homepage_override.mstone": '"ignore"',
    "datareporting.policy.dataSubmissionEnabled": "false",
    "toolkit.telemetry.reportingpolicy.firstRun": "false",
    # The page's console on standard output, for a failure's report.
    "devtools.console.stdout.content": "true",
}


def title_drawn(pic):
    """The title texts in their colours, the violet one below the grey ones
    (the page's own text has a few pixels of the grey, none of the violet)."""
    if not views.title_shown(pic):
        return False
    grey = picture.centroid(pic, (0, 0, pic.width, pic.height), lambda p: p == views.GREY)
    violet = picture.centroid(pic, (0, 0, pic.width, pic.height), lambda p: p == views.VIOLET)
    return violet[1] > grey[1]


def main():
    args = devtools.page_arguments("the folder holding index.html")
    began = time.monotonic()
    profile = tempfile.mkdtemp(prefix="riderozad-firefox-")
    with open(os.path.join(profile, "user.js"), "w") as f:
        f.writelines(f'user_pref("{k}", {v});\n' for k, v in PREFERENCES.items())
    log_path = os.path.join(args.out, "browser_firefox.log")
    server = x = firefox = None
    last = []
    try:
        server = devtools.PageServer(os.path.abspath(args.page),
                                     os.path.join(args.out, "browser_firefox_server.log"))
        x = xsession.XServer()
        with open(log_path, "wb") as log:
            firefox = devtools.start_process(
                ["firefox", "--no-remote", "--profile", profile, "--kiosk",
                 server.address + "index.html"], env=x.env(), stdout=log,
                stderr=subprocess.STDOUT)

        def title():
            pic = Picture(x.screenshot())
            last[:] = [pic]
            return title_drawn(pic)

        wait_for(title, 120, "Firefox did not show the title screen", interval=0.5)
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        if last:
            path = os.path.join(args.out, "browser_firefox_screen.png")
            picture.write_png(last[0], path)
            print(f"  kept {path}; Firefox's output in {log_path}", file=sys.stderr)
        return 1
    finally:
        if firefox:
            devtools.end_process(firefox)
        if x:
            x.close()
        if server:
            server.close()
        shutil.rmtree(profile, ignore_errors=True)
    print(f"Firefox showed the title screen after {time.monotonic() - began:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
