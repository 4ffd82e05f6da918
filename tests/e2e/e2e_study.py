"""Study as a player uses it: a session and its colours, a history that can't be written, and
strange files where the program keeps its own."""

import contextlib
import re

from desktop import check, log, wait_for
from e2e_written import COUNT_FRAME, QUESTION, VALID_FRAME, WORDS, main_window, type_count


# A word list for study: the history made beforehand holds STUDY_DUE, learnt a month ago.
STUDY_WORDS = ["AA", "AB", "AD", "AE", "AG", "AH", "AI", "AL", "AM", "AN", "AR", "AS", "AT",
               "AW", "AX", "AY", "BA", "BE", "BI", "BO", "ACE", "ADD", "AGE", "AID", "AIM", "AIR",
               "ALE", "APE", "ARC", "ARE", "ART", "ATE", "ABLE", "ACHE", "AGED", "ALSO"]
# Few enough that the first session reviews them all: the next day, only what it missed is due.
STUDY_DUE = STUDY_WORDS[:6] + STUDY_WORDS[20:23]
# A fixed pace of 30, which is what the study cases count on; the Auto line is read in
# progress_figures.
STUDY_SETTINGS = "[Lexitor%20Trainer%20Software]\nStudyNewPerDay=30\nStudyNewPerDayAuto=false\n" \
                 "StudyLengths=2,3\nStudyPauseMs=600000\n"
GREEN, RED = (0, 128, 0), (200, 0, 0)


@contextlib.contextmanager
def studying(words):
    """While the block runs, read_study takes words for the real words of the list in use."""
    bundled = list(STUDY_WORDS)
    STUDY_WORDS[:] = words
    try:
        yield
    finally:
        STUDY_WORDS[:] = bundled


def history_path(s):
    return s.root / "home/.local/share/Quenmark/Lexitor Trainer Software/histories/bundled.sqlite"


def prepare_study(s):
    """Installs the study word list, the study settings and a history with STUDY_DUE due."""
    s.install(STUDY_WORDS)
    (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), str(history_path(s)), *STUDY_DUE])


def study_button(s, acc, due=None):
    """The main window's drill button, once it shows both its counts, due and new (that due
    count, when given)."""
    def ready():
        found = [b for b in s.find_all(acc, "push button")
                 if re.fullmatch(r"Daily drill \([\d,]+ due, [\d,]+ new\)", b.name)
                 and (due is None or b.name.startswith(f"Daily drill ({due:,} due,"))]
        return found[0] if found else None
    return wait_for(f"the study button to show {due if due is not None else 'a'} due count",
                    ready)


def pace_line(s, acc, part):
    """The main window's line on the day's pace, once it holds `part`."""
    return wait_for(f"the day's pace line with {part!r}", lambda: next(
        (label.name for label in s.find_all(acc, "label")
         if re.fullmatch(r"\d+ new words? .*", label.name) and part in label.name), None))


def due_in(button):
    return int(button.name.split("(")[1].split()[0].replace(",", ""))


def open_study(s, main, acc, box, keyboard=True):
    """With the keyboard: from the count box, Tab to "Help", Tab to the study button, Space.
    Otherwise a click on the study button."""
    s.wait_active(main, acc)
    if keyboard:
        s.wait_focused(box)
        s.key("Tab")
        s.key("Tab")
        s.wait_focused(study_button(s, acc))
        s.key("space")
    else:
        s.click(main, study_button(s, acc))
    window = s.wait_window(besides={main})

    def study():
        application = s.app_accessible()
        if application is None:
            return None
        for top in application:
            if top is not None and s.has_state(top, s._atspi.STATE_SHOWING) and [
                    label for label in s.find_all(top, "label")
                    if (label.name or "").startswith("Due left:")]:
                return top
        return None
    return window, wait_for("the study window", study)


def read_study(s, study):
    frame = [p for p in s.find_all(study, "panel") if (p.name or "").startswith("Choose the")]
    check(len(frame) == 1, "one question frame")
    buttons = s.find_all(frame[0], "push button")
    captions = [b.name for b in buttons]
    check([c.split()[0] for c in captions] == ["1", "2", "3", "4"],
          f"buttons without their numbers: {captions}")
    words = [c.split()[-1] for c in captions]
    valid_kind = "invalid" not in frame[0].name
    right = [i for i, w in enumerate(words) if (w in STUDY_WORDS) == valid_kind]
    check(len(right) == 1, f"{frame[0].name} {words}: expected one right answer")
    return buttons, words, valid_kind, right[0]


