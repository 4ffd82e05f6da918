#!/usr/bin/env python3
"""Test fixture: a stand-in for lexitor-drill, speaking the same protocol.

Uniform mode draws like the written tests (a random kind and length, a random word, invented
non-words). Study mode is a plain Leitner baseline: a right answer moves a word up a box, a wrong
one back to the first; box b comes due on the day 2**(b-1) days after its last answer; NEXT asks due words
first (three of them in an invalid-word question), then new ones, --new-per-day a day, and says
E when there is nothing left today. It keeps no history. It lets the learner's smoke test run
without the real drill and gives the learner a baseline to compare with.
"""

import argparse
import random
import sqlite3
import sys

TABLES = {2: "qryTwoWords", 3: "qryThreeWords", 4: "qryFourWords"}
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZ"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--words", required=True)
    parser.add_argument("--history")
    parser.add_argument("--mode", default="uniform", choices=["uniform", "study"])
    parser.add_argument("--lengths", default="2,3,4")
    parser.add_argument("--new-per-day", type=int, default=30)
    parser.add_argument("--seed", type=int, default=0)
    parser.add_argument("--scheduler", default="leitner")  # its study mode is Leitner anyway
    args = parser.parse_args()
    rng = random.Random(args.seed)
    lengths = [int(n) for n in args.lengths.split(",")]
    db = sqlite3.connect(f"file:{args.words}?mode=ro", uri=True)
    words = {n: sorted(r[0] for r in db.execute(f"SELECT fldword FROM {TABLES[n]}"))
             for n in lengths}
    known = {n: set(w) for n, w in words.items()}
    seen = set()

    def nonword(n):
        while True:
            w = "".join(rng.choice(LETTERS) for _ in range(n))
            if w in known[n] or (n == 2 and w[0] == w[1]):
                continue
            if n > 2 and not any(v in w for v in "AEIOU"):
                continue
            return w

    now = 0.0  # days
    box, due = {}, {}  # Leitner state of the words seen
    fresh = [w for n in lengths for w in words[n]]
    rng.shuffle(fresh)
    new_today, today = 0, 0

    def study_pick():
        nonlocal new_today
        ready = sorted((d, w) for w, d in due.items() if d <= now)
        if ready:
            n = len(ready[0][1])
            same = [w for _, w in ready if len(w) == n]
            if len(same) >= 3 and rng.random() < 0.5:
                return "invalid", n, same[:3]
            return "valid", n, same[:1]
        if fresh and new_today < args.new_per_day:
            new_today += 1
            w = fresh.pop()
            return "valid", len(w), [w]
        return None

    right = None
    for line in sys.stdin:
        request = line.strip()
        if request == "NEXT":
            if args.mode == "study":
                pick = study_pick()
                if pick is None:
                    print("E nothing to study until tomorrow", flush=True)
                    continue
                kind, n, targets = pick
            else:
                kind, n = rng.choice(["valid", "invalid"]), rng.choice(lengths)
                targets = [rng.choice(words[n])] if kind == "valid" else rng.sample(words[n], 3)
            right = rng.randrange(4)
            if kind == "valid":
                cands = [nonword(n) for _ in range(4)]
                cands[right] = targets[0]
            else:
                cands = targets[:]
                cands.insert(right, nonword(n))
            seen.update(w for w in cands if w in known[n])
            question, question_kind = cands, kind
            reply = f"Q {kind} {n} {' '.join(cands)}"
        elif request in ("1", "2", "3", "4") and right is not None:
            ok = int(request) - 1 == right
            for i, w in enumerate(question):
                if w in known[len(w)] and args.mode == "study":
                    # In an invalid-word question a wrong pick marks only the word picked.
                    failed = not ok and (question_kind == "valid" or int(request) - 1 == i)
                    box[w] = 1 if failed else min(box.get(w, 0) + 1, 7)
                    due[w] = now + 2 ** (box[w] - 1) - 0.1  # due on the day, not to the minute
            reply = f"A {right + 1} {question[right]}"
            right = None
            now += 10 / 86400
        elif request.startswith("WAIT ") and request[5:].replace(".", "", 1).isdigit():
            now += float(request[5:]) / 24
            if int(now + 1e-6) != today:
                today, new_today = int(now + 1e-6), 0
            reply = "OK"
        elif request == "STATS":
            reply = f"S {len(seen)} {sum(d <= now for d in due.values())} 0"
        elif request == "QUIT":
            return 0
        else:
            reply = f"E unknown request {request}"
        print(reply, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
