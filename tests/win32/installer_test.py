#!/usr/bin/env python3
"""The Windows installer in a Wine prefix made for this test, used as a
player would: a silent install for the current user; its files, its Start
Menu shortcut and its entry in the installed-apps list (read back with
`wine reg query`); the game started from that shortcut, Enter, the driving
view, Escape and exit code 0; a silent uninstall, after which the prefix's
files and registry are what they were before. Then an older version
installed with a desktop shortcut into a folder of the player's choosing,
and this version installed over it: it replaces the old one where it lay,
keeps the desktop shortcut, and its uninstaller again leaves nothing.
Runs inside tests/win32/wine_session.sh with RZ_WINE_FRESH=1."""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
from wine_game import SessionScreen, drive_from_title, windows_named  # noqa: E402
from xsession import WINDOW_CAPTION, TestFailure, wait_for  # noqa: E402

KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Riderozad"
UNINSTALLER = "Uninstall Riderozad.exe"
OLDER_VERSION = "0.0.1"
# Where a player might choose to put it on the directory page.
CHOSEN_FOLDER = r"C:\Games\Riderozad"


class Prefix:
    """The session's Wine prefix, with Wine's own menu entries for shortcuts
    turned off: they would land in the session's home, not in Windows."""

    def __init__(self):
        self.root = os.environ["WINEPREFIX"]
        self.env = dict(os.environ, WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self.start_menu_link = os.path.join(self.folder("APPDATA"), "Microsoft", "Windows",
                                            "Start Menu", "Programs", "Riderozad.lnk")
        self.desktop_link = os.path.join(self.folder("USERPROFILE"), "Desktop", "Riderozad.lnk")

    def wine(self, *args, timeout=120):
        result = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                timeout=timeout)
        return result.returncode, result.stdout.decode("utf-8", errors="replace")

    def unix(self, windows_path):
        result = subprocess.run(["winepath", "-u", windows_path], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        return result.stdout.decode().strip()

    def variable(self, name):
        """An environment variable as Windows programs see it."""
        return self.wine("cmd", "/c", f"echo %{name}%")[1].strip()

    def folder(self, variable):
        """A folder of the user's, as %variable% names it, on the Unix side."""
        return self.unix(self.variable(variable))

    def files(self):
        """Every file and folder of the prefix's drive."""
        found = set()
        top = os.path.join(self.root, "drive_c")
        for folder, dirs, names in os.walk(top):
            rel = os.path.relpath(folder, top)
            found.update(os.path.join(rel, d) + "/" for d in dirs)
            found.update(os.path.join(rel, n) for n in names)
        return found

    def registry(self):
        """Every key and value name under the current user's and the
        machine's keys, as `reg export` writes them."""
        lines = set()
        for hive in ("HKCU", "HKLM"):
            with tempfile.NamedTemporaryFile(suffix=".reg", dir=self.root) as out:
                code, _ = self.wine("reg", "export", hive, self.windows(out.name), "/y")
                if code != 0:
                    raise TestFailure(f"reg export {hive} failed")
                text = open(out.name, "rb").read().decode("utf-16", errors="replace")
            key = None
            for line in text.splitlines():
                if line.startswith("["):
                    key = line
                    lines.add(key)
                elif line.startswith(('"', "@")) and "=" in line:
                    lines.add(key + " " + line.split("=", 1)[0])
        return lines

    def windows(self, unix_path):
        result = subprocess.run(["winepath", "-w", unix_path], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=60)
        return result.stdout.decode().strip()

    def snapshot(self):
        return self.files(), self.registry()

    def uninstall_entry(self):
        """The installed-apps entry's values, {} when there is none."""
        code, out = self.wine("reg", "query", KEY)
        if code != 0:
            return {}
        values = {}
        for line in out.splitlines():
            m = re.match(r"\s+(\S+)\s+(REG_\w+)\s+(.*)$", line)
            if m:
                values[m.group(1)] = int(m.group(3), 16) if m.group(2) == "REG_DWORD" \
                    else m.group(3)
        return values


def read_shortcut(path):
    """(target, working folder) of a shell link (.lnk) file, as Windows
    paths: the target from its link information, the folder from its
    strings."""
    data = open(path, "rb").read()
    if len(data) < 76 or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise TestFailure(f"{path} is not a shortcut")
    flags = struct.unpack_from("<I", data, 20)[0]
    pos = 76
    if flags & 0x1:  # an item id list comes first
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x2:
        size, header_size, _, _, local = struct.unpack_from("<IIIII", data, pos)
        wide = struct.unpack_from("<I", data, pos + 28)[0] if header_size >= 0x24 else 0
        if wide:
            text = data[pos + wide:pos + size].decode("utf-16-le")
        else:
            text = data[pos + local:pos + size].decode("latin-1")
        target = text.split("\0", 1)[0]
        pos += size
    folder = None
    unicode = flags & 0x80
    for bit in (0x4, 0x8, 0x10):  # name, relative path, working folder
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0] * (2 if unicode else 1)
            text = data[pos + 2:pos + 2 + count].decode("utf-16-le" if unicode else "latin-1")
            pos += 2 + count
            if bit == 0x10:
                folder = text.rstrip("\0")
    return target, folder


