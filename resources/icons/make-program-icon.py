#!/usr/bin/env python3
# Draws the program's icon, a page of green text lines under a row of tabs, and writes it as
# MainIcon.ico beside this script: 16, 32 and 48 pixels square, each a 32-bit image with alpha
# and its mask, as the system picks them for captions, the task bar and the shell.
# With "--sheet FILE" it also writes an enlarged PNG of the three sizes, to look at them.
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 32, 48)
SAMPLES = 8

PAGE = (255, 255, 255, 255)
OUTLINE = (64, 72, 68, 255)
TAB_ON = (46, 139, 87, 255)
TAB_OFF = (160, 196, 172, 255)
TEXT = (34, 110, 66, 255)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def draw(size):
    """The icon at one size: rows of (r, g, b, a), 0..255."""
    # Every edge on the pixel grid of the size, so that lines and outlines stay sharp.
    snap = lambda v: round(v * size) / size
    unit = 1.0 / size
    line = max(unit, snap(0.04))
    left, right, top, bottom = snap(0.14), snap(0.86), snap(0.24), snap(0.94)

    layers = []
    # Tabs: the active one green, one beside it paler.
    layers.append((rect(left, snap(0.06), snap(0.48), top), TAB_ON))
    layers.append((rect(snap(0.5), snap(0.1), snap(0.76), top), TAB_OFF))
    # The page with its outline.
    layers.append((rect(left, top, right, bottom), OUTLINE))
    layers.append((rect(left + line, top + line, right - line, bottom - line), PAGE))
    # Text lines: fewer at the small size, so that they stay apart.
    rows = 3 if size <= 16 else 5
    first, last = 0.44, 0.84
    step = (last - first) / rows
    thick = max(unit, snap(step * 0.45))
    widths = (0.48, 0.38, 0.46, 0.32, 0.42)
    for i in range(rows):
        y = snap(first + i * step)
        layers.append((rect(snap(0.26), y, snap(0.26 + widths[i % len(widths)]), y + thick), TEXT))
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                y = (py + (sy + 0.5) / SAMPLES) / size
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, c in layers:
                        if inside(x, y):
                            colour = c
                    if colour:
                        a = colour[3] / 255.0
                        acc[0] += colour[0] * a
                        acc[1] += colour[1] * a
                        acc[2] += colour[2] * a
                        acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha * 255)),))
        pixels.append(row)
    return pixels


def dib(size, pixels):
    """A 32-bit icon image: header of twice the height, bottom-up BGRA rows, then the AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((r, g, b_, a)[i] for (r, g, b_, a) in row for i in (2, 1, 0, 3))
                      for row in reversed(pixels))
    stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_r, _g, _b, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b''
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset + len(body))
        body += data
    return out + body


def png(width, height, rows):
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rows)
    chunk = lambda kind, data: (struct.pack('>I', len(data)) + kind + data
                                + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    drawn = {size: draw(size) for size in SIZES}
    with open(os.path.join(HERE, 'MainIcon.ico'), 'wb') as f:
        f.write(ico([(size, dib(size, drawn[size])) for size in SIZES]))
    if len(sys.argv) == 3 and sys.argv[1] == '--sheet':
        scale, gap = 6, 8
        width = sum(s * scale + gap for s in SIZES) + gap
        height = max(SIZES) * scale + 2 * gap
        rows = [[(200, 200, 200, 255)] * width for _ in range(height)]
        left = gap
        for size in SIZES:
            for y in range(size * scale):
                for x in range(size * scale):
                    r, g, b, a = drawn[size][y // scale][x // scale]
                    base = rows[gap + y][left + x]
                    rows[gap + y][left + x] = tuple(int(round((c * a + base[i] * (255 - a)) / 255))
                                                    for i, c in enumerate((r, g, b))) + (255,)
            left += size * scale + gap
        with open(sys.argv[2], 'wb') as f:
            f.write(png(width, height, rows))


if __name__ == '__main__':
    main()
