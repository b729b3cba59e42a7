#!/usr/bin/env python3
# Draws the images of the main window (16 x 16, with alpha) and writes them as PNG image lists into
# TMainDataModule.form beside this script:
#   pngmglstMain    the commands of the menus and toolbars (the actions' ImageIndex)
#   pngmglstTabs    the tab bar: 0 a read-only document, 1 the new-tab button
#   pngmglstBanner  the find dialog's banner: 0 the search wrapped around, 1 nothing found
#   pngmglstPrintPreview  the print preview's bar: 0 first, 1 previous, 2 next, 3 last page
#   pngmglstBookmarks     the editor's gutter: bookmarks 0 to 9
# With "--sheet FILE" it also writes an enlarged sheet of every image, to look at them.
#
# The shapes are drawn with 8 x 8 samples per pixel, so that edges are smooth; outlines sit on
# pixel centres, so that straight ones stay sharp.
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 16
SAMPLES = 8


# ---- colours ----

def rgb(text, alpha=255):
    return (int(text[1:3], 16), int(text[3:5], 16), int(text[5:7], 16), alpha)


def vertical(y0, top, y1, bottom):
    """A paint that runs from `top` at y0 to `bottom` at y1."""
    def paint(_x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0) if y1 != y0 else 0.0
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(4))
    return paint


def solid(colour):
    return lambda _x, _y: colour


def paint_of(p):
    return p if callable(p) else solid(p)


# ---- the canvas ----

