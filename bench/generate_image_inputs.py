#!/usr/bin/env python3
"""Writes the image-loading benchmark's inputs into a folder, the same bytes on every machine:

  image.png   2048 x 2048 RGBA, 8 bits a channel, zlib level 6 with the Paeth filter on
              every row: smooth gradients under a little noise, as a painted sprite sheet
              compresses rather than flat colour or pure noise
  image.jpg   the same picture's colour through cjpeg (libjpeg-turbo-progs), quality 90

Files already there are left as they are. Usage: generate_image_inputs.py FOLDER
"""
import os
import random
import struct
import subprocess
import sys
import zlib

from generate_inputs import write_atomically

SIDE = 2048
SEED = 20261207
JPEG_QUALITY = "90"


def picture():
    """Rows of RGBA bytes."""
    rng = random.Random(SEED)
    noise = bytes(rng.randrange(8) for _ in range(SIDE * 4 + 64))
    rows = []
    for y in range(SIDE):
        row = bytearray(SIDE * 4)
        row[0::4] = bytes((x // 8 + y // 16) & 0xFF for x in range(SIDE))
        row[1::4] = bytes((x * y >> 12) & 0xFF for x in range(SIDE))
        row[2::4] = bytes((255 - y // 8) & 0xFF for _ in range(SIDE))
        row[3::4] = bytes(255 if (x // 64 + y // 64) % 5 else 128 for x in range(SIDE))
        offset = (y * 37) % 64
        for channel in range(3):
            row[channel::4] = bytes((a + b) & 0xFF for a, b in zip(row[channel::4], noise[offset + channel::4]))
        rows.append(bytes(row))
    return rows


def paeth_filtered(rows):
    out = bytearray()
    previous = bytes(SIDE * 4)
    for row in rows:
        filtered = bytearray(len(row))
        for i in range(len(row)):
            a = row[i - 4] if i >= 4 else 0
            b = previous[i]
            c = previous[i - 4] if i >= 4 else 0
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            predictor = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
            filtered[i] = (row[i] - predictor) & 0xFF
        out += b"\x04" + filtered
        previous = row
    return bytes(out)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    png_path, jpg_path = os.path.join(folder, "image.png"), os.path.join(folder, "image.jpg")
    if os.path.exists(png_path) and os.path.exists(jpg_path):
        return
    rows = picture()
    header = struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(paeth_filtered(rows), 6)) + chunk(b"IEND", b"")
    write_atomically(png_path, lambda out: out.write(png))
    ppm_path = os.path.join(folder, "image.ppm")
    with open(ppm_path, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (SIDE, SIDE))
        for row in rows:
            out.write(bytes(v for i, v in enumerate(row) if i % 4 != 3))
    subprocess.check_call(["cjpeg", "-quality", JPEG_QUALITY, "-outfile", jpg_path + ".tmp", ppm_path])
    os.replace(jpg_path + ".tmp", jpg_path)
    os.remove(ppm_path)
    print("generated image.png (%.1f MB) and image.jpg (%.1f MB)"
          % (os.path.getsize(png_path) / 1e6, os.path.getsize(jpg_path) / 1e6))


if __name__ == "__main__":
    main()
