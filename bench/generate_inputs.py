#!/usr/bin/env python3
"""Writes the benchmark inputs into a folder, the same bytes on every machine:

  database.xml     a DataManager database in the form DataManager itself writes: 200 arrays,
                   150,000 nodes, 750,000 node parameters (the ids included), some values with
                   the entities &amp; and &quot;, some nodes with text (some of it in CDATA);
                   about 20 MB
  database.digest  what the walk over it (bench/common/bench_work.h) must count
  reads.bin        256 MB for the file-read benchmark
  packed.pak       a PAK archive holding the same 256 MB as its one entry "reads.bin"

Files already written by this same version of the script are left as they are, so the driver
can call it before every run. Usage: generate_inputs.py FOLDER
"""
import hashlib
import os
import random
import struct
import sys

ARRAY_COUNT = 200
NODES_PER_ARRAY = 750
# Fields per node besides its id, by array: 2 to 6, 4 on average, so 5 parameters a node.
FIELD_COUNTS = (2, 3, 4, 5, 6)
# DataManager's writer puts each attribute of a node with more parameters on its own line.
PARAMETERS_ON_ONE_LINE = 5
READS_BYTES = 256 * 1024 * 1024
READS_BLOCK = 1024 * 1024
SEED = 20240611

ARRAY_KINDS = ("ITEMS", "ENEMIES", "LEVELS", "TEXTS", "SOUNDS", "SPRITES", "ACHIEVEMENTS", "SHOP",
               "DIALOGS", "EFFECTS")
FIELDS = ("name", "title", "description", "sprite", "icon", "sound", "price", "damage", "armor",
          "health", "speed", "range", "weight", "level", "rarity", "category", "x", "y", "width",
          "height", "scale", "color", "tooltip", "unlock", "reward", "duration", "cooldown",
          "frames", "layer", "offset_x", "offset_y", "effect", "target", "chance", "count",
          "sort_order", "music", "font")
WORDS = ("iron", "sword", "shield", "forest", "ancient", "blue", "crystal", "dragon", "swift",
         "shadow", "golden", "storm", "river", "stone", "ember", "frost", "silent", "royal",
         "hunter", "spark", "a", "the", "of", "and", "with", "from", "north", "tower", "gate",
         "potion", "rune", "wind")
FOLDERS = ("sprites/items", "sprites/enemies", "sounds/fx", "gfx/ui", "levels/world1", "fx/particles")


def make_value(rng):
    """A value as DataManager would hold it, and its escaped form for an attribute."""
    kind = rng.random()
    if kind < 0.35:
        value = str(rng.randint(0, 99999))
    elif kind < 0.50:
        value = "%.3f" % rng.uniform(-100, 100)
    elif kind < 0.72:
        value = "%s/%s_%02d.png" % (rng.choice(FOLDERS), rng.choice(WORDS), rng.randint(0, 99))
    else:
        value = " ".join(rng.choice(WORDS) for _ in range(rng.randint(2, 5))).capitalize() + "."
        if rng.random() < 0.12:
            value = rng.choice(('"%s" he said.', "Salt & %s", 'A & B: "%s"')) % value
    return value, value.replace("&", "&amp;").replace('"', "&quot;")


def make_text(rng):
    """A node's text, and how it stands between the tags (CDATA for markup characters)."""
    text = " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 20)))
    if rng.random() < 0.25:
        text = "<b>%s</b> & more" % text
        return text, "<![CDATA[%s]]>" % text
    return text, text


class Database:
    def __init__(self):
        self.parts = ['<?xml version="1.0" encoding="iso-8859-1"?>\n<root>\n']
        self.arrays = self.nodes = self.values = self.bytes = 0
        self.node_parameters = 0

    def value(self, name, value):
        self.values += 1
        self.bytes += len(name) + len(value)

    def add_array(self, rng, index):
        kind = ARRAY_KINDS[index % len(ARRAY_KINDS)]
        array_id = "%s_%03d" % (kind, index)
        fields = rng.sample(FIELDS, FIELD_COUNTS[index % len(FIELD_COUNTS)])
        self.arrays += 1
        self.value("id", array_id)
        self.value("version", "1")
        self.parts.append('\t<array id="%s" version="1">\n' % array_id)
        for n in range(NODES_PER_ARRAY):
            self.add_node(rng, "%s_%04d" % (kind.lower(), n), fields)
        self.parts.append("\t</array>\n")

    def add_node(self, rng, node_id, fields):
        attributes = [("id", node_id, node_id)]
        attributes += [(name,) + make_value(rng) for name in fields]
        one_line = len(attributes) <= PARAMETERS_ON_ONE_LINE
        separator = " " if one_line else " \n\t\t "
        self.nodes += 1
        self.node_parameters += len(attributes)
        for name, value, _ in attributes:
            self.value(name, value)
        tag = "\t\t<node " + "".join('%s="%s"%s' % (name, escaped, separator) for name, _, escaped in attributes)
        if rng.random() < 0.02:
            text, written = make_text(rng)
            self.value("DATA", text)
            self.parts.append("%s>%s</node>\n" % (tag, written))
        else:
            self.parts.append(tag + "/>\n")
        if not one_line:
            self.parts.append("\n")

    def text(self):
        return "".join(self.parts) + "</root>\n"

    def digest(self):
        return "arrays=%d nodes=%d values=%d bytes=%d\n" % (self.arrays, self.nodes, self.values, self.bytes)


def write_atomically(path, write):
    temporary = path + ".tmp"
    with open(temporary, "wb") as out:
        write(out)
    os.replace(temporary, path)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with open(__file__, "rb") as source:
        version = hashlib.sha256(source.read()).hexdigest()
    stamp = os.path.join(folder, "generated-by")
    names = ("database.xml", "database.digest", "reads.bin", "packed.pak")
    if os.path.exists(stamp) and open(stamp).read() == version and \
            all(os.path.exists(os.path.join(folder, name)) for name in names):
        return
    if os.path.exists(stamp):
        os.remove(stamp)

    rng = random.Random(SEED)
    database = Database()
    for index in range(ARRAY_COUNT):
        database.add_array(rng, index)
    text = database.text().encode("ascii")
    write_atomically(os.path.join(folder, "database.xml"), lambda out: out.write(text))
    write_atomically(os.path.join(folder, "database.digest"), lambda out: out.write(database.digest().encode()))
    print("generated database.xml: %.1f MB, %d arrays, %d nodes, %d node parameters"
          % (len(text) / 1e6, database.arrays, database.nodes, database.node_parameters))

    block = random.Random(SEED).randbytes(READS_BLOCK)

    def write_reads(out):
        for _ in range(READS_BYTES // READS_BLOCK):
            out.write(block)
    write_atomically(os.path.join(folder, "reads.bin"), write_reads)
    print("generated reads.bin: %d MB" % (READS_BYTES // (1024 * 1024)))

    # PAK: magic, directory offset, archive length, the stored bytes, then the directory
    # (entry count; name, zero byte, offset, size and two unused fields).
    name = b"reads.bin"
    directory_offset = 16 + READS_BYTES
    directory = struct.pack("<i", 1) + name + b"\x00" + struct.pack("<IIII", 16, READS_BYTES, 0, 0)
    header = b"PAK\x00V11\x00" + struct.pack("<II", directory_offset, directory_offset + len(directory))

    def write_packed(out):
        out.write(header)
        write_reads(out)
        out.write(directory)
    write_atomically(os.path.join(folder, "packed.pak"), write_packed)
    print("generated packed.pak: reads.bin stored in a PAK archive")
    with open(stamp, "w") as out:
        out.write(version)


if __name__ == "__main__":
    main()
