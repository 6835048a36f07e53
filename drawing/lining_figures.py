#!/usr/bin/python3
"""Derives the program's Garamond face from EB Garamond: the digits drawn by default are
its lining figures (the forms of its "lnum" feature) instead of its old-style ones, and
the family is renamed so that the derived face never passes for the original.

    lining_figures.py SOURCE.otf TARGET.otf

Needs fontTools (Debian: python3-fonttools).
"""

import sys

from fontTools.ttLib import TTFont

FAMILY = "Geolago Garamond"
POSTSCRIPT = "GeolagoGaramond-Regular"
DIGITS = "0123456789"


def lining_forms(font):
    """Default glyph name -> lining glyph name, from the single substitutions of lnum."""
    gsub = font["GSUB"].table
    forms = {}
    for record in gsub.FeatureList.FeatureRecord:
        if record.FeatureTag != "lnum":
            continue
        for index in record.Feature.LookupListIndex:
            for subtable in gsub.LookupList.Lookup[index].SubTable:
                forms.update(getattr(subtable, "mapping", {}))
    return forms


def main(source, target):
    font = TTFont(source)
    forms = lining_forms(font)
    for table in font["cmap"].tables:
        if not table.isUnicode():
            continue
        for digit in DIGITS:
            glyph = table.cmap.get(ord(digit))
            if glyph in forms.values():
                continue  # a subtable sharing its mapping with one already done
            if glyph not in forms:
                sys.exit(f"{source}: no lining form for the digit {digit}")
            table.cmap[ord(digit)] = forms[glyph]

    names = font["name"]
    for record in list(names.names):
        if record.nameID in (16, 17, 21, 22):  # typographic and WWS family and style
            names.removeNames(nameID=record.nameID)
    for platform in ((3, 1, 0x409), (1, 0, 0)):
        names.setName(FAMILY, 1, *platform)
        names.setName("Regular", 2, *platform)
        names.setName(f"{FAMILY} Regular; derived from EB Garamond 12", 3, *platform)
        names.setName(f"{FAMILY} Regular", 4, *platform)
        names.setName(POSTSCRIPT, 6, *platform)
    if "CFF " in font:
        cff = font["CFF "].cff
        cff.fontNames = [POSTSCRIPT]
        top = cff.topDictIndex[0]
        top.FamilyName = FAMILY
        top.FullName = f"{FAMILY} Regular"
    font.save(target)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