def package_files(folder):
    """{path relative to folder: bytes} of every file under it."""
    found = {}
    for parent, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(parent, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder)] = f.read()
    return found


def install(prefix, setup, *options):
    began = time.monotonic()
    code, _ = prefix.wine(setup, "/S", *options)
    if code != 0:
        raise TestFailure(f"{os.path.basename(setup)} /S {' '.join(options)}: exit code {code}")
    return time.monotonic() - began


def check_installed(prefix, stage, version, location, desktop):
    """The files, the shortcuts and the installed-apps entry of one install
    in the Windows folder location."""
    entry = prefix.uninstall_entry()
    files = package_files(prefix.unix(location))
    uninstaller = files.pop(UNINSTALLER, None)
    wanted = {
        "DisplayName": "Riderozad",
        "DisplayVersion": version,
        "Publisher": "The Riderozad developers",
        "DisplayIcon": location + r"\riderozad.exe,0",
        "InstallLocation": location,
        "UninstallString": f'"{location}\\{UNINSTALLER}"',
        "QuietUninstallString": f'"{location}\\{UNINSTALLER}" /S',
        # KiB, rounded up, of what the package holds.
        "EstimatedSize": (sum(len(b) for b in files.values()) + 1023) // 1024,
        "NoModify": 1,
        "NoRepair": 1,
    }
    wrong = [f"{k} is {entry.get(k)!r}, not {v!r}" for k, v in wanted.items() if entry.get(k) != v]
    if wrong:
        raise TestFailure("the installed-apps entry: " + "; ".join(wrong))
    if not uninstaller:
        raise TestFailure(f"no {UNINSTALLER} in {location}")
    if files != package_files(stage):
        differ = sorted(set(files) ^ set(package_files(stage)))
        raise TestFailure(f"the files in {location} are not the package's: {differ}")
    program = location + r"\riderozad.exe"
    links = {"Start Menu": prefix.start_menu_link, "desktop": prefix.desktop_link}
    if not desktop:
        if os.path.exists(links.pop("desktop")):
            raise TestFailure("a desktop shortcut that was not asked for")
    for where, link in links.items():
        if not os.path.exists(link):
            raise TestFailure(f"no {where} shortcut")
        if read_shortcut(link) != (program, location):
            raise TestFailure(f"the {where} shortcut starts {read_shortcut(link)}, not "
                              f"{program} in {location}")
    print(f"  installed {len(files)} files in {location}; its entry: " +
          ", ".join(f"{k}={entry[k]!r}" for k in ("DisplayName", "DisplayVersion", "Publisher",
                                                  "EstimatedSize")))
    return links["Start Menu"]


