#!/usr/bin/env python3
# Draws the result icons of the find dialog as one 24-bit BMP strip beside this script,
# BANNERICONS.bmp: two 16x16 images on a magenta background (the transparent colour):
#   0  the search went on from the other end: a blue arrow turning round
#   1  the text is nowhere in the document: a red disc with a white cross
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 16
BACK = (255, 0, 255)
BLUE = (30, 90, 200)
DARK_BLUE = (20, 50, 130)
RED = (210, 40, 40)
DARK_RED = (140, 20, 20)
WHITE = (255, 255, 255)


def wrapped():
    img = [[BACK] * SIZE for _ in range(SIZE)]
    cx, cy = 7.5, 8.0
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy)
            angle = math.degrees(math.atan2(-dy, dx)) % 360
            # A ring open at the upper right, where the arrow's head sits.
            if 3.6 <= r <= 6.2 and not (10 <= angle <= 75):
                img[y][x] = DARK_BLUE if r > 5.4 else BLUE
    # The head sits on the ring's right end and points up, the way the search went on.
    for y in range(2, 9):
        for x in range(SIZE):
            if abs(x - 12.3) <= (y - 2) * 0.62 + 0.2:
                img[y][x] = BLUE
    return img


def not_found():
    img = [[BACK] * SIZE for _ in range(SIZE)]
    cx, cy = 7.5, 7.5
    for y in range(SIZE):
        for x in range(SIZE):
            r = math.hypot(x - cx, y - cy)
            if r <= 7.2:
                img[y][x] = DARK_RED if r > 6.3 else RED
    for i in range(4, 12):
        for x, y in ((i, i), (i + 1, i), (15 - i, i), (14 - i, i)):
            if 4 <= x <= 11:
                img[y][x] = WHITE
    return img


def write_bmp(path, images):
    rows = [sum((image[y] for image in images), []) for y in range(SIZE)]
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


write_bmp(os.path.join(HERE, "BANNERICONS.bmp"), [wrapped(), not_found()])
