#!/usr/bin/env python3
"""Draws the product's icons and writes them as .ico files.

Quillset.ico (the Control Panel applet): an acoustic-coupler modem, a
telephone handset resting on a modem box, as 32x32 in 16 colours and 48x48
and 64x64 in 256 colours. Ravlin.ico (the program): the modem box under a
magnifying glass, as 16x16, 32x32 and 48x48 in 256 colours.

Run from anywhere: python3 tools/icons/draw_icons.py [ROOT]
(ROOT: where cpl/res/ and app/res/ are written, default the repository)
"""
import math
import os
import struct
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# The standard 16-colour palette, RGB.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, NAVY, SILVER, GRAY, LIME, YELLOW, BLUE, WHITE, TEAL, AQUA = 0, 2, 4, 7, 8, 10, 11, 12, 15, 6, 14

# 256 colours: the 16 above, then a 32-step blue ramp and a 32-step grey ramp.
RAMP_BLUE, RAMP_GREY = 16, 48
PALETTE_256 = list(VGA)
PALETTE_256 += [(int(20 + 40 * i / 31), int(40 + 90 * i / 31), int(110 + 145 * i / 31)) for i in range(32)]
PALETTE_256 += [(int(60 + 190 * i / 31),) * 3 for i in range(32)]
PALETTE_256 += [(0, 0, 0)] * (256 - len(PALETTE_256))


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def arc_band(cx, cy, radius, width, y_max):
    """The upper part of a ring: the handset's handle."""
    return lambda x, y: y <= y_max and abs(math.hypot(x - cx, y - cy) - radius) <= width / 2


def bar(x0, y0, x1, y1, width):
    """A straight stroke from (x0, y0) to (x1, y1)."""
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2
    return inside


def modem_box(deep):
    """The modem: an outlined box with a front panel and three lamps."""
    body = (lambda x, y: RAMP_BLUE + int(31 * (1 - (y - 0.5) / 0.4))) if deep else (lambda x, y: NAVY)
    top = (lambda x, y: RAMP_BLUE + 31) if deep else (lambda x, y: BLUE)
    return [
        (rounded_rect(0.06, 0.50, 0.94, 0.88, 0.07), lambda x, y: BLACK),
        (rounded_rect(0.09, 0.53, 0.91, 0.85, 0.05), body),
        (rounded_rect(0.09, 0.53, 0.91, 0.60, 0.03), top),
        (disc(0.24, 0.73, 0.045), lambda x, y: LIME),
        (disc(0.38, 0.73, 0.045), lambda x, y: LIME),
        (disc(0.52, 0.73, 0.045), lambda x, y: YELLOW),
        (rounded_rect(0.64, 0.69, 0.84, 0.77, 0.02), lambda x, y: SILVER),
    ]


def handset(deep):
    shade = (lambda x, y: RAMP_GREY + int(8 + 20 * (1 - y / 0.5))) if deep else (lambda x, y: GRAY)
    return [
        (arc_band(0.5, 0.52, 0.36, 0.17, 0.40), lambda x, y: BLACK),
        (arc_band(0.5, 0.52, 0.36, 0.10, 0.40), shade),
        (rounded_rect(0.06, 0.30, 0.34, 0.50, 0.08), lambda x, y: BLACK),
        (rounded_rect(0.66, 0.30, 0.94, 0.50, 0.08), lambda x, y: BLACK),
        (rounded_rect(0.09, 0.33, 0.31, 0.47, 0.06), shade),
        (rounded_rect(0.69, 0.33, 0.91, 0.47, 0.06), shade),
    ]


def magnifier(deep):
    glass = (lambda x, y: RAMP_GREY + 30) if deep else (lambda x, y: AQUA)
    return [
        (bar(0.62, 0.40, 0.90, 0.14, 0.13), lambda x, y: BLACK),
        (bar(0.64, 0.38, 0.88, 0.16, 0.07), lambda x, y: TEAL),
        (disc(0.42, 0.40, 0.30), lambda x, y: BLACK),
        (disc(0.42, 0.40, 0.23), glass),
        (bar(0.30, 0.42, 0.39, 0.51, 0.07), lambda x, y: GREEN),
        (bar(0.39, 0.51, 0.56, 0.28, 0.07), lambda x, y: GREEN),
    ]


def render(shapes, size):
    """Colour indices and a transparency mask, 4x4 samples per pixel."""
    pixels, mask = [], []
    n = 4
    for row in range(size):
        prow, mrow = [], []
        for col in range(size):
            votes = {}
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    x = (col + (sx + 0.5) / n) / size
                    y = (row + (sy + 0.5) / n) / size
                    colour = None
                    for inside, paint in shapes:
                        if inside(x, y):
                            colour = paint(x, y)
                    if colour is not None:
                        covered += 1
                        votes[colour] = votes.get(colour, 0) + 1
            if covered * 2 >= n * n:
                prow.append(max(votes, key=votes.get))
                mrow.append(0)
            else:
                prow.append(0)
                mrow.append(1)
        pixels.append(prow)
        mask.append(mrow)
    return pixels, mask


def dib(pixels, mask, bits, palette):
    size = len(pixels)
    row_bytes = ((size * bits + 31) // 32) * 4
    mask_bytes = ((size + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(pixels):
        line = bytearray(row_bytes)
        for col, index in enumerate(row):
            if bits == 8:
                line[col] = index
            else:
                line[col // 2] |= (index & 0x0F) << (4 if col % 2 == 0 else 0)
        xor += line
    andmask = bytearray()
    for row in reversed(mask):
        line = bytearray(mask_bytes)
        for col, transparent in enumerate(row):
            if transparent:
                line[col // 8] |= 0x80 >> (col % 8)
        andmask += line
    colours = 1 << bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette[:colours])
    return header + pal + bytes(xor) + bytes(andmask)


def write_ico(path, images):
    """images: (size, bits, dib bytes)"""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 16 if bits == 4 else 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def icon(shapes_of, sizes, path):
    images = []
    for size, bits in sizes:
        deep = bits == 8
        pixels, mask = render(shapes_of(deep), size)
        images.append((size, bits, dib(pixels, mask, bits, PALETTE_256 if deep else VGA)))
    write_ico(path, images)


# The icons this script writes, relative to the repository.
ICONS = [os.path.join('cpl', 'res', 'Quillset.ico'), os.path.join('app', 'res', 'Ravlin.ico')]


def main(root=ROOT):
    for relative in ICONS:
        os.makedirs(os.path.join(root, os.path.dirname(relative)), exist_ok=True)
    icon(lambda deep: modem_box(deep) + handset(deep), [(32, 4), (48, 8), (64, 8)],
         os.path.join(root, ICONS[0]))
    icon(lambda deep: modem_box(deep) + magnifier(deep), [(16, 8), (32, 8), (48, 8)],
         os.path.join(root, ICONS[1]))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else ROOT)
