#!/usr/bin/env python3
"""Turns an X window dump (what xwd writes of a TrueColor window, 24 or 32 bits a pixel)
into a PNG file.

Usage: xwd_to_png.py IN.xwd OUT.png
"""
import struct
import sys
import zlib


def channel(pixel, mask):
    shift = (mask & -mask).bit_length() - 1
    return ((pixel & mask) >> shift) * 255 // (mask >> shift)


def read_xwd(path):
    data = open(path, "rb").read()
    header = struct.unpack(">25I", data[:100])
    header_size, version = header[0], header[1]
    width, height = header[4], header[5]
    byte_order, bits_per_pixel, bytes_per_line = header[7], header[11], header[12]
    masks = header[14:17]
    colour_count = header[19]
    if version != 7 or bits_per_pixel not in (24, 32):
        raise ValueError(f"{path}: only 24- and 32-bit XWD version 7 images are read (got {bits_per_pixel} bits)")
    size = bits_per_pixel // 8
    pixels = data[header_size + colour_count * 12:]
    if len(pixels) < bytes_per_line * height:
        raise ValueError(f"{path}: the image is cut short")
    order = "little" if byte_order == 0 else "big"
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * size]
        words = [int.from_bytes(line[x:x + size], order) for x in range(0, width * size, size)]
        rows.append(bytes(b for w in words for b in (channel(w, masks[0]), channel(w, masks[1]),
                                                     channel(w, masks[2]))))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_png(sys.argv[2], *read_xwd(sys.argv[1]))
