"""The progress window as a screen reader reads it, at the normal scale and at twice it."""

import pathlib
import re

from desktop import DEADLINE, check, log
from e2e_written import main_window
from e2e_study import history_path, pace_line, study_button


# ----- the progress window as a screen reader reads it ---------------------------------------

CHARTS = ("Words by length", "Known words", "Due in the next 14 days", "Last 30 days")


def shares(figures):
    """{length: (known, learning, new)} from the progress window's words-by-length line."""
    return {int(n): tuple(int(v.replace(",", "")) for v in rest) for n, *rest in re.findall(
        r"(\d) letters: ([\d,]+) known \(\d+ %\), ([\d,]+) learning, ([\d,]+) new",
        figures[CHARTS[0]])}


def read_progress(s, main, acc):
    """Opens Progress through the button's accessible action and reads each chart's description,
    which must be what the line labelling the chart says; closes the window."""
    s.wait_active(main, acc)
    s.one(acc, "push button", "Progress").queryAction().doAction(0)
    window = s.wait_window(besides={main}, title="Progress")
    progress = s.wait_top_level_with("chart", CHARTS[0])
    figures = {}
    for name in CHARTS:
        chart = s.one(progress, "chart", name)
        lines = [s.content(r.getTarget(0)) for r in chart.getRelationSet()
                 if r.getRelationType() == s._atspi.RELATION_LABELLED_BY]
        check(chart.description and lines == [chart.description],
              f'"{name}" says "{chart.description}", its labels {lines}')
        figures[name] = chart.description
        log(f"{name}: {chart.description}")
    s.close_box(window)
    return figures


def test_progress_figures(s):
    """The progress window read through the accessibility tree, its figures checked against the
    bundled word list for a new player, then against lexitor-drill and the history file after
    25 days of steady study."""
    import re
    import sqlite3
    import subprocess
    words = [w.strip().upper() for w in (pathlib.Path(__file__).resolve().parents[2] / "data" /
                                         "words.txt").read_text().splitlines()
             if w.strip() and not w.startswith("#")]
    sizes = {n: sum(len(w) == n for w in words) for n in (2, 3, 4)}
    s.install(words)
    for studied in (False, True):
        if studied:  # twenty new words a day, each reviewed on a steady plan
            s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--days", "25",
                   str(history_path(s)), *words[::9]])
        s.launch()
        main, acc, _ = main_window(s)
        study_button(s, acc)
        # Auto goes by the answers of the days before today, read before any session.
        log(f"pace: {pace_line(s, acc, 'answers a day (Auto)' if studied else 'until')}")
        figures = read_progress(s, main, acc)
        s.close_box(main)
        check(s.wait_exit() == 0, "exit code")
        if not studied:
            check(list(figures.values())[2:] == ["Nothing due in the next 14 days.",
                                                 "No answers in the last 30 days."] and
                  figures[CHARTS[0]] == "; ".join(f"{n} letters: 0 known (0 %), 0 learning, "
                                                  f"{k:,} new" for n, k in sizes.items()) + ".",
                  f"a new player's figures {figures}")
    number = lambda text: int(text.replace(",", ""))  # noqa: E731
    shares = {int(n): (number(k), number(l), number(w)) for n, k, l, w in re.findall(
        r"(\d) letters: ([\d,]+) known \(\d+ %\), ([\d,]+) learning, ([\d,]+) new",
        figures[CHARTS[0]])}
    known_now = {int(n): number(k) for n, k in
                 re.findall(r"(\d) letters [\d,]+ to ([\d,]+)", figures[CHARTS[1]])}
    for n, (known, learning, new) in shares.items():
        drill = subprocess.run([str(s.prefix / "bin" / "lexitor-drill"), "--words",
                                str(s.program_dir / "dbWords.mdb"), "--history",
                                str(history_path(s)), "--lengths", str(n)],
                               input="STATS\nQUIT\n", env=s.env, capture_output=True, text=True,
                               timeout=DEADLINE)
        seen, _, learned = (int(v) for v in drill.stdout.split()[1:4])
        check(known + learning + new == sizes[n] and (known + learning, known) == (seen, learned)
              and known_now[n] == known, f"{n} letters: {known} known, {learning} learning, "
              f"{new} new; {sizes[n]} listed, drill {drill.stdout.strip()}")
    check(len(shares) == 3 and sum(k for k, _, _ in shares.values()) > 0, "nothing known")
    with sqlite3.connect(history_path(s)) as db:
        answers, right = db.execute(
            "SELECT count(*), sum(right_index = chosen_index) FROM answers").fetchone()
    check(figures[CHARTS[3]].startswith(f"Last 30 days: {answers:,} answers, "
                                        f"{round(100 * right / answers)} % right;"),
          f"{answers} answers, {right} right")


def bundled_words():
    return [w.strip().upper() for w in (pathlib.Path(__file__).resolve().parents[2] / "data" /
                                        "words.txt").read_text().splitlines()
            if w.strip() and not w.startswith("#")]


def window_box(s, window):
    """x, y, width and height of an X window, its frame left out, on the screen."""
    out = s.run(["xdotool", "getwindowgeometry", "--shell", str(window)])
    box = dict(line.split("=") for line in out.split())
    return tuple(int(box[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))


def test_progress_at_scale_two(s):
    """At twice the scale on a 1280x1024 screen, after two months of study, the whole progress
    window is on screen, its Close button in view, and pressing it through the accessibility
    tree closes the window."""
    s.install(bundled_words())
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--days", "60",
           str(history_path(s)), *bundled_words()[::5]])
    s.launch()
    main, acc, _ = main_window(s)
    study_button(s, acc)
    s.wait_active(main, acc)
    s.one(acc, "push button", "Progress").queryAction().doAction(0)
    window = s.wait_window(besides={main}, title="Progress")
    progress = s.wait_top_level_with("chart", CHARTS[0])
    x, y, width, height = window_box(s, window)
    check(x >= 0 and y >= 0 and x + width <= 1280 and y + height <= 1024,
          f"the progress window at {x},{y} {width}x{height} leaves the 1280x1024 screen")
    close = s.one(progress, "push button", "Close")
    bx, by, bw, bh = s.extents(close)
    check(bw > 0 and bh > 0 and bx + bw <= width and by + bh <= height,
          f"Close at {bx},{by} {bw}x{bh} is not in the {width}x{height} window")
    close.queryAction().doAction(0)
    s.wait_gone(window)
    s.wait_active(main, acc)
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")
