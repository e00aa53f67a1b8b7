#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The program's own faces: the CJK sans and mono families cut to the characters
the program can show, under family names of their own.

A whole CJK collection costs a process megabytes of mapped file and font tables;
the cut faces cost a fraction of that. Text outside them falls back to the full
installed families through the program's font configuration.

  subset-fonts.py collect OUT FILE...   writes the characters of the files (and
                                        ASCII and common punctuation) to OUT,
                                        leaving OUT untouched when unchanged
  subset-fonts.py cut CHARS OUTDIR REGULAR.ttc BOLD.ttc
  subset-fonts.py notice TEMPLATE OUT FACE...
                                        writes TEMPLATE to OUT with the faces'
                                        own copyright and trademark records in
                                        place of @NIMBRELL_FONT_COPYRIGHT@ and
                                        @NIMBRELL_FONT_TRADEMARK@
"""

import os
import sys
import unicodedata

# The faces cut: (output file, collection, family in the collection, new family).
FACES = [
    ("NimbrellSans-Regular.otf", "regular", "Noto Sans CJK SC", "Nimbrell Sans"),
    ("NimbrellSans-Bold.otf", "bold", "Noto Sans CJK SC", "Nimbrell Sans"),
    ("NimbrellSansMono-Regular.otf", "regular", "Noto Sans Mono CJK SC", "Nimbrell Sans Mono"),
    ("NimbrellSansMono-Bold.otf", "bold", "Noto Sans Mono CJK SC", "Nimbrell Sans Mono"),
]

# Punctuation typed text and weather notices commonly use, beyond what the files hold.
PUNCTUATION = "，。、：；！？（）《》【】“”‘’～·…—℃°％＋－"


def collect(output, files):
    chars = {chr(c) for c in range(0x20, 0x7F)} | set(PUNCTUATION)
    for name in files:
        with open(name, encoding="utf-8") as f:
            chars |= {c for c in f.read() if ord(c) > 0x7F and unicodedata.category(c)[0] != "C"}
    text = "".join(sorted(chars)) + "\n"
    try:
        with open(output, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(output + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(output + ".tmp", output)


def face_index(path, family, bold):
    from fontTools.ttLib import TTCollection

    collection = TTCollection(path, lazy=True)
    for index, font in enumerate(collection.fonts):
        names = font["name"]
        if names.getDebugName(1) == family and (font["OS/2"].usWeightClass >= 600) == bold:
            return index
    raise SystemExit(f"{path}: no face of {family}")


def rename(font, old_family, new_family):
    new_postscript = new_family.replace(" ", "")
    # The PostScript names spell the region in lower case as well.
    old_postscripts = [old_family.replace(" ", ""), old_family.replace(" ", "").replace("SC", "sc")]

    def renamed(text):
        text = text.replace(old_family, new_family)
        for old in old_postscripts:
            text = text.replace(old, new_postscript)
        return text

    for record in font["name"].names:
        text = record.toUnicode()
        if renamed(text) != text:
            record.string = renamed(text)
    # The outlines' own names follow the name table (the collections share one
    # outline table, whatever face it serves).
    if "CFF " in font:
        cff = font["CFF "].cff
        names = font["name"]
        cff.fontNames = [names.getDebugName(6)]
        top = cff.topDictIndex[0]
        top.FullName = names.getDebugName(4)
        top.FamilyName = new_family


def cut(chars_file, output_dir, regular, bold):
    from fontTools import subset
    from fontTools.ttLib import TTFont

    with open(chars_file, encoding="utf-8") as f:
        text = f.read().replace("\n", "")
    options = subset.Options()
    # Keep everything that shapes or renders the kept characters as before.
    options.layout_features = ["*"]
    options.layout_scripts = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.glyph_names = False
    options.hinting = True
    options.prune_unicode_ranges = False
    os.makedirs(output_dir, exist_ok=True)
    collections = {"regular": regular, "bold": bold}
    for output, weight, family, new_family in FACES:
        path = collections[weight]
        font = TTFont(path, fontNumber=face_index(path, family, weight == "bold"))
        subsetter = subset.Subsetter(options)
        subsetter.populate(text=text)
        subsetter.subset(font)
        rename(font, family, new_family)
        target = os.path.join(output_dir, output)
        font.save(target + ".tmp")
        os.replace(target + ".tmp", target)


def notice(template, output, faces):
    from fontTools.ttLib import TTFont

    copyrights, trademarks = [], []
    for path in faces:
        names = TTFont(path, lazy=True)["name"]
        for found, name_id in ((copyrights, 0), (trademarks, 7)):
            text = names.getDebugName(name_id)
            if text and text not in found:
                found.append(text)
    if not copyrights:
        raise SystemExit(f"{', '.join(faces)}: no copyright record")
    with open(template, encoding="utf-8") as f:
        text = f.read()
    # A field's further lines start with a blank.
    text = text.replace("@NIMBRELL_FONT_COPYRIGHT@", "\n ".join(copyrights))
    text = text.replace("@NIMBRELL_FONT_TRADEMARK@", " ".join(trademarks))
    with open(output, "w", encoding="utf-8") as f:
        f.write(text)


def main(argv):
    if len(argv) >= 3 and argv[1] == "collect":
        collect(argv[2], argv[3:])
    elif len(argv) == 6 and argv[1] == "cut":
        cut(*argv[2:])
    elif len(argv) >= 5 and argv[1] == "notice":
        notice(argv[2], argv[3], argv[4:])
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
