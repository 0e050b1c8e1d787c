#!/usr/bin/env python3
"""The display options on a 1280x720 screen with a window manager: --window
opens a window, not the whole screen; a window of 800x800 shows the picture
at 4:3 between bars above and below; Alt+Enter goes full screen and back
while the drive and the music go on; --sharp shows the same picture as the
default. How closely the sharp picture matches is printed."""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import picture  # noqa: E402
import sound  # noqa: E402
import xsession  # noqa: E402
from picture import Picture, changed_share, is_black, is_sky  # noqa: E402
from views import DIAL, GREY, SKY_BAND, VIEW, VIOLET, is_needle  # noqa: E402
from xsession import TestFailure  # noqa: E402

SCREEN = (1280, 720)
# The 1024x768 picture on the whole 1280x720 screen: 960x720 between bars.
FULL_PICTURE = (160, 0, 960, 720)


class Run:
    def __init__(self, server, game_path, out_dir, args, audio=False):
        self.server = server
        self.out_dir = out_dir
        env = {}
        self.recording = None
        if audio:
            self.audio_path = os.path.join(out_dir, "e2e_window_options_audio.raw")
            if os.path.exists(self.audio_path):
                os.remove(self.audio_path)
            self.recording = sound.Recording(self.audio_path)
            env = {"SDL_AUDIODRIVER": "disk", "SDL_DISKAUDIOFILE": self.audio_path}
        self.game = xsession.Game(server, game_path, cwd=os.path.dirname(game_path),
                                  extra_env=env, args=args)
        self.window = self.game.window_ids()[0]
        self.last = None

    def shot(self):
        self.last = Picture(self.server.screenshot())
        return self.last

    def view(self, box):
        """The picture in box of the screen, at the game's size."""
        return picture.game_view(self.shot(), box)

    def geometry(self):
        return self.server.window_geometry(self.window)

    def drive(self, box):
        """Enter, and waits for the driving view; returns it."""
        self.server.run("xdotool", "windowfocus", "--sync", self.window)
        self.server.run("xdotool", "keydown", "Return")
        try:
            return xsession.wait_for(lambda: self.driving(box), 20,
                                     "Enter did not bring up the driving view")
        finally:
            self.server.run("xdotool", "keyup", "Return")

    def driving(self, box):
        pic = self.view(box)
        return pic if pic.share(SKY_BAND, is_sky) > 0.6 and pic.where_exact(GREY)[0] < 100 else None

    def fail(self, what):
        if self.last:
            path = os.path.join(self.out_dir, "e2e_window_options_failed.png")
            picture.write_png(self.last, path)
            print(f"  kept {path}", file=sys.stderr)
        raise TestFailure(f"{what}\n{self.game.output()}")


