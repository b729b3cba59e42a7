#!/usr/bin/env python3
# Draws the editor control's two built-in bitmaps as 24-bit BMP files beside this script:
#   TxtEditWrapped.bmp         the mark of a wrapped row in the gutter (lime is transparent)
#   TxtEditInternalImages.bmp  ten bookmark glyphs, 0 to 9, each 12 x 14 pixels, side by side
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write_bmp(path, pixels):
    """pixels: rows top to bottom of (r, g, b) tuples."""
    height = len(pixels)
    width = len(pixels[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


LIME = (0, 255, 0)
NAVY = (0, 0, 128)

# The wrap mark: a line down the right side that turns left into an arrow head.
WRAPPED = [
    "..........",
    "........#.",
    "........#.",
    "........#.",
    "........#.",
    "..#.....#.",
    ".##.....#.",
    "#########.",
    ".##.......",
    "..#.......",
    "..........",
]

DIGITS = {
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": [".###.", "#...#", "....#", "..##.", "....#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
}

CELL_W, CELL_H = 12, 14
FACE = (240, 240, 240)
BORDER = (0, 0, 128)
FILL = (255, 255, 160)
INK = (0, 0, 0)


def bookmark(digit):
    cell = [[FACE] * CELL_W for _ in range(CELL_H)]
    for y in range(1, CELL_H - 1):
        for x in range(1, CELL_W - 1):
            edge = y in (1, CELL_H - 2) or x in (1, CELL_W - 2)
            cell[y][x] = BORDER if edge else FILL
    glyph = DIGITS[digit]
    top, left = 3, 4
    for gy, row in enumerate(glyph):
        for gx, ch in enumerate(row):
            if ch == "#":
                cell[top + gy][left + gx] = INK
    return cell


def main():
    wrapped = [[NAVY if ch == "#" else LIME for ch in row] for row in WRAPPED]
    write_bmp(os.path.join(HERE, "TxtEditWrapped.bmp"), wrapped)
    cells = [bookmark(str(d)) for d in range(10)]
    strip = [sum((cells[d][y] for d in range(10)), []) for y in range(CELL_H)]
    write_bmp(os.path.join(HERE, "TxtEditInternalImages.bmp"), strip)


if __name__ == "__main__":
    main()
