#!/usr/bin/env python3
"""Draws the program's icon from a few shapes and writes res/velmora.ico.

The picture: a dark slate tile holding a small list (three light rows) above the
address-space bar (red and blue boxes on grey, one marked white), as in the main
window. Sizes 16, 32 and 48 pixels, 32-bit with alpha.
"""
import struct
import sys
from pathlib import Path

SLATE = (40, 52, 72, 255)
ROW = (226, 232, 240, 255)
GREY = (192, 192, 192, 255)
RED = (230, 40, 40, 255)
BLUE = (40, 80, 230, 255)
WHITE = (255, 255, 255, 255)
BLACK = (0, 0, 0, 255)
CLEAR = (0, 0, 0, 0)


def draw(size):
    """Returns rows of RGBA pixels, top row first."""
    px = [[CLEAR] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):  # fractions of the size, end exclusive
        for y in range(round(y0 * size), round(y1 * size)):
            for x in range(round(x0 * size), round(x1 * size)):
                px[y][x] = colour

    box(0.0, 0.06, 1.0, 0.94, SLATE)
    for i, width in enumerate((0.62, 0.48, 0.70)):
        top = 0.16 + i * 0.15
        box(0.14, top, 0.14 + width, top + 0.08, ROW)
    box(0.08, 0.64, 0.92, 0.86, BLACK)
    box(0.11, 0.67, 0.89, 0.83, GREY)
    for x0, x1, colour in ((0.14, 0.26, RED), (0.30, 0.38, BLUE), (0.50, 0.58, WHITE),
                           (0.66, 0.72, RED), (0.78, 0.86, BLUE)):
        box(x0, 0.67, x1, 0.83, colour)
    return px


def dib(size):
    """A BITMAPINFOHEADER image as icons store it: bottom-up BGRA plus an AND mask."""
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def icon(sizes):
    images = [dib(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent.parent / "res" / "velmora.ico"
    target.write_bytes(icon((16, 32, 48)))
    print(f"wrote {target}")
