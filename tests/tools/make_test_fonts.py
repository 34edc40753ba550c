#!/usr/bin/python3
"""Writes the font files the font loading tests open: the IPA Gothic and Mincho fonts cut down
to the sample text and basic Latin, under family names no installed font has, as a TrueType
file, the same bytes named .otf, a collection of both, the same with a third face whose name holds
a control character, which the checker cannot name, WOFF and WOFF 2 files, and the Gothic under
the name of an installed family of another foundry, DejaVu Sans.

Usage: make_test_fonts.py GOTHIC.ttf MINCHO.ttf OUTPUT_DIR
"""
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection

TEXT = "Aaあぁアァ亜宇" + "".join(chr(c) for c in range(0x20, 0x7F))


def renamed(path, family):
    font = TTFont(path)
    subsetter = subset.Subsetter(subset.Options())
    subsetter.populate(text=TEXT)
    subsetter.subset(font)
    postscript = family.replace(" ", "")
    # Every record in every language, so that no locale sees the original family.
    names = {1: family, 3: postscript + "-Regular", 4: family, 6: postscript, 16: family,
             17: "Regular", 21: family}
    for record in font["name"].names:
        if record.nameID in names:
            record.string = names[record.nameID]
    return font


def main(gothic_path, mincho_path, out):
    os.makedirs(out, exist_ok=True)
    gothic = renamed(gothic_path, "Kanamite Gothic")
    mincho = renamed(mincho_path, "Kanamite Mincho")
    gothic.save(os.path.join(out, "kanamite-gothic.ttf"))
    gothic.save(os.path.join(out, "kanamite-gothic.otf"))
    collection = TTCollection()
    collection.fonts = [gothic, mincho]
    collection.save(os.path.join(out, "kanamite.ttc"))
    collection.fonts.append(renamed(gothic_path, "Kanamite\x1bHidden"))
    collection.save(os.path.join(out, "control-name.ttc"))
    mincho.flavor = "woff"
    mincho.save(os.path.join(out, "kanamite-mincho.woff"))
    renamed(gothic_path, "DejaVu Sans").save(os.path.join(out, "dejavu-sans.ttf"))
    gothic.flavor = "woff2"
    gothic.save(os.path.join(out, "kanamite-gothic.woff2"))


if __name__ == "__main__":
    main(*sys.argv[1:])
