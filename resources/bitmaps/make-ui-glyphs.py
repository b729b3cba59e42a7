#!/usr/bin/env python3
# Draws the window-button glyphs beside this script, four 16 x 16 images side by side:
#   UIGLYPHS.bmp    64 x 16 monochrome, black on white (white is transparent): 0 minimize,
#                   1 maximize, 2 restore, 3 close
#   SKINGLYPHS.bmp  64 x 16 24-bit, black on magenta (0xFF00FF is transparent): 0 close,
#                   1 maximize, 2 minimize, 3 restore
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

MINIMIZE = ["................"] * 8 + [
    "................",
    "................",
    "................",
    "................",
    "....######......",
    "....######......",
    "................",
    "................",
]
MAXIMIZE = [
    "................",
    "................",
    "................",
    "...#########....",
    "...#########....",
    "...#.......#....",
    "...#.......#....",
    "...#.......#....",
    "...#.......#....",
    "...#.......#....",
    "...#.......#....",
    "...#########....",
    "................",
    "................",
    "................",
    "................",
]
RESTORE = [
    "................",
    "................",
    "................",
    ".....######.....",
    ".....######.....",
    ".....#....#.....",
    "...######.#.....",
    "...######.#.....",
    "...#....###.....",
    "...#....#.......",
    "...#....#.......",
    "...######.......",
    "................",
    "................",
    "................",
    "................",
]
CLOSE = [
    "................",
    "................",
    "................",
    "................",
    "....##....##....",
    ".....##..##.....",
    "......####......",
    ".......##.......",
    "......####......",
    ".....##..##.....",
    "....##....##....",
    "................",
    "................",
    "................",
    "................",
    "................",
]


def write_mono_bmp(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = ((width + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            if ch != "#":  # palette entry 1 is white
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    palette = b"\x00\x00\x00\x00\xff\xff\xff\x00"
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(data), 2835, 2835, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def write_bmp24(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            line += b"\x00\x00\x00" if ch == "#" else b"\xff\x00\xff"  # blue, green, red
        data += line + bytes(stride - len(line))
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def strip(glyphs):
    for g in glyphs:
        assert len(g) == 16 and all(len(r) == 16 for r in g)
    return ["".join(g[y] for g in glyphs) for y in range(16)]


write_mono_bmp(os.path.join(HERE, "UIGLYPHS.bmp"), strip([MINIMIZE, MAXIMIZE, RESTORE, CLOSE]))
write_bmp24(os.path.join(HERE, "SKINGLYPHS.bmp"), strip([CLOSE, MAXIMIZE, MINIMIZE, RESTORE]))
