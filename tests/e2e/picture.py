"""What a screenshot shows, measured with the standard library only: exact
colours in rectangles, coarse colour classes on a sampled grid, how much two
pictures differ, where the horizon lies and how far the scenery has slid
sideways. Pictures are (width, height, rgb bytes) as xsession returns them."""

import math

# The grid the coarse measures look at: every SAMPLE-th pixel of every
# SAMPLE-th row. Colours stay exact (no averaging), and a measure costs a few
# milliseconds instead of a second.
SAMPLE = 4


class Picture:
    def __init__(self, shot):
        self.width, self.height, self.pixels = shot

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def row(self, y, x0=0, x1=None, step=SAMPLE):
        """The pixels of row y from x0 to x1, every step-th, as (r, g, b)."""
        x1 = self.width if x1 is None else x1
        start = (y * self.width + x0) * 3
        end = (y * self.width + x1) * 3
        stride = 3 * step
        data = self.pixels[start:end]
        return list(zip(data[0::stride], data[1::stride], data[2::stride]))

    def grid(self, box):
        """Sampled pixels of box (x0, y0, x1, y1) as a list of rows."""
        x0, y0, x1, y1 = box
        return [self.row(y, x0, x1) for y in range(y0, y1, SAMPLE)]

    def where_exact(self, rgb):
        """(count, bounding box) of the pixels that are exactly rgb; the box
        is None when there are none."""
        target = bytes(rgb)
        count = 0
        x0 = y0 = 1 << 30
        x1 = y1 = -1
        pos = self.pixels.find(target)
        while pos >= 0:
            if pos % 3 == 0:
                index = pos // 3
                x, y = index % self.width, index // self.width
                count += 1
                x0, y0, x1, y1 = min(x0, x), min(y0, y), max(x1, x), max(y1, y)
                pos = self.pixels.find(target, pos + 3)
            else:
                pos = self.pixels.find(target, pos + 1)
        return count, ((x0, y0, x1 + 1, y1 + 1) if count else None)

    def share(self, box, test):
        """Fraction of the sampled pixels of box for which test(rgb) holds."""
        rows = self.grid(box)
        total = sum(len(r) for r in rows)
        hits = sum(1 for r in rows for p in r if test(p))
        return hits / total if total else 0.0


def is_sky(p):
    r, g, b = p
    return b >= 150 and b >= r + 25 and b >= g + 10


def is_black(p):
    return max(p) <= 12


def changed_share(a, b, box, tolerance=10):
    """Fraction of the sampled pixels of box whose colour differs between
    pictures a and b by more than tolerance in some channel."""
    rows_a, rows_b = a.grid(box), b.grid(box)
    total = changed = 0
    for ra, rb in zip(rows_a, rows_b):
        for pa, pb in zip(ra, rb):
            total += 1
            if (abs(pa[0] - pb[0]) > tolerance or abs(pa[1] - pb[1]) > tolerance
                    or abs(pa[2] - pb[2]) > tolerance):
                changed += 1
    return changed / total if total else 0.0


def mean_difference(a, b, box):
    """Mean absolute difference of the sampled pixels of box, per channel,
    on the 0..255 scale."""
    total = count = 0
    for ra, rb in zip(a.grid(box), b.grid(box)):
        for pa, pb in zip(ra, rb):
            total += abs(pa[0] - pb[0]) + abs(pa[1] - pb[1]) + abs(pa[2] - pb[2])
            count += 3
    return total / count if count else 0.0


def horizon_rows(pic, y_limit=None):
    """Per sampled column, the first row from the top that is no longer sky:
    where the sky meets the land (or a tree in front of it). A column that is
    sky all the way down to y_limit counts as y_limit."""
    y_limit = pic.height // 2 if y_limit is None else y_limit
    rows = [pic.row(y) for y in range(0, y_limit)]
    firsts = []
    for column in range(len(rows[0])):
        first = y_limit
        for y, row in enumerate(rows):
            if not is_sky(row[column]):
                first = y
                break
        firsts.append(first)
    return firsts


