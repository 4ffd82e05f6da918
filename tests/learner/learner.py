#!/usr/bin/env python3
"""Simulated learners: play lexitor-drill through its protocol and measure what they have learned.

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
    (probability 1 - (1 - eye * (1 - confusion)) * (1 - R of its non-word memory), where eye is
    how often the fake's look gives it away: see learner_model.py); a
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

Schedulers compared: study mode (the trainer's), a Leitner baseline (study mode with
--scheduler leitner) and uniform mode (questions drawn like the written tests).

Measure: mastery is the mean of R over every valid word of the studied lengths (unknown words
count 0), taken at the end of each day, just before the next day's session (after the night's
forgetting). "Questions to 80 %" is the number of questions answered before the first such
measure of at least 80 %.

A day is one session of --per-day questions (or the learner's own per_day; 10 s each on the drill's
clock), then WAIT until
24 hours after the session began. When the drill has nothing to ask (study mode, nothing due and
no new words left today) the learner stops for the day.

Each --seed and each --lengths set makes runs of their own (every learner under every scheduler);
the table has a row for each.
"""

import argparse
import json
import os
import select
import sqlite3
import subprocess
import sys
import tempfile
import time

from learner_model import LEARNERS, PROFILES, Learner
from learner_report import (GOAL_AVERAGE_MASTERY, GOAL_AVERAGE_QUESTIONS_TO_80,
                            GOAL_MARGIN_OVER_LEITNER, check, checkpoints, report)

LENGTH_TABLES = {2: "qryTwoWords", 3: "qryThreeWords", 4: "qryFourWords"}
SECONDS_PER_QUESTION = 10.0
DAY = 1.0  # the learner's clock counts days
MODES = ["study", "leitner", "uniform"]
DRILL_MODE = {"study": ["--mode", "study"], "leitner": ["--mode", "study", "--scheduler", "leitner"],
              "uniform": ["--mode", "uniform"]}

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


def drill_argv(args, mode, lengths, seed, home):
    argv = [args.drill, "--words", args.words, "--history", os.path.join(home, "history.db"),
            *DRILL_MODE[mode], "--lengths", ",".join(map(str, lengths)), "--seed", str(seed)]
    if args.new_per_day is not None:
        argv += ["--new-per-day", str(args.new_per_day)]
    return argv + args.drill_arg


class Tally:
    """What a run asked and how it went."""

    def __init__(self):
        self.asked = self.right = self.idle_days = self.short_days = self.unfair = 0
        self.kinds = {"valid": 0, "invalid": 0}
        self.nonwords = self.wordlike = 0  # non-words shown, and those that look like words
        # Choose-the-invalid questions whose fake the learner saw through, by its look or by
        # remembering it: their right answers say nothing of the three words beside it.
        self.fakes_spotted = 0
        self.daily = []  # mastery at the end of each day
        self.to_80 = None

    def question(self, learner, kind, candidates):
        self.kinds[kind] += 1
        for w in candidates:
            if not learner.is_word(w):
                self.nonwords += 1
                self.wordlike += learner.eye.wordlike(w)

    def day_end(self, level):
        self.daily.append(level)
        if self.to_80 is None and level >= 0.8:
            self.to_80 = self.asked


def play_question(drill, learner, tally, now):
    """One question; False when the drill has nothing to ask."""
    parts = drill.ask("NEXT").split()
    if not parts or parts[0] != "Q":
        return False  # nothing to ask: the player stops for the day
    if len(parts) != 7 or parts[1] not in ("valid", "invalid"):
        raise DrillError(f"unexpected question: {' '.join(parts)!r}")
    kind, candidates = parts[1], parts[3:]
    tally.question(learner, kind, candidates)
    picked, recalled, spotted = learner.answer(kind, candidates, now)
    tally.fakes_spotted += kind == "invalid" and any(spotted.values())
    reply = drill.ask(str(picked + 1))
    parts = reply.split()
    if len(parts) != 3 or parts[0] != "A" or not parts[1].isdigit() \
            or not 1 <= int(parts[1]) <= 4:
        raise DrillError(f"unexpected answer reply: {reply!r}")
    right = int(parts[1]) - 1
    tally.unfair += not fair(learner, kind, candidates, right, parts[2])
    tally.asked += 1
    tally.right += picked == right
    learner.learn(kind, candidates, picked, right, recalled, spotted, now)
    return True