def picture_box(geometry):
    """Where the 4:3 picture lies in a window of that geometry: scaled to
    fit, centred."""
    x, y, w, h = geometry
    if w * 3 > h * 4:
        pw = (h * 4 + 1) // 3
        return (x + (w - pw) // 2, y, pw, h)
    ph = (w * 3 + 2) // 4
    return (x, y + (h - ph) // 2, w, ph)


def is_full_screen(geometry):
    return geometry == (0, 0, *SCREEN)


def check_window(run):
    """--window: a window inside the screen, the desktop around it, the
    picture filling it at 4:3."""
    x, y, w, h = xsession.wait_for(lambda: run.geometry(), 10, "no window geometry")
    if is_full_screen((x, y, w, h)) or w > SCREEN[0] or h > SCREEN[1]:
        run.fail(f"--window gave a window of {w}x{h} at {x},{y} on a 1280x720 screen")
    if abs(w * 3 - h * 4) > 4:
        run.fail(f"--window gave a window of {w}x{h}, not 4:3")
    pic = run.shot()
    desktop = pic.share((0, 0, x, SCREEN[1]), lambda p: min(p) == 255) if x >= 8 else 0
    if desktop < 0.9:
        run.fail(f"the desktop does not show beside the window ({desktop:.0%} white left of it)")
    print(f"  a window of {w}x{h} at {x},{y}")
    return (x, y, w, h)


def check_tall_window(run):
    """Resized to 800x800: the 800x600 picture between bars of 100 rows."""
    run.server.run("xdotool", "windowsize", "--sync", run.window, "800", "800")
    xsession.wait_for(lambda: run.geometry()[2:] == (800, 800), 10, "the window kept its size")
    x, y, _, _ = run.geometry()
    # The screen is 720 rows high, so the bar below lies off it: the bar
    # above and the picture's first rows tell where the picture is.

    def barred():
        pic = run.shot()
        bar = pic.share((x, y, x + 800, y + 98), is_black)
        sky = pic.share((x, y + 102, x + 800, y + 130), is_sky)
        return (bar, sky) if bar > 0.99 and sky > 0.6 else None

    try:
        bar, sky = xsession.wait_for(barred, 15, "no picture at 4:3 between bars")
    except TestFailure as failure:
        run.fail(str(failure))
    print(f"  800x800: rows 0-97 {bar:.0%} black, rows 102-129 {sky:.0%} sky")


def needle_off_rest(pic, rest):
    angle = picture.axis_angle(pic, DIAL, is_needle)
    return None if angle is None else abs(angle - rest)


def check_alt_enter(run, start, window):
    """Alt+Enter while driving: full screen and back to the window's size, the
    car where it was and moving, the music going on."""
    rest = picture.axis_angle(start, DIAL, is_needle)
    run.server.run("xdotool", "keydown", "Up")
    try:
        xsession.wait_for(lambda: (needle_off_rest(run.view(window()), rest) or 0) >= 35, 30,
                          "the needle did not swing while driving")
    finally:
        run.server.run("xdotool", "keyup", "Up")
    before = run.recording.size()
    for what, box in (("full screen", lambda: FULL_PICTURE), ("a window again", window)):
        run.server.run("xdotool", "key", "alt+Return")
        full = what == "full screen"
        xsession.wait_for(lambda: is_full_screen(run.geometry()) == full, 15,
                          f"Alt+Enter did not give {what}")
        time.sleep(0.3)  # a lost device would have been seen by now
        pic = xsession.wait_for(lambda: run.driving(box()), 15, f"no driving view in {what}")
        swing = needle_off_rest(pic, rest)
        moved = changed_share(start, pic, VIEW)
        print(f"  {what}: {run.geometry()}, needle {swing} degrees off rest, "
              f"view {moved:.0%} unlike the start")
        if swing is None or swing < 5:
            run.fail(f"in {what} the car has lost its speed (needle {swing})")
        if moved < 0.3:
            run.fail(f"in {what} the car is back at its start")
        if not full and run.geometry()[2:] != (800, 800):
            run.fail(f"the window came back at {run.geometry()[2:]}, not at its 800x800")
    time.sleep(0.5)
    if not run.recording.music_throughout(before, run.recording.size()):
        run.fail("the music broke off while switching")


def check_sharp(server, game_path, out_dir):
    """--sharp full screen matches the default picture: the title texts in
    the same places, the driving view alike."""
    pictures = {}
    for args in ((), ("--sharp",)):
        run = Run(server, game_path, out_dir, args)
        try:
            title = xsession.wait_for(
                lambda: (lambda p: p if p.where_exact(GREY)[0] > 500 else None)(
                    run.view(FULL_PICTURE)), 20, "no title screen")
            run.drive(FULL_PICTURE)
            time.sleep(2.0)  # the car settles on its wheels; only the traffic moves on
            pictures[args] = (title, run.view(FULL_PICTURE))
        finally:
            run.game.close()
    (title, view), (sharp_title, sharp_view) = pictures[()], pictures[("--sharp",)]
    # Each text's box, in the game's pixels: the corner where the game puts
    # it, and about the size (the sharp font is hinted at its own size).
    for colour in (GREY, VIOLET):
        box, sharp_box = title.where_exact(colour)[1], sharp_title.where_exact(colour)[1]
        if sharp_box is None:
            raise TestFailure(f"no text in {colour} on the sharp title screen")
        corner = max(abs(a - b) for a, b in zip(box[:2], sharp_box[:2]))
        size = max(abs(a - b) for a, b in zip(box[2:], sharp_box[2:]))
        print(f"  title text in {colour}: {box} by default, {sharp_box} sharp")
        if corner > 4 or size > 10:
            raise TestFailure(f"the sharp title text in {colour} is not where the default's is")
    scene = changed_share(view, sharp_view, (0, 0, 1024, 768), tolerance=40)
    cockpit = changed_share(view, sharp_view, (0, 400, 1024, 768), tolerance=40)
    mean = picture.mean_difference(view, sharp_view, (0, 0, 1024, 768))
    print(f"  the driving view sharp against the default, both scaled to 1024x768: {scene:.1%} "
          f"of the pixels differ by more than 40 in a channel (below the dashboard's top "
          f"{cockpit:.1%}); mean difference {mean:.2f} of 255 a channel")
    if cockpit > 0.05 or scene > 0.1:
        raise TestFailure("the sharp driving view is not the default's")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    game_path = os.path.abspath(args.game)
    os.makedirs(args.out, exist_ok=True)

    server = xsession.XServer(*SCREEN)
    run = None
    try:
        server.start_window_manager()
        run = Run(server, game_path, args.out, ("--window",), audio=True)
        first = check_window(run)
        print("ok: --window opens a window inside the screen")
        start = run.drive(picture_box(first))
        check_tall_window(run)
        print("ok: an 800x800 window shows the picture at 4:3 between bars")
        check_alt_enter(run, start, lambda: picture_box(run.geometry()))
        print("ok: Alt+Enter goes full screen and back and the drive goes on")
        run.game.close()
        run = None
        check_sharp(server, game_path, args.out)
        print("ok: --sharp shows the default's picture")
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        if run:
            run.game.close()
        server.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
