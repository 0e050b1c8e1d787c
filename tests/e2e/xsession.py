"""A virtual X server of the test's own, the game started in it, and
screenshots read back as pixels. Standard library only."""

import os
import select
import shutil
import subprocess
import tempfile
import time

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768
WINDOW_CAPTION = "NALIK Application"


class TestFailure(Exception):
    pass


class XServer:
    """Xvfb on a free display number, with a white root window so that
    anything the game leaves uncovered shows. -noreset keeps the server
    from resetting when one run's last client leaves, which refuses the
    next run that connects meanwhile."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{width}x{height}x24", "-nolisten", "tcp", "-wr", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([read_end], [], [], left)[0]:
                break
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            self.close()
            raise TestFailure("Xvfb did not start")
        self.display = ":" + number.strip().decode()

    def env(self):
        env = dict(os.environ)
        env.update({"DISPLAY": self.display, "SDL_VIDEODRIVER": "x11",
                    "LIBGL_ALWAYS_SOFTWARE": "1"})
        env.setdefault("SDL_AUDIODRIVER", "dummy")
        return env

    def run(self, *args, timeout=10):
        """Runs an X client to its end; returns its standard output."""
        result = subprocess.run(list(args), env=self.env(), timeout=timeout,
                                stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        if result.returncode != 0:
            raise TestFailure(f"{args[0]} failed: {result.stderr.decode().strip()}")
        return result.stdout

    def screenshot(self):
        """The whole screen as (width, height, rgb bytes)."""
        return parse_ppm(self.run("import", "-window", "root", "-depth", "8", "ppm:-"))

    def start_window_manager(self):
        """Openbox, for runs that resize windows and switch them to full
        screen; waits until it has taken the screen."""
        self.wm = subprocess.Popen(["openbox"], env=self.env(), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        wait_for(lambda: b"window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"),
                 15, "the window manager did not start")

    def window_geometry(self, window):
        """(x, y, width, height) of a window's inside, on the screen."""
        info = self.run("xwininfo", "-id", window).decode()
        fields = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            fields[key] = value.strip()
        return tuple(int(fields[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                              "Width", "Height"))

    def close(self):
        wm = getattr(self, "wm", None)
        if wm and wm.poll() is None:
            wm.terminate()
            wm.wait()
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def parse_ppm(data):
    """Binary PPM (P6, 8 bits a channel) to (width, height, rgb bytes)."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        raise TestFailure("screenshot is not an 8-bit PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos:pos + width * height * 3]
    if len(pixels) != width * height * 3:
        raise TestFailure("screenshot is truncated")
    return width, height, pixels


def count_colour(pixels, rgb):
    """How many pixels of an rgb byte string are exactly rgb."""
    target = bytes(rgb)
    return sum(1 for i in range(0, len(pixels), 3) if pixels[i:i + 3] == target)


class Game:
    """The game started in a working folder: cwd, or else an empty folder of
    its own, with its command line args. extra_env is added to the X
    server's environment."""

    def __init__(self, server, executable, cwd=None, extra_env=None, args=()):
        self.server = server
        self.folder = tempfile.mkdtemp(prefix="riderozad-e2e-")
        self.log = open(os.path.join(self.folder, "output.txt"), "w+b")
        env = server.env()
        env.update(extra_env or {})
        self.process = subprocess.Popen([executable, *args], cwd=cwd or self.folder,
                                        env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

    def output(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def window_ids(self, timeout=20):
        """Waits for the game's window; returns the ids of windows with its
        caption."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise TestFailure(f"the game ended with {self.process.returncode} "
                                  f"before its window appeared:\n{self.output()}")
            result = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", f"^{WINDOW_CAPTION}$"],
                env=self.server.env(), stdout=subprocess.PIPE,
                stderr=subprocess.DEVNULL, timeout=10)
            ids = result.stdout.decode().split()
            if ids:
                return ids
            time.sleep(0.2)
        raise TestFailure(f"no window titled {WINDOW_CAPTION!r} within {timeout} s")

    def hold(self, key, seconds):
        """Holds key down for seconds: the game reads the keyboard once a
        frame, so a tap between two reads would go unseen."""
        self.server.run("xdotool", "keydown", key)
        try:
            time.sleep(seconds)
        finally:
            self.server.run("xdotool", "keyup", key)

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure(f"the game did not end within {timeout} s")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)


def wait_for(condition, timeout, what, interval=0.25):
    """Polls condition() every interval seconds until it returns a true
    value; returns that value."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        last = condition()
        if last:
            return last
        time.sleep(interval)
    raise TestFailure(f"{what} within {timeout} s")


def run_steps(play, steps):
    """Runs a played run's steps in order, each from an empty list of kept
    pictures, printing how long each took; a failing step keeps its pictures
    in the output folder and raises."""
    for step in steps:
        play.kept = []
        began = time.monotonic()
        try:
            step(play)
        except TestFailure:
            play.keep_failed_pictures(step.__name__)
            raise
        print(f"ok ({time.monotonic() - began:.1f} s): {step.__doc__.splitlines()[0]}")
