#!/usr/bin/env bash
# Writes the reference pixels of the conformance images: each valid file decoded by
# ImageMagick to 8-bit RGBA, top row first, as reference/NAME.rgba. ImageMagick would correct
# the colours by the file's gamma with its own curve, so the colour-space chunks are taken out
# first: the references hold the stored samples, and the test applies the image's gamma table
# itself. Run again only when the images change (needs ImageMagick and Python 3).
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p reference
strip_colour_chunks() {
  python3 -c '
import struct, sys
d = open(sys.argv[1], "rb").read()
out, p = bytearray(d[:8]), 8
while p < len(d):
    n = struct.unpack(">I", d[p:p + 4])[0]
    if d[p + 4:p + 8] not in (b"gAMA", b"cHRM", b"sRGB", b"iCCP"):
        out += d[p:p + 12 + n]
    p += 12 + n
sys.stdout.buffer.write(out)' "$1"
}
for f in [!x]*.png; do
  name="${f%.png}"
  [ "$name" = PngSuite ] && continue
  strip_colour_chunks "$f" | convert png:- -depth 8 "rgba:reference/$name.rgba"
done