def play(prefix, server, program, folder, out_dir):
    """The Windows program started in the Windows folder: the title screen,
    Enter, the driving view, Escape and exit code 0, with nothing said (the
    game finds all its files)."""
    log_path = os.path.join(out_dir, "win32_installed_game.txt")
    with open(log_path, "w+b") as log:
        game = subprocess.Popen(["wine", program], cwd=prefix.unix(folder), env=prefix.env,
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        try:
            def window():
                if game.poll() is not None:
                    raise TestFailure(f"the installed game ended with {game.returncode}")
                return windows_named(server, WINDOW_CAPTION)

            window_id = wait_for(window, 60, f"{program} showed no window")[0]
            drive_from_title(server, window_id, program)
            server.run("xdotool", "key", "Escape")
            code = game.wait(timeout=20)
        finally:
            if game.poll() is None:
                game.kill()
                game.wait()
        log.seek(0)
        said = [line for line in log.read().decode(errors="replace").splitlines()
                if line.startswith(("riderozad:", "music:"))]
    if code != 0:
        raise TestFailure(f"Escape: exit code {code}")
    if said:
        raise TestFailure("the installed game complained:\n" + "\n".join(said))
    os.remove(log_path)


def uninstaller_running():
    """Whether a copy of the uninstaller runs from the temporary folder
    (NSIS names its folder ~nsu*.tmp); Wine shows Windows programs' command
    lines to ps."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"~nsu" in f.read():
                    return True
        except OSError:
            pass
    return False


def uninstall(prefix):
    """Runs the uninstall string with /S as the installed-apps list would.
    The uninstaller goes on from a copy of itself in the temporary folder and
    has ended when its entry is gone; the copy is to go at Windows' next
    start, which wineboot --restart plays."""
    command = prefix.uninstall_entry()["UninstallString"]
    began = time.monotonic()
    code, _ = prefix.wine(command.strip('"'), "/S")
    if code != 0:
        raise TestFailure(f"{command} /S: exit code {code}")
    wait_for(lambda: not prefix.uninstall_entry() and not uninstaller_running(), 60,
             "the uninstaller did not end")
    took = time.monotonic() - began
    prefix.wine("wineboot", "--restart")
    return took


def expect_same(before, after, what):
    files_before, keys_before = before
    files_after, keys_after = after
    differences = [f"left: {p}" for p in sorted(files_after - files_before)] + \
        [f"gone: {p}" for p in sorted(files_before - files_after)] + \
        [f"left: {k}" for k in sorted(keys_after - keys_before)] + \
        [f"gone: {k}" for k in sorted(keys_before - keys_after)]
    if differences:
        raise TestFailure(f"after {what}, the prefix differs from before:\n  " +
                          "\n  ".join(differences))
    print(f"  after {what}: the same {len(files_after)} files and folders and "
          f"{len(keys_after)} registry keys and values as before")


def make_older(args, work):
    """An installer of an older version whose package had one more file."""
    stage = os.path.join(work, f"riderozad-{OLDER_VERSION}-win64")
    shutil.copytree(args.stage, stage)
    shutil.copy(os.path.join(stage, "Data", "road.png"), os.path.join(stage, "Data", "retired.png"))
    setup = os.path.join(work, f"riderozad-{OLDER_VERSION}-win64-setup.exe")
    subprocess.run([args.make_installer, stage, OLDER_VERSION, args.icon, setup], check=True,
                   stdout=subprocess.DEVNULL)
    return setup


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--setup", required=True, help="the installer to try")
    parser.add_argument("--stage", required=True, help="the folder it was packed from")
    parser.add_argument("--version", required=True)
    parser.add_argument("--make-installer", required=True, help="make_installer.sh")
    parser.add_argument("--icon", required=True)
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    if "DISPLAY" not in os.environ or "WINEPREFIX" not in os.environ:
        print("installer_test.py runs inside tests/win32/wine_session.sh", file=sys.stderr)
        return 2
    if not os.path.exists(args.setup):
        print(f"installer_test.py: no {args.setup}: scripts/build-windows.sh makes it",
              file=sys.stderr)
        return 1
    if args.version == OLDER_VERSION:
        print(f"installer_test.py: the older version {OLDER_VERSION} is this one", file=sys.stderr)
        return 1
    server = SessionScreen(os.environ["DISPLAY"])
    prefix = Prefix()
    work = tempfile.mkdtemp(prefix="riderozad-installer-")
    try:
        # What a Windows user has before any installer runs: the temporary
        # folder, a Games folder to install into, and the sound devices and
        # display settings that Wine records when a game first uses them
        # (here the game from its package folder, not installed).
        prefix.wine("cmd", "/c", "mkdir %TEMP% C:\\Games")
        play(prefix, server, prefix.windows(os.path.join(args.stage, "riderozad.exe")),
             prefix.windows(args.stage), args.out)
        before = prefix.snapshot()
        print(f"installer: {os.path.getsize(args.setup)} bytes")
        took = install(prefix, args.setup)
        print(f"  silent install: {took:.1f} s")
        location = prefix.variable("LOCALAPPDATA") + r"\Programs\Riderozad"
        program, folder = read_shortcut(
            check_installed(prefix, args.stage, args.version, location, desktop=False))
        play(prefix, server, program, folder, args.out)
        print(f"  played from the Start Menu shortcut: {program} in {folder}; Escape gave 0")
        print(f"  silent uninstall: {uninstall(prefix):.1f} s")
        expect_same(before, prefix.snapshot(), "the uninstall")

        older = make_older(args, work)
        install(prefix, older, "/DESKTOP", "/D=" + CHOSEN_FOLDER)
        took = install(prefix, args.setup)
        print(f"  {args.version} over {OLDER_VERSION}, installed with a desktop shortcut in "
              f"{CHOSEN_FOLDER}: {took:.1f} s")
        check_installed(prefix, args.stage, args.version, CHOSEN_FOLDER, desktop=True)
        print(f"  silent uninstall: {uninstall(prefix):.1f} s")
        expect_same(before, prefix.snapshot(), "the uninstall of the update")
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
