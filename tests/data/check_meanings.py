#!/usr/bin/env python3
"""Checks the bundled meanings (data/meanings.txt) against the senses a short word must not get:
chemical symbols, states, numerals, abbreviations and units, and forms built on them. Each row
is a word, a pattern its meaning must not match and one it must match; a row without the
latter lets the word have no meaning at all."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")

ELEMENT = r"metallic element|inert gas|halogen|transuranic"
STATE = r"\bstate\b"
ROWS = [
    ("BI", ELEMENT, None),
    ("HO", ELEMENT, None),
    ("AGS", ELEMENT, None),
    ("AR", ELEMENT + r"|surface area|" + STATE, None),
    ("ES", ELEMENT + r"|logarithms|Roman alphabet", None),
    ("ME", STATE, None),
    ("MES", STATE, None),
    ("OR", STATE, None),
    ("OH", STATE, None),
    ("DE", STATE, None),
    ("ID", STATE, r"psychoanalysis"),
    ("XI", r"cardinal number", r"Greek alphabet"),
    ("ED", r"impotence|erection", None),
    ("AI", r"agency|Army", r"sloth"),
    ("HM", r"meters", None),
    ("IN", r"foot", None),
    ("MM", r"meter", None),
    ("MI", r"feet|yards|navigation", r"note"),
    ("IS", ELEMENT + r"|Roman alphabet", r"^form of BE:"),
    ("US", r"Roman alphabet", None),
    ("AA", None, r"lava"),
    ("QI", None, r"life energy"),
]


def main():
    meanings = {}
    with open(os.path.join(ROOT, "data", "meanings.txt"), encoding="utf-8") as f:
        for line in f:
            if not line.startswith("#"):
                word, _, text = line.rstrip("\n").partition("\t")
                meanings[word] = text
    failures = []
    for word, wrong, right in ROWS:
        text = meanings.get(word)
        if text is not None and wrong and re.search(wrong, text):
            failures.append("%s has a wrong sense: %s" % (word, text))
        if right and not (text and re.search(right, text)):
            failures.append("%s lacks its sense /%s/: %s" % (word, right, text))
    print("\n".join(failures) or "%d words checked" % len(ROWS))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
