#!/usr/bin/env python3
# Draws the two pictures of the page setup dialog's orientation tiles (48 x 48, with alpha) with
# the drawing routines of make-main-data-module.py, and writes them as the PNG image list
# imglstOrientation into TPageSetupForm.form beside this script: 0 a portrait page, 1 a
# landscape page. With "--sheet FILE" it also writes an enlarged sheet of both, to look at them.
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 48

spec = importlib.util.spec_from_file_location("main_images", os.path.join(HERE, "make-main-data-module.py"))
art = importlib.util.module_from_spec(spec)
spec.loader.exec_module(art)
art.SIZE = SIZE  # the canvas and the output read the picture size from the module

EDGE = art.rgb("#5B6B80")
FOLD = art.rgb("#D3DCE7")
TEXT = art.rgb("#8C9BAD")
HEADING = art.rgb("#2A62B5")


def sheet_of_paper(c, x0, y0, x1, y1):
    """A page with its top right corner folded, a heading and rows of text."""
    fold = 8.0
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    c.polygon(outline, art.vertical(y0, art.rgb("#FFFFFF"), y1, art.rgb("#E4EAF2")))
    c.line(outline, 1.5, EDGE, closed=True)
    c.polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], FOLD)
    c.line([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], 1.2, EDGE)
    c.line([(x0 + 4, y0 + 5), (x1 - fold - 4, y0 + 5)], 2.0, HEADING, cap=False)
    y, row = y0 + 11, 0
    while y < y1 - 4:
        right = x1 - 4 if row % 4 != 3 else (x0 + x1) / 2
        c.line([(x0 + 4, y), (right, y)], 1.2, TEXT, cap=False)
        y += 4
        row += 1


def img_portrait(c):
    sheet_of_paper(c, 9.5, 2.5, 38.5, 45.5)


def img_landscape(c):
    sheet_of_paper(c, 2.5, 9.5, 45.5, 38.5)


ORIENTATION = [("Portrait", img_portrait), ("Landscape", img_landscape)]


def image_list_lines(images):
    out = []
    art.image_list("imglstOrientation", images, out)
    # The list's own size follows its header line.
    return [out[0], "    Height = %d" % SIZE, "    Width = %d" % SIZE] + out[1:]


def main():
    drawn = [(title, art.draw(fn)) for title, fn in ORIENTATION]
    path = os.path.join(HERE, "TPageSetupForm.form")
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    start = next(i for i, line in enumerate(lines) if line.startswith("  object imglstOrientation:"))
    end = next(i for i in range(start + 1, len(lines)) if lines[i] == "  end")
    lines[start:end + 1] = image_list_lines(drawn)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines))
    if len(sys.argv) == 3 and sys.argv[1] == "--sheet":
        art.sheet(sys.argv[2], [[rows for _, rows in drawn]])


if __name__ == "__main__":
    main()
