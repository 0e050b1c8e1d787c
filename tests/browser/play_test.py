#!/usr/bin/env python3
"""One played run of the game in its web page, in headless Chromium, judged
by what a player sees and hears: the title screen and its silence, the
driving view with music, driving and turning with the keys, driving with a
gamepad's trigger, the page hidden and shown again, the WebGL context lost
and restored, and Escape. As in tests/e2e/play_test.py every step waits for
what it looks for with a generous limit, so none fails for being slow, and a
failed step's pictures are kept in the output folder."""

import math
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import devtools  # noqa: E402  (puts tests/e2e on the path)
import ear  # noqa: E402
import picture  # noqa: E402
import views  # noqa: E402
from picture import changed_share  # noqa: E402
from views import DIAL, GROUND, HORIZON_BAND, HUB, VIEW  # noqa: E402
from views import is_emblem, is_needle, is_road  # noqa: E402
from xsession import TestFailure, run_steps, wait_for  # noqa: E402

# The right trigger and the d-pad's left in the "standard" layout.
RIGHT_TRIGGER = 7
DPAD_LEFT = 14

LOSE_CONTEXT = """(() => {
  window.testLoser = Module.canvas.getContext("webgl2").getExtension("WEBGL_lose_context");
  window.testLoser.loseContext();
  return true;
})()"""


class Play:
    def __init__(self, browser, out_dir):
        self.browser = browser
        self.out_dir = out_dir
        self.kept = []  # (label, picture) of the step that runs
        self.start_view = None
        self.needle_rest = None
        self.heard = None  # the last music reading

    def shot(self, label):
        pic = self.browser.screenshot()
        self.kept = self.kept[-11:] + [(label, pic)]
        return pic

    def keep_failed_pictures(self, step):
        for i, (label, pic) in enumerate(self.kept[-6:]):
            path = os.path.join(self.out_dir, f"browser_play_{step}_{i}_{label}.png")
            picture.write_png(pic, path)
            print(f"  kept {path}", file=sys.stderr)

    def hear(self):
        return ear.hear(self.browser)

    def music_goes_on(self, what, timeout=30):
        """Waits until the music has played on past the last reading, is
        heard, and the element is still the game's one."""
        since = self.heard["time"] if self.heard else 0

        def playing():
            now = self.hear()
            if not now["same"]:
                raise TestFailure("the game replaced its music element")
            return now if (not now["paused"] and now["time"] >= since + 0.3
                           and now["level"] > ear.HEARD_DB) else None

        self.heard = wait_for(playing, timeout, what, interval=0.1)
        return self.heard

    def hold(self, key):
        self.browser.key(key, True)

    def release(self, key):
        self.browser.key(key, False)

    def needle(self, pic):
        return picture.axis_angle(pic, DIAL, is_needle)

    def wait_for_rest(self):
        """Waits until the car has coasted to a stop, the needle back where
        it was at the start; returns that picture."""
        def rest():
            pic = self.shot("coasting")
            angle = self.needle(pic)
            return pic if angle is not None and abs(angle - self.needle_rest) <= 3 else None

        return wait_for(rest, 60, "the car did not come to rest", interval=0.1)


def check_title_screen(play):
    """Title screen: the grey and violet texts in their rectangles, the rest
    black, and no music."""
    b = play.browser
    wait_for(lambda: b.evaluate("document.body && document.body.dataset.state") in
             ("playing", "failed", "no-webgl2"), 120, "the page did not load the game", interval=0.2)
    state = b.evaluate("document.body.dataset.state")
    if state != "playing":
        raise TestFailure(f"the page says {state}: {b.evaluate('overlay.innerText')!r}")

    def title():
        pic = play.shot("title")
        return pic if views.title_shown(pic) else None

    pic = wait_for(title, 60, "no title texts in grey and violet", interval=0.2)
    problem = views.title_problem(pic)
    if problem:
        raise TestFailure(problem)
    if not b.evaluate("!!Module.riderozadMusic"):
        raise TestFailure("the game made no music element")
    print(f"  the test's audio graph is {ear.attach(b)}")
    heard = play.hear()
    if not heard["paused"] or heard["time"] > 0 or heard["level"] > -1000:
        raise TestFailure(f"music on the title screen: {heard}")


