#!/usr/bin/env python3
"""Draws the Quaven application icon (icon group 102) and writes it as a .ico file.

    make_icon.py OUTPUT.ico

The icon is drawn from geometry alone, so the build needs no image from elsewhere: a
rounded square shading from teal to deep blue with a white "Q" ring and tail. Each size
(16, 32 and 48 pixels) is sampled 4 x 4 times per pixel for smooth edges and stored as a
32-bit image with alpha plus the 1-bit mask that older shells read. The output depends
only on this script, byte for byte.
"""
import math
import struct
import sys

SIZES = (16, 32, 48)
SUBSAMPLES = 4

TOP_COLOUR = (0x1F, 0xB5, 0xB0)     # teal
BOTTOM_COLOUR = (0x12, 0x2E, 0x7A)  # deep blue
RING_COLOUR = (0xFF, 0xFF, 0xFF)


def inside_rounded_square(x, y, radius):
    """x, y in 0..1; a square with corners rounded by radius."""
    cx = min(max(x, radius), 1.0 - radius)
    cy = min(max(y, radius), 1.0 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_q(x, y):
    """The letter: a ring around the centre and a tail towards the lower right."""
    ring = abs(math.hypot(x - 0.47, y - 0.46) - 0.25) <= 0.075
    tail = distance_to_segment(x, y, 0.60, 0.60, 0.80, 0.82) <= 0.07
    return ring or tail


def render(size):
    """Rows top to bottom of (r, g, b, a) pixels."""
    rows = []
    step = 1.0 / (size * SUBSAMPLES)
    for row in range(size):
        pixels = []
        for column in range(size):
            shape = letter = 0
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    x = (column * SUBSAMPLES + sx + 0.5) * step
                    y = (row * SUBSAMPLES + sy + 0.5) * step
                    if inside_rounded_square(x, y, 0.2):
                        shape += 1
                        if inside_q(x, y):
                            letter += 1
            if shape == 0:
                pixels.append((0, 0, 0, 0))
                continue
            t = (row + 0.5) / size
            background = [TOP_COLOUR[i] + (BOTTOM_COLOUR[i] - TOP_COLOUR[i]) * t for i in range(3)]
            mix = letter / shape
            colour = [round(background[i] + (RING_COLOUR[i] - background[i]) * mix) for i in range(3)]
            alpha = round(255 * shape / (SUBSAMPLES * SUBSAMPLES))
            pixels.append((colour[0], colour[1], colour[2], alpha))
        rows.append(pixels)
    return rows


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, 32-bit colour bottom-up, then the AND mask."""
    rows = render(size)
    colour = bytearray()
    for pixels in reversed(rows):
        for r, g, b, a in pixels:
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for pixels in reversed(rows):
        line = bytearray(mask_stride)
        for column, pixel in enumerate(pixels):
            if pixel[3] == 0:
                line[column // 8] |= 0x80 >> (column % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def icon_file():
    images = [icon_image(size) for size in SIZES]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = bytearray()
    for size, image in zip(SIZES, images):
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b''.join(images)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write('usage: make_icon.py OUTPUT.ico\n')
        return 2
    with open(sys.argv[1], 'wb') as out:
        out.write(icon_file())
    return 0


if __name__ == '__main__':
    sys.exit(main())
