#!/usr/bin/env python3
"""Simulated learner: plays lexitor-drill through its protocol and measures what it has learned.

The learner knows nothing of how the drill picks its questions. It only sees the questions, answers
them as its memory lets it, and learns from the reply.

Memory of a word (kept per valid word, and likewise per non-word for "this is not a word"):
  - Unknown until an exposure encodes it: each time the word is shown to be a word (it is the right
    answer of a valid-word question, or one of the three words beside the non-word of an
    invalid-word question) an unknown word is encoded with probability `learn`. The three words
    of an invalid-word question get less attention: their exposures and reviews count with weight
    `side` (on the encoding probability and on the growth below), except a word picked as the
    non-word, which the reply corrects outright.
  - Once encoded it has a stability S (days) and fades along a power curve
        R(t) = (1 + f * t / S) ** -decay,   f = 0.9 ** (-1 / decay) - 1,
    so that R(S) = 0.9, or exponentially, R(t) = 0.9 ** (t / S), when `decay` is infinite. One
    memory trace fades about exponentially; the power curve's long tail stands for a learner
    whose traces of one word vary.
  - Each question that shows the word is a recall attempt, succeeding with probability R. After a
    success the stability grows by a factor
        1 + gain * (1 + S) ** -sat * (1 - exp(-t / S)) / (1 - exp(-1)),
    where t is the time since the last review: a review moments later adds almost nothing, one
    after a gap of about S multiplies S by 1 + gain, longer gaps a little more; strong memories
    grow more slowly (`sat`). After a failure the reply relearns the word:
    S = max(S0, S * lapse).
  - Words differ: S0 carries a per-word factor exp(N(0, spread)), and gain its square root, drawn
    once per learner and the same in every mode.

Answering:
  - Valid-word question: if it recalls the word it picks it. Otherwise each non-word may be spotted
    (probability 1 - (1 - intuition * (1 - confusion)) * (1 - R of its non-word memory)); a
    non-word it once took for a word (confusion) may look familiar and be picked; else it guesses
    uniformly among the candidates it has not ruled out.
  - Invalid-word question: it recognises each valid word with its R and may spot the non-word as
    above. A spotted non-word is picked; otherwise it guesses uniformly among the candidates it did
    not recognise as words (the non-word by elimination when it recognised all three words),
    leaving out a confused non-word with the probability of its confusion.
  - Learning from the reply: the right word of a valid-word question and the three words of an
    invalid-word question are reviewed (successes or failures as above); the non-word of an
    invalid-word question is reviewed in the non-word memory; the other non-words of a valid-word
    question are reviewed there with weight `side`. Picking a non-word as the word is a
    confusion: that non-word looks like a word (confusion 1) until invalid-word questions show it
    to be the non-word, each time halving the confusion.

Measure: mastery is the mean of R over every valid word of the studied lengths (unknown words
count 0), taken at the end of each day, just before the next day's session (after the night's
forgetting). "Questions to 80 %" is the number of questions answered before the first such
measure of at least 80 %.

A day is one session of --per-day questions (10 s each on the drill's clock), then WAIT until
24 hours after the session began. When the drill has nothing to ask (study mode, nothing due and
no new words left today) the learner stops for the day.
"""

import argparse
import json
import math
import os
import random
import select
import sqlite3
import subprocess
import sys
import tempfile
import time