def check_enter_drives(play):
    """Enter: the driving view (sky, road, needle, wheel), and music from
    then on, heard by the analyser."""
    play.hold("Enter")
    try:
        def driving():
            pic = play.shot("driving")
            return pic if views.driving_shown(pic) else None

        pic = wait_for(driving, 30, "Enter did not bring up the driving view", interval=0.1)
    finally:
        play.release("Enter")
    road = pic.share((300, 150, 800, 330), is_road)
    if road < 0.4:
        raise TestFailure(f"no road ahead: {road:.0%} of the view below the horizon is road")
    play.needle_rest = play.needle(pic)
    if play.needle_rest is None:
        raise TestFailure("no needle on the dial")
    if picture.axis_angle(pic, HUB, is_emblem) is None:
        raise TestFailure("no steering wheel hub in front of the driver")
    play.start_view = pic
    heard = play.music_goes_on("no music after Enter")
    heard = play.music_goes_on("the music stopped after it began")
    print(f"  music at {heard['time']:.2f} s, loudest at {heard['peak']:.0f} Hz, "
          f"{heard['level']:.0f} dB")


def drives(play, control, label, before, since=None):
    """Waits until the needle has swung 10 degrees toward speed from since
    (its rest, unless given) and the ground has changed from the picture
    before; returns the picture, the needle's angle and the share of the
    ground that changed."""
    since = play.needle_rest if since is None else since

    def driving():
        pic = play.shot(label)
        angle = play.needle(pic)
        moved = changed_share(before, pic, GROUND)
        return (pic, angle, moved) if (angle is not None and angle >= since + 10
                                       and moved >= 0.1) else None

    return wait_for(driving, 30, f"{control} did not drive (no swing of the needle, or no "
                    "change on the road)", interval=0.1)


def turns_left(play, before, go, steer, stop, what):
    """From rest, drives forward (go) and steers left (steer) in pulses of a
    few animation frames until the view has turned left (the horizon slid
    right); stop lets go of both. Returns the last picture, the shift in
    pixels and its mean error. Short pulses from rest keep the car slow, so
    the view turns without the scenery growing toward the viewer, and they
    bound the turn to what can be measured. Each pulse starts a frame later,
    since the frame after a picture is a long one (the page stood still
    meanwhile), and steers from its second frame: a car that stopped by
    coasting may still count as reversing until a frame has moved it. A
    turn to the right fails at once: going backward, the car turns the
    other way. before is a picture of the car at rest."""
    def slid():
        play.browser.frames(1)
        go()
        try:
            play.browser.frames(1)
            steer()
            play.browser.frames(2)
        finally:
            stop()
        pic = play.shot("turn")
        shift, error = picture.sideways_shift(before, pic, *HORIZON_BAND, max_shift=1000)
        if shift <= -20:
            raise TestFailure(f"{what}: the view turned right by {-shift} px")
        return (pic, shift, error) if shift >= 20 else None

    return wait_for(slid, 30, f"{what}: the view did not turn left", interval=0)


def check_keys_drive(play):
    """At the start, at rest: Up and Left held turn the view left, so the
    car goes forward; Up held, the needle swings toward speed and the ground
    rushes toward the viewer while the horizon stays."""
    def stop():
        play.release("Left")
        play.release("Up")

    turned, shift, error = turns_left(play, play.start_view, lambda: play.hold("Up"),
                                      lambda: play.hold("Left"), stop, "holding Up and Left")
    print(f"  Up and Left: the horizon slid {shift} px to the right (mean error {error:.1f})")
    play.hold("Up")
    try:
        pic, needle, moved = drives(play, "holding Up", "up", turned)
    finally:
        play.release("Up")
    drift = picture.horizon_drift(turned, pic)
    print(f"  Up: needle {play.needle_rest} -> {needle} degrees, {moved:.0%} of the ground "
          f"changed; the horizon moved {drift} rows")
    if abs(drift) > 3:
        raise TestFailure(f"the horizon moved by {drift} rows while driving straight on")
    play.music_goes_on("the music stopped while driving")


