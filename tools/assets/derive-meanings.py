#!/usr/bin/env python3
"""Writes data/meanings.txt: a short meaning for each word of data/words.txt that WordNet 3.0
knows, one "WORD<TAB>meaning" a line, and data/LICENSE.wordnet, WordNet's licence.

Needs the Debian package wordnet-base (files under /usr/share/wordnet).

Which sense a word gets:
- Only a sense whose synset writes the word in lower case counts. WordNet keeps each synset's
  words with their case ("Bi" beside "bismuth", "ME" beside "Maine"), so this leaves out chemical
  symbols, abbreviations, states and Roman numerals, which are no meaning of the word as played.
- A sense listed in tools/assets/meaning-stoplist.txt does not count either: units, abbreviations
  and the like that WordNet writes in lower case ("hm", "in" for inch). Each entry names the
  word and the synset, so an entry that no longer matches stops the script. An entry for a form
  rules out its base word (US is no plural of U).
- Of the parts of speech (noun, verb, adjective, adverb) that have a counting sense, the one with
  the most senses seen in WordNet's tagged texts wins, the earlier one in that order on a tie; it
  gives its first counting sense, WordNet listing the senses most common first.
- A word with no counting sense of its own (CATS, ATE, MES) is taken back to its base word through
  the exception lists (*.exc), then WordNet's regular endings, and reads "form of CAT: ..." with
  the base's first counting sense in that part of speech (IS is a form of BE before one of I).
  No base with one, no meaning: a word shows none rather than a wrong one.
The gloss is kept up to the first semicolon, without the examples, at most 100 characters.

--review prints every two- and three-letter word with the sense it got (part of speech, synset
offset, meaning), the list to go through by hand after changing the stop-list.
"""
import os
import re
import sys

WORDNET = os.environ.get("WORDNET_DIR", "/usr/share/wordnet")
COPYRIGHT = "/usr/share/doc/wordnet-base/copyright"
HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "..", "data")
STOPLIST = os.path.join(HERE, "meaning-stoplist.txt")
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
    """lemma -> (number of senses seen in tagged texts, synset offsets, most common first)"""
    index = {}
    with open(os.path.join(WORDNET, "index." + part), encoding="latin-1") as f:
        for line in f:
            if line.startswith("  "):
                continue
            fields = line.split()
            senses = int(fields[2])
            pointers = int(fields[3])
            tagged = int(fields[5 + pointers])
            offsets = [int(o) for o in fields[6 + pointers: 6 + pointers + senses]]
            index[fields[0]] = (tagged, offsets)
    return index


def read_exceptions(part):
    exceptions = {}
    with open(os.path.join(WORDNET, part + ".exc"), encoding="latin-1") as f:
        for line in f:
            fields = line.split()
            exceptions.setdefault(fields[0], fields[1:])
    return exceptions


def read_stoplist(wordnet):
    """{(word, part, offset)}. An entry for a form names the sense of the base word it would get
    and rules that base out for the form ("bes verb 02604760": BES is no form of BE at all). An
    entry naming a sense that neither the word nor a base of it has is an error."""
    stopped = set()
    with open(STOPLIST, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            fields = line.split("#", 1)[0].split()
            if not fields:
                continue
            word, part, offset = fields[0], fields[1], int(fields[2])
            lemmas = [word] + [b for p, b in wordnet.bases(word) if p == part]
            if part not in PARTS or not any(
                    offset in wordnet.indexes[part].get(l, (0, []))[1] for l in lemmas):
                sys.exit("%s:%d: %s has no %s sense %08d" % (STOPLIST, number, word, part, offset))
            stopped.add((word, part, offset))
    return stopped


class WordNet:
    def __init__(self):
        self.indexes = {p: read_index(p) for p in PARTS}
        self.exceptions = {p: read_exceptions(p) for p in PARTS}
        self.files = {p: open(os.path.join(WORDNET, "data." + p), "rb") for p in PARTS}
        self.stopped = read_stoplist(self)

    def synset(self, part, offset):
        """(the synset's words as written, adjective markers like "(a)" removed; its gloss)"""
        data = self.files[part]
        data.seek(offset)
        line = data.readline().decode("latin-1")
        head, _, text = line.partition(" | ")
        fields = head.split()
        count = int(fields[3], 16)
        words = [re.sub(r"\(\w+\)$", "", w) for w in fields[4: 4 + 2 * count: 2]]
        return words, text

    def senses(self, lemma, part):
        """Offsets of the lemma's counting senses in one part of speech, most common first."""
        if lemma not in self.indexes[part]:
            return []
        return [o for o in self.indexes[part][lemma][1]
                if (lemma, part, o) not in self.stopped and lemma in self.synset(part, o)[0]]

    def gloss(self, part, offset):
        text = self.synset(part, offset)[1].strip()
        text = re.split(r';\s*"|;', text)[0].strip().strip('"').strip()
        text = re.sub(r"\s+", " ", text)
        if len(text) > MAX_CHARS:
            text = text[: MAX_CHARS - 1].rsplit(" ", 1)[0].rstrip(",;:") + "\u2026"
        return text

    def best_sense(self, lemma):
        """(part, offset) of the lemma's own sense, or None."""
        found = []
        for i, part in enumerate(PARTS):
            senses = self.senses(lemma, part)
            if senses:
                found.append((self.indexes[part][lemma][0], -i, part, senses[0]))
        return max(found)[2:] if found else None

    def bases(self, word):
        """(part, base word) pairs a form may come from: the exception lists first, then the
        regular endings."""
        listed = [(p, b) for p in PARTS for b in self.exceptions[p].get(word, [])]
        regular = [(p, word[: len(word) - len(ending)] + base)
                   for p in PARTS for ending, base in ENDINGS[p]
                   if word.endswith(ending) and len(word) > len(ending)]
        return [(p, b) for p, b in listed + regular if b != word]

    def meaning(self, word):
        """(part, offset, meaning) for a lower-case word, or None."""
        sense = self.best_sense(word)
        if sense:
            return sense + (self.gloss(*sense),)
        for part, base in self.bases(word):
            senses = self.senses(base, part)
            if senses and not any((word, part, o) in self.stopped
                                  for o in self.indexes[part][base][1]):
                text = "form of %s: %s" % (base.upper(), self.gloss(part, senses[0]))
                return part, senses[0], text
        return None


def main():
    wordnet = WordNet()
    words = [w.strip() for w in open(os.path.join(DATA, "words.txt"), encoding="utf-8")
             if w.strip() and not w.startswith("#")]
    found = {word: wordnet.meaning(word.lower()) for word in words}
    if "--review" in sys.argv[1:]:
        for word in words:
            if len(word) <= 3:
                part, offset, text = found[word] or ("-", 0, "-")
                print("%-3s  %-4s %08d  %s" % (word, part, offset, text))
        return
    lines = ["%s\t%s\n" % (word, found[word][2]) for word in words if found[word]]
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
    counts = ["%d of %d %s" % (sum(1 for w in words if len(w) == n and found[w]),
                               sum(1 for w in words if len(w) == n), name)
              for n, name in [(2, "two-letter"), (3, "three-letter"), (4, "four-letter")]]
    print("%d of %d words have a meaning (%.0f %%): %s" % (
        len(lines), len(words), 100.0 * len(lines) / len(words), ", ".join(counts)),
        file=sys.stderr)


if __name__ == "__main__":
    main()
