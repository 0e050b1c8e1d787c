#!/usr/bin/env python3
"""The agreement scene (tests/win32/d3d9_agreement_scene.hpp) drawn by
WebGL2 in headless Chromium, set beside the native GL device's picture of it.

Two rasterisers may decide differently which pixels a triangle's edge or a
texel boundary covers, so the rule leaves out the edge pixels of the native
picture: those within REACH pixels of a colour that differs from their own
by more than TOLERANCE in some channel (their 5x5 neighbourhood, clipped at
the picture's border, is not uniform). A 3x3 neighbourhood is not enough: a
face seen edge-on is a sliver thinner than a pixel, drawn as a dotted line
whose dots each rasteriser places in its own way, two pixels from the
other's. Every other pixel lies inside a flat or smoothly lit area, where
both devices compute the same colour from the same states, and none of them
may differ by more than TOLERANCE. The figures for both neighbourhoods are
printed."""

import base64
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import devtools  # noqa: E402  (puts tests/e2e on the path)
import picture  # noqa: E402
from picture import Picture  # noqa: E402
from xsession import TestFailure, parse_ppm, wait_for  # noqa: E402

TOLERANCE = 2  # of 255, per channel
REACH = 2

RENDERER = """(() => {
  const gl = Module.canvas.getContext("webgl2");
  const info = gl.getExtension("WEBGL_debug_renderer_info");
  return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER);
})()"""


def _lanes(values):
    """A row of bytes as one integer with a 16-bit lane per byte, the first
    byte in the lowest lane."""
    wide = bytearray(2 * len(values))
    wide[0::2] = values
    return int.from_bytes(wide, "little")


def edge_map(pic, tolerance, reach):
    """Per pixel, non-zero where some pixel of its neighbourhood (reach
    pixels each way, clipped at the border) in pic differs from it by more
    than tolerance in a channel. Rows are compared as wide integers, each
    channel of each pixel in a 16-bit lane of its own: a lane of a + 256 - b
    lies in 1..511, so adding it to or taking it from a constant never
    carries into the next lane, and bit 15 of the sum tells the lane."""
    w, h = pic.width, pic.height
    lanes = 3 * (w + 4 * reach)  # the row, copies of its end pixels, and room to shift

    def each(value):
        return int.from_bytes(value.to_bytes(2, "little") * lanes, "little")

    offset, high, low, top = (each(256), each(32767 - 256 - tolerance),
                              each(32768 + 255 - tolerance), each(0x8000))
    rows = []  # padded at both ends of each row and of the picture with copies of the ends
    for y in range(h):
        row = pic.pixels[3 * w * y:3 * w * (y + 1)]
        wide = bytearray(2 * 3 * (w + 2 * reach))
        wide[0::2] = row[:3] * reach + row + row[-3:] * reach
        rows.append(int.from_bytes(wide, "little"))
    rows = rows[:1] * reach + rows + rows[-1:] * reach
    edges = bytearray(w * h)
    span = range(-reach, reach + 1)
    first = 2 * 3 * reach + 1  # the high byte of pixel 0's red lane
    for y in range(h):
        far = 0
        centre = rows[y + reach] + offset
        for dy in span:
            other = rows[y + reach + dy]
            for dx in span:
                d = centre - (other >> (48 * dx) if dx > 0 else other << (-48 * dx))
                far |= ((d + high) | (low - d)) & top
        flags = far.to_bytes(2 * lanes, "little")
        red, green, blue = (int.from_bytes(flags[first + 2 * c:first + 6 * w:6], "little")
                            for c in range(3))
        edges[y * w:(y + 1) * w] = (red | green | blue).to_bytes(w, "little")
    return edges


def compare(native, web, tolerance, reach):
    """Counts of the pixels by kind and by how far they differ."""
    edges = edge_map(native, tolerance, reach)
    w = native.width
    figures = {"pixels": w * native.height, "edge": len(edges) - edges.count(0), "differ": 0,
               "edge_beyond": 0, "flat_beyond": 0, "edge_max": 0, "flat_max": 0,
               "first_flat_beyond": None}
    a, b = native.pixels, web.pixels
    for y in range(native.height):
        if a[3 * w * y:3 * w * (y + 1)] == b[3 * w * y:3 * w * (y + 1)]:
            continue
        for i in range(w * y, w * (y + 1)):
            j = 3 * i
            d = max(abs(a[j] - b[j]), abs(a[j + 1] - b[j + 1]), abs(a[j + 2] - b[j + 2]))
            if d == 0:
                continue
            figures["differ"] += 1
            kind = "edge" if edges[i] else "flat"
            figures[kind + "_max"] = max(figures[kind + "_max"], d)
            if d > tolerance:
                figures[kind + "_beyond"] += 1
                if kind == "flat" and figures["first_flat_beyond"] is None:
                    figures["first_flat_beyond"] = (i % w, i // w)
    return figures


def web_picture(page_folder, out_dir):
    """The page's picture of the scene, and the renderer that drew it."""
    server = devtools.PageServer(page_folder, os.path.join(out_dir, "browser_agreement_server.log"))
    browser = None
    try:
        browser = devtools.Chromium()
        browser.open(server.address + "agreement.html")
        result = wait_for(lambda: browser.evaluate(
            "window.Module && Module.agreement || null"), 60,
            "the page did not draw the scene", interval=0.1)
        if "error" in result:
            raise TestFailure(f"the page could not draw the scene: {result['error']}; "
                              f"console: {browser.console}")
        renderer = browser.evaluate(RENDERER)
        rgb = base64.b64decode(result["rgb"])
        return Picture((result["width"], result["height"], rgb)), renderer
    finally:
        if browser:
            browser.close()
        server.close()


def main():
    args = devtools.page_arguments("the folder holding agreement.html",
                                   ("--native", "the native GL device's PPM picture"))
    began = time.monotonic()
    try:
        with open(args.native, "rb") as f:
            native = Picture(parse_ppm(f.read()))
        web, renderer = web_picture(os.path.abspath(args.page), args.out)
        if (web.width, web.height) != (native.width, native.height):
            raise TestFailure(f"the page drew {web.width}x{web.height}, the native device "
                              f"{native.width}x{native.height}")
        figures = {reach: compare(native, web, TOLERANCE, reach) for reach in (1, REACH)}
    except (TestFailure, OSError) as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    print(f"renderer: {renderer}")
    for reach, f in figures.items():
        side = 2 * reach + 1
        print(f"{side}x{side}: {f['pixels']} pixels, {f['edge']} of them edge pixels of the native "
              f"picture; {f['differ']} differ at all; edge pixels: {f['edge_beyond']} by more "
              f"than {TOLERANCE}/255, at most by {f['edge_max']}; other pixels: "
              f"{f['flat_beyond']} by more than {TOLERANCE}/255, at most by {f['flat_max']}")
    print(f"compared in {time.monotonic() - began:.1f} s")
    f = figures[REACH]
    if f["flat_beyond"]:
        picture.write_png(web, os.path.join(args.out, "browser_agreement_web.png"))
        picture.write_png(native, os.path.join(args.out, "browser_agreement_native.png"))
        print(f"FAIL: {f['flat_beyond']} pixels away from any edge differ by more than "
              f"{TOLERANCE}/255, the first at {f['first_flat_beyond']}; both pictures kept in "
              f"{args.out}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
