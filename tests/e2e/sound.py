"""The sound the game played, as SDL's disk audio driver records it: raw
16-bit little-endian stereo at 44100 Hz (what the game's mixer asks for),
written as it is played. A byte offset in the file is thus a moment of the
run, and the file's size now is the present."""

import array
import os
import sys

RATE = 44100
CHANNELS = 2
BYTES_PER_SECOND = RATE * CHANNELS * 2
FRAME_BYTES = CHANNELS * 2

# Peaks at or below this are silence (the mixer writes exact zeros; a little
# room for a dithering backend).
SILENT_PEAK = 64
# A window of the tune at least this loud is music being played.
MUSIC_PEAK = 500


class Recording:
    def __init__(self, path):
        self.path = path

    def size(self):
        try:
            return os.path.getsize(self.path)
        except OSError:
            return 0

    def peaks(self, start, end, window_seconds):
        """Peak absolute sample of each window of window_seconds between byte
        offsets start and end (whole windows only)."""
        window = int(window_seconds * BYTES_PER_SECOND) // FRAME_BYTES * FRAME_BYTES
        start = start // FRAME_BYTES * FRAME_BYTES
        with open(self.path, "rb") as f:
            f.seek(start)
            data = f.read(max(0, end - start))
        result = []
        for pos in range(0, len(data) - window + 1, window):
            samples = array.array("h")
            samples.frombytes(data[pos:pos + window])
            if sys.byteorder == "big":
                samples.byteswap()
            result.append(max(max(samples), -min(samples)) if samples else 0)
        return result

    def silent(self, start, end):
        """True when nothing but silence was played between the offsets."""
        return all(p <= SILENT_PEAK for p in self.peaks(start, end, 0.1))

    def music_throughout(self, start, end):
        """True when every half second between the offsets carries music."""
        peaks = self.peaks(start, end, 0.5)
        return bool(peaks) and all(p >= MUSIC_PEAK for p in peaks)

    def music_within(self, start, end):
        """Byte offset of the first tenth of a second with music between
        the offsets, or None."""
        for i, p in enumerate(self.peaks(start, end, 0.1)):
            if p >= MUSIC_PEAK:
                return start + int(i * 0.1 * BYTES_PER_SECOND)
        return None


    def silence_from(self, start, end, span=0.5):
        """Byte offset of the first run of span seconds of silence between
        the offsets, or None. The tune itself never falls silent."""
        run = round(span / 0.1)
        quiet = 0
        for i, p in enumerate(self.peaks(start, end, 0.1)):
            quiet = quiet + 1 if p <= SILENT_PEAK else 0
            if quiet == run:
                return start + int((i + 1 - run) * 0.1 * BYTES_PER_SECOND)
        return None


def seconds(byte_count):
    return byte_count / BYTES_PER_SECOND
