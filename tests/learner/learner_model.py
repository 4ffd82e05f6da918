"""The simulated learner's mind: its memory of words and non-words, its eye for fakes, and how it
answers a question. learner.py drives it through lexitor-drill.

Spotting a fake: a person rejects QXOZ at a glance but hesitates over ZEP. The learner judges a
non-word by how word-like it looks to its own letter model (a letter bigram model with word start
and end, trained on the valid words of every studied length): its likeness is the share of real
words of its length that look less word-like than it. A fake at least as word-like as the least
word-like tenth of the real words looks like a word; one below that is spotted more often the
stranger it looks, from `spot_wordlike` up to `spot_random` for the strangest strings.
"""

import math
import random
from bisect import bisect_left
from collections import Counter

# Learners: a stability of s0 days after the first encoding, the probability `learn` that one
# exposure encodes an unknown word, growth `gain` for a well-spaced review with saturation `sat`,
# share of stability kept after a lapse `lapse`, curve shape `decay` (inf: exponential), the
# chance to spot a random-looking fake `spot_random` and a word-like one `spot_wordlike`,
# attention `side` to the words beside the answer, and word-to-word `spread`. A learner may answer
# its own `per_day` questions a day instead of learner.py's --per-day.
LEARNERS = {
    "average": dict(s0=0.25, learn=0.5, gain=1.5, sat=0.2, lapse=0.3, decay=math.inf,
                    spot_random=0.9, spot_wordlike=0.1, side=0.6, spread=0.5,
                    about="the default learner, exponential fading"),
    "fast-forgetter": dict(s0=0.1, learn=0.5, gain=1.0, sat=0.3, lapse=0.2, decay=math.inf,
                           spot_random=0.9, spot_wordlike=0.1, side=0.6, spread=0.5,
                           about="short first memories and small gains"),
    "slow-learner": dict(s0=0.25, learn=0.2, gain=1.2, sat=0.2, lapse=0.3, decay=1.0,
                         spot_random=0.7, spot_wordlike=0.05, side=0.5, spread=0.7,
                         about="needs several exposures to encode a word, a weak eye for fakes, "
                               "long-tailed fading"),
    "quick-study": dict(s0=0.7, learn=0.8, gain=2.2, sat=0.15, lapse=0.4, decay=0.5,
                        spot_random=0.95, spot_wordlike=0.3, side=0.8, spread=0.4,
                        about="encodes fast and keeps well, long-tailed fading"),
    "power-curve": dict(s0=0.25, learn=0.5, gain=1.5, sat=0.2, lapse=0.3, decay=0.5,
                        spot_random=0.9, spot_wordlike=0.1, side=0.6, spread=0.5,
                        about="the average learner with power-curve forgetting"),
    "sharp-eye": dict(s0=0.25, learn=0.5, gain=1.5, sat=0.2, lapse=0.3, decay=math.inf,
                      spot_random=0.9, spot_wordlike=0.9, side=0.6, spread=0.5,
                      about="the average learner who spots every fake 9 times in 10"),
    "flat-eye": dict(s0=0.25, learn=0.5, gain=1.5, sat=0.2, lapse=0.3, decay=math.inf,
                     spot_random=0.55, spot_wordlike=0.55, side=0.6, spread=0.5,
                     about="the average learner whose eye for fakes ignores their look: it "
                           "spots 55% of them, word-like or not"),
    "fifty-a-day": dict(s0=0.25, learn=0.5, gain=1.5, sat=0.2, lapse=0.3, decay=math.inf,
                        spot_random=0.9, spot_wordlike=0.1, side=0.6, spread=0.5, per_day=50,
                        about="the average learner answering 50 questions a day"),
}
PROFILES = ["average", "fast-forgetter", "slow-learner", "quick-study", "power-curve", "flat-eye",
            "fifty-a-day"]
GAP_NORM = 1.0 - math.exp(-1.0)
WORDLIKE_SHARE = 0.1  # a fake above this share of real words looks like a word


class LetterModel:
    """Letter bigrams with word start (^) and end ($), add-one smoothing; a word's score is its
    mean log probability per transition, so words of one length compare fairly."""

    def __init__(self, words):
        self.pairs = Counter()
        self.firsts = Counter()
        for w in words:
            padded = "^" + w + "$"
            for a, b in zip(padded, padded[1:]):
                self.pairs[a, b] += 1
                self.firsts[a] += 1
        self.by_length = {}
        for n in {len(w) for w in words}:
            self.by_length[n] = sorted(self.score(w) for w in words if len(w) == n)

    def score(self, word):
        padded = "^" + word + "$"
        total = sum(math.log((self.pairs[a, b] + 1) / (self.firsts[a] + 27))
                    for a, b in zip(padded, padded[1:]))
        return total / (len(padded) - 1)

    def likeness(self, word):
        """The share of real words of its length that look less word-like than word."""
        scores = self.by_length.get(len(word))
        if not scores:
            return 0.0
        return bisect_left(scores, self.score(word)) / len(scores)

    def wordlike(self, word):
        return self.likeness(word) >= WORDLIKE_SHARE


