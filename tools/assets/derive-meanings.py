#!/usr/bin/env python3
"""Writes data/meanings.txt: a short meaning for each word of data/words.txt that WordNet 3.0
knows, one "WORD<TAB>meaning" a line, and data/LICENSE.wordnet, WordNet's licence.

Needs the Debian package wordnet-base (files under /usr/share/wordnet). For each word it takes the
first sense of the part of speech (noun, verb, adjective, adverb) whose first sense is the most
common in WordNet's tagged texts, and keeps its gloss up to the first semicolon, without the
examples. A form WordNet does not list (CATS, ATE) is taken back to its base word through the
exception lists (*.exc) and WordNet's regular endings, and its meaning says so: "form of CAT: ...".
"""
import os
import re
import sys

WORDNET = os.environ.get("WORDNET_DIR", "/usr/share/wordnet")
COPYRIGHT = "/usr/share/doc/wordnet-base/copyright"
HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "..", "data")
PARTS = ["noun", "verb", "adj", "adv"]
# WordNet's regular inflections: (ending, base ending), per part of speech.
ENDINGS = {
    "noun": [("s", ""), ("ses", "s"), ("xes", "x"), ("zes", "z"), ("ches", "ch"), ("shes", "sh"),
             ("men", "man"), ("ies", "y")],
    "verb": [("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
             ("ing", "e"), ("ing", "")],
    "adj": [("er", ""), ("est", ""), ("er", "e"), ("est", "e")],
    "adv": [],
}
MAX_CHARS = 100


def read_index(part):
    """lemma -> (tagged sense count, offset of the first sense)"""
    index = {}
    with open(os.path.join(WORDNET, "index." + part), encoding="latin-1") as f:
        for line in f:
            if line.startswith("  "):
                continue
            fields = line.split()
            pointers = int(fields[3])
            tagged = int(fields[5 + pointers])
            index[fields[0]] = (tagged, int(fields[6 + pointers]))
    return index


def read_exceptions(part):
    exceptions = {}
    with open(os.path.join(WORDNET, part + ".exc"), encoding="latin-1") as f:
        for line in f:
            fields = line.split()
            exceptions.setdefault(fields[0], fields[1:])
    return exceptions


def gloss(part, offset, files):
    data = files[part]
    data.seek(offset)
    line = data.readline().decode("latin-1")
    text = line.split(" | ", 1)[1].strip() if " | " in line else ""
    text = re.split(r';\s*"|;', text)[0].strip().strip('"').strip()
    text = re.sub(r"\s+", " ", text)
    if len(text) > MAX_CHARS:
        text = text[: MAX_CHARS - 1].rsplit(" ", 1)[0].rstrip(",;:") + "\u2026"
    return text


def best_sense(lemma, indexes):
    """(tagged count, part, offset) of the lemma's most common first sense, or None."""
    found = [(indexes[p][lemma][0], -i, p, indexes[p][lemma][1])
             for i, p in enumerate(PARTS) if lemma in indexes[p]]
    if not found:
        return None
    tagged, _, part, offset = max(found)
    return tagged, part, offset


def base_forms(word, part, exceptions):
    bases = list(exceptions[part].get(word, []))
    for ending, base in ENDINGS[part]:
        if word.endswith(ending) and len(word) > len(ending):
            bases.append(word[: len(word) - len(ending)] + base)
    return bases


def meaning(word, indexes, exceptions, files):
    sense = best_sense(word, indexes)
    if sense:
        return gloss(sense[1], sense[2], files)
    for part in PARTS:
        for base in base_forms(word, part, exceptions):
            if base != word and base in indexes[part]:
                text = gloss(part, indexes[part][base][1], files)
                return "form of %s: %s" % (base.upper(), text)
    return None


def main():
    indexes = {p: read_index(p) for p in PARTS}
    exceptions = {p: read_exceptions(p) for p in PARTS}
    files = {p: open(os.path.join(WORDNET, "data." + p), "rb") for p in PARTS}
    words = [w.strip() for w in open(os.path.join(DATA, "words.txt"), encoding="utf-8")
             if w.strip() and not w.startswith("#")]
    lines = []
    for word in words:
        text = meaning(word.lower(), indexes, exceptions, files)
        if text:
            lines.append("%s\t%s\n" % (word, text))
    with open(os.path.join(DATA, "meanings.txt"), "w", encoding="utf-8", newline="\n") as out:
        out.write("# Meanings from WordNet 3.0 (see LICENSE.wordnet), made by\n")
        out.write("# tools/assets/derive-meanings.py. WORD, a tab, its meaning.\n")
        out.writelines(lines)
    with open(COPYRIGHT, encoding="utf-8") as f:
        text = f.read()
    licence = re.search(r"^License: WordNet3\.0\n((?: .*\n?)+)", text, re.M).group(1)
    body = "\n".join("" if l.strip() == "." else l[1:] for l in licence.rstrip("\n").split("\n"))
    with open(os.path.join(DATA, "LICENSE.wordnet"), "w", encoding="utf-8") as out:
        out.write("The meanings in meanings.txt come from WordNet 3.0, under this licence:\n\n")
        out.write(body + "\n")
    print("%d of %d words have a meaning (%.0f %%)" % (len(lines), len(words),
                                                      100.0 * len(lines) / len(words)),
          file=sys.stderr)


if __name__ == "__main__":
    main()