def pixel(s, window, acc):
    """The colour a little inside the left end of the object, from a shot of the window."""
    x, y, w, h = s.extents(acc)
    shot = s.root / "pixel.png"
    s.run(["import", "-window", hex(window), str(shot)])
    out = s.run(["convert", str(shot), "-crop", f"1x1+{x + 10}+{y + h // 2}", "-depth", "8",
                 "txt:-"])
    rgb = out.splitlines()[-1].split("(")[1].split(")")[0].split(",")
    return tuple(int(float(v)) for v in rgb[:3])


def near(colour, expected):
    """Clearly green or clearly red, whatever shading the style gives the button."""
    r, g, b = colour
    if expected == GREEN:
        return g > r + 60 and g > b + 60
    return r > g + 80 and r > b + 80


def play_study(s, window, study, plan, outcomes=None):
    """Answers one question per plan entry (how, right); checks the feedback of each; returns
    the words rejected and the non-words taken for real, and the candidates of each question.
    outcomes, when given, gets each question's feedback line."""
    rejected, accepted, asked = [], [], []
    for number, (how, right) in enumerate(plan, 1):
        buttons, words, valid_kind, good = read_study(s, study)
        asked.append(words)
        pick = good if right else (good + 1) % 4
        if how == "digit":
            s.key(str(pick + 1))
        else:
            for i in range(pick + 1):
                s.key("Tab")
                s.wait_focused(buttons[i])
            s.key("space")
        wait_for("the right answer to be marked",
                 lambda: buttons[good].description == "right answer")
        marks = {good: GREEN} if right else {good: GREEN, pick: RED}
        for index, colour in marks.items():
            seen = pixel(s, window, buttons[index])
            check(near(seen, colour), f"question {number}: button {index + 1} is {seen}, "
                                      f"expected {colour}")
        outcome = [label.name for label in s.find_all(study, "label")
                   if (label.name or "").startswith(("Right: ", "Wrong: "))]
        check(outcome and outcome[0].startswith("Right: " if right else "Wrong: ") and
              words[good] in outcome[0], f"question {number}: status {outcome}")
        log(f"study question {number}: {words}, {'right' if right else 'wrong'} by {how}; "
            f"{outcome[0]}")
        if outcomes is not None:
            outcomes.append(outcome[0])
        if not right:
            rejected.append(words[good] if valid_kind else words[pick])
            accepted.append(words[pick] if valid_kind else words[good])
        if number < len(plan):
            s.key("Return")  # any key: the next question at once
            showing = s._atspi.STATE_SHOWING
            wait_for("the next question", lambda: buttons[good].description != "right answer"
                     or not s.has_state(study, showing))
            if not s.has_state(study, showing):
                break  # today's work is done: the session ended by itself
    return rejected, accepted, asked


def test_study_session(s):
    """A keyboard-only study session of 10 questions from a history made beforehand: the due
    count, green and red feedback, the summary's missed words; a day later the missed words come
    back among the due reviews of the next session."""
    prepare_study(s)
    s.launch()
    main, acc, box = main_window(s)
    check(due_in(study_button(s, acc)) == len(STUDY_DUE),
          f"due count {study_button(s, acc).name}, expected {len(STUDY_DUE)}")
    log(f"pace: {pace_line(s, acc, '30 new words a day, fixed in Settings')}")
    window, study = open_study(s, main, acc, box)
    # Missed last, so that the session cannot ask them again.
    plan = [("digit" if i % 2 else "tab", True) for i in range(8)] + [("digit", False),
                                                                     ("tab", False)]
    rejected, accepted, _ = play_study(s, window, study, plan)
    s.close_box(window)
    summary = s.wait_top_level_with("panel", "Study Session")
    labels = [s.content(label) for label in s.find_all(s.one(summary, "panel", "Study Session"),
                                                      "label")]
    log(f"summary: {labels}")
    check(labels[:2] == ["Answered: 10", "Right: 80%"], f"summary {labels}")
    check(len(set(rejected)) == 2, f"two words missed: {rejected}")
    check(labels[2].startswith("Next review: "), f"summary {labels}")
    lists = {}
    for frame in ("Words you took for non-words", "Non-words you took for words"):
        items = s.one(s.one(summary, "panel", frame), "list")
        lists[frame] = sorted(s.content(item) for item in s.children_of(items))
    check(lists == {"Words you took for non-words": sorted(set(rejected)),
                    "Non-words you took for words": sorted(set(accepted))},
          f"summary lists {lists}, expected {rejected} and {accepted}")
    s.key("Return")
    s.wait_active(main, acc)
    log(f"after the session: {study_button(s, acc).name}")
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")

    # The next day, the missed words come back.
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--age", "24",
           str(history_path(s))])
    s.launch()
    main, acc, box = main_window(s)
    due = due_in(study_button(s, acc))
    log(f"next start: {due} due")
    check(due >= len(set(rejected)), f"{due} due, fewer than the {len(set(rejected))} missed")
    window, study = open_study(s, main, acc, box)
    # The words missed last time come before every other due word: each question reviews at
    # least one of them, so they are all asked within the first that many questions.
    count = len(set(rejected))
    _, _, asked = play_study(s, window, study, [("digit", True)] * count)
    first = {word for words in asked for word in words}
    check(set(rejected) <= first, f"missed {rejected}, first asked {asked}")
    if window in s.visible_windows():
        s.close_box(window)
    s.wait_top_level_with("panel", "Study Session")
    s.key("Return")
    s.wait_active(main, acc)
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")