# Learners: a stability of s0 days after the first encoding, the probability `learn` that one
# exposure encodes an unknown word, growth `gain` for a well-spaced review with saturation `sat`,
# share of stability kept after a lapse `lapse`, curve shape `decay`, non-word intuition
# `intuition`, attention `side` to the words beside the answer, and word-to-word `spread`.
LEARNERS = {
    "average": dict(s0=0.25, learn=0.5, gain=1.5, sat=0.2, lapse=0.3, decay=math.inf,
                    intuition=0.3, side=0.6, spread=0.5,
                    about="the default learner, exponential fading"),
    "fast-forgetter": dict(s0=0.1, learn=0.5, gain=1.0, sat=0.3, lapse=0.2, decay=math.inf,
                           intuition=0.3, side=0.6, spread=0.5,
                           about="short first memories and small gains"),
    "slow-learner": dict(s0=0.25, learn=0.2, gain=1.2, sat=0.2, lapse=0.3, decay=1.0,
                         intuition=0.15, side=0.5, spread=0.7,
                         about="needs several exposures to encode a word, weak intuition, "
                               "long-tailed fading"),
    "quick-study": dict(s0=0.7, learn=0.8, gain=2.2, sat=0.15, lapse=0.4, decay=0.5,
                        intuition=0.45, side=0.8, spread=0.4,
                        about="encodes fast and keeps well, long-tailed fading"),
}
DEFAULT_LEARNER = "average"
DEFAULT_REPORT_LEARNERS = ["average", "fast-forgetter", "slow-learner"]
LENGTH_TABLES = {2: "qryTwoWords", 3: "qryThreeWords", 4: "qryFourWords"}
SECONDS_PER_QUESTION = 10.0
DAY = 1.0  # the learner's clock counts days
GAP_NORM = 1.0 - math.exp(-1.0)


class DrillError(Exception):
    pass


def load_words(db_path, lengths):
    """The valid words of the given lengths, per length."""
    if not os.path.exists(db_path):
        raise DrillError(f"no word database at {db_path}")
    connection = sqlite3.connect(f"file:{db_path}?mode=ro", uri=True)
    try:
        return {n: {row[0].upper() for row in connection.execute(
            f"SELECT fldword FROM {LENGTH_TABLES[n]}")} for n in lengths}
    finally:
        connection.close()


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
        for w in self.all_words:
            self.known.factor(w)

    def is_word(self, word):
        return word in self.words.get(len(word), ())

    def spots(self, nonword, now):
        q = self.p["intuition"] * (1.0 - self.confusion.get(nonword, 0.0))
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


class Drill:
    """lexitor-drill as a child process, one line each way."""

    def __init__(self, argv, env, timeout, stderr_path):
        self.timeout = timeout
        self.stderr_path = stderr_path
        # Its messages go to a file: a pipe nobody reads would stall a talkative drill.
        with open(stderr_path, "wb") as stderr:
            self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=stderr, env=env, bufsize=0)
        self.buffer = b""
        self.slowest = (0.0, "")

    def ask(self, line):
        started = time.monotonic()
        try:
            self.proc.stdin.write(line.encode() + b"\n")
            self.proc.stdin.flush()
        except BrokenPipeError:
            raise DrillError(f"the drill closed its input ({self.stderr_tail()})")
        try:
            return self.read_line()
        except DrillError as e:
            raise DrillError(f"{line}: {e}")
        finally:
            elapsed = time.monotonic() - started
            if elapsed > self.slowest[0]:
                self.slowest = (elapsed, line)

    def read_line(self):
        fd = self.proc.stdout.fileno()
        while b"\n" not in self.buffer:
            ready, _, _ = select.select([fd], [], [], self.timeout)
            if not ready:
                raise DrillError(f"the drill gave no reply within {self.timeout} s")
            chunk = os.read(fd, 65536)
            if not chunk:
                raise DrillError(f"the drill ended ({self.stderr_tail()})")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode().strip()

    def stderr_tail(self):
        try:
            self.proc.wait(timeout=2)
        except subprocess.TimeoutExpired:
            pass
        with open(self.stderr_path, "rb") as f:
            err = f.read().decode(errors="replace").strip()
        return f"exit {self.proc.returncode}: {err[-300:]}" if err else f"exit {self.proc.returncode}"

    def close(self):
        try:
            self.proc.stdin.write(b"QUIT\n")
            self.proc.stdin.close()
        except (BrokenPipeError, ValueError):
            pass
        try:
            code = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            code = None
        self.proc.stdout.close()
        return code


