"""Headless Chromium driven through the DevTools protocol, and the page
served to it: a web server and a browser of their own, each ended by its
process id (other programs on the machine run Chromium too), with a fresh
profile that is thrown away afterwards.

Only python3-websocket besides the standard library: no WebDriver, no npm.
Pictures come back as the e2e tests' Picture (tests/e2e/picture.py)."""

import argparse
import base64
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import urllib.request

import websocket

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from picture import Picture  # noqa: E402
from xsession import TestFailure, parse_ppm, wait_for  # noqa: E402

# The picture the game draws, and so the viewport the page is shown in.
WIDTH, HEIGHT = 1024, 768

# Keys as the page sees them: KeyboardEvent.code, .key and the Windows
# virtual-key code that Chromium puts in .keyCode.
KEYS = {
    "Enter": ("Enter", "Enter", 13),
    "Escape": ("Escape", "Escape", 27),
    "Up": ("ArrowUp", "ArrowUp", 38),
    "Down": ("ArrowDown", "ArrowDown", 40),
    "Left": ("ArrowLeft", "ArrowLeft", 37),
    "Right": ("ArrowRight", "ArrowRight", 39),
}

# A gamepad in the Gamepad API's "standard" layout, put in place of
# navigator.getGamepads before the page's own scripts run (headless Chromium
# has none). window.testPad.set(button, value) presses a button (an analogue
# trigger by its value), .stick(x) moves the left stick, .plug(false) pulls
# it out.
FAKE_GAMEPAD = """
(() => {
  const pad = {id: "Test pad (STANDARD GAMEPAD)", index: 0, connected: true,
               mapping: "standard", timestamp: 0, axes: [0, 0, 0, 0],
               buttons: Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}))};
  let plugged = true;
  window.testPad = {
    set(i, value) {
      pad.buttons[i] = {pressed: value > 0.5, touched: value > 0, value: value};
      pad.timestamp = performance.now();
    },
    stick(x) { pad.axes[0] = x; pad.timestamp = performance.now(); },
    plug(on) { plugged = on; pad.connected = on; },
  };
  navigator.getGamepads = () => [plugged ? pad : null, null, null, null];
})();
"""