def horizon_drift(a, b):
    """How many rows the horizon moved down from picture a to b: the median
    over the columns of each column's move, so that a tree passing through
    some columns does not count."""
    moves = sorted(rb - ra for ra, rb in zip(horizon_rows(a), horizon_rows(b)))
    return moves[len(moves) // 2]


def column_profile(pic, y0, y1):
    """Per sampled column, the mean brightness of rows y0 to y1: a signature
    of what stands along the horizon."""
    sums = None
    count = 0
    for y in range(y0, y1, 2):
        row = pic.row(y, step=2)
        values = [r + g + b for r, g, b in row]
        sums = values if sums is None else [s + v for s, v in zip(sums, values)]
        count += 1
    return [s / (3 * count) for s in sums]


def sideways_shift(before, after, y0, y1, max_shift=400):
    """How many pixels the band of rows y0 to y1 moved to the right from
    before to after (negative: to the left), and the mean brightness error at
    that shift. Found by trying every shift with at least half the width
    overlapping."""
    a, b = column_profile(before, y0, y1), column_profile(after, y0, y1)
    n = len(a)
    limit = min(max_shift // 2, n // 2)
    best = (math.inf, 0)
    for s in range(-limit, limit + 1):
        # after[x + s] should show what before[x] showed
        lo, hi = max(0, -s), min(n, n - s)
        error = sum(abs(a[x] - b[x + s]) for x in range(lo, hi)) / (hi - lo)
        best = min(best, (error, s))
    return best[1] * 2, best[0]


def axis_angle(pic, box, test):
    """Orientation of the pixels in box for which test(rgb) holds, from their
    second moments: degrees from the vertical, positive when the top leans
    right (a clockwise turn on the screen). None when fewer than 20 pixels
    pass."""
    x0, y0, x1, y1 = box
    points = []
    for y in range(y0, y1, 2):
        for i, p in enumerate(pic.row(y, x0, x1, step=2)):
            if test(p):
                points.append((x0 + 2 * i, y))
    if len(points) < 20:
        return None
    n = len(points)
    mx = sum(p[0] for p in points) / n
    my = sum(p[1] for p in points) / n
    sxx = sum((p[0] - mx) ** 2 for p in points) / n
    syy = sum((p[1] - my) ** 2 for p in points) / n
    sxy = sum((p[0] - mx) * (p[1] - my) for p in points) / n
    # Direction of the major axis in screen coordinates (y down), taken
    # pointing up the screen; its lean from straight up.
    theta = math.degrees(0.5 * math.atan2(2 * sxy, sxx - syy))
    upward = theta - 180 if theta > 0 else theta
    return round(upward + 90, 1)


def centroid(pic, box, test):
    """Mean (x, y) of the sampled pixels in box for which test(rgb) holds, or
    None when there are none."""
    x0, y0, x1, y1 = box
    sx = sy = n = 0
    for y in range(y0, y1, 2):
        for i, p in enumerate(pic.row(y, x0, x1, step=2)):
            if test(p):
                sx += x0 + 2 * i
                sy += y
                n += 1
    return (sx / n, sy / n) if n else None


def game_view(pic, box):
    """The part box (x, y, width, height) of a picture scaled to the game's
    1024x768, where views.py's places are (ImageMagick scales it)."""
    import subprocess
    x, y, w, h = box
    header = b"P6\n%d %d\n255\n" % (pic.width, pic.height)
    out = subprocess.run(["convert", "ppm:-", "-crop", f"{w}x{h}+{x}+{y}", "+repage",
                          "-resize", "1024x768!", "-depth", "8", "ppm:-"],
                         input=header + pic.pixels, stdout=subprocess.PIPE, check=True,
                         timeout=30).stdout
    from xsession import parse_ppm
    return Picture(parse_ppm(out))


def write_png(pic, path):
    """Keeps a picture for whoever reads a failure; PPM is what we can write
    without extra modules, ImageMagick makes it a PNG."""
    import subprocess
    header = b"P6\n%d %d\n255\n" % (pic.width, pic.height)
    subprocess.run(["convert", "ppm:-", path], input=header + pic.pixels, check=False,
                   timeout=30)