def test_unwritable_history(s):
    """A history that cannot be written: one message, then a written test and a study
    question both run."""
    s.install(STUDY_WORDS)
    (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
    blocker = s.root / "not-a-folder"
    blocker.write_text("a file where the data folder should be\n")
    s.env["XDG_DATA_HOME"] = str(blocker)
    s.launch()
    main = s.wait_window()
    message = wait_for("the message about progress", lambda: [
        label for label in s.find_all(s.app_accessible(), "label")
        if "not being saved" in (label.name or "")])
    log(f"message: {message[0].name!r}")
    dialog = s.wait_top_level_with("label", message[0].name)
    s.click(s.wait_window(besides={main}), s.one(dialog, "push button", "OK"))
    acc = s.wait_top_level_with("panel", VALID_FRAME)
    box = s.one(acc, "text", COUNT_FRAME)
    study_button(s, acc)
    s.wait_active(main, acc)

    # A written test of one question.
    s.wait_focused(box)
    s.type_text("1")
    wait_for('the count box to show "1"', lambda: s.text(box) == "1")
    s.click(main, s.one(s.one(acc, "panel", VALID_FRAME), "push button", "Study 2 Letter Words"))
    question = s.wait_window(besides={main})
    q = s.wait_top_level_with("panel", QUESTION)
    s.wait_active(question, q)
    s.key("1")
    s.wait_gone(question)
    results = s.wait_top_level_with("panel", "Summary Result")
    s.click(s.wait_window(besides={main}), s.one(results, "push button", "Close Window"))
    s.wait_active(main, acc)

    # A study question.
    window, study = open_study(s, main, acc, box, keyboard=False)
    play_study(s, window, study, [("digit", True)])
    s.close_box(window)
    s.wait_top_level_with("panel", "Study Session")
    s.key("Return")
    s.wait_active(main, acc)
    check(not [label for label in s.find_all(s.app_accessible(), "label")
               if "not being saved" in (label.name or "")], "the message came back")
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")


def test_strange_files(s):
    """A FIFO in place of the cursor and of the skin marker, a word database in WAL mode and no
    home folder: the window shows, the count is taken but stored nowhere, and nothing is written
    in the program folder or at the filesystem root."""
    import os
    folder = s.install(WORDS)
    database = folder / "dbWords.mdb"
    s.run(["sqlite3", str(database), "PRAGMA journal_mode = WAL;"])
    (folder / "HAND-M.CUR").unlink()
    os.mkfifo(folder / "HAND-M.CUR")
    (folder / "x").mkdir()
    os.mkfifo(folder / "x" / "o.cjs")
    before = sorted(p.name for p in folder.iterdir())
    root_before = sorted(os.listdir("/"))
    s.env["HOME"] = ""
    s.env.pop("XDG_CONFIG_HOME", None)
    window = type_count(s, "7")
    check(sorted(p.name for p in folder.iterdir()) == before, "files written in the program folder")
    s.close_box(window)
    check(s.wait_exit() == 0, "exit code")
    check(sorted(p.name for p in folder.iterdir()) == before, "files written in the program folder")
    check(sorted(os.listdir("/")) == root_before, "files written at the filesystem root")
