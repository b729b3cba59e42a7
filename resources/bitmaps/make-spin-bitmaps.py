#!/usr/bin/env python3
# Draws the spin buttons' four arrow bitmaps as 24-bit BMP files beside this script; black is
# the arrow, white is background:
#   ApSpinUP.bmp, ApSpinDOWN.bmp          a plain arrow
#   ApSpinUPPOLE.bmp, ApSpinDOWNPOLE.bmp  the arrow with a bar on its flat side
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write_bmp(path, rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for ch in row:
            line += b"\0\0\0" if ch == "#" else b"\xff\xff\xff"
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


UP = ["..#..", ".###.", "#####"]
UP_POLE = ["#####", ".....", "..#..", ".###.", "#####"]

write_bmp(os.path.join(HERE, "ApSpinUP.bmp"), UP)
write_bmp(os.path.join(HERE, "ApSpinDOWN.bmp"), list(reversed(UP)))
write_bmp(os.path.join(HERE, "ApSpinUPPOLE.bmp"), UP_POLE)
write_bmp(os.path.join(HERE, "ApSpinDOWNPOLE.bmp"), list(reversed(UP_POLE)))
