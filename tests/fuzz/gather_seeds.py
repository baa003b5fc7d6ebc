#!/usr/bin/env python3
"""Gathers the fuzzers' seeds into OUT/<target>/: real files from the tree, the build folder
and the sources the bootstrap unpacked, plus small files of the binary formats written here
from their layouts (nothing is downloaded).

usage: gather_seeds.py OUT SOURCE_DIR BUILD_DIR BOOTSTRAP_SOURCES
"""
import glob
import os
import re
import shutil
import struct
import sys

out, source, build, bootstrap = sys.argv[1:5]
largest = 256 * 1024


def put(target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def copy(target, pattern, limit=largest):
    for path in sorted(glob.glob(pattern, recursive=True)):
        if os.path.isfile(path) and os.path.getsize(path) <= limit:
            with open(path, "rb") as f:
                put(target, re.sub(r"[^A-Za-z0-9._-]", "_", os.path.relpath(path, "/")), f.read())


shutil.rmtree(out, ignore_errors=True)

# XML: every document of the tree and the XML libraries' test files.
xml_files = [os.path.join(source, p) for p in ("tests/**/*.xml", "samples/**/*.xml")]
xml_files += [os.path.join(bootstrap, p) for p in ("tinyxml2/tree/resources/*.xml", "pugixml/tree/tests/data/*.xml")]
for target in ("xml", "database", "database_scrambled"):
    for pattern in xml_files:
        copy(target, pattern, 64 * 1024)
put("database_csv", "plain.csv", b"id;name;value\nA;first;1\nB;\"quoted;text\";2\n")
put("database_csv", "crlf.csv", b"id;x\r\nrow1;1\r\nrow2;\r\n;3\r\n")
put("database_csv", "arrays.csv", b"[SETTINGS]\nid;value\nWIDTH;640\n[LEVELS]\nid;name;time\n1;intro;30\n")

# Shaders: the golden Shader XML files, and their sources (vertex, form feed, pixel).
for pattern in ("tests/shadertool/driver/golden/*.xml", "tests/graphics/shaders/data/*.xml"):
    copy("shader_xml", os.path.join(source, pattern))
golden = os.path.join(source, "tests/shadertool/driver/golden")
with open(os.path.join(golden, "wave/wave.vsh"), "rb") as v, open(os.path.join(golden, "wave/wave.psh"), "rb") as p:
    wave = v.read() + b"\f" + p.read()
for target in ("shader_source", "shader_preprocessor"):
    put(target, "wave", wave)
    for path in sorted(glob.glob(os.path.join(golden, "*.xml")) + glob.glob(os.path.join(source, "tests/graphics/shaders/data/*.xml"))):
        with open(path, "rb") as f:
            text = f.read()
        sources = re.findall(rb'<node type="(vertex|pixel)"[^>]*><!\[CDATA\[(.*?)\]\]>', text, re.S)
        vertex = [s for kind, s in sources if kind == b"vertex"]
        pixel = [s for kind, s in sources if kind == b"pixel"]
        if vertex and pixel:
            put(target, os.path.basename(path) + ".src", vertex[0] + b"\f" + pixel[0])

# Configuration.
copy("prog_xml", os.path.join(source, "samples/demo/prog.xml"))
put("prog_xml", "variants.xml", b'<?xml version="1.0"?>\n<root><array id="PARAMETERS"><node id="APPLICATION" name="Game" '
    b'developer="Dev" features="LOCAL_LEADERBOARDS" manifests="a.xml"/><node id="DEVELOPER" logging="1"/></array>'
    b'<array id="VARIANTS"><node id="WINDOWS" platform="WINDOWS" packages="gfx_hd"/></array></root>\n')
put("developer_xml", "developer.xml", b'<?xml version="1.0"?>\n<root><array id="PARAMETERS"><node id="DEVELOPER" '
    b'logging="1" console="1" verbose="3" debug_shaders="1" variant="WINDOWS"/></array></root>\n')

# PAK archives written at build time from the format.
copy("pak", os.path.join(build, "pak_inputs/*.pak"))

# .bms: a run-length atlas and a PNG atlas.
def bms(frames, atlas):
    data = b"QV_Bm_Seq_v1\0" + struct.pack("<i", len(frames)) + b"RGBA" + b"ATLAS\0\0\0" + struct.pack("<I", 0)
    for i, (w, h, place) in enumerate(frames):
        data += struct.pack("<iiif4f", w, h, i, 30.0, *place)
    return data + atlas

rle = b"RLE\0" + struct.pack("<II", 8, 4) + bytes([16, 0, 0, 255, 255, 16, 255, 0, 0, 255])
put("bms", "rle.bms", bms([(4, 4, (0, 0, 0.5, 1)), (4, 4, (0.5, 0, 1, 1))], rle))
with open(os.path.join(source, "samples/demo/sprites/star.png"), "rb") as f:
    star = f.read()
put("bms", "png.bms", bms([(8, 8, (0, 0, 0.25, 0.25))], b"PNG\0" + struct.pack("<I", len(star)) + star))

# .mft: the current versions and an old one.
def mft_current(version, encoding, glyphs):
    data = b"TAV_Font_v%d\0" % version + encoding + b"\0" + struct.pack("<III", 12, 16, 18)
    if version >= 7:
        data += struct.pack("<fff", 4.0, 0.25, 1.0)
    data += struct.pack("<I", len(glyphs))
    for code, kerning, w, h in glyphs:
        data += struct.pack("<I", code) + (struct.pack("<f", 1.5) if version >= 7 else struct.pack("<h", 1))
        data += struct.pack("<HHB", 0, 6, 1 if kerning else 0) + bytes(kerning)
        data += struct.pack("<HH", w, h) + bytes([9, 8, 7, 255]) * (w * h)
    return data

put("mft", "v7.mft", mft_current(7, b"UTF-8", [(0x41, [3, 0xFF], 2, 2), (0x20AC, [], 0, 0)]))
put("mft", "v6.mft", mft_current(6, b"UTF-8", [(0x41, [], 3, 1), (0x42, [1, 2], 1, 1)]))
old = b"TAV_Font_v5\0LATIN-1\0" + struct.pack("<III", 12, 16, 18) + b"r" * 256
for i in range(256):
    old += struct.pack("<hhH", 0, 0, 0xBEEF) + bytes(256) + struct.pack("<HHH", 1 if i == 65 else 0, 1 if i == 65 else 0, 5)
    old += bytes([1, 2, 3, 255]) if i == 65 else b""
put("mft", "v5.mft", old)

# Font sources over DejaVuSans.ttf: the demo's (with fewer glyphs) and a few settings.
put("font_source", "demo.xml", b'<?xml version="1.0" encoding="utf-8"?>\n<root><array id="settings">'
    b'<node id="VERSION" value="2"/><node id="INPUT" ttf="DejaVuSans.ttf" size_px="12" strings="!"/>'
    b'<node id="SPACING" value="2"/></array><array id="glyphs"><node id="33"/><node id="65"/><node id="66"/>'
    b'</array></root>\n')
put("font_source", "effects.xml", b'<?xml version="1.0"?>\n<root><array id="settings"><node id="VERSION" value="2"/>'
    b'<node id="INPUT" ttf="DejaVuSans.ttf" size_px="10" strings="AB"/><node id="KERNING" value="1"/></array>'
    b'<array id="effects"><node id="GRADIENT" top="FF0000FF" bottom="00FF00FF"/></array></root>\n')

# Sounds made by sox and oggenc for the sound tests.
copy("wav", os.path.join(build, "test_sounds/*.wav"))
copy("ogg", os.path.join(build, "test_sounds/*.ogg"))

# Images: libpng's suite and crashers, libjpeg-turbo's test images, the demo's sprite, and TGA
# files of both kinds the loader reads.
copy("png", os.path.join(bootstrap, "libpng1.6/tree/contrib/pngsuite/*.png"))
copy("png", os.path.join(bootstrap, "libpng1.6/tree/contrib/testpngs/crashers/*.png"))
copy("png", os.path.join(source, "samples/demo/sprites/*.png"))
copy("jpeg", os.path.join(bootstrap, "libjpeg-turbo/tree/testimages/*.jpg"))

def tga(kind, bits, w, h, pixels, descriptor=8):
    return struct.pack("<BBBHHBHHHHBB", 0, 0, kind, 0, 0, 0, 0, 0, w, h, bits, descriptor) + pixels

put("tga", "true32.tga", tga(2, 32, 2, 2, bytes(range(16))))
put("tga", "true24.tga", tga(2, 24, 3, 1, bytes(range(9)), 0))
put("tga", "rle32.tga", tga(10, 32, 4, 2, bytes([0x83, 1, 2, 3, 255, 0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16])))
put("tga", "top_left.tga", tga(2, 32, 1, 2, bytes(8), 0x28))

# HTTP responses, a redirect chain among them.
put("http", "ok", b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n\r\nhello")
put("http", "no_length", b"HTTP/1.1 200 OK\r\nServer: x\r\n\r\nbody without a length")
put("http", "not_found", b"HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")
put("http", "redirect", b"HTTP/1.0 302 Found\r\nLocation: http://other/next\r\n\r\nHTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok")
put("http", "bare_lines", b"HTTP/1.0 200 OK\nContent-Length: 3\n\nabc")

# The local leaderboards' database, plain and scrambled, and the simulated cloud file.
board = (b'<?xml version="1.0" encoding="iso-8859-1"?>\n<root>\n<array id="POINTS">\n'
         b'<node player="2026-01-01 10:00" points="500" data="" time="1767261600"/>\n'
         b'<node player="2026-01-02 11:00" points="700" data="0A0B" time="1767351600"/>\n</array>\n</root>\n')
put("leaderboards", "plain.xml", board)
key = b"QVSCRAMBLEKEY"
with open(os.path.join(source, "src/data/scrambled/scrambled_data.cpp"), "rb") as f:
    found = re.search(rb'kScrambleKey\[14\]\s*=\s*"([A-Z0-9_]{13})"', f.read())
    key = found.group(1) if found else key
body = bytes((board[i] - key[i % 13] - i) & 255 for i in range(len(board)))
checksum = sum((b - 256 if b > 127 else b) * i for i, b in enumerate(body)) & 0xFFFFFFFF
put("leaderboards", "scrambled.xml", key + b"\0" + struct.pack("<II", len(body), checksum) + body)
cloud = b"SIMULATED_CLOUD\0" + struct.pack("<I", 2) + b"save\0" + struct.pack("<I", 4) + b"abcd" + b"a\0" + struct.pack("<I", 1) + b"z"
put("cloud", "two_blobs", cloud)
