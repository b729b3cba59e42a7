#!/usr/bin/env python3
# Draws UIGLYPHS.bmp beside this script: four 16 x 16 window-button glyphs side by side in one
# 64 x 16 monochrome bitmap, black on white (white is transparent): 0 minimize, 1 maximize,
# 2 restore, 3 close.
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


glyphs = [MINIMIZE, MAXIMIZE, RESTORE, CLOSE]
for g in glyphs:
    assert len(g) == 16 and all(len(r) == 16 for r in g)
write_mono_bmp(os.path.join(HERE, "UIGLYPHS.bmp"), ["".join(g[y] for g in glyphs) for y in range(16)])
