#!/usr/bin/env python3
"""One played run of the real game, judged by what a player sees and hears:
the title screen and its silence, the driving view with music, the traffic,
the steering wheel, driving, a wall, losing the window and getting it back,
turning, and Escape. Every step waits for what it looks for, with a generous
time limit, and reports how long it took: how fast the game answers depends
on the machine, so no step fails for being slow. The pictures of a failed
step are kept in the output folder."""

import argparse
import math
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import picture  # noqa: E402
import sound  # noqa: E402
import views  # noqa: E402
import xsession  # noqa: E402
from picture import Picture, changed_share  # noqa: E402
from views import (COCKPIT, DIAL, GROUND, HORIZON_BAND, HUB, SKY_BAND, VIEW,  # noqa: E402
                   is_barrier, is_emblem, is_needle, is_road)
from xsession import TestFailure  # noqa: E402


class Play:
    def __init__(self, server, game_path, out_dir):
        self.server = server
        self.out_dir = out_dir
        self.audio_path = os.path.join(out_dir, "e2e_play_audio.raw")
        if os.path.exists(self.audio_path):
            os.remove(self.audio_path)
        self.recording = sound.Recording(self.audio_path)
        self.game = xsession.Game(server, game_path, cwd=os.path.dirname(game_path),
                                  extra_env={"SDL_AUDIODRIVER": "disk",
                                             "SDL_DISKAUDIOFILE": self.audio_path})
        self.window = None
        self.kept = []  # (label, picture) of the step that runs
        self.marks = {}
        self.start_view = None

    def shot(self, label):
        pic = Picture(self.server.screenshot())
        self.kept = self.kept[-11:] + [(label, pic)]  # bounded while a step polls
        return pic

    def key_down(self, key):
        self.server.run("xdotool", "keydown", key)

    def key_up(self, key):
        self.server.run("xdotool", "keyup", key)

    def keep_failed_pictures(self, step):
        for i, (label, pic) in enumerate(self.kept[-6:]):
            path = os.path.join(self.out_dir, f"e2e_play_{step}_{i}_{label}.png")
            picture.write_png(pic, path)
            print(f"  kept {path}", file=sys.stderr)

    def audio_mark(self, name):
        self.marks[name] = self.recording.size()

    def wait_for_audio(self, byte_count):
        xsession.wait_for(lambda: self.recording.size() >= byte_count, 30,
                          "the recording did not grow (is the audio device running?)")

    def wait_for_music(self, since, what):
        """Byte offset of the first music recorded after since."""
        return xsession.wait_for(
            lambda: self.recording.music_within(since, self.recording.size()), 30, what)