def check_pad_drives(play):
    """At rest, the standard gamepad's right trigger pulled: with the d-pad's
    left the view turns left, so the car goes forward; held on, the needle
    swings toward speed and the ground moves."""
    rest = play.wait_for_rest()
    b = play.browser

    def pad(button, value):
        b.evaluate(f"testPad.set({button}, {value})")

    def stop():
        pad(DPAD_LEFT, 0)
        pad(RIGHT_TRIGGER, 0)

    try:
        turned, shift, _ = turns_left(play, rest, lambda: pad(RIGHT_TRIGGER, 1.0),
                                      lambda: pad(DPAD_LEFT, 1), stop,
                                      "the right trigger and the d-pad's left")
        pad(RIGHT_TRIGGER, 1.0)
        _, needle, moved = drives(play, "the right trigger", "pad", turned)
    finally:
        stop()
    print(f"  right trigger: with the d-pad's left the horizon slid {shift} px; alone, the "
          f"needle {play.needle_rest} -> {needle} degrees, {moved:.0%} of the ground changed")


def back_at_start(play, gone, returned, what):
    """Takes the page's loss (gone) and return (returned) after the car has
    come to rest away from the start: while gone the music pauses and stays
    paused; back, the start view is drawn again, the wheel and dial in
    place, and the music plays on."""
    before = play.wait_for_rest()
    if changed_share(play.start_view, before, VIEW) < 0.3:
        raise TestFailure("the car is still at the start before the test")
    paused_at = play.hear()["time"]
    gone()

    def paused():
        now = play.hear()
        return now if now["paused"] else None

    quiet = wait_for(paused, 30, f"the music did not pause while {what}", interval=0.1)
    # A moment longer gone, for the game to start it again if it wrongly did.
    time.sleep(1.0)
    returned()
    shown = time.monotonic()

    def like_start():
        pic = play.shot("back")
        return pic if changed_share(play.start_view, pic, VIEW) < 0.3 else None

    pic = wait_for(like_start, 30, f"the start view was not drawn again after {what}",
                   interval=0.1)
    took = time.monotonic() - shown
    like_before = changed_share(before, pic, VIEW)
    if like_before < 0.3:
        raise TestFailure(f"after {what} the view is still the one before it")

    # The first frames back may carry the body's tilt from the probes of the
    # frame before; a few frames on the wheel and dial are in their places.
    pictures = [pic]

    def in_place():
        now = pictures.pop() if pictures else play.shot("settled")
        moved = []
        for box, test in ((DIAL, is_needle), (HUB, is_emblem)):
            start, at = (picture.centroid(p, box, test) for p in (play.start_view, now))
            moved.append(None if at is None else round(math.dist(start, at), 1))
        return moved if all(m is not None and m <= 10 for m in moved) else None

    try:
        moved = wait_for(in_place, 30, f"after {what} the wheel and the dial are not in place",
                         interval=0.1)
    except TestFailure:
        play.kept.append(("start", play.start_view))
        raise
    play.heard = quiet
    heard = play.music_goes_on(f"the music did not play on after {what}")
    events = heard["events"]
    if any(e.endswith("while gone") and e.startswith("play") for e in events):
        raise TestFailure(f"the music played while {what}: {events}")
    if "pause while gone" not in events:
        raise TestFailure(f"the game did not pause the music itself: {events}")
    print(f"  music paused at {paused_at:.2f}..{quiet['time']:.2f} s; the start view back "
          f"{took:.2f} s after {what} ended ({like_before:.0%} unlike the view before); "
          f"needle and hub {moved[0]} and {moved[1]} px from their start places; "
          f"music on at {heard['time']:.2f} s")
    ear.forget(play.browser)


