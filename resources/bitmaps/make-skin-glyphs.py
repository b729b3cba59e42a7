#!/usr/bin/env python3
# Draws SKINGLYPHS.bmp beside this script: the system-menu and title-bar glyphs, four 16 x 16
# images side by side in one 64 x 16 24-bit bitmap, black on magenta (0xFF00FF is transparent):
# 0 close, 1 maximize, 2 minimize, 3 restore.
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

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
MINIMIZE = ["................"] * 10 + [
    "....######......",
    "....######......",
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


def write_bmp24(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            line += b"\x00\x00\x00" if ch == "#" else b"\xff\x00\xff"  # blue, green, red
        line += bytes(stride - len(line))
        data += line
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


glyphs = [CLOSE, MAXIMIZE, MINIMIZE, RESTORE]
for g in glyphs:
    assert len(g) == 16 and all(len(r) == 16 for r in g)
write_bmp24(os.path.join(HERE, "SKINGLYPHS.bmp"), ["".join(g[y] for g in glyphs) for y in range(16)])
