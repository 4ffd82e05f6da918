"""What learner.py prints of its runs: the table of figures, and the goals --check holds every
profile to."""

# The goals --check holds every profile to, at the last day.
GOAL_MARGIN_OVER_LEITNER = 0.03
GOAL_AVERAGE_MASTERY = 0.92
GOAL_AVERAGE_QUESTIONS_TO_80 = 5000


def checkpoints(days):
    return sorted({max(1, round(days / 3)), max(1, round(2 * days / 3)), days})


def report(results, days, out):
    """The table: profile x lengths x seed x scheduler x mastery at three days and questions to
    80 %, with the split of question kinds, the share of word-like non-words and the share of
    choose-the-invalid questions whose fake the learner saw through. Every line of figures says
    "mastery" so that a filter on the word keeps them."""
    marks = checkpoints(days)
    print(f"{'learner':<15} {'lengths':<8}{'seed':>5} {'mode':<8}{' mastery':8}"
          + "".join(f"{'day ' + str(d):>8}"
          for d in marks) + f"{'to 80%':>9}{'asked':>7}{'right':>7}{'valid':>7}{'invalid':>8}"
          f"{'wordlike':>9}{'spotted':>8}{'short':>6}{'secs':>7}", file=out)
    for r in results:
        cells = "".join(f"{100 * r['mastery'][d - 1]:7.1f}%" if d <= len(r["mastery"])
                        else f"{'-':>8}" for d in marks)
        to80 = str(r["questions_to_80"]) if r["questions_to_80"] is not None else "never"
        shown = r["nonwords_shown"]
        wordlike = f"{100 * r['wordlike_nonwords'] / shown:8.1f}%" if shown else f"{'-':>9}"
        invalid = r["kinds"]["invalid"]
        spotted = f"{100 * r['fakes_spotted'] / invalid:7.1f}%" if invalid else f"{'-':>8}"
        print(f"{r['learner']:<15} {run_lengths(r):<8}{r['seed']:>5} {r['mode']:<8} mastery"
              f"{cells}{to80:>9}{r['questions']:>7}"
              f"{100 * r['accuracy']:6.1f}%{r['kinds']['valid']:>7}{r['kinds']['invalid']:>8}"
              f"{wordlike}{spotted}{r['short_days']:>6}{r['seconds']:7.1f}", file=out)
    for r in results:
        if r["error"]:
            print(f"mastery of {run_name(r)} in {r['mode']} mode is incomplete: {r['error']}",
                  file=out)
        if r["unfair_questions"]:
            print(f"mastery of {run_name(r)} in {r['mode']} mode is suspect: "
                  f"{r['unfair_questions']} questions broke their kind, or the reply named another "
                  f"right answer", file=out)


def run_lengths(r):
    return ",".join(map(str, r["lengths"]))


def run_name(r):
    """A learner on its lengths under its seed, in words."""
    return f"{r['learner']} (lengths {run_lengths(r)}, seed {r['seed']})"


def goal_failures(name, by_mode):
    """What one learner's runs miss of the goals."""
    study = by_mode["study"]["mastery"][-1]
    leitner, uniform = by_mode["leitner"]["mastery"][-1], by_mode["uniform"]["mastery"][-1]
    failures = []
    if study < leitner + GOAL_MARGIN_OVER_LEITNER:
        failures.append(f"study mode {100 * study:.1f}% is not "
                        f"{100 * GOAL_MARGIN_OVER_LEITNER:.0f} points above Leitner "
                        f"{100 * leitner:.1f}%")
    if study <= uniform:
        failures.append(f"study mode {100 * study:.1f}% is not above uniform {100 * uniform:.1f}%")
    if name == "average":
        to80 = by_mode["study"]["questions_to_80"]
        if study < GOAL_AVERAGE_MASTERY:
            failures.append(f"study mode reaches {100 * study:.1f}%, below "
                            f"{100 * GOAL_AVERAGE_MASTERY:.0f}%")
        if to80 is None or to80 > GOAL_AVERAGE_QUESTIONS_TO_80:
            failures.append(f"study mode reaches 80% after {to80 or 'more than all'} questions, "
                            f"not within {GOAL_AVERAGE_QUESTIONS_TO_80}")
    return failures


def check(results, out):
    """Holds every learner to the goals on each set of lengths under each seed; prints one line
    per learner, lengths and seed."""
    passed = True
    for key in dict.fromkeys((r["learner"], run_lengths(r), r["seed"]) for r in results):
        runs = [r for r in results if (r["learner"], run_lengths(r), r["seed"]) == key]
        by_mode = {r["mode"]: r for r in runs}
        if any(r["error"] for r in runs):
            failures = ["a run did not finish"]
        else:
            failures = goal_failures(key[0], by_mode)
        name = run_name(runs[0])
        for f in failures:
            print(f"mastery check failed ({name}): {f}", file=out)
        if not failures:
            print(f"mastery check passed ({name})", file=out)
        passed = passed and not failures
    return passed