def check_hidden_page(play):
    """The page hidden behind another tab and shown again: the music pauses
    while it is hidden, then the start view is drawn again and the music
    plays on."""
    b = play.browser
    other = {}

    def hide():
        # Focus emulation keeps a page visible; a player's switch of tabs
        # takes the focus too.
        b.call("Emulation.setFocusEmulationEnabled", enabled=False)
        other["id"] = b.call("Target.createTarget", url="about:blank", newWindow=False)["targetId"]
        wait_for(lambda: b.evaluate("document.visibilityState") == "hidden", 30,
                 "the second tab did not hide the page", interval=0.1)

    def show():
        b.call("Target.activateTarget", targetId=b.target_id)
        b.call("Target.closeTarget", targetId=other["id"])
        wait_for(lambda: b.evaluate("document.visibilityState") == "visible", 30,
                 "the page did not come back", interval=0.1)
        b.call("Emulation.setFocusEmulationEnabled", enabled=True)

    back_at_start(play, hide, show, "the page was hidden")


def check_context_loss(play):
    """The WebGL context lost and restored: the same as a hidden page."""
    b = play.browser
    # Away from the start first: a turn of a few degrees changes the view.
    play.hold("Up")
    play.hold("Left")
    try:
        b.frames(30)
    finally:
        play.release("Left")
        play.release("Up")

    def lose():
        b.evaluate(LOSE_CONTEXT)
        wait_for(lambda: b.evaluate("Module.canvas.getContext('webgl2').isContextLost()"), 30,
                 "the context was not lost", interval=0.1)

    def restore():
        b.evaluate("window.testLoser.restoreContext(); true")

    back_at_start(play, lose, restore, "the context was lost")


def check_escape(play):
    """Escape: the drive ends, its music stops, and the page says so."""
    b = play.browser
    b.key("Escape", True)
    b.key("Escape", False)
    wait_for(lambda: b.evaluate("document.body.dataset.state") == "ended", 30,
             "Escape did not end the drive", interval=0.1)
    said = b.evaluate("document.getElementById('overlay').hidden ? '' : "
                      "document.getElementById('overlay').innerText")
    if "The drive has ended" not in said:
        raise TestFailure(f"the page does not say that the drive has ended: {said!r}")
    heard = b.evaluate("(() => { const a = window.testEar.audio; return [a.paused, "
                       "!!Module.riderozadMusic]; })()")
    if not heard[0]:
        raise TestFailure("the music plays on after the drive ended")
    print(f"  the page says: {' '.join(said.split())!r}")


STEPS = [check_title_screen, check_enter_drives, check_keys_drive, check_pad_drives,
         check_hidden_page, check_context_loss, check_escape]


def main():
    args = devtools.page_arguments("the folder holding index.html")
    began = time.monotonic()
    server = browser = play = None
    try:
        server = devtools.PageServer(os.path.abspath(args.page),
                                     os.path.join(args.out, "browser_play_server.log"))
        # Music may start only where the game starts it: without the
        # autoplay rule a title screen that played would be refused, not
        # caught.
        browser = devtools.Chromium(["--autoplay-policy=no-user-gesture-required"])
        browser.open(server.address + "index.html", [devtools.FAKE_GAMEPAD])
        play = Play(browser, args.out)
        run_steps(play, STEPS)
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        if browser:
            # A game that stopped says why on the page.
            said = browser.evaluate("document.body ? [document.body.dataset.state, "
                                    "document.getElementById('overlay').innerText] : []")
            print(f"the page's state and message: {said}", file=sys.stderr)
            print("the page's console:\n  " + "\n  ".join(browser.console), file=sys.stderr)
        return 1
    finally:
        if browser:
            browser.close()
        if server:
            server.close()
    print(f"played run: {time.monotonic() - began:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