def run(args, learner_name, mode, words):
    """One learner in one mode; returns its figures."""
    params = LEARNERS[learner_name]
    learner = Learner(learner_name, params, words, args.seed)
    step = SECONDS_PER_QUESTION / 86400.0
    with tempfile.TemporaryDirectory(prefix="lexitor-learner-") as home:
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_CACHE_HOME=os.path.join(home, "cache"))
        argv = [args.drill, "--words", args.words, "--history", os.path.join(home, "history.db"),
                "--mode", mode, "--lengths", ",".join(map(str, args.lengths)),
                "--seed", str(args.seed)]
        if args.new_per_day is not None:
            argv += ["--new-per-day", str(args.new_per_day)]
        argv += args.drill_arg
        started = time.monotonic()
        drill = Drill(argv, env, args.timeout, os.path.join(home, "drill.err"))
        now = 0.0
        asked = right_answers = idle_days = short_days = unfair = 0
        daily = []  # mastery at the end of each day
        to_80 = stats = error = None
        try:
            for day in range(args.days):
                session_start = now
                answered_today = 0
                for _ in range(args.per_day):
                    reply = drill.ask("NEXT")
                    parts = reply.split()
                    if not parts or parts[0] != "Q":
                        break  # nothing to ask: the player stops for the day
                    if len(parts) != 7 or parts[1] not in ("valid", "invalid"):
                        raise DrillError(f"unexpected question: {reply!r}")
                    kind, candidates = parts[1], parts[3:]
                    picked, recalled, spotted = learner.answer(kind, candidates, now)
                    reply = drill.ask(str(picked + 1))
                    parts = reply.split()
                    if len(parts) != 3 or parts[0] != "A" or not parts[1].isdigit() \
                            or not 1 <= int(parts[1]) <= 4:
                        raise DrillError(f"unexpected answer reply: {reply!r}")
                    right = int(parts[1]) - 1
                    if not fair(learner, kind, candidates, right, parts[2]):
                        unfair += 1
                    asked += 1
                    answered_today += 1
                    right_answers += picked == right
                    learner.learn(kind, candidates, picked, right, recalled, spotted, now)
                    now += step
                if answered_today == 0:
                    idle_days += 1
                if answered_today < args.per_day:
                    short_days += 1
                now = wait(drill, now, session_start + DAY)
                level = learner.mastery(now)
                daily.append(level)
                if to_80 is None and level >= 0.8:
                    to_80 = asked
            stats = drill.ask("STATS")
        except DrillError as e:
            error = f"day {len(daily) + 1}, after {asked} questions: {e}"
        code = drill.close()
        if code not in (0, None) and error is None:
            error = f"the drill exited with {code}"
    return {
        "learner": learner_name, "mode": mode, "days": args.days, "per_day": args.per_day,
        "questions": asked, "accuracy": right_answers / asked if asked else 0.0,
        "idle_days": idle_days, "short_days": short_days, "mastery": daily,
        "mastery_at": {str(d): daily[d - 1] for d in checkpoints(args.days) if d <= len(daily)},
        "questions_to_80": to_80,
        "unfair_questions": unfair, "drill_stats": stats, "seconds": time.monotonic() - started,
        "slowest_reply": {"seconds": drill.slowest[0], "request": drill.slowest[1]},
        "error": error,
    }


def fair(learner, kind, candidates, right, shown):
    """True when the question holds what its kind promises and the reply names its right answer:
    one word among three non-words, or three words and one non-word."""
    words = [learner.is_word(w) for w in candidates]
    expected = 1 if kind == "valid" else 3
    return (sum(words) == expected and words[right] == (kind == "valid")
            and candidates[right] == shown)


