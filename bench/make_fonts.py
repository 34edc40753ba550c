#!/usr/bin/python3
"""Generates the font sets the start-up benchmark runs over.

    make_fonts.py FOLDER

Writes into FOLDER (kept between runs, rebuilt when incomplete):
  fonts/a/  1,000 font files, families "Bench Face 00000" to "Bench Face 00999"
  fonts/b/  4,000 more, "Bench Face 01000" to "Bench Face 04999"
  fonts/c/  15,000 more, "Bench Face 05000" to "Bench Face 19999"
  fonts-1000.conf, fonts-5000.conf, fonts-20000.conf
                                     private fontconfig configurations: the machine's own
                                     fonts plus fonts/a, plus fonts/a and fonts/b, or plus all
                                     three
  cache/                             their fontconfig cache, filled once here

Each font is the same few-glyph subset of one system font under another family name. The subset
is made once with fontTools; the copies differ only in the name table, whose placeholder digits
are rewritten in place, with the table and file checksums recomputed, so 5,000 files take about
a few seconds rather than minutes of fontTools saves.
"""

import os
import shutil
import struct
import subprocess
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

SETS = {"a": range(0, 1000), "b": range(1000, 5000), "c": range(5000, 20000)}
PLACEHOLDER = "QQQQQ"
STAMP = "complete-v2"


def source_font():
    """A plain Latin face every Debian machine with fontconfig has."""
    for family in ("DejaVu Sans", "sans-serif"):
        path = subprocess.run(["fc-match", "-f", "%{file}", family], capture_output=True,
                              text=True, check=False).stdout.strip()
        if path.endswith((".ttf", ".otf")) and os.path.isfile(path):
            return path
    sys.exit("make_fonts.py: no TrueType or OpenType system font found")


def template_bytes(source):
    """The subset under the placeholder family, as file bytes."""
    options = subset.Options()
    options.name_IDs = []
    options.notdef_outline = True
    options.layout_features = []
    options.drop_tables += ["FFTM"]
    font = subset.load_font(source, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text="Aa0123456789")
    subsetter.subset(font)
    family = "Bench Face " + PLACEHOLDER
    name = font["name"]
    name.names = []
    for name_id, text in ((1, family), (2, "Regular"), (4, family),
                          (6, "BenchFace" + PLACEHOLDER), (3, family + " 1.0")):
        name.setName(text, name_id, 3, 1, 0x409)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), ".template.ttf")
    font.save(path)
    font.close()
    with open(path, "rb") as f:
        data = f.read()
    os.remove(path)
    return data


def table_directory(data):
    count = struct.unpack(">H", data[4:6])[0]
    tables = {}
    for i in range(count):
        entry = 12 + 16 * i
        tag, _, offset, length = struct.unpack(">4sLLL", data[entry:entry + 16])
        tables[tag] = (entry, offset, length)
    return tables


def checksum(block):
    block += b"\0" * (-len(block) % 4)
    return sum(struct.unpack(">%dL" % (len(block) // 4), block)) & 0xFFFFFFFF


def renamed(template, tables, index):
    """The template with its placeholder replaced by the index, checksums made good."""
    data = bytearray(template)
    digits = "%05d" % index
    _, name_offset, name_length = tables[b"name"]
    table = bytes(data[name_offset:name_offset + name_length])
    table = table.replace(PLACEHOLDER.encode("utf-16-be"), digits.encode("utf-16-be"))
    data[name_offset:name_offset + name_length] = table
    name_entry = tables[b"name"][0]
    struct.pack_into(">L", data, name_entry + 4, checksum(table))
    head_entry, head_offset, _ = tables[b"head"]
    struct.pack_into(">L", data, head_offset + 8, 0)
    struct.pack_into(">L", data, head_offset + 8,
                     (0xB1B0AFBA - checksum(bytes(data))) & 0xFFFFFFFF)
    return bytes(data)


def write_config(folder, dirs, count):
    cache = os.path.join(folder, "cache")
    lines = [
        '<?xml version="1.0"?>',
        '<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">',
        "<fontconfig>",
        # First, so that fontconfig writes the generated folders' caches here.
        "  <cachedir>%s</cachedir>" % cache,
        '  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>',
    ]
    lines += ["  <dir>%s</dir>" % os.path.join(folder, "fonts", d) for d in dirs]
    lines.append("</fontconfig>")
    path = os.path.join(folder, "fonts-%d.conf" % count)
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return path


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = os.path.abspath(sys.argv[1])
    stamp = os.path.join(folder, STAMP)
    if os.path.exists(stamp):
        return
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "cache"))
    template = template_bytes(source_font())
    tables = table_directory(template)
    occurrences = template[tables[b"name"][1]:].count(PLACEHOLDER.encode("utf-16-be"))
    if occurrences == 0:
        sys.exit("make_fonts.py: no placeholder in the name table")
    for sub, indexes in SETS.items():
        target = os.path.join(folder, "fonts", sub)
        os.makedirs(target)
        for index in indexes:
            with open(os.path.join(target, "bench%05d.ttf" % index), "wb") as f:
                f.write(renamed(template, tables, index))
    configs = [write_config(folder, ["a"], 1000), write_config(folder, ["a", "b"], 5000),
               write_config(folder, ["a", "b", "c"], 20000)]
    # Start-up is measured with a warm cache, as on a machine whose fonts are installed.
    for config in configs:
        env = dict(os.environ, FONTCONFIG_FILE=config)
        subprocess.run(["fc-cache"], env=env, check=True)
    with open(stamp, "w") as f:
        f.write("ok\n")


if __name__ == "__main__":
    main()