class Memory:
    """Stability and last review time per item, with the learner's forgetting and growth."""

    def __init__(self, params, rng):
        self.p = params
        self.rng = rng
        self.stability = {}
        self.last = {}
        self.scale = {}  # per-item difficulty factor
        self.exponential = math.isinf(params["decay"])
        self.f = 0.0 if self.exponential else 0.9 ** (-1.0 / params["decay"]) - 1.0

    def factor(self, item):
        s = self.scale.get(item)
        if s is None:
            s = math.exp(self.rng.gauss(0.0, self.p["spread"]))
            self.scale[item] = s
        return s

    def recall(self, item, now):
        s = self.stability.get(item)
        if s is None:
            return 0.0
        t = max(0.0, now - self.last[item])
        if self.exponential:
            return 0.9 ** (t / s)
        return (1.0 + self.f * t / s) ** -self.p["decay"]

    def review(self, item, recalled, now, weight=1.0):
        p = self.p
        s = self.stability.get(item)
        scale = self.factor(item)
        s0 = p["s0"] * scale
        if s is None:
            if self.rng.random() < p["learn"] * weight:
                self.stability[item] = s0
                self.last[item] = now
            return
        t = max(0.0, now - self.last[item])
        if recalled:
            spacing = (1.0 - math.exp(-t / s)) / GAP_NORM
            grow = p["gain"] * math.sqrt(scale) * weight * (1.0 + s) ** -p["sat"] * spacing
            self.stability[item] = s * (1.0 + grow)
        else:
            self.stability[item] = max(s0, s * p["lapse"])
        self.last[item] = now


class Learner:
    def __init__(self, name, params, words, seed):
        self.name = name
        self.p = params
        self.words = words
        self.rng = random.Random(f"{seed}:{name}:choices")
        # Word difficulties are drawn first from their own stream, so every mode meets the same
        # learner.
        self.known = Memory(params, random.Random(f"{seed}:{name}:words"))
        self.nonwords = Memory(params, random.Random(f"{seed}:{name}:nonwords"))
        self.confusion = {}
        self.all_words = [w for n in sorted(words) for w in sorted(words[n])]
        self.eye = LetterModel(self.all_words)
        for w in self.all_words:
            self.known.factor(w)

    def is_word(self, word):
        return word in self.words.get(len(word), ())

    def spot_chance(self, nonword):
        """How often the look of nonword alone gives it away."""
        p = self.p
        strangeness = max(0.0, 1.0 - self.eye.likeness(nonword) / WORDLIKE_SHARE)
        return p["spot_wordlike"] + (p["spot_random"] - p["spot_wordlike"]) * strangeness

    def spots(self, nonword, now):
        q = self.spot_chance(nonword) * (1.0 - self.confusion.get(nonword, 0.0))
        r = self.nonwords.recall(nonword, now)
        return self.rng.random() < 1.0 - (1.0 - q) * (1.0 - r)

    def answer(self, kind, candidates, now):
        """Chooses a 0-based candidate; returns it with what the learner recalled."""
        rng = self.rng
        valid = [i for i, w in enumerate(candidates) if self.is_word(w)]
        others = [i for i in range(len(candidates)) if i not in valid]
        recalled = {i: rng.random() < self.known.recall(candidates[i], now) for i in valid}
        spotted = {i: self.spots(candidates[i], now) for i in others}
        if kind == "valid":
            hits = [i for i in valid if recalled[i]]
            if hits:
                return rng.choice(hits), recalled, spotted
            familiar = [i for i in others if not spotted[i]
                        and rng.random() < self.confusion.get(candidates[i], 0.0)]
            if familiar:
                return rng.choice(familiar), recalled, spotted
            pool = valid + [i for i in others if not spotted[i]]
        else:
            caught = [i for i in others if spotted[i]]
            if caught:
                return rng.choice(caught), recalled, spotted
            pool = [i for i in valid if not recalled[i]]
            pool += [i for i in others
                     if rng.random() >= self.confusion.get(candidates[i], 0.0)]
        if not pool:
            pool = list(range(len(candidates)))
        return rng.choice(pool), recalled, spotted

    def learn(self, kind, candidates, picked, right, recalled, spotted, now):
        side = self.p["side"]
        for i, ok in recalled.items():
            # The answer shown, or a word picked as the non-word, gets full attention.
            weight = 1.0 if i == right or i == picked else side
            self.known.review(candidates[i], ok, now, weight)
        for i, ok in spotted.items():
            w = candidates[i]
            if i == picked and kind == "valid":
                self.confusion[w] = 1.0
                self.nonwords.review(w, False, now)
            elif kind == "invalid":
                if w in self.confusion:
                    self.confusion[w] *= 0.5
                self.nonwords.review(w, ok, now)
            else:
                self.nonwords.review(w, ok, now, side)

    def mastery(self, now):
        recall = self.known.recall
        return sum(recall(w, now) for w in self.all_words) / len(self.all_words)