def wait(drill, now, until):
    """Moves the drill's clock (and the learner's) to until; returns the new time."""
    hours = (until - now) * 24.0
    if hours <= 0:
        return now
    reply = drill.ask(f"WAIT {hours:.6f}")
    if reply == "OK":
        return until
    # A drill that takes whole hours only: wait the whole hours, the learner's day drifts a little.
    whole = max(1, round(hours))
    reply = drill.ask(f"WAIT {whole}")
    if reply != "OK":
        raise DrillError(f"WAIT refused: {reply!r}")
    return now + whole / 24.0


def checkpoints(days):
    return sorted({max(1, round(days / 3)), max(1, round(2 * days / 3)), days})


def report(results, days, out):
    """The table; every line of figures says "mastery" so that a filter on the word keeps them."""
    marks = checkpoints(days)
    head = f"{'learner':<15} {'mode':<8}{' mastery':8}" + "".join(f"{'day ' + str(d):>8}" for d in marks) \
        + f"{'to 80%':>9}{'asked':>7}{'right':>7}{'short':>6}{'secs':>7}"
    print(head, file=out)
    for r in results:
        cells = "".join(f"{100 * r['mastery'][d - 1]:7.1f}%" if d <= len(r["mastery"])
                        else f"{'-':>8}" for d in marks)
        to80 = str(r["questions_to_80"]) if r["questions_to_80"] is not None else "never"
        print(f"{r['learner']:<15} {r['mode']:<8} mastery{cells}{to80:>9}{r['questions']:>7}"
              f"{100 * r['accuracy']:6.1f}%{r['short_days']:>6}{r['seconds']:7.1f}", file=out)
    for r in results:
        if r["error"]:
            print(f"mastery of {r['learner']} in {r['mode']} mode is incomplete: {r['error']}",
                  file=out)
        if r["unfair_questions"]:
            print(f"mastery of {r['learner']} in {r['mode']} mode is suspect: "
                  f"{r['unfair_questions']} questions broke their kind, or the reply named another "
                  f"right answer", file=out)
    for name in dict.fromkeys(r["learner"] for r in results):
        by_mode = {r["mode"]: r for r in results if r["learner"] == name}
        if "study" in by_mode and "uniform" in by_mode and not any(
                r["error"] for r in by_mode.values()):
            s, u = by_mode["study"]["mastery"][-1], by_mode["uniform"]["mastery"][-1]
            ratio = f"{s / u:.2f} times" if u > 0 else "infinitely"
            print(f"{name}: study mode's mastery at day {days} is {ratio} uniform mode's", file=out)