class Canvas:
    def __init__(self):
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * SIZE for _ in range(SIZE)]  # premultiplied, 0..1

    def shape(self, inside, box, paint, erase=False):
        paint = paint_of(paint)
        x0, y0, x1, y1 = box
        for py in range(max(0, int(math.floor(y0))), min(SIZE, int(math.ceil(y1)))):
            for px in range(max(0, int(math.floor(x0))), min(SIZE, int(math.ceil(x1)))):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(SAMPLES):
                    y = py + (sy + 0.5) / SAMPLES
                    for sx in range(SAMPLES):
                        x = px + (sx + 0.5) / SAMPLES
                        if inside(x, y):
                            r, g, b, a = paint(x, y)
                            a /= 255.0
                            acc[0] += r / 255.0 * a
                            acc[1] += g / 255.0 * a
                            acc[2] += b / 255.0 * a
                            acc[3] += a
                n = SAMPLES * SAMPLES
                src = [v / n for v in acc]
                if src[3] == 0:
                    continue
                d = self.px[py][px]
                if erase:
                    keep = 1.0 - src[3]
                    self.px[py][px] = tuple(v * keep for v in d)
                else:
                    keep = 1.0 - src[3]
                    self.px[py][px] = tuple(src[i] + d[i] * keep for i in range(4))

    # -- filled shapes --
    def polygon(self, pts, paint, erase=False):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(lambda x, y: winding(pts, x, y) != 0, (min(xs), min(ys), max(xs), max(ys)), paint, erase)

    def rect(self, x0, y0, x1, y1, paint, radius=0.0, erase=False):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            if radius <= 0:
                return True
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
        self.shape(inside, (x0, y0, x1, y1), paint, erase)

    def ellipse(self, cx, cy, rx, ry, paint, erase=False):
        self.shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                   (cx - rx, cy - ry, cx + rx, cy + ry), paint, erase)

    # -- strokes --
    def line(self, pts, width, paint, closed=False, cap=True):
        segs = list(zip(pts, pts[1:]))
        if closed:
            segs.append((pts[-1], pts[0]))
        h = width / 2.0
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            for a, b in segs:
                if segment_distance(a, b, x, y, cap) <= h:
                    return True
            return False
        self.shape(inside, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h), paint)

    def outline(self, x0, y0, x1, y1, paint, width=1.0, radius=0.0):
        """A frame whose stroke is centred on the rectangle's edges."""
        h = width / 2.0

        def inside_rect(x, y, a0, b0, a1, b1, r):
            if not (a0 <= x <= a1 and b0 <= y <= b1):
                return False
            if r <= 0:
                return True
            cx = min(max(x, a0 + r), a1 - r)
            cy = min(max(y, b0 + r), b1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.shape(lambda x, y: inside_rect(x, y, x0 - h, y0 - h, x1 + h, y1 + h, radius + h if radius else 0)
                   and not inside_rect(x, y, x0 + h, y0 + h, x1 - h, y1 - h, max(radius - h, 0) if radius else 0),
                   (x0 - h, y0 - h, x1 + h, y1 + h), paint)

    def ring(self, cx, cy, r, width, paint, a0=None, a1=None):
        """A circle stroke; with angles (degrees, counter-clockwise from the right, y up) only
        the arc from a0 to a1."""
        h = width / 2.0

        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if abs(d - r) > h:
                return False
            if a0 is None:
                return True
            ang = math.degrees(math.atan2(cy - y, x - cx)) % 360.0
            lo = a0 % 360.0
            span = (a1 - a0) % 360.0 if a1 - a0 < 360 else 360
            return (ang - lo) % 360.0 <= span
        self.shape(inside, (cx - r - h, cy - r - h, cx + r + h, cy + r + h), paint)

    def rows(self):
        out = []
        for row in self.px:
            line = []
            for r, g, b, a in row:
                if a <= 0:
                    line.append((0, 0, 0, 0))
                else:
                    line.append(tuple(int(round(min(v / a, 1.0) * 255)) for v in (r, g, b)) + (int(round(a * 255)),))
            out.append(line)
        return out


def winding(pts, x, y):
    w = 0
    n = len(pts)
    for i in range(n):
        (ax, ay), (bx, by) = pts[i], pts[(i + 1) % n]
        if ay <= y:
            if by > y and (bx - ax) * (y - ay) - (x - ax) * (by - ay) > 0:
                w += 1
        elif by <= y and (bx - ax) * (y - ay) - (x - ax) * (by - ay) < 0:
            w -= 1
    return w


def segment_distance(a, b, x, y, cap):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = ((x - ax) * dx + (y - ay) * dy) / length2 if length2 else 0.0
    if not cap and (t < 0 or t > 1):
        return float("inf")
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def arc_points(cx, cy, r, a0, a1, steps=24):
    """Points along an arc, angles in degrees counter-clockwise with y up."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy - r * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


# ---- the palette: one family of colours for every image ----

PAGE = vertical(1, rgb("#FFFFFF"), 15, rgb("#E6ECF3"))
PAGE_EDGE = rgb("#6F7E90")
PAGE_FOLD = rgb("#D3DCE7")
TEXT_LINE = rgb("#9AA8B8")
BLUE = vertical(1, rgb("#6AA5EC"), 15, rgb("#2A62B5"))
BLUE_EDGE = rgb("#1E4686")
BLUE_DARK = rgb("#24508F")
FOLDER_BACK = vertical(2, rgb("#F3C95A"), 13, rgb("#D9A532"))
FOLDER_FRONT = vertical(6, rgb("#FFE69A"), 14, rgb("#F2C14E"))
FOLDER_EDGE = rgb("#A37418")
GREY = vertical(4, rgb("#F1F3F5"), 14, rgb("#A9B1BB"))
GREY_EDGE = rgb("#5B6572")
DARK = rgb("#3D4754")
GREEN = vertical(1, rgb("#7BD16A"), 15, rgb("#2F8C2B"))
GREEN_EDGE = rgb("#236B20")
RED = vertical(8, rgb("#F0695F"), 15, rgb("#C42B22"))
RED_EDGE = rgb("#8E1C16")
GOLD = vertical(7, rgb("#F7D66B"), 15, rgb("#D09A1C"))
GOLD_EDGE = rgb("#8A6410")
WHITE = rgb("#FFFFFF")


# ---- parts ----

def page(c, x0, y0, x1, y1, fold=3.0, lines=0, line_from=None):
    """A sheet with its top right corner folded; `lines` rows of text on it."""
    c.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], PAGE)
    c.line([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], 1.0, PAGE_EDGE, closed=True)
    if fold > 0:
        c.polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], PAGE_FOLD)
        c.line([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], 1.0, PAGE_EDGE)
    y = (line_from if line_from is not None else y0 + fold + 2)
    for i in range(lines):
        if y > y1 - 1.5:
            break
        right = x1 - 2 if i % 3 != 2 else x1 - 4
        c.line([(x0 + 2, y), (right, y)], 1.0, TEXT_LINE, cap=False)
        y += 2


def floppy(c, x0, y0, x1, y1):
    w = x1 - x0
    c.polygon([(x0, y0), (x1 - 1.5, y0), (x1, y0 + 1.5), (x1, y1), (x0, y1)], BLUE)
    c.line([(x0, y0), (x1 - 1.5, y0), (x1, y0 + 1.5), (x1, y1), (x0, y1)], 1.0, BLUE_EDGE, closed=True)
    label_right = x1 - max(2.0, w * 0.18)
    c.rect(x0 + 2, y0, label_right, y0 + (y1 - y0) * 0.45, WHITE)
    c.outline(x0 + 2, y0, label_right, y0 + (y1 - y0) * 0.45, BLUE_EDGE)
    if w >= 11:
        for k in (2.5, 4.5):
            c.line([(x0 + 3.5, y0 + k), (label_right - 1.5, y0 + k)], 1.0, rgb("#9DB3CF"), cap=False)
    sx0, sx1 = x0 + w * 0.28, x1 - w * 0.22
    sy0 = y1 - (y1 - y0) * 0.33
    c.rect(sx0, sy0, sx1, y1, vertical(sy0, rgb("#E9EDF2"), y1, rgb("#B5BEC9")))
    c.outline(sx0, sy0, sx1, y1, BLUE_EDGE)
    c.rect(sx1 - (sx1 - sx0) * 0.45, sy0 + 1.5, sx1 - (sx1 - sx0) * 0.2, y1 - 1, BLUE_DARK)


def magnifier(c, cx, cy, r, handle=4.5):
    c.ellipse(cx, cy, r, r, vertical(cy - r, rgb("#EAF5FF", 235), cy + r, rgb("#A9D3F5", 235)))
    c.ring(cx, cy, r, 1.6, DARK)
    c.ring(cx - r * 0.15, cy - r * 0.15, r * 0.55, 1.0, rgb("#FFFFFF", 200), 100, 170)
    d = r / math.sqrt(2)
    c.line([(cx + d + 0.6, cy + d + 0.6), (cx + d + handle, cy + d + handle)], 2.8, rgb("#4A3F35"))


def arrow_head(c, tip, direction, size, paint, edge):
    """A triangle pointing along `direction` (a unit vector) with its tip at `tip`."""
    dx, dy = direction
    bx, by = tip[0] - dx * size, tip[1] - dy * size
    px, py = -dy * size * 0.85, dx * size * 0.85
    pts = [tip, (bx + px, by + py), (bx - px, by - py)]
    c.polygon(pts, paint)
    c.line(pts, 1.0, edge, closed=True)


def curved_arrow(c, mirror, paint, edge):
    """The undo arrow: a head pointing left, its shaft turning down and back."""
    def m(p):
        return (SIZE - p[0], p[1]) if mirror else p
    path = [(5.0, 6.0)] + arc_points(9.0, 9.5, 3.5, 90, -90, 16) + [(5.5, 13.0)]
    path = [m(p) for p in path]
    c.line(path, 3.8, edge)
    c.line(path, 1.8, paint)
    arrow_head(c, m((1.0, 6.0)), (-1.0 if not mirror else 1.0, 0.0), 5.0, paint, edge)


def padlock(c, x0, y0, x1, y1):
    cx = (x0 + x1) / 2
    body_top = y0 + (y1 - y0) * 0.45
    r = (x1 - x0) * 0.3
    c.line([(cx - r, body_top)] + arc_points(cx, y0 + r + 0.5, r, 180, 0, 16) + [(cx + r, body_top)], 1.8,
           rgb("#6D7884"))
    c.rect(x0, body_top, x1, y1, GOLD, radius=1.0)
    c.outline(x0 + 0.5, body_top + 0.5, x1 - 0.5, y1 - 0.5, GOLD_EDGE, radius=1.0)
    kc = (body_top + y1) / 2
    c.ellipse(cx, kc - 0.3, 1.1, 1.1, rgb("#5C430B"))
    c.line([(cx, kc), (cx, kc + 1.8)], 1.0, rgb("#5C430B"), cap=False)


def bookmark(c, x0, y0, x1, y1, paint, edge):
    mid = (x0 + x1) / 2
    pts = [(x0, y0), (x1, y0), (x1, y1), (mid, y1 - (x1 - x0) * 0.55), (x0, y1)]
    c.polygon(pts, paint)
    c.line(pts, 1.0, edge, closed=True)


def cross_badge(c, cx, cy, r):
    c.ellipse(cx, cy, r, r, RED)
    c.ring(cx, cy, r - 0.5, 1.0, RED_EDGE)
    k = r * 0.42
    c.line([(cx - k, cy - k), (cx + k, cy + k)], 1.4, WHITE)
    c.line([(cx - k, cy + k), (cx + k, cy - k)], 1.4, WHITE)


def gear(c, cx, cy, outer, inner, teeth, hole):
    pts = []
    for i in range(teeth):
        base = 360.0 / teeth * i
        for a, r in ((base - 13, inner), (base - 7, outer), (base + 7, outer), (base + 13, inner)):
            pts.append((cx + r * math.cos(math.radians(a)), cy - r * math.sin(math.radians(a))))
    c.polygon(pts, vertical(cy - outer, rgb("#D9DEE4"), cy + outer, rgb("#8D97A3")))
    c.line(pts, 1.0, GREY_EDGE, closed=True)
    c.ellipse(cx, cy, hole, hole, WHITE, erase=True)
    c.ring(cx, cy, hole, 1.0, GREY_EDGE)


def letter_a(c, left, bottom, height, width, paint):
    top = bottom - height
    mid = left + width / 2
    c.line([(left, bottom), (mid, top), (left + width, bottom)], 1.9, paint)
    y = bottom - height * 0.38
    c.line([(left + width * 0.25, y), (left + width * 0.75, y)], 1.5, paint, cap=False)


# ---- the images ----

def img_new(c):
    page(c, 3.5, 1.5, 13.5, 15.5, fold=4.0)


def img_open(c):
    back = [(1.5, 2.5), (6.0, 2.5), (7.5, 4.0), (13.5, 4.0), (13.5, 13.5), (1.5, 13.5)]
    c.polygon(back, FOLDER_BACK)
    c.line(back, 1.0, FOLDER_EDGE, closed=True)
    c.rect(3.0, 5.0, 12.0, 10.0, PAGE)
    front = [(4.0, 7.5), (15.5, 7.5), (13.0, 13.5), (1.5, 13.5)]
    c.polygon(front, FOLDER_FRONT)
    c.line(front, 1.0, FOLDER_EDGE, closed=True)


def img_save(c):
    floppy(c, 1.5, 1.5, 14.5, 14.5)


def img_save_all(c):
    floppy(c, 5.5, 0.5, 15.5, 10.5)
    floppy(c, 0.5, 5.5, 10.5, 15.5)


def img_close(c):
    page(c, 2.5, 0.5, 12.5, 14.5, fold=3.0, lines=4)
    cross_badge(c, 11.5, 11.5, 4.0)


def img_print_preview(c):
    page(c, 1.5, 0.5, 11.5, 14.5, fold=3.0, lines=5)
    magnifier(c, 9.5, 9.0, 3.3, handle=3.4)


def img_print(c):
    c.rect(4.0, 1.0, 12.0, 7.0, WHITE)
    c.outline(4.5, 1.5, 11.5, 7.0, PAGE_EDGE)
    c.rect(1.0, 6.0, 15.0, 12.0, GREY, radius=1.5)
    c.outline(1.5, 6.5, 14.5, 11.5, GREY_EDGE, radius=1.0)
    c.rect(3.0, 9.5, 13.0, 10.5, rgb("#5B6572"))
    c.ellipse(12.5, 8.0, 0.8, 0.8, rgb("#3CB043"))
    c.rect(4.0, 10.0, 12.0, 15.0, PAGE)
    c.line([(4.5, 10.0), (4.5, 14.5), (11.5, 14.5), (11.5, 10.0)], 1.0, PAGE_EDGE)
    for y in (11.5, 13.0):
        c.line([(6.0, y), (10.0, y)], 1.0, TEXT_LINE, cap=False)


def img_page_setup(c):
    page(c, 2.5, 0.5, 13.5, 15.5, fold=3.5)
    dash = rgb("#3F7BD0")
    for x0, y0, x1, y1 in ((4.5, 4.5, 11.5, 4.5), (4.5, 13.5, 11.5, 13.5), (4.5, 4.5, 4.5, 13.5),
                           (11.5, 5.5, 11.5, 13.5)):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)))
        for k in range(0, steps + 1, 2):
            t = k / steps if steps else 0
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            c.rect(x - 0.5, y - 0.5, x + 0.5, y + 0.5, dash)


def img_undo(c):
    curved_arrow(c, False, BLUE, BLUE_EDGE)


def img_redo(c):
    curved_arrow(c, True, BLUE, BLUE_EDGE)


def img_cut(c):
    metal = rgb("#7E8894")
    c.line([(5.0, 1.0), (10.0, 10.0)], 1.7, metal)
    c.line([(11.0, 1.0), (6.0, 10.0)], 1.7, metal)
    c.ellipse(8.0, 7.3, 0.8, 0.8, DARK)
    for cx in (4.8, 11.2):
        c.ring(cx, 12.2, 2.4, 1.7, rgb("#C0392B"))


def img_copy(c):
    page(c, 1.5, 0.5, 10.5, 11.5, fold=3.0, lines=3)
    page(c, 5.5, 4.5, 14.5, 15.5, fold=3.0, lines=4)


def img_paste(c):
    board = vertical(2, rgb("#D9AE70"), 15, rgb("#A8773A"))
    c.rect(1.0, 2.0, 12.0, 15.0, board, radius=1.0)
    c.outline(1.5, 2.5, 11.5, 14.5, rgb("#74501F"), radius=1.0)
    c.rect(4.0, 0.5, 9.0, 4.0, GREY, radius=0.8)
    c.outline(4.5, 1.0, 8.5, 3.5, GREY_EDGE, radius=0.5)
    page(c, 6.5, 5.5, 15.5, 15.5, fold=2.5, lines=4)


def img_select_all(c):
    c.rect(1.5, 1.5, 14.5, 14.5, WHITE)
    sel = rgb("#5C9DE8")
    for y, x1 in ((3.5, 12.5), (6.5, 11.5), (9.5, 12.5), (12.5, 9.5)):
        c.rect(3.0, y - 1.0, x1, y + 1.0, sel)
    dash = rgb("#3D4754")
    for k in range(1, 15, 2):
        for x, y in ((k + 0.5, 1.5), (k + 0.5, 14.5), (1.5, k + 0.5), (14.5, k + 0.5)):
            c.rect(x - 0.5, y - 0.5, x + 0.5, y + 0.5, dash)


def img_find(c):
    magnifier(c, 6.5, 6.5, 4.6, handle=5.0)


def img_replace(c):
    magnifier(c, 5.0, 5.0, 3.7, handle=1.6)
    # a pencil across the lower right: the found text is written over
    body = [(15.3, 7.9), (9.6, 13.6), (7.4, 11.4), (13.1, 5.7)]
    c.polygon(body, vertical(6, rgb("#FFD66B"), 14, rgb("#E8A317")))
    c.line(body, 1.0, rgb("#8A5A00"), closed=True)
    c.polygon([(13.1, 5.7), (15.3, 7.9), (16.0, 7.2), (13.8, 5.0)], rgb("#E88A8A"))
    tip = [(9.6, 13.6), (7.4, 11.4), (6.3, 14.7)]
    c.polygon(tip, rgb("#F3DDB5"))
    c.line(tip, 1.0, rgb("#8A5A00"), closed=True)
    c.ellipse(6.9, 14.1, 0.7, 0.7, DARK)


def img_goto(c):
    page(c, 5.5, 0.5, 15.5, 15.5, fold=3.0)
    for y in (5.5, 10.5, 12.5):
        c.line([(7.5, y), (13.5, y)], 1.0, TEXT_LINE, cap=False)
    c.rect(7.0, 7.0, 14.0, 9.0, rgb("#5C9DE8"))
    c.line([(0.5, 8.0), (3.5, 8.0)], 2.0, rgb("#2A62B5"), cap=False)
    arrow_head(c, (7.0, 8.0), (1.0, 0.0), 3.2, BLUE, BLUE_EDGE)


def img_word_wrap(c):
    ink = rgb("#56606D")
    c.line([(1.5, 3.5), (14.5, 3.5)], 1.0, ink, cap=False)
    c.line([(1.5, 7.5), (11.0, 7.5)], 1.0, ink, cap=False)
    c.line([(1.5, 12.5), (4.5, 12.5)], 1.0, ink, cap=False)
    path = [(11.0, 7.5)] + arc_points(11.5, 10.0, 2.5, 90, -90, 12) + [(9.5, 12.5)]
    c.line(path, 1.6, rgb("#2A62B5"))
    arrow_head(c, (6.5, 12.5), (-1.0, 0.0), 3.0, BLUE, BLUE_EDGE)


def img_nonprinting(c):
    ink = rgb("#2B4C7E")
    c.ellipse(6.0, 5.5, 3.8, 3.6, ink)
    c.rect(6.0, 1.5, 12.5, 3.0, ink)
    c.rect(8.5, 1.5, 10.0, 15.0, ink)
    c.rect(11.5, 1.5, 13.0, 15.0, ink)


def img_increase(c):
    letter_a(c, 1.5, 14.5, 12.0, 9.0, rgb("#2B4C7E"))
    arrow_head(c, (13.0, 1.5), (0.0, -1.0), 3.6, GREEN, GREEN_EDGE)
    c.line([(13.0, 5.0), (13.0, 8.5)], 1.6, rgb("#2F8C2B"), cap=False)


def img_decrease(c):
    letter_a(c, 1.5, 14.5, 9.0, 7.0, rgb("#2B4C7E"))
    arrow_head(c, (13.0, 8.5), (0.0, 1.0), 3.6, RED, RED_EDGE)
    c.line([(13.0, 1.5), (13.0, 5.0)], 1.6, rgb("#C42B22"), cap=False)


def img_date_time(c):
    c.ellipse(8.0, 8.0, 7.0, 7.0, vertical(1, rgb("#FFFFFF"), 15, rgb("#DDE6F0")))
    c.ring(8.0, 8.0, 6.4, 1.4, rgb("#2F64B0"))
    for a in (0, 90, 180, 270):
        x, y = 8.0 + 4.8 * math.cos(math.radians(a)), 8.0 - 4.8 * math.sin(math.radians(a))
        c.ellipse(x, y, 0.6, 0.6, rgb("#56606D"))
    c.line([(8.0, 8.0), (8.0, 3.8)], 1.3, DARK)
    c.line([(8.0, 8.0), (11.0, 9.6)], 1.3, DARK)
    c.ellipse(8.0, 8.0, 1.0, 1.0, rgb("#C42B22"))


def img_other_characters(c):
    ink = rgb("#2B4C7E")
    c.line(arc_points(8.0, 7.0, 5.0, -58, 238, 30), 1.9, ink, cap=False)
    left_foot = (8.0 + 5.0 * math.cos(math.radians(238)), 7.0 - 5.0 * math.sin(math.radians(238)))
    right_foot = (8.0 + 5.0 * math.cos(math.radians(-58)), 7.0 - 5.0 * math.sin(math.radians(-58)))
    c.line([left_foot, (left_foot[0], 14.0), (1.5, 14.0)], 1.9, ink, cap=False)
    c.line([right_foot, (right_foot[0], 14.0), (14.5, 14.0)], 1.9, ink, cap=False)


def img_read_only(c):
    padlock(c, 3.0, 1.0, 13.0, 15.0)


def img_toggle_bookmark(c):
    bookmark(c, 4.5, 0.5, 11.5, 15.5, BLUE, BLUE_EDGE)


def img_clear_bookmarks(c):
    bookmark(c, 2.5, 0.5, 9.5, 14.5, BLUE, BLUE_EDGE)
    cross_badge(c, 11.5, 11.5, 4.0)


def img_sort(c):
    ink = vertical(2, rgb("#8C99A8"), 14, rgb("#56606D"))
    for i, length in enumerate((3, 5, 7, 9)):
        y = 2.0 + i * 3.5
        c.rect(1.0, y, 1.0 + length, y + 2.0, ink)
    c.line([(13.0, 1.0), (13.0, 11.5)], 1.8, rgb("#2A62B5"), cap=False)
    arrow_head(c, (13.0, 15.0), (0.0, 1.0), 3.6, BLUE, BLUE_EDGE)


def indent_lines(c, right_arrow):
    ink = rgb("#56606D")
    c.line([(1.5, 2.5), (14.5, 2.5)], 1.0, ink, cap=False)
    for y in (5.5, 8.5, 11.5):
        c.line([(7.5, y), (14.5, y)], 1.0, ink, cap=False)
    c.line([(1.5, 14.5), (14.5, 14.5)], 1.0, ink, cap=False)
    if right_arrow:
        c.line([(0.5, 8.5), (2.5, 8.5)], 1.6, rgb("#2A62B5"), cap=False)
        arrow_head(c, (6.0, 8.5), (1.0, 0.0), 3.2, BLUE, BLUE_EDGE)
    else:
        c.line([(3.5, 8.5), (6.0, 8.5)], 1.6, rgb("#2A62B5"), cap=False)
        arrow_head(c, (0.5, 8.5), (-1.0, 0.0), 3.2, BLUE, BLUE_EDGE)


def img_block_indent(c):
    indent_lines(c, True)


def img_block_unindent(c):
    indent_lines(c, False)


def img_statistics(c):
    c.line([(1.5, 0.5), (1.5, 14.5), (15.5, 14.5)], 1.0, DARK, cap=False)
    bars = ((3.5, 9.0, GREEN, GREEN_EDGE), (7.5, 5.0, BLUE, BLUE_EDGE),
            (11.5, 2.0, vertical(2, rgb("#FFB35C"), 14, rgb("#E0761A")), rgb("#9C4E0B")))
    for x, top, paint, edge in bars:
        c.rect(x - 0.5, top - 0.5, x + 3.0, 14.0, paint)
        c.outline(x, top, x + 2.5, 14.0, edge)


def img_preferences(c):
    gear(c, 8.0, 8.0, 7.3, 5.3, 8, 2.3)


def img_on_the_internet(c):
    c.ellipse(8.0, 8.0, 7.0, 7.0, vertical(1, rgb("#7CC0F5"), 15, rgb("#2466B3")))
    grid = rgb("#E8F4FF", 190)
    c.ring(8.0, 8.0, 6.5, 1.0, BLUE_EDGE)
    c.line([(1.5, 8.0), (14.5, 8.0)], 0.9, grid, cap=False)
    c.line([(2.8, 4.8), (13.2, 4.8)], 0.9, grid, cap=False)
    c.line([(2.8, 11.2), (13.2, 11.2)], 0.9, grid, cap=False)
    c.line([(8.0, 1.5), (8.0, 14.5)], 0.9, grid, cap=False)
    c.line(arc_points(8.0, 8.0, 6.4, 90, 270, 16), 0.9, grid)
    c.shape(lambda x, y: abs(((x - 8.0) / 3.2) ** 2 + ((y - 8.0) / 6.5) ** 2 - 1.0) < 0.16, (4, 1, 12, 15), grid)


def circle_arrow(c, paint, edge, line_paint):
    path = arc_points(8.0, 8.5, 5.0, 110, 370, 30)
    c.line(path, 3.6, edge, cap=False)
    c.line(path, 1.8, line_paint, cap=False)
    end = path[-1]
    arrow_head(c, (end[0] + 0.6, end[1] - 3.2), (0.18, -0.98), 4.4, paint, edge)


def img_check_for_updates(c):
    circle_arrow(c, GREEN, GREEN_EDGE, rgb("#4DB83F"))


def img_about(c):
    c.ellipse(8.0, 8.0, 7.0, 7.0, BLUE)
    c.ring(8.0, 8.0, 6.5, 1.0, BLUE_EDGE)
    c.ellipse(8.0, 4.5, 1.3, 1.3, WHITE)
    c.rect(6.9, 6.8, 9.1, 12.5, WHITE, radius=0.4)


def img_match_bracket(c):
    ink = rgb("#2B4C7E")
    left = [(6.5, 1.5), (5.0, 2.3), (4.8, 6.6), (2.6, 8.0), (4.8, 9.4), (5.0, 13.7), (6.5, 14.5)]
    c.line(left, 1.5, ink)
    c.line([(SIZE - x, y) for x, y in left], 1.5, ink)
    c.ellipse(8.0, 8.0, 1.2, 1.2, rgb("#C42B22"))


def img_lock_tab(c):
    padlock(c, 3.0, 1.0, 13.0, 15.0)


def img_new_tab(c):
    ink = rgb("#56606D")
    c.rect(3.0, 7.0, 13.0, 9.0, ink)
    c.rect(7.0, 3.0, 9.0, 13.0, ink)


def img_wrapped(c):
    circle_arrow(c, BLUE, BLUE_EDGE, rgb("#3C7DD4"))


def img_not_found(c):
    tri = [(8.0, 1.0), (15.2, 14.5), (0.8, 14.5)]
    c.polygon(tri, vertical(1, rgb("#FFD659"), 15, rgb("#F0A81C")))
    c.line(tri, 1.0, rgb("#A56A00"), closed=True)
    c.rect(7.1, 5.0, 8.9, 10.5, DARK, radius=0.6)
    c.ellipse(8.0, 12.3, 1.1, 1.1, DARK)


def page_arrow(c, forward, bar):
    """A triangle pointing to the next or previous page; with `bar` a stop line at its tip."""
    def m(p):
        return p if forward else (SIZE - p[0], p[1])
    tip = 11.5 if bar else 12.0
    if bar:
        x0, x1 = sorted((m((12.5, 0))[0], m((14.5, 0))[0]))
        c.rect(x0, 3.0, x1, 13.0, BLUE)
        c.outline(x0 + 0.5, 3.5, x1 - 0.5, 12.5, BLUE_EDGE)
    left = 3.5 if bar else 4.0
    pts = [m((left, 2.5)), m((tip, 8.0)), m((left, 13.5))]
    c.polygon(pts, BLUE)
    c.line(pts, 1.0, BLUE_EDGE, closed=True)


def img_first_page(c):
    page_arrow(c, False, True)


def img_previous_page(c):
    page_arrow(c, False, False)


def img_next_page(c):
    page_arrow(c, True, False)


def img_last_page(c):
    page_arrow(c, True, True)


# Digits of 3 x 5 cells for the bookmark images, rows from the top.
DIGITS = {
    0: ["111", "101", "101", "101", "111"], 1: ["010", "110", "010", "010", "111"],
    2: ["111", "001", "111", "100", "111"], 3: ["111", "001", "111", "001", "111"],
    4: ["101", "101", "111", "001", "001"], 5: ["111", "100", "111", "001", "111"],
    6: ["111", "100", "111", "101", "111"], 7: ["111", "001", "010", "010", "010"],
    8: ["111", "101", "111", "101", "111"], 9: ["111", "101", "111", "001", "111"],
}


def numbered_bookmark(number):
    def draw_it(c):
        bookmark(c, 3.5, 0.5, 12.5, 15.5, BLUE, BLUE_EDGE)
        for row, cells in enumerate(DIGITS[number]):
            for col, cell in enumerate(cells):
                if cell == "1":
                    c.rect(6.0 + col * 1.5, 2.5 + row * 1.5, 7.5 + col * 1.5, 4.0 + row * 1.5, WHITE)
    return draw_it


# The order is the index each action's ImageIndex names in the main window's form.
MAIN = [
    ("New", img_new), ("Open", img_open), ("Save", img_save), ("SaveAll", img_save_all), ("Close", img_close),
    ("PrintPreview", img_print_preview), ("Print", img_print), ("PageSetup", img_page_setup), ("Undo", img_undo),
    ("Redo", img_redo), ("Cut", img_cut), ("Copy", img_copy), ("Paste", img_paste), ("SelectAll", img_select_all),
    ("Find", img_find), ("Replace", img_replace), ("Goto", img_goto), ("WordWrap", img_word_wrap),
    ("Nonprinting", img_nonprinting), ("Increase", img_increase), ("Decrease", img_decrease),
    ("DateAndTime", img_date_time), ("OtherCharacters", img_other_characters), ("ReadOnly", img_read_only),
    ("ToggleBookmark", img_toggle_bookmark), ("ClearBookmarks", img_clear_bookmarks), ("Sort", img_sort),
    ("BlockIndent", img_block_indent), ("BlockUnindent", img_block_unindent), ("Statistics", img_statistics),
    ("Preferences", img_preferences), ("OnTheInternet", img_on_the_internet),
    ("CheckForUpdates", img_check_for_updates), ("About", img_about), ("MatchBracket", img_match_bracket),
]
TABS = [("ReadOnly", img_lock_tab), ("NewTab", img_new_tab)]
BANNER = [("Wrapped", img_wrapped), ("NotFound", img_not_found)]
PRINT_PREVIEW = [("FirstPage", img_first_page), ("PreviousPage", img_previous_page), ("NextPage", img_next_page),
                 ("LastPage", img_last_page)]
BOOKMARKS = [("Bookmark%d" % n, numbered_bookmark(n)) for n in range(10)]


# ---- output ----

def png_bytes(rows):
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + \
        chunk(b"IEND", b"")


def draw(fn):
    c = Canvas()
    fn(c)
    return c.rows()


def image_list(name, images, out):
    out.append("  object %s: TPngImageList" % name)
    out.append("    PngImages = <")
    for i, (title, rows) in enumerate(images):
        data = png_bytes(rows).hex().upper()
        out.append("      item")
        out.append("        PngImage.Data = {")
        lines = [data[k:k + 64] for k in range(0, len(data), 64)]
        for k, line in enumerate(lines):
            out.append("          " + line + ("}" if k == len(lines) - 1 else ""))
        out.append("        Name = '%s'" % title)
        out.append("      end" + (">" if i == len(images) - 1 else ""))
    out.append("  end")


def sheet(path, groups):
    scale, gap = 4, 6
    count = max(len(g) for g in groups)
    cell = SIZE * scale + gap
    width = count * cell + gap
    height = len(groups) * (cell + SIZE + gap) + gap
    canvas = [[(255, 255, 255, 255)] * width for _ in range(height)]
    for gi, group in enumerate(groups):
        top = gap + gi * (cell + SIZE + gap)
        for i, rows in enumerate(group):
            left = gap + i * cell
            for y in range(SIZE):
                for x in range(SIZE):
                    r, g, b, a = rows[y][x]
                    for bg, ox, oy, s in (((255, 255, 255), left, top, scale),
                                          ((212, 208, 200), left, top + SIZE * scale + 2, 1),
                                          ((255, 255, 255), left + SIZE + 2, top + SIZE * scale + 2, 1)):
                        px = tuple(int(round(bg[k] + (c - bg[k]) * a / 255)) for k, c in enumerate((r, g, b)))
                        for dy in range(s):
                            for dx in range(s):
                                canvas[oy + y * s + dy][ox + x * s + dx] = px + (255,)
    with open(path, "wb") as f:
        f.write(png_bytes(canvas))


def main():
    lists = [("pngmglstMain", MAIN), ("pngmglstTabs", TABS), ("pngmglstBanner", BANNER),
             ("pngmglstPrintPreview", PRINT_PREVIEW), ("pngmglstBookmarks", BOOKMARKS)]
    drawn = [[(title, draw(fn)) for title, fn in images] for _, images in lists]
    out = ["object MainDataModule: TMainDataModule"]
    for (name, _), images in zip(lists, drawn):
        image_list(name, images, out)
    out.append("end")
    with open(os.path.join(HERE, "TMainDataModule.form"), "w", newline="\n") as f:
        f.write("\n".join(out) + "\n")
    if len(sys.argv) == 3 and sys.argv[1] == "--sheet":
        groups = [[rows for _, rows in images] for images in drawn]
        sheet(sys.argv[2], [g[k:k + 12] for g in groups for k in range(0, len(g), 12)])


if __name__ == "__main__":
    main()
