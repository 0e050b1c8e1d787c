#!/usr/bin/env python3
"""make_icon.py RSVG_CONVERT SVG ICO: the game's Windows icon, rendered from
its SVG by librsvg's rsvg-convert at the sizes the shell asks for (16 to 256
pixels, for every display scale) and packed into one .ico. Each size is kept
as PNG, which Windows reads at every size since Vista."""

import struct
import subprocess
import sys

SIZES = (16, 20, 24, 32, 40, 48, 64, 96, 128, 256)


def render(rsvg_convert, svg, side):
    png = subprocess.run([rsvg_convert, "--width", str(side), "--height", str(side), svg],
                         check=True, stdout=subprocess.PIPE).stdout
    width, height = struct.unpack(">II", png[16:24])
    if png[:8] != b"\x89PNG\r\n\x1a\n" or (width, height) != (side, side):
        sys.exit(f"make_icon: rsvg-convert gave no {side}x{side} PNG for {svg}")
    return png


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: make_icon.py RSVG_CONVERT SVG ICO")
    rsvg_convert, svg, ico = sys.argv[1:]
    images = [render(rsvg_convert, svg, side) for side in SIZES]
    # The directory: a 6-byte header, then 16 bytes per image; a side of 256
    # is written as 0.
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for side, png in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    with open(ico, "wb") as out:
        out.write(directory + b"".join(images))


if __name__ == "__main__":
    main()
