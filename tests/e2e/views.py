"""What the game's screens look like: where things are on the 1024x768
picture, the colours that tell them apart, and the title screen's rules."""

from picture import Picture, is_black, is_sky

GREY = (100, 100, 100)
VIOLET = (130, 100, 200)
# The title texts' rectangles: left and top; each reaches to the screen's
# right and bottom edges.
TITLE_RECTS = [(200, 200), (220, 280), (280, 390)]

SKY_BAND = (0, 0, 1024, 50)
# Above the dashboard: the road, the scenery and the traffic.
VIEW = (0, 90, 1024, 330)
GROUND = (0, 130, 1024, 330)
COCKPIT = (0, 560, 1024, 768)
DIAL = (250, 390, 560, 560)
HUB = (250, 520, 500, 768)
# Rows that hold the horizon's silhouette: sky, hills, distant trees.
HORIZON_BAND = (30, 110)


def is_road(p):
    return 45 <= min(p) and max(p) <= 150 and max(p) - min(p) <= 18


def is_needle(p):
    r, g, b = p
    return r >= 200 and 50 <= g <= 150 and b <= 80


def is_emblem(p):
    r, g, b = p
    return r >= 70 and r - b >= 15 and g - b >= 12 and abs(r - g) <= 15


def is_barrier(p):
    """The wall's red and off-white blocks."""
    r, g, b = p
    return (r >= 120 and g <= 70 and b <= 70) or (min(p) >= 130 and max(p) - min(p) <= 25)


def title_shown(pic):
    """True once the title texts are on the screen in both colours."""
    return pic.where_exact(GREY)[0] > 500 and pic.where_exact(VIOLET)[0] > 200


def driving_shown(pic):
    """True once the title texts have gone and the sky is drawn."""
    return pic.where_exact(GREY)[0] <= 100 and pic.share(SKY_BAND, is_sky) > 0.6


def title_problem(pic):
    """What is wrong with a title screen, or None: black, grey text in the
    first two rectangles, violet text in the third, each starting at its
    rectangle's corner."""
    black = pic.share((0, 0, pic.width, pic.height), is_black)
    if black < 0.95:
        return f"the title screen is only {black:.0%} black"
    # Everything that is not black lies in the first rectangle (the others
    # lie inside it).
    left, top = TITLE_RECTS[0]
    for y in range(0, pic.height, 2):
        for i, p in enumerate(pic.row(y, step=2)):
            if not is_black(p) and (2 * i < left or y < top):
                return f"title screen: {p} at ({2 * i}, {y}), outside the texts"
    # Each text, found by its colour and line, starts at its rectangle's
    # corner: within a blank's width to the right, within the font's
    # internal leading below.
    split = TITLE_RECTS[1][1]
    row_bytes = pic.width * 3
    first_line = Picture((pic.width, split, pic.pixels[:row_bytes * split]))
    second_line = Picture((pic.width, pic.height - split, pic.pixels[row_bytes * split:]))
    boxes = [first_line.where_exact(GREY)[1], second_line.where_exact(GREY)[1],
             pic.where_exact(VIOLET)[1]]
    if boxes[1]:
        boxes[1] = (boxes[1][0], boxes[1][1] + split, boxes[1][2], boxes[1][3] + split)
    for n, ((rx, ry), box) in enumerate(zip(TITLE_RECTS, boxes), 1):
        if box is None:
            return f"title text {n} is missing"
        if not (rx <= box[0] <= rx + 40 and ry <= box[1] <= ry + 25):
            return f"title text {n} starts at {box[:2]}, not at its rectangle's corner {rx, ry}"
    return None