def check_title_screen(play):
    """Title screen: black, grey text in the first two rectangles, violet in
    the third, and silence."""
    ids = play.game.window_ids()
    play.window = ids[0]
    play.server.run("xdotool", "mousemove", "512", "384")

    def title():
        pic = play.shot("title")
        return pic if views.title_shown(pic) else None

    pic = xsession.wait_for(title, 20, "no title texts in grey and violet")
    problem = views.title_problem(pic)
    if problem:
        raise TestFailure(problem)
    play.wait_for_audio(sound.BYTES_PER_SECOND // 2)
    play.audio_mark("title")
    if not play.recording.silent(0, play.marks["title"]):
        raise TestFailure("the title screen is not silent")


def check_enter_drives(play):
    """Enter: the driving view (sky, road, wheel, needle) and music from then
    on."""
    play.server.run("xdotool", "windowfocus", "--sync", play.window)
    play.audio_mark("enter")
    play.key_down("Return")
    try:
        time.sleep(0.3)

        def driving():
            pic = play.shot("driving")
            return pic if views.driving_shown(pic) else None

        pic = xsession.wait_for(driving, 20, "Enter did not bring up the driving view")
    finally:
        play.key_up("Return")
    road = pic.share((300, 150, 800, 330), is_road)
    if road < 0.4:
        raise TestFailure(f"no road ahead: {road:.0%} of the view below the horizon is road")
    needle = pic.share(DIAL, is_needle)
    if needle < 0.005:
        raise TestFailure("no needle on the dial")
    if pic.share((pic.width // 2, 390, pic.width, 768), is_needle) > needle / 4:
        raise TestFailure("orange needle pixels away from the dial")
    if picture.axis_angle(pic, HUB, is_emblem) is None:
        raise TestFailure("no steering wheel hub in front of the driver")
    play.start_view = pic
    first = play.wait_for_music(play.marks["enter"], "no music after Enter")
    print(f"  music {sound.seconds(first - play.marks['enter']):.2f} s after Enter")
    play.wait_for_audio(first + sound.BYTES_PER_SECOND * 2)
    if not play.recording.music_throughout(first, play.recording.size()):
        raise TestFailure("the music broke off after it began")
    play.marks["music"] = first


def check_traffic(play):
    """Standing still, something moves on the road: the traffic."""
    time.sleep(0.5)
    a = play.shot("traffic_a")
    began = time.monotonic()

    def moving():
        b = play.shot("traffic_b")
        return b if changed_share(a, b, VIEW) >= 0.003 else None

    b = xsession.wait_for(moving, 20, "nothing moves on the road: no traffic seen")
    still = changed_share(a, b, COCKPIT)
    print(f"  standing still: {changed_share(a, b, VIEW):.2%} of the view changed in "
          f"{time.monotonic() - began:.1f} s, {still:.2%} of the cockpit")
    if still > 0.01:
        raise TestFailure("the car is not standing still")


def check_wheel(play):
    """Left at a standstill turns the wheel counter-clockwise and not the
    view; released, the wheel comes back."""
    rest_pic = play.shot("wheel_rest")
    rest = picture.axis_angle(rest_pic, HUB, is_emblem)
    if rest is None:
        raise TestFailure("no steering wheel hub to be seen")
    play.key_down("Left")
    try:
        def turned():
            pic = play.shot("wheel_turned")
            angle = picture.axis_angle(pic, HUB, is_emblem)
            return (pic, angle) if angle is not None and angle <= rest - 20 else None

        turned_pic, angle = xsession.wait_for(
            turned, 20, "holding Left did not turn the wheel counter-clockwise")
    finally:
        play.key_up("Left")
    print(f"  wheel hub: {rest} degrees at rest, {angle} with Left held")
    shift, _ = picture.sideways_shift(rest_pic, turned_pic, *HORIZON_BAND)
    if abs(shift) > 8:
        raise TestFailure(f"the view turned by {shift} px at a standstill")

    def back():
        angle = picture.axis_angle(play.shot("wheel_back"), HUB, is_emblem)
        return angle is not None and abs(angle - rest) <= 5

    xsession.wait_for(back, 20, "the wheel did not come back when Left was released")


def check_driving(play):
    """Up: the ground rushes toward the viewer while the horizon stays, and
    the needle swings."""
    needle_rest = picture.axis_angle(play.start_view, DIAL, is_needle)
    if needle_rest is None:
        raise TestFailure("no needle on the dial at the start")
    play.key_down("Up")
    began = time.monotonic()

    def swung():
        pic = play.shot("up_a")
        angle = picture.axis_angle(pic, DIAL, is_needle)
        return (pic, angle) if angle is not None and abs(angle - needle_rest) >= 10 else None

    a, needle = xsession.wait_for(swung, 30, "the needle did not move with the speed")
    took = time.monotonic() - began

    def rushing():
        pic = play.shot("up_b")
        return pic if changed_share(a, pic, GROUND) >= 0.1 else None

    b = xsession.wait_for(rushing, 20, "holding Up did not move the road")
    sky = changed_share(a, b, SKY_BAND)
    drift = picture.horizon_drift(a, b)
    since_start = picture.horizon_drift(play.start_view, b)
    print(f"  driving: needle {needle_rest} -> {needle} degrees after {took:.1f} s of Up; then "
          f"{changed_share(a, b, GROUND):.0%} of the ground changed, {sky:.0%} of the sky; "
          f"horizon moved {drift} rows ({since_start} since the start)")
    if b.share(SKY_BAND, picture.is_sky) < 0.3:
        raise TestFailure("driving, the sky went out of sight")
    if abs(drift) > 3 or abs(since_start) > 6:
        raise TestFailure(f"the horizon moved by {drift} rows while driving straight on, "
                          f"{since_start} rows since the start")


def check_wall(play):
    """Driving on into the wall: the speed is lost at once although Up is
    held, the car bounces back (the needle shows the backward speed) and it
    stays at the wall."""
    # Up is still held from the driving step. The needle shows the speed
    # either way: its swing from rest is 5 radians per unit of speed, so the
    # bounce (a third of the speed, backward) leaves it a third out.
    rest = picture.axis_angle(play.start_view, DIAL, is_needle)
    series = []  # (seconds, needle swing in degrees, share of wall in the view)
    start = time.monotonic()
    try:
        def sample():
            pic = play.shot("wall")
            angle = picture.axis_angle(pic, DIAL, is_needle)
            swing = 0 if angle is None else angle - rest
            series.append((time.monotonic() - start, swing, pic.share(VIEW, is_barrier)))

        # Lost speed in two pictures running, so that one misread needle
        # does not count.
        def contact():
            sample()
            peak = max(s for _, s, _ in series)
            return peak >= 20 and len(series) >= 2 and max(series[-1][1],
                                                            series[-2][1]) <= peak / 2

        xsession.wait_for(contact, 120, "holding Up, the car never lost its speed at a wall",
                          interval=0.1)
        hit = len(series) - 2
        watch_until = time.monotonic() + 3
        while time.monotonic() < watch_until:
            sample()
    finally:
        play.key_up("Up")
    peak = max(s for _, s, _ in series[:hit])
    print(f"  wall: contact after {series[hit][0]:.1f} s of Up, needle at {peak:.0f} degrees; then "
          + " ".join(f"{s:.0f}" for _, s, _ in series[hit:hit + 12]))
    # The bounce coasts out within a fraction of a second: look for it in the
    # pair of pictures that found the contact and the two after, however long
    # they took to take.
    bounce = max(s for _, s, _ in series[hit:hit + 4])
    if bounce < 0.12 * peak:
        raise TestFailure(f"the car stopped dead at the wall: no backward speed "
                          f"(needle {bounce:.0f} of {peak:.0f} degrees)")
    wall_at_contact = series[hit][2]
    least = min(w for _, _, w in series[hit:])
    if wall_at_contact < 0.1 or least < wall_at_contact / 2:
        raise TestFailure(f"the car did not stay at the wall (wall {wall_at_contact:.0%} of "
                          f"the view at contact, {least:.0%} later)")
    if max(s for _, s, _ in series[hit:]) > peak * 0.8:
        raise TestFailure("the car regained its speed: it went on through the wall")


def lose_window(play):
    """Takes the window off the screen until the game has stopped its music
    (it has seen the loss) and a second more, and brings it back; returns the
    first picture drawn again and how long after the window's return it
    came."""
    play.audio_mark("lost")
    play.server.run("xdotool", "windowunmap", "--sync", play.window)
    xsession.wait_for(lambda: play.shot("gone").share(SKY_BAND, lambda p: min(p) == 255) > 0.9,
                      20, "the window did not leave the screen")
    play.marks["quiet"] = xsession.wait_for(
        lambda: play.recording.silence_from(play.marks["lost"], play.recording.size()), 30,
        "the music did not stop while the window was gone")
    time.sleep(1.0)
    play.audio_mark("back")
    play.server.run("xdotool", "windowmap", "--sync", play.window)
    shown = time.monotonic()

    def drawing():
        pic = play.shot("back")
        return pic if pic.share(SKY_BAND, picture.is_sky) > 0.6 else None

    pic = xsession.wait_for(drawing, 30, "the game did not draw again after its window came back",
                            interval=0.02)
    return pic, time.monotonic() - shown


def check_device_loss(play):
    """The window taken off the screen and brought back: silence while it is
    gone, then the game draws its start view again, with the music going on."""
    time.sleep(1.0)  # let the car come to rest
    before = play.shot("before_loss")
    pic, took = lose_window(play)
    if not play.recording.music_throughout(play.marks["music"], play.marks["lost"]):
        raise TestFailure("the music broke off while driving")
    like_start = changed_share(play.start_view, pic, VIEW)
    like_before = changed_share(before, pic, VIEW)
    lost, quiet, back = (play.marks[k] for k in ("lost", "quiet", "back"))
    print(f"  the music stopped {sound.seconds(quiet - lost):.2f} s after the window went; "
          f"drawing again {took:.2f} s after it came back; the view differs from the start view by "
          f"{like_start:.0%}, from the view before the loss by {like_before:.0%}")
    if like_start > 0.3 or like_before < 0.3:
        raise TestFailure("after the loss the scene is not back at its start")

    # The car has turned at the wall; back at the start it must face the way
    # the view does, with the wheel and the dial in front of the driver. The
    # body's lift and tilt come from the probes of the frame before, so the
    # first frame after the loss may still show the wall's; a few frames on
    # they are the start's.
    def in_place():
        now = play.shot("settled")
        moved = []  # how far the needle and the wheel's hub are from their start places
        for box, test in ((DIAL, is_needle), (HUB, is_emblem)):
            start, at = (picture.centroid(p, box, test) for p in (play.start_view, now))
            moved.append(None if at is None else round(math.dist(start, at), 1))
        return moved if all(m is not None and m <= 10 for m in moved) else None

    try:
        moved = xsession.wait_for(in_place, 20, "after the loss the wheel and the dial are "
                                  "not back in place", interval=0.1)
    except TestFailure:
        play.kept.append(("start", play.start_view))
        raise
    print(f"  the needle and the hub are {moved[0]} and {moved[1]} px from their start places")
    if not play.recording.silent(quiet, back):
        raise TestFailure("music played again while the window was gone")
    resumed = play.wait_for_music(back, "the music did not resume after the window came back")
    print(f"  music again {sound.seconds(resumed - back):.2f} s after the window came back")


def check_turn(play):
    """Left while driving: the view turns left, so the horizon's features
    slide to the right."""
    play.server.run("xdotool", "windowfocus", "--sync", play.window)
    play.key_down("Up")
    try:
        time.sleep(2.0)
        play.key_down("Left")
        try:
            time.sleep(0.3)
            a = play.shot("turn_a")

            def slid():
                shift, error = picture.sideways_shift(a, play.shot("turn_b"), *HORIZON_BAND)
                return (shift, error) if shift >= 20 else None

            shift, error = xsession.wait_for(
                slid, 20, "holding Left did not turn the view left", interval=0.05)
        finally:
            play.key_up("Left")
    finally:
        play.key_up("Up")
    print(f"  turning: the horizon slid {shift} px (mean error {error:.1f})")


def check_escape(play):
    """Escape: exit code 0."""
    play.server.run("xdotool", "key", "Escape")
    code = play.game.wait_exit(20)
    if code != 0:
        raise TestFailure(f"Escape: exit code {code}")


STEPS = [check_title_screen, check_enter_drives, check_traffic, check_wheel, check_driving,
         check_wall, check_device_loss, check_turn, check_escape]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True)
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    game_path = os.path.abspath(args.game)
    os.makedirs(args.out, exist_ok=True)

    server = xsession.XServer()
    play = None
    began = time.monotonic()
    try:
        play = Play(server, game_path, args.out)
        xsession.run_steps(play, STEPS)
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        if play:
            print(play.game.output(), file=sys.stderr)
        return 1
    finally:
        if play:
            play.game.close()
        server.close()
    print(f"played run: {time.monotonic() - began:.1f} s")
    os.remove(play.audio_path)  # kept only for a failed run
    return 0


if __name__ == "__main__":
    sys.exit(main())