def play_days(days, per_day, drill, learner, tally):
    """The days of one run: a session of per_day questions, then the rest of the day."""
    step = SECONDS_PER_QUESTION / 86400.0
    now = 0.0
    for _ in range(days):
        session_start = now
        answered = 0
        while answered < per_day and play_question(drill, learner, tally, now):
            answered += 1
            now += step
        tally.idle_days += answered == 0
        tally.short_days += answered < per_day
        now = wait(drill, now, session_start + DAY)
        tally.day_end(learner.mastery(now))


def run(args, learner_name, mode, lengths, seed, all_words):
    """One learner under one scheduler, on one set of lengths, under one seed; returns its
    figures."""
    words = {n: all_words[n] for n in lengths}
    params = LEARNERS[learner_name]
    per_day = params.get("per_day", args.per_day)
    learner = Learner(learner_name, params, words, seed)
    tally = Tally()
    stats = error = None
    with tempfile.TemporaryDirectory(prefix="lexitor-learner-") as home:
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"),
                   XDG_CACHE_HOME=os.path.join(home, "cache"))
        started = time.monotonic()
        drill = Drill(drill_argv(args, mode, lengths, seed, home), env, args.timeout,
                      os.path.join(home, "drill.err"))
        try:
            play_days(args.days, per_day, drill, learner, tally)
            stats = drill.ask("STATS")
        except DrillError as e:
            error = f"day {len(tally.daily) + 1}, after {tally.asked} questions: {e}"
        code = drill.close()
        if code not in (0, None) and error is None:
            error = f"the drill exited with {code}"
    daily = tally.daily
    return {
        "learner": learner_name, "mode": mode, "lengths": lengths, "seed": seed,
        "words": sum(len(w) for w in words.values()), "days": args.days, "per_day": per_day,
        "questions": tally.asked, "accuracy": tally.right / tally.asked if tally.asked else 0.0,
        "idle_days": tally.idle_days, "short_days": tally.short_days, "mastery": daily,
        "mastery_at": {str(d): daily[d - 1] for d in checkpoints(args.days) if d <= len(daily)},
        "questions_to_80": tally.to_80, "kinds": tally.kinds,
        "nonwords_shown": tally.nonwords, "wordlike_nonwords": tally.wordlike,
        "fakes_spotted": tally.fakes_spotted,
        "unfair_questions": tally.unfair, "drill_stats": stats,
        "seconds": time.monotonic() - started,
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


def parse_args(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    bin_dir = os.path.normpath(os.path.join(here, "..", "..", "build", "bin"))
    parser = argparse.ArgumentParser(
        description="Plays lexitor-drill as simulated learners and reports their mastery.",
        epilog="Learners: " + "; ".join(f"{k} ({v['about']})" for k, v in LEARNERS.items()))
    parser.add_argument("--drill", default=os.path.join(bin_dir, "lexitor-drill"),
                        help="the lexitor-drill executable (default: build/bin/lexitor-drill)")
    parser.add_argument("--words", help="word database (default: dbWords.mdb beside the drill)")
    parser.add_argument("--days", type=int, default=60)
    parser.add_argument("--per-day", type=int, default=150,
                        help="questions a day of learners without their own (default 150)")
    parser.add_argument("--lengths", action="append",
                        help="word lengths studied, such as 2,3 (repeatable: a run for each "
                             "set; default 2,3)")
    parser.add_argument("--learner", action="append", choices=sorted(LEARNERS),
                        help="a learner to simulate (repeatable; default: "
                             + ", ".join(PROFILES) + ")")
    parser.add_argument("--mode", action="append", choices=MODES,
                        help="a scheduler to run (repeatable; default: all three)")
    parser.add_argument("--seed", type=int, action="append",
                        help="seed of the learner and of the drill (repeatable: a run for each; "
                             "default 1)")
    parser.add_argument("--new-per-day", type=int, help="passed on to the drill")
    parser.add_argument("--drill-arg", action="append", default=[],
                        help="one more argument for the drill (repeatable)")
    parser.add_argument("--jobs", type=int, default=1, help="runs at the same time")
    parser.add_argument("--timeout", type=float, default=300.0,
                        help="seconds to wait for one reply before giving the run up as hung")
    parser.add_argument("--json", action="store_true", help="print the figures as JSON")
    parser.add_argument("--check", action="store_true",
                        help="fail unless, at the last day, study mode beats the Leitner baseline "
                             f"by {100 * GOAL_MARGIN_OVER_LEITNER:.0f} points and uniform mode for "
                             f"every learner, and the average learner reaches "
                             f"{100 * GOAL_AVERAGE_MASTERY:.0f}%% and 80%% within "
                             f"{GOAL_AVERAGE_QUESTIONS_TO_80} questions")
    args = parser.parse_args(argv)
    try:
        args.lengths = [sorted({int(n) for n in one.split(",")}) for one in args.lengths or ["2,3"]]
    except ValueError:
        parser.error("--lengths takes numbers such as 2,3")
    if any(n not in LENGTH_TABLES for one in args.lengths for n in one):
        parser.error("--lengths takes 2, 3 and 4")
    args.seed = list(dict.fromkeys(args.seed or [1]))
    if args.days < 1 or args.per_day < 1 or args.jobs < 1:
        parser.error("--days, --per-day and --jobs must be positive")
    args.drill = os.path.abspath(args.drill)
    if args.words is None:
        args.words = os.path.join(os.path.dirname(os.path.abspath(args.drill)), "dbWords.mdb")
    args.learner = args.learner or list(PROFILES)
    args.mode = MODES if args.check or not args.mode else [m for m in MODES if m in args.mode]
    return args


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    if not os.access(args.drill, os.X_OK):
        print(f"learner: no drill at {args.drill}", file=sys.stderr)
        return 2
    try:
        words = load_words(args.words, sorted({n for one in args.lengths for n in one}))
    except (DrillError, sqlite3.Error) as e:
        print(f"learner: {e}", file=sys.stderr)
        return 2
    jobs = [(name, mode, lengths, seed) for name in args.learner for lengths in args.lengths
            for seed in args.seed for mode in args.mode]
    if args.jobs > 1:
        from concurrent.futures import ProcessPoolExecutor
        with ProcessPoolExecutor(args.jobs) as pool:
            results = list(pool.map(run, [args] * len(jobs), *zip(*jobs), [words] * len(jobs)))
    else:
        results = [run(args, *job, words) for job in jobs]
    out = sys.stderr if args.json else sys.stdout
    if args.json:
        json.dump({"lengths": args.lengths, "seeds": args.seed, "runs": results}, sys.stdout,
                  indent=1)
        print()
    else:
        sets = "; ".join(f"{sum(len(words[n]) for n in one)} words of lengths "
                         f"{','.join(map(str, one))}" for one in args.lengths)
        print(f"{sets}; {args.per_day} questions a day (unless the learner has its own) for "
              f"{args.days} days, seeds {', '.join(map(str, args.seed))}; mastery at the end of "
              f"the day, questions to 80% mastery, answered, right, short days (the drill ran "
              f"out), seconds")
        report(results, args.days, out)
    if args.check and not check(results, out):
        return 1
    # The figures are measurements; only a run that could not finish fails the command.
    return 2 if any(r["error"] for r in results) else 0


if __name__ == "__main__":
    sys.exit(main())
