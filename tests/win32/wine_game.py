"""riderozad.exe started by wine, for the tests that run inside the Wine
session (tests/win32/wine_session.sh)."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import views  # noqa: E402
import xsession  # noqa: E402
from picture import Picture, is_sky  # noqa: E402


class SessionScreen(xsession.XServer):
    """The X server the Wine session already runs."""

    def __init__(self, display):
        self.display = display

    def close(self):
        pass


def windows_named(server, name):
    """Ids of the visible windows titled name."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{name}$"],
                            env=server.env(), stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=10)
    return result.stdout.decode().split()


class WineGame(xsession.Game):
    """The game started by wine from an empty folder of its own, so that it
    must move to its own folder to find its files, with its command line
    args; extra_env is added to the X server's environment."""

    def __init__(self, server, executable, extra_env=None, args=()):
        self.server = server
        self.folder = tempfile.mkdtemp(prefix="riderozad-wine-")
        self.log = open(os.path.join(self.folder, "output.txt"), "w+b")
        self.game_folder = os.path.dirname(executable)
        env = server.env()
        env.update(extra_env or {})
        self.files_before = self.files()
        self.process = subprocess.Popen(["wine", executable, *args], cwd=self.folder, env=env,
                                        stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT)

    def files(self):
        """Every file in the start folder and the game's, with its size and
        time of change."""
        found = {}
        for top in (self.folder, self.game_folder):
            for folder, _, names in os.walk(top):
                for name in names:
                    path = os.path.join(folder, name)
                    if path != self.log.name:
                        st = os.stat(path)
                        found[path] = (st.st_size, st.st_mtime_ns)
        return found


def drive_from_title(server, window, who):
    """Waits for the title screen in the game's window, then holds Enter
    until the driving view shows; who names the game in failures."""
    xsession.wait_for(lambda: views.title_shown(Picture(server.screenshot())), 30,
                      f"{who} showed no title screen")
    server.run("xdotool", "windowfocus", "--sync", window)
    server.run("xdotool", "keydown", "Return")
    try:
        xsession.wait_for(
            lambda: Picture(server.screenshot()).share(views.SKY_BAND, is_sky) > 0.6, 10,
            f"Enter did not bring up the driving view of {who}")
    finally:
        server.run("xdotool", "keyup", "Return")
