#!/usr/bin/python3
"""report_in_browser.py WEB_BUILD: the frame report's page
(WEB_BUILD/bench/frame_report/report.html) in headless Chromium on
SwiftShader, with the browser's frame limit lifted; prints the report as the
native one prints it and exits with its status.

Built first with: cmake --build WEB_BUILD --target frame_report"""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "browser"))
from devtools import Chromium, PageServer  # noqa: E402

# The drive is 1,250 frames and some 600 more; SwiftShader on two cores
# draws a few dozen a second, and fewer beside other work.
LIMIT_S = 900
EXIT = "frame report exit "
LAST = "start-up with the first scene set-up"


def main():
    if len(sys.argv) != 2:
        print("usage: report_in_browser.py WEB_BUILD", file=sys.stderr)
        return 2
    folder = os.path.join(sys.argv[1], "bench", "frame_report")
    if not os.path.isfile(os.path.join(folder, "frame_report.js")):
        print(f"report_in_browser: {folder}/frame_report.js is not built "
              f"(cmake --build {sys.argv[1]} --target frame_report)", file=sys.stderr)
        return 1
    log = tempfile.NamedTemporaryFile(prefix="riderozad-report-server-", delete=False)
    server = PageServer(folder, log.name)
    browser = Chromium(["--disable-frame-rate-limit", "--disable-gpu-vsync"])
    try:
        browser.open(server.address + "report.html")
        shown = 0
        end = time.monotonic() + LIMIT_S
        while time.monotonic() < end:
            browser.listen(5)
            for line in browser.console[shown:]:
                if line.startswith(EXIT):
                    return int(line[len(EXIT):])
                print(line, flush=True)
                # A page whose main returned after waiting for animation
                # frames may never call onExit: the report's last line ends it.
                if line.startswith(LAST):
                    return 0
            shown = len(browser.console)
        print(f"report_in_browser: no end of the report in {LIMIT_S} s", file=sys.stderr)
        return 1
    finally:
        browser.close()
        server.close()
        os.unlink(log.name)


if __name__ == "__main__":
    sys.exit(main())
