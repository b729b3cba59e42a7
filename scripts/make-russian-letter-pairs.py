#!/usr/bin/env python3
"""Prints the table of Russian letter pairs that the encoding detection of app/Encoding.cpp reads
(kLetterPairs), counted from Russian text: UTF-8 text files and gettext catalogues (.mo) named on
the command line, for example /usr/share/locale/ru/LC_MESSAGES/*.mo.

Each entry is 0 when the pair is rarer than one in 100000 pairs, else 1 + log2 of how many times
more often it comes (at most 9). Rows and columns are а-я, ё and the edge of a word; ё counts as
е, which most text writes in its place."""
import collections
import math
import re
import struct
import sys

LETTERS = "абвгдежзийклмнопрстуфхцчшщъыьэюяё"
EDGE = 33
FLOOR = 1e-5


def catalogue_texts(data):
    order = "<" if struct.unpack("<I", data[:4])[0] == 0x950412DE else ">"
    count, _, translations = struct.unpack(order + "III", data[8:20])
    for i in range(count):
        length, offset = struct.unpack(order + "II", data[translations + 8 * i:translations + 8 * i + 8])
        yield data[offset:offset + length].decode("utf-8", "replace")


def texts(names):
    for name in names:
        data = open(name, "rb").read()
        if name.endswith(".mo"):
            yield from catalogue_texts(data)
        else:
            yield data.decode("utf-8", "replace")


def main():
    pairs = collections.Counter()
    for text in texts(sys.argv[1:]):
        for word in re.findall("[а-яё]+", text.lower().replace("ё", "е")):
            codes = [EDGE] + [LETTERS.index(c) for c in word] + [EDGE]
            pairs.update(zip(codes, codes[1:]))
    total = sum(pairs.values()) or 1
    e = LETTERS.index("е")

    def level(a, b):
        p = pairs[(e if a == 32 else a, e if b == 32 else b)] / total
        return 0 if p < FLOOR else max(1, min(9, int(math.log2(p / FLOOR)) + 1))

    for a in range(34):
        row = "".join(str(level(a, b)) for b in range(34))
        print('    "%s",  // %s' % (row, LETTERS[a] if a < EDGE else "the start of a word"))


main()
