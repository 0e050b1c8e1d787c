#!/usr/bin/env python3
"""One played run of riderozad.exe under Wine, judged by what a player sees
and hears: the title screen and its silence, Enter and the music, driving
and turning with keys read through DirectInput, the keys that start a
window's menu loop, the device lost to another program's window and got
back, and Escape. Throughout, the display is kept on while the driving view
runs and only then, as Wine's log of the game's SetThreadExecutionState
calls shows. Runs inside the Wine session
(tests/win32/wine_session.sh): its X server, prefix and wineserver. The
sound is recorded from a PulseAudio of the test's own. Every step waits for
what it looks for, with a time limit; the pictures of a failed step and the
recording of a failed run are kept in the output folder."""

import argparse
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
sys.path.insert(0, HERE)
import picture  # noqa: E402
import sound  # noqa: E402
import views  # noqa: E402
from picture import Picture, changed_share  # noqa: E402
from wine_game import SessionScreen, WineGame  # noqa: E402
from views import DIAL, GREY, GROUND, HORIZON_BAND, SKY_BAND, is_needle  # noqa: E402
from xsession import TestFailure, run_steps, wait_for  # noqa: E402


class PrivatePulse:
    """A PulseAudio of the test's own whose one sink records: what the game
    plays arrives in a raw file at the pace it is played, 16-bit stereo at
    44100 Hz, silence included."""

    def __init__(self, folder, recording_path):
        self.socket = os.path.join(folder, "pulse.sock")
        runtime = os.path.join(folder, "pulse-runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        self.env = dict(os.environ, PULSE_SERVER="unix:" + self.socket, PULSE_RUNTIME_PATH=runtime)
        self.daemon = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--disable-shm=yes", "--log-target=stderr",
             f"--load=module-native-protocol-unix socket={self.socket} auth-anonymous=1",
             "--load=module-null-sink sink_name=capture"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.recorder = None
        wait_for(lambda: self.answers(), 15, "the private PulseAudio did not start")
        self.output = open(recording_path, "wb")
        self.recorder = subprocess.Popen(
            ["parec", "-d", "capture.monitor", "--format=s16le", "--rate=44100", "--channels=2",
             "--latency-msec=50"], env=self.env, stdout=self.output, stderr=subprocess.DEVNULL)
        self.recording = sound.Recording(recording_path)
        wait_for(lambda: self.recording.size() > 0, 15, "the recording did not start")

    def answers(self):
        return subprocess.run(["pactl", "info"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def close(self):
        for p in (self.recorder, self.daemon):
            if p and p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        if self.recorder:
            self.output.close()


class Play:
    def __init__(self, server, pulse, game, foreground, out_dir):
        self.server = server
        self.recording = pulse.recording
        self.pulse_env = {"PULSE_SERVER": pulse.env["PULSE_SERVER"]}
        self.game = game
        self.foreground = foreground
        self.out_dir = out_dir
        self.window = None
        self.kept = []
        self.marks = {}
        self.start_view = None

    def shot(self, label):
        pic = Picture(self.server.screenshot())
        self.kept.append((label, pic))
        del self.kept[:-6]
        return pic

    def hold(self, key):
        self.server.run("xdotool", "keydown", key)

    def release(self, key):
        self.server.run("xdotool", "keyup", key)

    def mark(self, name):
        self.marks[name] = self.recording.size()

    def wait_for_audio(self, byte_count, timeout):
        wait_for(lambda: self.recording.size() >= byte_count, timeout,
                 "the recording did not grow (is PulseAudio running?)")

    def keep_failed_pictures(self, step):
        if self.start_view:
            self.kept.append(("start", self.start_view))
        for i, (label, pic) in enumerate(self.kept):
            path = os.path.join(self.out_dir, f"win32_play_{step}_{i}_{label}.png")
            picture.write_png(pic, path)
            print(f"  kept {path}", file=sys.stderr)


# SetThreadExecutionState's states: continuous with the display required,
# and continuous alone (nothing required any more).
DISPLAY_KEPT_ON = 0x80000002
DISPLAY_FREE = 0x80000000
EXECUTION_STATE_CALL = re.compile(r"NtSetThreadExecutionState \((0x[0-9a-f]+),")


def display_states(play):
    """The execution states the game has set so far, in order."""
    return [int(m.group(1), 16) for m in EXECUTION_STATE_CALL.finditer(play.game.output())]


def expect_display(play, state, when):
    states = display_states(play)
    if (states[-1] if states else None) != state:
        raise TestFailure(f"{when}, the game's execution states were "
                          f"{[hex(s) for s in states]}, ending not in {state:#x}")


# The left and right halves of the screen.
HALVES = [(0, 512), (512, 1024)]
# Sky, hills, trees and buildings: where the car stands and faces, with little
# of the road where the traffic drives.
SCENERY = (0, 20, 1024, 100)


def crop(pic, x0, x1):
    """Columns x0 to x1 of a picture."""
    row = pic.width * 3
    return Picture((x1 - x0, pic.height, b"".join(
        pic.pixels[y * row + x0 * 3:y * row + x1 * 3] for y in range(pic.height))))


def check_title_screen(play):
    """Title screen: black, grey and violet texts in their rectangles, and
    silence."""
    play.window = play.game.window_ids(timeout=60)[0]

    def title():
        pic = play.shot("title")
        return pic if views.title_shown(pic) else None

    pic = wait_for(title, 30, "no title texts in grey and violet")
    problem = views.title_problem(pic)
    if problem:
        raise TestFailure(problem)
    play.wait_for_audio(play.recording.size() + sound.BYTES_PER_SECOND, 10)
    play.mark("title")
    if not play.recording.silent(0, play.marks["title"]):
        raise TestFailure("the title screen is not silent")
    if display_states(play):
        raise TestFailure("the title screen keeps the display on")


def check_enter_drives(play):
    """Enter: the driving view, and music from then on."""
    play.server.run("xdotool", "windowfocus", "--sync", play.window)
    play.mark("enter")
    play.hold("Return")
    try:
        def driving():
            pic = play.shot("driving")
            if pic.where_exact(GREY)[0] > 100:
                return None
            return pic if pic.share(SKY_BAND, picture.is_sky) > 0.6 else None

        first = wait_for(driving, 10, "Enter did not bring up the driving view")
    finally:
        play.release("Return")
    # The body's pose follows the probes one frame late: the start view is
    # the one that stays, with the needle where it rests.
    angles = [picture.axis_angle(first, DIAL, is_needle)]

    def settled():
        pic = play.shot("settled")
        angles.append(picture.axis_angle(pic, DIAL, is_needle))
        return pic if None not in angles[-2:] and abs(angles[-1] - angles[-2]) <= 1 else None

    play.start_view = wait_for(settled, 10, "the needle did not come to rest at the start")
    if play.start_view.share((300, 150, 800, 330), views.is_road) < 0.4:
        raise TestFailure("no road ahead in the driving view")
    # Wine may drop the first second of a track: the music is judged from the
    # second after Enter on.
    settled = play.marks["enter"] + sound.BYTES_PER_SECOND
    play.wait_for_audio(settled + 2 * sound.BYTES_PER_SECOND, 15)
    end = play.recording.size()
    first = play.recording.music_within(settled, end)
    if first is None or first > settled + sound.BYTES_PER_SECOND:
        raise TestFailure("no music in the second second after Enter")
    if not play.recording.music_throughout(first, end):
        raise TestFailure("the music broke off after it began")
    play.marks["music"] = first
    expect_display(play, DISPLAY_KEPT_ON, "driving")


def check_up_and_left(play):
    """Up held: the ground moves and the needle swings; Left held as well:
    the view turns left, so the horizon slides right."""
    needle_rest = picture.axis_angle(play.start_view, DIAL, is_needle)
    if needle_rest is None:
        raise TestFailure("no needle on the dial at the start")
    play.hold("Up")
    try:
        def moving():
            pic = play.shot("up")
            needle = picture.axis_angle(pic, DIAL, is_needle)
            ground = changed_share(play.start_view, pic, GROUND)
            return (needle, ground) if needle is not None and abs(
                needle - needle_rest) >= 10 and ground >= 0.1 else None

        needle, ground = wait_for(moving, 15, "holding Up did not move the car")
        print(f"  Up: needle {needle_rest} -> {needle} degrees, {ground:.0%} of the ground changed")
        before = play.shot("before_left")
        play.hold("Left")
        try:
            # Driving on, the scenery beside the road slides outward on both
            # sides; turning left slides all of it to the right.
            def turned():
                after = play.shot("left")
                shifts = [picture.sideways_shift(crop(before, x0, x1), crop(after, x0, x1),
                                                 *HORIZON_BAND)[0] for x0, x1 in HALVES]
                return shifts if min(shifts) >= 10 else None

            shifts = wait_for(turned, 10, "holding Left did not turn the view left")
            print(f"  Left: the horizon's halves slid {shifts} px to the right")
        finally:
            play.release("Left")
    finally:
        play.release("Up")


def check_menu_keys(play):
    """Alt alone, F10 and Alt+Space, which start a window's menu loop, leave
    the full-screen game running: the view moves on while Up is held."""
    play.server.run("xdotool", "windowfocus", "--sync", play.window)
    for key in ("alt", "F10", "alt+space"):
        play.server.run("xdotool", "key", key)
    play.hold("Up")
    try:
        before = play.shot("menu_keys")
        wait_for(lambda: changed_share(before, play.shot("after_menu_keys"), GROUND) >= 0.1, 5,
                 "after Alt, F10 and Alt+Space the view stood still")
    finally:
        play.release("Up")


def start_foreground(play):
    helper = subprocess.Popen(["wine", play.foreground], env=dict(play.server.env(),
                                                                   **play.pulse_env),
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)
    line = read_line(helper, 30)
    if line != "taken":
        helper.kill()
        helper.wait()
        raise TestFailure(f"the foreground helper did not take the foreground ({line!r})")
    return helper


def read_line(process, timeout):
    """A line of the process's output, or "" at its end or after timeout."""
    if not select.select([process.stdout], [], [], timeout)[0]:
        return ""
    return process.stdout.readline().decode(errors="replace").strip()


def check_device_loss(play):
    """Another program's window takes the foreground: the music pauses. It
    gives it back: the game draws its start view again and the music
    resumes."""
    # The car keeps its speed through a reset: it must stand before the loss
    # for the start view to come back unchanged.
    rest = picture.axis_angle(play.start_view, DIAL, is_needle)
    standing = []

    def stands():
        angle = picture.axis_angle(play.shot("coming_to_rest"), DIAL, is_needle)
        standing.append(angle is not None and abs(angle - rest) <= 2)
        return standing[-2:] == [True, True]

    wait_for(stands, 30, "the car did not come to rest with the keys released")
    before = play.shot("before_loss")
    if changed_share(play.start_view, before, SCENERY) < 0.3:
        raise TestFailure("the view before the loss is too like the start view to tell them "
                          "apart")
    play.mark("lost")
    helper = start_foreground(play)
    try:
        lost = play.recording.size()

        def paused():
            end = play.recording.size()
            return end - lost >= sound.BYTES_PER_SECOND and play.recording.silent(
                end - sound.BYTES_PER_SECOND // 2, end)

        wait_for(paused, 15, "the music did not pause while another window had the foreground")
        play.mark("paused")
        expect_display(play, DISPLAY_FREE, "with the device lost")
        play.shot("lost")
        helper.stdin.write(b"give back\n")
        helper.stdin.flush()
        if read_line(helper, 30) != "given back":
            raise TestFailure("the foreground helper did not give the foreground back")
        play.mark("back")

        def start_again():
            pic = play.shot("back")
            if pic.share(SKY_BAND, picture.is_sky) < 0.6:
                return None
            return pic if changed_share(play.start_view, pic, SCENERY) < 0.05 else None

        try:
            pic = wait_for(start_again, 20, "the game did not draw its start view again")
        except TestFailure:
            print(f"  the scenery differs from the start view's by "
                  f"{changed_share(play.start_view, play.kept[-1][1], SCENERY):.0%}")
            raise
        print(f"  back: the scenery differs from the start view's by "
              f"{changed_share(play.start_view, pic, SCENERY):.0%}, from the view before the "
              f"loss by {changed_share(before, pic, SCENERY):.0%}")
        back = play.marks["back"]
        play.wait_for_audio(back + 3 * sound.BYTES_PER_SECOND, 15)
        if play.recording.music_within(back, play.recording.size()) is None:
            raise TestFailure("the music did not resume after the device came back")
        expect_display(play, DISPLAY_KEPT_ON, "back from the loss")
    finally:
        if helper.poll() is None:
            helper.stdin.close()
            try:
                helper.wait(timeout=10)
            except subprocess.TimeoutExpired:
                helper.kill()
                helper.wait()


def check_escape(play):
    """Escape: exit code 0; nothing said (started from a folder without them,
    the game found all its files) and no file written."""
    play.server.run("xdotool", "windowfocus", "--sync", play.window)
    play.server.run("xdotool", "key", "Escape")
    code = play.game.wait_exit(20)
    if code != 0:
        raise TestFailure(f"Escape: exit code {code}")
    said = [line for line in play.game.output().splitlines()
            if line.startswith(("riderozad:", "music:"))]
    if said:
        raise TestFailure("the game complained:\n" + "\n".join(said))
    expect_display(play, DISPLAY_FREE, "at the end")
    before, after = play.game.files_before, play.game.files()
    written = sorted(p for p in after.keys() | before.keys() if after.get(p) != before.get(p))
    if written:
        raise TestFailure("the game wrote files: " + ", ".join(written))


STEPS = [check_title_screen, check_enter_drives, check_up_and_left, check_menu_keys,
         check_device_loss, check_escape]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--game", required=True, help="riderozad.exe, beside its data")
    parser.add_argument("--foreground", required=True, help="the foreground helper .exe")
    parser.add_argument("--out", default=".")
    args = parser.parse_args()
    if "DISPLAY" not in os.environ or "WINEPREFIX" not in os.environ:
        print("play_test.py runs inside tests/win32/wine_session.sh", file=sys.stderr)
        return 2
    os.makedirs(args.out, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="riderozad-play-")
    audio_path = os.path.join(args.out, "win32_play_audio.raw")
    server = SessionScreen(os.environ["DISPLAY"])
    pulse = game = play = None
    began = time.monotonic()
    try:
        pulse = PrivatePulse(folder, audio_path)
        # Wine logs every SetThreadExecutionState call among ntdll's warnings.
        game = WineGame(server, os.path.abspath(args.game),
                        {"PULSE_SERVER": pulse.env["PULSE_SERVER"],
                         "WINEDEBUG": "-all,warn+ntdll"})
        play = Play(server, pulse, game, os.path.abspath(args.foreground), args.out)
        run_steps(play, STEPS)
    except TestFailure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        if game:
            print(game.output(), file=sys.stderr)
        return 1
    finally:
        if game:
            game.close()
        if pulse:
            pulse.close()
        shutil.rmtree(folder, ignore_errors=True)
    print(f"played run: {time.monotonic() - began:.1f} s")
    os.remove(audio_path)  # kept only for a failed run
    return 0


if __name__ == "__main__":
    sys.exit(main())