def page_arguments(page_help, *more):
    """The browser tests' command line: --page (the folder served), --out
    (where a failure's pictures and logs go, made if missing) and the
    required options named in more, as (option, help) pairs."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True, help=page_help)
    for option, text in more:
        parser.add_argument(option, required=True, help=text)
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    return args


def start_process(args, **options):
    """Starts a program in a process group of its own, so that it can be
    ended with every process it started (a browser starts several)."""
    return subprocess.Popen(args, start_new_session=True, **options)


def end_process(process, grace=5):
    """Ends a process that start_process started, and its group, by its id,
    and waits for it."""
    try:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
    except ProcessLookupError:
        process.wait()


class PageServer:
    """python3 -m http.server on 127.0.0.1, on a port the system picks."""

    def __init__(self, folder, log_path):
        self.log = open(log_path, "wb")
        self.process = start_process(
            [sys.executable, "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
             "--directory", folder], stdout=subprocess.PIPE, stderr=self.log)
        # "Serving HTTP on 127.0.0.1 port 40123 (http://127.0.0.1:40123/) ..."
        line = self.process.stdout.readline().decode()
        words = line.split()
        if "port" not in words:
            self.close()
            raise TestFailure(f"the web server did not start: {line!r}")
        self.port = int(words[words.index("port") + 1])
        self.address = f"http://127.0.0.1:{self.port}/"

    def close(self):
        end_process(self.process)
        self.process.stdout.close()
        self.log.close()


class Chromium:
    """Debian's chromium, headless, WebGL2 on SwiftShader, one page driven
    through the DevTools protocol. extra_args go on its command line."""

    def __init__(self, extra_args=()):
        self.profile = tempfile.mkdtemp(prefix="riderozad-chromium-")
        args = ["chromium", "--headless=new", "--use-angle=swiftshader",
                "--enable-unsafe-swiftshader", "--remote-debugging-port=0",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run", "--no-default-browser-check",
                "--user-data-dir=" + self.profile, *extra_args, "about:blank"]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")  # Chromium's sandbox refuses root
        self.process = start_process(args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.ws = None
        self.next_id = 0
        self.console = []  # what the page wrote on its console, and its uncaught errors
        try:
            port_file = os.path.join(self.profile, "DevToolsActivePort")
            port = wait_for(lambda: self._read_port(port_file), 30,
                            "Chromium did not open its DevTools port", interval=0.05)
            self.port = port
            page = next(t for t in self.targets() if t["type"] == "page")
            self.target_id = page["id"]
            self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60,
                                                  suppress_origin=True)
            self.call("Page.enable")
            self.call("Runtime.enable")
        except BaseException:
            self.close()
            raise

    def _read_port(self, path):
        if self.process.poll() is not None:
            raise TestFailure(f"Chromium ended at once with {self.process.returncode}")
        try:
            with open(path) as f:
                first = f.readline().strip()
            return int(first) if first else None
        except (OSError, ValueError):
            return None

    def targets(self):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/list", timeout=10) as r:
            return json.load(r)

    def _note(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            self.console.append(" ".join(str(a.get("value", a.get("description", "")))
                                         for a in params.get("args", [])))
        elif method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            self.console.append("uncaught: " + str(details.get("exception", {}).get(
                "description", details.get("text", ""))))

    def call(self, method, **params):
        """One protocol command; its result, or TestFailure with its error."""
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise TestFailure(f"{method}: {message['error'].get('message')}")
                return message.get("result", {})
            self._note(message)

    def listen(self, seconds):
        """Notes what the page says for up to seconds, without asking it
        anything: a page too busy to answer still writes its console."""
        self.ws.settimeout(seconds)
        try:
            self._note(json.loads(self.ws.recv()))
        except websocket.WebSocketTimeoutException:
            pass
        finally:
            self.ws.settimeout(60)

    def evaluate(self, expression):
        """The value of a JavaScript expression in the page (a promise is
        awaited); a thrown error fails the test."""
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise TestFailure(f"{expression[:60]!r} threw: "
                              f"{result['exceptionDetails'].get('exception', {}).get('description')}")
        return result.get("result", {}).get("value")

    def open(self, url, before_scripts=()):
        """Shows url in a 1024x768 viewport that keeps the keyboard focus
        (a headless page has none otherwise), the scripts run first in
        every document."""
        self.call("Emulation.setDeviceMetricsOverride", width=WIDTH, height=HEIGHT,
                  deviceScaleFactor=1, mobile=False)
        self.call("Emulation.setFocusEmulationEnabled", enabled=True)
        for script in before_scripts:
            self.call("Page.addScriptToEvaluateOnNewDocument", source=script)
        self.call("Page.navigate", url=url)

    def frames(self, count):
        """Waits until the page has drawn count more animation frames: the
        game draws at most one frame in each."""
        self.evaluate("new Promise((done) => { let left = %d; const next = () => "
                      "--left > 0 ? requestAnimationFrame(next) : done(true); "
                      "requestAnimationFrame(next); })" % count)

    def key(self, name, down):
        code, key, virtual_key = KEYS[name]
        self.call("Input.dispatchKeyEvent", type="rawKeyDown" if down else "keyUp", code=code,
                  key=key, windowsVirtualKeyCode=virtual_key, nativeVirtualKeyCode=virtual_key)

    def screenshot(self, element="Module.canvas"):
        """The element as the page shows it, scaled to 1024x768."""
        box = self.evaluate(f"(() => {{ const r = {element}.getBoundingClientRect(); "
                            "return [r.x, r.y, r.width, r.height]; })()")
        x, y, width, height = box
        if width <= 0 or height <= 0:
            raise TestFailure(f"{element} is not on the page")
        png = base64.b64decode(self.call(
            "Page.captureScreenshot", format="png",
            clip={"x": x, "y": y, "width": width, "height": height, "scale": WIDTH / width})["data"])
        converted = subprocess.run(["convert", "png:-", "-depth", "8", "ppm:-"], input=png,
                                   stdout=subprocess.PIPE, check=True, timeout=30)
        pic = Picture(parse_ppm(converted.stdout))
        if (pic.width, pic.height) != (WIDTH, HEIGHT):
            raise TestFailure(f"the picture of {element} is {pic.width}x{pic.height}")
        return pic

    def close(self):
        if self.ws:
            self.ws.close()
        end_process(self.process)
        shutil.rmtree(self.profile, ignore_errors=True)