def parse_args(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    bin_dir = os.path.normpath(os.path.join(here, "..", "..", "build", "bin"))
    parser = argparse.ArgumentParser(
        description="Plays lexitor-drill as a simulated learner and reports its mastery.",
        epilog="Learners: " + "; ".join(f"{k} ({v['about']})" for k, v in LEARNERS.items()))
    parser.add_argument("--drill", default=os.path.join(bin_dir, "lexitor-drill"),
                        help="the lexitor-drill executable (default: build/bin/lexitor-drill)")
    parser.add_argument("--words", help="word database (default: dbWords.mdb beside the drill)")
    parser.add_argument("--days", type=int, default=60)
    parser.add_argument("--per-day", type=int, default=150, help="questions a day")
    parser.add_argument("--lengths", default="2,3", help="word lengths studied (default 2,3)")
    parser.add_argument("--learner", action="append", choices=sorted(LEARNERS),
                        help="a learner to simulate (repeatable; default: "
                             + ", ".join(DEFAULT_REPORT_LEARNERS) + ")")
    parser.add_argument("--mode", choices=["study", "uniform", "both"], default="both")
    parser.add_argument("--seed", type=int, default=1,
                        help="seed of the learner and of the drill")
    parser.add_argument("--new-per-day", type=int, help="passed on to the drill")
    parser.add_argument("--drill-arg", action="append", default=[],
                        help="one more argument for the drill (repeatable)")
    parser.add_argument("--jobs", type=int, default=1, help="runs at the same time")
    parser.add_argument("--timeout", type=float, default=300.0,
                        help="seconds to wait for one reply before giving the run up as hung")
    parser.add_argument("--json", action="store_true", help="print the figures as JSON")
    parser.add_argument("--check", action="store_true",
                        help=f"fail unless study mode reaches 80%% at the last day and 3 times "
                             f"uniform mode for the {DEFAULT_LEARNER} learner")
    args = parser.parse_args(argv)
    try:
        args.lengths = sorted({int(n) for n in args.lengths.split(",")})
    except ValueError:
        parser.error("--lengths takes numbers such as 2,3")
    if any(n not in LENGTH_TABLES for n in args.lengths):
        parser.error("--lengths takes 2, 3 and 4")
    if args.days < 1 or args.per_day < 1 or args.jobs < 1:
        parser.error("--days, --per-day and --jobs must be positive")
    args.drill = os.path.abspath(args.drill)
    if args.words is None:
        args.words = os.path.join(os.path.dirname(os.path.abspath(args.drill)), "dbWords.mdb")
    args.learner = args.learner or list(DEFAULT_REPORT_LEARNERS)
    if args.check and DEFAULT_LEARNER not in args.learner:
        args.learner.insert(0, DEFAULT_LEARNER)
    if args.check:
        args.mode = "both"
    return args


def check(results, out):
    """The goal: study mode reaches 80 % at the last day and three times uniform mode."""
    by_mode = {r["mode"]: r for r in results if r["learner"] == DEFAULT_LEARNER}
    if any(r["error"] for r in by_mode.values()):
        print(f"mastery check failed ({DEFAULT_LEARNER} learner): a run did not finish", file=out)
        return False
    study, uniform = by_mode["study"]["mastery"][-1], by_mode["uniform"]["mastery"][-1]
    failures = []
    if study < 0.8:
        failures.append(f"study mode reaches {100 * study:.1f}%, below 80%")
    if study < 3 * uniform:
        failures.append(f"study mode {100 * study:.1f}% is below 3 x uniform {100 * uniform:.1f}%")
    for f in failures:
        print(f"mastery check failed ({DEFAULT_LEARNER} learner): {f}", file=out)
    if not failures:
        print(f"mastery check passed ({DEFAULT_LEARNER} learner): study mode {100 * study:.1f}%, "
              f"uniform mode {100 * uniform:.1f}%", file=out)
    return not failures


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    if not os.access(args.drill, os.X_OK):
        print(f"learner: no drill at {args.drill}", file=sys.stderr)
        return 2
    try:
        words = load_words(args.words, args.lengths)
    except (DrillError, sqlite3.Error) as e:
        print(f"learner: {e}", file=sys.stderr)
        return 2
    modes = ["study", "uniform"] if args.mode == "both" else [args.mode]
    jobs = [(name, mode) for name in args.learner for mode in modes]
    if args.jobs > 1:
        from concurrent.futures import ProcessPoolExecutor
        with ProcessPoolExecutor(args.jobs) as pool:
            results = list(pool.map(run, [args] * len(jobs), *zip(*jobs), [words] * len(jobs)))
    else:
        results = [run(args, name, mode, words) for name, mode in jobs]
    out = sys.stderr if args.json else sys.stdout
    if args.json:
        json.dump({"words": sum(len(w) for w in words.values()), "lengths": args.lengths,
                   "seed": args.seed, "runs": results}, sys.stdout, indent=1)
        print()
    else:
        print(f"{sum(len(w) for w in words.values())} words of lengths "
              f"{','.join(map(str, args.lengths))}, {args.per_day} questions a day for "
              f"{args.days} days, seed {args.seed}; mastery at the end of the day, questions to "
              f"80% mastery, answered, right, short days (the drill ran out), seconds")
        report(results, args.days, out)
    if args.check and not check(results, out):
        return 1
    # The figures are measurements; only a run that could not finish fails the command.
    return 2 if any(r["error"] for r in results) else 0


if __name__ == "__main__":
    sys.exit(main())
