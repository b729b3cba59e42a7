#!/usr/bin/env python3
"""Writes the three character-data tables that normalization reads at run time
(resources/unicodedata/Decomposition.bin, Combining.bin, Composition.bin) from the Unicode
Character Database installed by Debian's unicode-data package.

The generated files are committed, so the build never needs the package; run this again only
to move to another Unicode version:  ./scripts/make-unicode-tables.py [UCD folder]
All numbers are 32-bit little endian. Only characters of the basic multilingual plane are
looked up by the program, so only they get records.
"""
import os
import struct
import sys

UCD = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "unicodedata")
COMPAT_FLAG = 1 << 30


def read_unicode_data():
    """(code, combining class, decomposition text) per character; ranges are expanded only for
    their combining class, which is 0 for every range of the file."""
    rows = []
    with open(os.path.join(UCD, "UnicodeData.txt"), encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split(";")
            rows.append((int(fields[0], 16), int(fields[3]), fields[5]))
    return rows


def read_exclusions():
    result = set()
    with open(os.path.join(UCD, "CompositionExclusions.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.split("#")[0].strip()
            if line:
                result.add(int(line.split()[0], 16))
    return result


def main():
    rows = read_unicode_data()
    ccc = {code: cls for code, cls, _ in rows if cls}
    exclusions = read_exclusions()

    decomposition = []
    composition = []
    for code, cls, text in rows:
        if not text or code > 0xFFFF:
            continue
        parts = text.split()
        compat = parts[0].startswith("<")
        if compat:
            parts = parts[1:]
        mapping = [int(p, 16) for p in parts]
        decomposition.append((code | (COMPAT_FLAG if compat else 0), mapping))
        # Primary composites: canonical pairs that are neither excluded nor start with, or
        # belong to, a non-starter.
        if (not compat and len(mapping) == 2 and code not in exclusions and cls == 0
                and ccc.get(mapping[0], 0) == 0 and max(mapping) <= 0xFFFF):
            composition.append(((mapping[0] << 16) | mapping[1], code))

    blob = struct.pack("<i", len(decomposition))
    for word, mapping in decomposition:
        blob += struct.pack("<Ii", word, len(mapping)) + struct.pack("<%dI" % len(mapping), *mapping)
    write("Decomposition.bin", blob)

    by_class = {}
    for code in sorted(c for c in ccc if c <= 0xFFFF):
        ranges = by_class.setdefault(ccc[code], [])
        if ranges and ranges[-1][1] == code - 1:
            ranges[-1][1] = code
        else:
            ranges.append([code, code])
    blob = b""
    for cls in sorted(by_class):
        ranges = by_class[cls]
        blob += struct.pack("<II", cls, len(ranges))
        for first, last in ranges:
            blob += struct.pack("<II", first, last)
    write("Combining.bin", blob)

    composition.sort()
    blob = struct.pack("<I", len(composition))
    for key, code in composition:
        blob += struct.pack("<II", key, code)
    write("Composition.bin", blob)
    print("decompositions %d, combining ranges %d, compositions %d"
          % (len(decomposition), sum(len(r) for r in by_class.values()), len(composition)))


def write(name, data):
    os.makedirs(OUT, exist_ok=True)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
