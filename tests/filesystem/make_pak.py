#!/usr/bin/env python3
"""Writes the PAK archives the file-system tests read, from the format alone:

  offset 0   8 bytes  "PAK\\0V11\\0"
  offset 8   u32      directory offset
  offset 12  u32      archive length (the file's size)
  offset 16  ...      the files' bytes, stored as they are
  directory  i32      entry count, then per entry: the name and a zero byte, u32 offset,
                      u32 size, two u32 fields nobody interprets

All integers little-endian. Each archive is written as <case>.pak; the tests copy one beside
a resource folder under the folder's name. Usage: make_pak.py FOLDER
"""
import os
import struct
import sys

MAGIC = b"PAK\x00V11\x00"


def big_bytes(count):
    """Bytes that differ at every offset a test might check."""
    return bytes((i * 7 + i // 251) & 0xFF for i in range(count))


def build(files, count=None, length=None, directory_offset=None, cut_directory=0, entry_fixes=None):
    """An archive of (name, data) files. count, length and directory_offset replace the true
    values; cut_directory drops that many bytes from the end; entry_fixes maps an entry index
    to an (offset, size) to write in place of the true one."""
    body = bytearray()
    places = []
    for name, data in files:
        places.append((len(MAGIC) + 8 + len(body), len(data)))
        body += data
    directory = bytearray(struct.pack("<i", len(files) if count is None else count))
    for index, (name, data) in enumerate(files):
        offset, size = (entry_fixes or {}).get(index, places[index])
        directory += name.encode("latin-1") + b"\x00" + struct.pack("<IIII", offset, size, 0x11111111 * (index + 1) & 0xFFFFFFFF, 7)
    directory = directory[:len(directory) - cut_directory]
    true_directory_offset = len(MAGIC) + 8 + len(body)
    total = true_directory_offset + len(directory)
    header = MAGIC + struct.pack("<II", true_directory_offset if directory_offset is None else directory_offset,
                                 total if length is None else length)
    return bytes(header + body + directory)


def past_end():
    """Entries whose bytes reach the archive's end exactly, run one byte or more past it, or
    begin at or beyond it; the directory's own bytes are the archive's last."""
    files = [("fine.txt", b"fine"), ("exact.bin", b""), ("over.bin", b""), ("last.bin", b""), ("at_end.bin", b""),
             ("beyond.bin", b"")]
    length = len(build(files))
    fixes = {1: (length - 10, 10), 2: (length - 10, 11), 3: (length - 1, 5), 4: (length, 5), 5: (0xFFFFFFF0, 0x20)}
    archive = build(files, entry_fixes=fixes)
    assert len(archive) == length
    return archive


def directory_in_header():
    """Directory offset 8: the entry count is that offset field itself (8), and the first
    entry's name is the archive-length field (0x0202, "\x02\x02"), whose top bytes are its
    zero byte and the first byte of its offset."""
    length = 0x0202
    data = bytearray(length)
    data[0:16] = MAGIC + struct.pack("<II", 8, length)
    data[15:31] = struct.pack("<IIII", 0x100, 5, 0, 0)
    data[0x100:0x105] = b"first"
    at, place = 31, 300
    for index in range(7):
        name = b"inside.txt" if index == 0 else b"more%d.txt" % index
        content = b"read through a directory in the header" if index == 0 else b"m%d" % index
        data[at:at + len(name) + 17] = name + b"\x00" + struct.pack("<IIII", place, len(content), 0, 0)
        data[place:place + len(content)] = content
        at += len(name) + 17
        place += len(content)
    assert at <= 0x100 and place <= length and len(data) == length
    return bytes(data)


def cases():
    nested = [("levels/a.xml", b"<a/>"), ("levels/b.xml", b"<b/>"), ("levels/deep/c.xml", b"<c/>"),
              ("levels/notes.txt", b"notes"), ("sub/x.txt", b"x"), ("subway.txt", b"not in sub"),
              ("top.dat", b"top")]
    plain = [("readme.txt", b"hello from the archive"), ("empty.bin", b""), ("big.bin", big_bytes(100000))]
    return {
        "plain": build(plain),
        "nested": build(nested),
        "duplicates": build([("same.txt", b"first"), ("other.txt", b"other"), ("same.txt", b"second!")]),
        "odd_names": build([("../escape.txt", b"e"), ("/absolute.txt", b"a"), ("C:/drive.txt", b"d"),
                               ("a/../b.txt", b"b"), ("back\\slash.txt", b"s"), ("./dot.txt", b"."),
                               ("fine.txt", b"fine")]),
        "empty": build([]),
        # 0x10 + 0xFFFFFFF8 wraps to 8 in 32 bits: only 64-bit arithmetic sees it reach past the end.
        "offset_wraps": build(plain, entry_fixes={1: (0x10, 0xFFFFFFF8)}),
        "offset_past_end": build(plain, entry_fixes={0: (0x10, 0x100000)}),
        "past_end": past_end(),
        "directory_in_header": directory_in_header(),
        "wrong_length": build(plain, length=12345),
        "bad_magic": b"PAK\x00V10\x00" + build(plain)[8:],
        "directory_past_end": build(plain, directory_offset=0x7FFFFFF0),
        "truncated_directory": build(plain, cut_directory=9),
        "huge_count": build(plain, count=0x7FFFFFFF),
        # Entries of the smallest size filling the directory exactly, and a count one higher.
        "one_char_names": build([("a", b"1"), ("b", b"22"), ("c", b"333")]),
        "count_one_over": build([("a", b"1"), ("b", b"22"), ("c", b"333")], count=4),
        "name_510": build([("n" * 506 + ".txt", b"long name")]),
        "name_511": build([("n" * 507 + ".txt", b"too long")]),
        "header_only": MAGIC[:6],
    }


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, data in cases().items():
        with open(os.path.join(folder, name + ".pak"), "wb") as out:
            out.write(data)
    open(os.path.join(folder, "written"), "w").close()


if __name__ == "__main__":
    main()
