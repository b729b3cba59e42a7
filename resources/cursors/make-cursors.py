#!/usr/bin/env python3
# Draws the program's own mouse cursors as 32 x 32 monochrome .cur files beside this script:
#   CrDrag.cur       the arrow with a box: something is dragged (a move)
#   CrMultiDrag.cur  the arrow with a box and a plus: several things, or a copy
#   CrNoDrop.cur     a ring with a bar: nothing can be dropped here
#   CrHSplit.cur     two bars with arrows left and right: a splitter moved sideways
#   CrVSplit.cur     two bars with arrows up and down: a splitter moved up or down
#   CZMOVE.cur       the arrow with a small button: a toolbar item moved while customizing
#   CZCANCEL.cur     the arrow with a crossed-out button: the item is taken off its toolbar
#   ZOOMIN.cur       a magnifying glass with a plus: a click enlarges the print preview
#   ZOOMOUT.cur      a magnifying glass with a minus: a click makes it smaller
# Pixels: "." shows the screen, "X" black, "o" white.
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 32

ARROW = [
    "X...........",
    "XX..........",
    "XoX.........",
    "XooX........",
    "XoooX.......",
    "XooooX......",
    "XoooooX.....",
    "XooooooX....",
    "XoooooooX...",
    "XooooooooX..",
    "XoooooXXXXX.",
    "XooXooX.....",
    "XoX.XooX....",
    "XX..XooX....",
    "X....XooX...",
    ".....XooX...",
    "......XX....",
]


def blank():
    return [["."] * SIZE for _ in range(SIZE)]


def paste(grid, art, left, top):
    for y, row in enumerate(art):
        for x, c in enumerate(row):
            if c != ".":
                grid[top + y][left + x] = c


def box(grid, left, top, width, height):
    """A black frame with a white inside."""
    for y in range(top, top + height):
        for x in range(left, left + width):
            edge = y in (top, top + height - 1) or x in (left, left + width - 1)
            grid[y][x] = "X" if edge else "o"


def plus(grid, cx, cy, arm):
    for d in range(-arm, arm + 1):
        grid[cy][cx + d] = "X"
        grid[cy + d][cx] = "X"


def drag():
    g = blank()
    paste(g, ARROW, 0, 0)
    box(g, 9, 18, 13, 9)
    return g, (0, 0)


def multi_drag():
    g = blank()
    paste(g, ARROW, 0, 0)
    box(g, 12, 17, 13, 9)
    box(g, 9, 20, 13, 9)
    plus(g, 15, 24, 2)
    return g, (0, 0)


def no_drop():
    g = blank()
    cx, cy, outer, inner = 15, 15, 12.5, 8.5
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if inner <= d <= outer:
                g[y][x] = "X" if d < inner + 1 or d > outer - 1 else "o"
    # The bar from top right to bottom left.
    for t in range(-8, 9):
        for w in (-2, -1, 0, 1, 2):
            x, y = cx + t + w, cy - t
            g[y][x] = "X" if abs(w) == 2 else "o"
    return g, (15, 15)


def h_split():
    g = blank()
    for y in range(6, 26):
        for x in (14, 17):
            g[y][x] = "X"
        g[y][15] = g[y][16] = "o"
    for i in range(5):
        g[15 - i][13 - i] = g[16 + i][13 - i] = "X"  # the left arrow head
        g[15 - i][18 + i] = g[16 + i][18 + i] = "X"  # the right one
    for x in list(range(8, 14)) + list(range(18, 24)):
        g[15][x] = g[16][x] = "X"
    return g, (15, 15)


def v_split():
    g, hotspot = h_split()
    # The same shape turned a quarter round.
    return [[g[x][y] for x in range(SIZE)] for y in range(SIZE)], hotspot


def item_move():
    g = blank()
    paste(g, ARROW, 0, 0)
    box(g, 9, 18, 15, 10)
    for x in range(12, 21):  # the caption of the small button
        g[22][x] = g[23][x] = "X"
    return g, (0, 0)


def item_cancel():
    g, hotspot = item_move()
    for t in range(10):  # a cross over the button
        for w in (0, 1):
            g[18 + t][11 + t + w] = "X"
            g[18 + t][21 - t + w] = "X"
    return g, hotspot


def magnifier(with_plus):
    g = blank()
    cx, cy, outer, inner = 11, 11, 9.5, 7.5
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= outer:
                g[y][x] = "X" if d > inner else "o"
    for x in range(7, 16):  # the minus, and with it the plus
        g[11][x] = "X"
        if with_plus:
            g[x + 0][11] = "X"
    for t in range(9):  # the handle, down to the right
        for w in (-1, 0, 1):
            g[18 + t][18 + t + w] = "X"
    return g, (11, 11)


def zoom_in():
    return magnifier(True)


def zoom_out():
    return magnifier(False)


def write_cursor(path, grid, hotspot):
    xor_rows, and_rows = [], []
    for row in reversed(grid):
        xor_bits = and_bits = 0
        for x, c in enumerate(row):
            bit = 1 << (31 - x)
            if c == ".":
                and_bits |= bit
            elif c == "o":
                xor_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    colours = struct.pack("<8B", 0, 0, 0, 0, 255, 255, 255, 0)
    image = header + colours + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


for name, draw in (("CrDrag", drag), ("CrMultiDrag", multi_drag), ("CrNoDrop", no_drop), ("CrHSplit", h_split),
                   ("CrVSplit", v_split), ("CZMOVE", item_move), ("CZCANCEL", item_cancel),
                   ("ZOOMIN", zoom_in), ("ZOOMOUT", zoom_out)):
    grid, hotspot = draw()
    write_cursor(os.path.join(HERE, name + ".cur"), grid, hotspot)
