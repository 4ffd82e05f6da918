#!/usr/bin/env python3
"""End-to-end tests: the installed Lexitor Trainer used as a player uses it.

    test_e2e.py --build BUILD_DIR CASE     runs one case (see CASES) in its own desktop session
    test_e2e.py --build BUILD_DIR --measure [N]
                                           start-up time: launch to main window mapped

Each case installs BUILD_DIR into a temporary prefix, gives the program folder its own word
database and starts the installed launcher under a private Xvfb, window manager, D-Bus and
PulseAudio (see harness.py). Input is real: xdotool moves the pointer, clicks and types; the
window manager's close box closes windows. What the windows show is read through the
accessibility tree.
"""

import argparse
import array
import pathlib
import re
import statistics
import sys
import time
import traceback

from harness import (DEADLINE, Failure, Recorder, Session, TITLE, check, crossings_per_second,
                     log, rms, wait_for, wave_samples)

# A small word database: the valid word of a question is the only caption that is in it.
WORDS = ["QI", "XU", "ZA", "CAT", "DOG", "EMU", "JINX", "QUIZ", "ZEST"]
TWO_LETTER = {w for w in WORDS if len(w) == 2}

VALID_FRAME = "Test type: Choose the valid word"
COUNT_FRAME = "How many questions would you like to ask for this test?"
QUESTION = "Choose the valid two letter word:"


def main_window(s):
    """Waits for the main window; returns (X id, accessible window, count box)."""
    window = s.wait_window()
    acc = s.wait_top_level_with("panel", VALID_FRAME)
    box = s.one(acc, "text", COUNT_FRAME)
    return window, acc, box


def test_startup(s):
    """Start-up shows the main window, titled, with the count box focused and selected;
    the close box ends the program with exit code 0."""
    s.install(WORDS)
    s.launch()
    window, acc, box = main_window(s)
    check(s.run(["xdotool", "getwindowname", str(window)]).strip() == TITLE, "window title")
    check(acc.getRoleName() == "frame", f"the main window is a {acc.getRoleName()}, not a frame")
    check(len(s.visible_windows()) == 1, "one window at start-up")
    maps = pathlib.Path(f"/proc/{s.app.pid}/maps").read_text()
    check("libQt6Charts" not in maps, "Qt Charts is loaded at start-up")
    s.wait_active(window, acc)
    s.wait_focused(box)
    check(s.text(box) == "20", f'count box shows "{s.text(box)}", expected "20"')
    check(s.selection(box) == [(0, 2)], f"count box selection {s.selection(box)}")
    buttons = [b.name for b in s.find_all(acc, "push button")]
    check(buttons.count("Study 2 Letter Words") == 2 and "Help" in buttons
          and "Study help" in buttons, f"main window buttons {buttons}")
    # F1: the study's own help page, which explains the keys.
    s.key("F1")
    page = wait_for("the study help page", lambda: [
        s.content(label) for label in s.find_all(s.app_accessible(), "label")
        if "1 to 4 choose an answer" in (s.content(label) or "")])
    check("Escape ends the session" in page[0], f"study help {page}")
    s.key("Return")
    s.wait_active(window, acc)
    s.close_box(window)
    rc = s.wait_exit()
    check(rc == 0, f"exit code {rc} after closing the main window")


def test_missing_database(s):
    """Without dbWords.mdb: the one message, and the program ends after OK."""
    folder = s.install(words=None)
    s.launch()
    window = s.wait_window()
    message = f"{folder}/dbWords.mdb not found"
    dialog = s.wait_top_level_with("label", message)
    check(not s.find_all(dialog, "push button", "Study 2 Letter Words"), "main window shown")
    check(s.visible_windows() == {window}, "a second window besides the message")
    ok = s.one(dialog, "push button", "OK")
    s.click(window, ok)
    rc = s.wait_exit()
    check(rc == 0, f"exit code {rc} after the missing-database message")
    check(not s.visible_windows(), "a window is left")


def read_question(s, window):
    acc = s.wait_top_level_with("panel", QUESTION)
    buttons = [b for b in s.find_all(acc, "push button")]
    check(len(buttons) == 4, f"{len(buttons)} answer buttons")
    captions = [b.name for b in buttons]
    valid = [i for i, c in enumerate(captions) if c in TWO_LETTER]
    check(len(valid) == 1, f"answer captions {captions}: expected exactly one valid word")
    status = s.one(s.one(acc, "panel", "Last Question Status"), "label")
    return acc, buttons, captions, valid[0], s.content(status)


def answer_with_keys(s, window, acc, buttons, index):
    """Tab from the (unseen) first field to button index, checking the focus on the way,
    then Space."""
    s.wait_active(window, acc)
    for i in range(index + 1):
        s.key("Tab")
        s.wait_focused(buttons[i])
    s.key("space")


def cue_kind(samples, references):
    """Names the reference cue whose pitch (zero-crossing rate) is nearest the recording's."""
    rate = crossings_per_second(samples)
    return min(references, key=lambda name: abs(rate - references[name])), rate


def test_full_run(s):
    """Three questions of the valid two-letter test, answered right with the mouse, wrong and
    right with Tab and Space; the cues sound on the sink; the results window shows the run; its
    button returns to the main window."""
    folder = s.install(WORDS)
    references = {name: crossings_per_second(wave_samples(folder / "sounds" / f"{name}.wav"))
                  for name in ("correct", "wrong")}
    recorder = s.record()
    s.launch()
    main, acc, box = main_window(s)
    s.wait_active(main, acc)
    s.wait_focused(box)
    s.type_text("3")  # the whole count is selected: typing replaces it
    wait_for('the count box to show "3"', lambda: s.text(box) == "3")
    valid_frame = s.one(acc, "panel", VALID_FRAME)
    s.click(main, s.one(valid_frame, "push button", "Study 2 Letter Words"))

    plan = [("mouse", True), ("keys", False), ("keys", True)]
    expected_status = "Waiting for answer"
    seen = set()
    right_words, wrong_words = [], []
    for number, (how, right) in enumerate(plan, 1):
        window = s.wait_window(besides={main} | seen)
        seen.add(window)
        q, buttons, captions, valid, status = read_question(s, window)
        log(f"question {number}: {captions}, status \"{status}\"")
        check(status == expected_status, f'question {number} status "{status}", '
                                         f'expected "{expected_status}"')
        pick = valid if right else (valid + 1) % 4
        mark = recorder.mark()
        if how == "mouse":
            s.click(window, buttons[pick])
        else:
            answer_with_keys(s, window, q, buttons, pick)
        s.wait_gone(window)
        cue = recorder.wait_cue(mark)
        kind, rate = cue_kind(cue, references)
        level = rms(cue)
        log(f"question {number}: {'right' if right else 'wrong'} answer by {how}; cue "
            f"{len(cue) / recorder.RATE:.2f} s, RMS {level:.3f}, {rate:.0f} crossings/s")
        check(level > 0.02, f"cue too quiet: RMS {level:.3f}")
        check(kind == ("correct" if right else "wrong"), f"heard the {kind} cue")
        if right:
            right_words.append(captions[pick])
            expected_status = f"Correct with {captions[pick]}"
        else:
            wrong_words.append(captions[pick])
            expected_status = f"Wrong. Correct answer was {captions[valid]}"

    results_window = s.wait_window(besides={main} | seen)
    results = s.wait_top_level_with("panel", "Summary Result")
    labels = [s.content(label) for label in s.find_all(s.one(results, "panel", "Summary Result"),
                                                 "label")]
    check(labels == ["Number of Correct: 2", "Number of Wrong: 1", "Percentage: 66.67%"],
          f"results {labels}")
    lists = {}
    for frame in ("Correct Words", "Wrong Words"):
        words = s.one(s.one(results, "panel", frame), "list")
        lists[frame] = [s.content(item) for item in s.children_of(words)]
    check(lists == {"Correct Words": right_words, "Wrong Words": wrong_words},
          f"result lists {lists}")
    s.click(results_window, s.one(results, "push button", "Close Window"))
    s.wait_gone(results_window)
    check(s.visible_windows() == {main}, "only the main window is left")
    s.wait_active(main, acc)
    check(s.text(box) == "3", "count box after the run")
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")


def test_count_remembered(s):
    """A count typed in the box is shown at the next start, and is stored in this session's
    own settings."""
    s.install(WORDS)
    s.launch()
    window, acc, box = main_window(s)
    s.wait_active(window, acc)
    s.wait_focused(box)
    s.type_text("7")
    wait_for('the count box to show "7"', lambda: s.text(box) == "7")
    s.close_box(window)
    check(s.wait_exit() == 0, "exit code")
    settings = s.root / "home" / ".config" / "Quenmark.conf"
    check(settings.exists() and "Text1=7" in settings.read_text(),
          "the count is not in the session's settings file")

    s.launch()
    window, acc, box = main_window(s)
    s.wait_active(window, acc)
    s.wait_focused(box)
    check(s.text(box) == "7", f'count box shows "{s.text(box)}" after a restart')
    s.close_box(window)
    check(s.wait_exit() == 0, "exit code")


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
    s.launch()
    window, acc, box = main_window(s)
    s.wait_active(window, acc)
    s.wait_focused(box)
    s.type_text("7")
    wait_for('the count box to show "7"', lambda: s.text(box) == "7")
    check(sorted(p.name for p in folder.iterdir()) == before, "files written in the program folder")
    s.close_box(window)
    check(s.wait_exit() == 0, "exit code")
    check(sorted(p.name for p in folder.iterdir()) == before, "files written in the program folder")
    check(sorted(os.listdir("/")) == root_before, "files written at the filesystem root")


# The soak: answers in one process, alternating right and wrong, at about the pace of a quick player.
SOAK_ANSWERS = 300
SOAK_MISSING_ANSWERS = 20
SOAK_PACE = 0.4  # seconds from one answer to the next, at least
HIGH_CROSSINGS = 1000  # the right cue and the alert are high; the wrong cue is low


def thread_switches(pid, thread=None):
    """Context switches so far of one thread of a process, or of all its threads."""
    import pathlib
    total = 0
    for task in pathlib.Path(f"/proc/{pid}/task").iterdir():
        if thread is not None and int(task.name) != thread:
            continue
        for line in (task / "status").read_text().splitlines():
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                total += int(line.split()[1])
    return total


def last_sound(samples, length=Recorder.RATE // 10):
    """The last length samples of the loud blocks of the recording: the cue sounding last."""
    block = Recorder.BLOCK
    loud = array.array("h")
    for i in range(0, len(samples) - block + 1, block):
        if rms(samples[i:i + block]) >= Recorder.ONSET:
            loud.extend(samples[i:i + block])
    return loud[-length:]


def loudest_50ms(samples):
    window, step = Recorder.RATE // 20, Recorder.RATE // 100
    return max((rms(samples[i:i + window]) for i in range(0, len(samples) - window + 1, step)),
               default=0.0)


def run_answers(s, main, acc, count, recorder, seen):
    """Starts the valid two-letter test with count questions and answers them, right first and
    then alternately wrong and right, at least SOAK_PACE apart. Returns the time of each answer
    (time.monotonic()) and whether it was right."""
    box = s.one(acc, "text", COUNT_FRAME)
    s.click(main, box)
    s.key("ctrl+a")
    s.type_text(str(count))
    wait_for(f'the count box to show "{count}"', lambda: s.text(box) == str(count))
    s.click(main, s.one(s.one(acc, "panel", VALID_FRAME), "push button", "Study 2 Letter Words"))
    answers = []
    last = 0.0
    for number in range(count):
        window = s.wait_window(besides={main} | seen)
        seen.add(window)
        _, buttons, captions, valid, _ = read_question(s, window)
        right = number % 2 == 0
        pick = valid if right else (valid + 1) % 4
        time.sleep(max(0.0, last + SOAK_PACE - time.monotonic()))
        last = time.monotonic()
        answers.append((time.monotonic(), right))
        s.click(window, buttons[pick], sync=False)
    results = s.wait_window(besides={main} | seen)
    seen.add(results)
    s.wait_top_level_with("panel", "Summary Result")
    s.close_box(results)
    s.wait_gone(results)
    return answers


def judge_answers(recorder, answers, high_cue):
    """Names the answers whose cue was not heard: the cue sounding last before the next answer
    must be the one asked for (high: the right cue or the alert; low: the wrong cue), at least
    0.02 RMS over its loudest 50 ms. A silent cue leaves the previous one, of the other kind,
    sounding last, or nothing at all."""
    failures = []
    marks = [recorder.position(moment) for moment, _ in answers]
    ends = marks[1:] + [marks[-1] + recorder.RATE]
    wait_for("the recording of the last cue", lambda: recorder.mark() >= ends[-1])
    with recorder.lock:
        samples = recorder.samples[:]
    for number, (mark, end, (_, right)) in enumerate(zip(marks, ends, answers), 1):
        sound = last_sound(samples[mark:end])
        level = loudest_50ms(sound)
        rate = crossings_per_second(sound) if len(sound) else 0.0
        heard = level > 0.02 and (rate >= HIGH_CROSSINGS) == right
        if not heard:
            failures.append(f"{number} ({high_cue if right else 'wrong'}: loudest 50 ms RMS "
                            f"{level:.3f}, {rate:.0f} crossings/s)")
    return failures


def test_soak(s):
    """In one process: SOAK_ANSWERS answers, alternating right and wrong, each cue heard; then,
    with sounds/correct.wav gone, every right answer sounds the alert in its place. Afterwards
    neither the program's main thread nor the sound server wakes while nothing plays."""
    folder = s.install(WORDS)
    recorder = s.record()
    s.launch()
    main, acc, _ = main_window(s)
    s.wait_active(main, acc)
    seen = set()
    started = time.monotonic()
    answers = run_answers(s, main, acc, SOAK_ANSWERS, recorder, seen)
    log(f"{len(answers)} answers in {time.monotonic() - started:.0f} s")
    failures = judge_answers(recorder, answers, "correct")
    log(f"cues not heard: {len(failures)} of {len(answers)}: {failures[:20]}")

    (folder / "sounds" / "correct.wav").unlink()
    s.wait_active(main, acc)
    answers = run_answers(s, main, acc, SOAK_MISSING_ANSWERS, recorder, seen)
    missing_failures = judge_answers(recorder, answers, "alert")
    log(f"without correct.wav, not heard: {len(missing_failures)} of {len(answers)}: "
        f"{missing_failures[:20]}")

    # Idle: the recorder keeps the sink busy, so it stops first.
    recorder.stop()
    time.sleep(1.5)
    server = next(proc.pid for name, proc in s.children if name == "pulseaudio")
    before = thread_switches(s.app.pid, s.app.pid), thread_switches(server)
    time.sleep(5)
    after = thread_switches(s.app.pid, s.app.pid), thread_switches(server)
    main_wakeups, server_wakeups = after[0] - before[0], after[1] - before[1]
    log(f"idle for 5 s: main thread {main_wakeups} wakeups, sound server {server_wakeups}")
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")
    check(not failures, f"{len(failures)} of {SOAK_ANSWERS} cues not heard")
    check(not missing_failures, f"{len(missing_failures)} alerts not heard")
    # The null sink's own timer wakes the server about twice a second whatever its clients do.
    check(main_wakeups <= 5 and server_wakeups <= 25,
          f"not idle: main thread {main_wakeups}, sound server {server_wakeups} wakeups in 5 s")


# The player's own list: words with their meanings, and a line the import rejects.
OWN_LIST = {"QI": "vital force", "XU": "a coin of Vietnam", "ZA": "a pizza", "OX": "a bovine",
            "JO": "a sweetheart", "KY": "cattle", "ZAX": "a roofing tool", "QAT": "a shrub",
            "JINX": "a bringer of bad luck"}


def answer_count(path):
    import sqlite3
    with sqlite3.connect(path) as db:
        return db.execute("SELECT count(*) FROM answers").fetchone()[0]


def word_lists_window(s, main, acc):
    """Opens the word-lists window from the main window; returns its X id and accessible."""
    s.wait_active(main, acc)
    s.click(main, s.one(acc, "push button", "Word lists..."))
    window = s.wait_window(besides={main}, title="Word Lists")
    return window, s.wait_top_level_with("list", "Word lists")


def import_list(s, main, window, listing):
    """Imports listing through the word-lists window's Import... and its file dialog; returns
    the report's texts and the file dialog's X id."""
    s.click(window, s.one(s.wait_top_level_with("list", "Word lists"), "push button",
                          "Import..."))
    dialog = s.wait_window(besides={main, window}, title="Import a word list")
    s.type_text(str(listing))
    s.key("Return")
    if dialog in s.visible_windows("Import a word list"):
        time.sleep(0.5)  # the completer's popup may take the first Return
        if dialog in s.visible_windows("Import a word list"):
            s.key("Return")
    message = wait_for("the import report", lambda: [
        s.content(label) for label in s.find_all(s.app_accessible(), "label")
        if "is imported" in (s.content(label) or "")])
    return message, dialog


def use_list(s, window, lists, prefix):
    """Selects the entry starting with prefix and clicks Use; it then shows "(in use)"."""
    entry = wait_for(f'the entry "{prefix}"', lambda: [i for i in s.find_all(lists, "list item")
                                                      if s.content(i).startswith(prefix)])
    s.click(window, entry[0])
    s.click(window, s.one(s.wait_top_level_with("list", "Word lists"), "push button", "Use"))
    wait_for(f'"{prefix}" in use', lambda: [i for i in s.find_all(lists, "list item")
                                            if s.content(i).startswith(prefix)
                                            and s.content(i).endswith("(in use)")])


def wait_list_in_use(s, acc, name):
    """Waits for the main window to name the word list in use."""
    wanted = f"Word list in use: {name}"
    wait_for(f'the main window to say "{wanted}"', lambda: [
        label for label in s.find_all(acc, "label") if label.name == wanted])


def test_word_lists(s):
    """Imports a list with meanings through the word-lists window and its file dialog, switches
    to it (the main window names it), studies a few questions and sees a meaning on the feedback
    line, renames it, switches back and finds the bundled list's progress as it was."""
    global STUDY_WORDS
    prepare_study(s)
    listing = s.root / "My words.txt"
    listing.write_text("".join(f"{w.lower()}\t{m}\n" for w, m in OWN_LIST.items()) + "a1\n")
    s.launch()
    main, acc, box = main_window(s)
    due = due_in(study_button(s, acc))
    check(due == len(STUDY_DUE), f"due count {due}, expected {len(STUDY_DUE)}")
    wait_list_in_use(s, acc, "Bundled list")
    answers_before = answer_count(history_path(s))

    window, lists = word_lists_window(s, main, acc)
    message, _ = import_list(s, main, window, listing)
    log(f"import report: {message}")
    check("not letters A-Z: 1" in message[0], f"report {message}")
    s.key("Return")
    use_list(s, window, lists, "My words:")
    # Renamed through its dialog: the list in use keeps its progress under its new name.
    s.click(window, s.one(s.wait_top_level_with("list", "Word lists"), "push button", "Rename..."))
    dialog = s.wait_window(besides={main, window}, title="Rename a word list")
    s.key("ctrl+a")
    s.type_text("Our words")
    s.key("Return")
    s.wait_gone(dialog)
    wait_for('"Our words" in use', lambda: [i for i in s.find_all(lists, "list item")
                                            if s.content(i).startswith("Our words:")
                                            and s.content(i).endswith("(in use)")])
    s.close_box(window)
    wait_list_in_use(s, acc, "Our words")

    STUDY_WORDS, bundled = list(OWN_LIST), STUDY_WORDS
    try:
        s.wait_active(main, acc)
        window, study = open_study(s, main, acc, box, keyboard=False)
        # Every word of this list has a meaning: a right answer of either kind shows one (after
        # a right choose-the-invalid answer, that of the real word least known), and so does a
        # wrong one.
        outcomes = []
        play_study(s, window, study, [("digit", True), ("digit", True), ("digit", False)],
                   outcomes)
        for outcome in outcomes:
            check(any(m in outcome for m in OWN_LIST.values()), f"no meaning in {outcome}")
        s.close_box(window)
        s.wait_top_level_with("panel", "Study Session")
        s.key("Return")
    finally:
        STUDY_WORDS = bundled
    own = [p.name for p in history_path(s).parent.glob("*.sqlite") if p != history_path(s)]
    check(len(own) == 1, f"no history of its own: {own}")

    window, lists = word_lists_window(s, main, acc)
    use_list(s, window, lists, "Bundled list:")
    s.close_box(window)
    wait_list_in_use(s, acc, "Bundled list")
    study_button(s, acc, len(STUDY_DUE))
    check(answer_count(history_path(s)) == answers_before, "answers of one list went to the other")
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")


def replace_list(s, main, window, name, listing):
    """Replaces the selected list's words with listing through Replace... and its file dialog;
    returns the report's texts."""
    s.click(window, s.one(s.wait_top_level_with("list", "Word lists"), "push button",
                          "Replace..."))
    title = f'Replace the words of "{name}"'
    dialog = s.wait_window(besides={main, window}, title=title)
    s.type_text(str(listing))
    s.key("Return")
    if dialog in s.visible_windows(title):
        time.sleep(0.5)  # the completer's popup may take the first Return
        if dialog in s.visible_windows(title):
            s.key("Return")
    return wait_for("the replace report", lambda: [
        s.content(label) for label in s.find_all(s.app_accessible(), "label")
        if "is replaced" in (s.content(label) or "")])


def shares(figures):
    """{length: (known, learning, new)} from the progress window's words-by-length line."""
    return {int(n): tuple(int(v.replace(",", "")) for v in rest) for n, *rest in re.findall(
        r"(\d) letters: ([\d,]+) known \(\d+ %\), ([\d,]+) learning, ([\d,]+) new",
        figures[CHARTS[0]])}


def test_replace_list(s):
    """Imports a list, studies a few of its words, then replaces it with a file that drops words
    never asked and brings new ones: the report counts them, and the list keeps its history, its
    studied words' progress and the study button's counts."""
    global STUDY_WORDS
    prepare_study(s)
    listing = s.root / "Own.txt"
    listing.write_text("".join(f"{w.lower()}\t{m}\n" for w, m in OWN_LIST.items()))
    s.launch()
    main, acc, box = main_window(s)
    study_button(s, acc)
    window, lists = word_lists_window(s, main, acc)
    import_list(s, main, window, listing)
    s.key("Return")
    use_list(s, window, lists, "Own:")
    s.close_box(window)
    wait_list_in_use(s, acc, "Own")

    STUDY_WORDS, bundled = list(OWN_LIST), STUDY_WORDS
    try:
        window, study = open_study(s, main, acc, box, keyboard=False)
        play_study(s, window, study, [("digit", True), ("digit", True), ("digit", False)])
        s.close_box(window)
        s.wait_top_level_with("panel", "Study Session")
        s.key("Return")
    finally:
        STUDY_WORDS = bundled
    own = [p for p in history_path(s).parent.glob("*.sqlite") if p != history_path(s)]
    check(len(own) == 1, f"no history of its own: {own}")
    answers = wait_for("the answers written", lambda: answer_count(own[0]) >= 3 and
                       answer_count(own[0]))
    import sqlite3
    with sqlite3.connect(own[0]) as db:
        seen = {w for (w,) in db.execute("SELECT word FROM word_state")}
    button = study_button(s, acc).name
    before = shares(read_progress(s, main, acc))

    # Out go the words never asked (a four-letter one among them), in come three new ones.
    went = [w for w in OWN_LIST if w not in seen]
    came = ["MU", "NU", "PHT"]
    kept = [w for w in OWN_LIST if w in seen]
    check(went and "JINX" in went and kept, f"seen {sorted(seen)}")
    replacement = s.root / "Replacement.txt"
    replacement.write_text("".join(w.lower() + "\n" for w in kept + came))
    window, lists = word_lists_window(s, main, acc)
    message = replace_list(s, main, window, "Own", replacement)
    log(f"replace report: {message}")
    check(message[0].startswith(f'The word list "Own" is replaced: {len(came)} words came in and '
                                f"{len(went)} went. Its progress is kept."), f"report {message}")
    s.key("Return")
    wait_for('"Own" in use, counted again', lambda: [
        i for i in s.find_all(lists, "list item") if s.content(i).startswith("Own:")
        and s.content(i).endswith("(in use)") and "words of 2 / 3 / 4" in s.content(i)])
    s.close_box(window)
    wait_list_in_use(s, acc, "Own")

    after = shares(read_progress(s, main, acc))
    for n in (2, 3):
        moved = sum(len(w) == n for w in came) - sum(len(w) == n for w in went)
        check(after[n][:2] == before[n][:2] and after[n][2] == before[n][2] + moved,
              f"{n} letters: {after[n]} after, {before[n]} before")
    check(4 not in after or after[4] == (0, 0, 0), f"four letters after: {after.get(4)}")
    check(study_button(s, acc).name == button, f"{study_button(s, acc).name}, was {button}")
    check([p for p in own[0].parent.glob("*.sqlite") if p != history_path(s)] == own and
          answer_count(own[0]) == answers, "the list's history changed")
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")


CASES = {
    "startup": test_startup,
    "missing_database": test_missing_database,
    "full_run": test_full_run,
    "count_remembered": test_count_remembered,
    "study_session": test_study_session,
    "unwritable_history": test_unwritable_history,
    "strange_files": test_strange_files,
    "word_lists": test_word_lists,
    "replace_list": test_replace_list,
    "soak": test_soak,
}


# Taking a study answer back.

def test_study_undo(s):
    """A study answer given wrongly, taken back with Ctrl+Z during the pause: the same question
    comes back; answered rightly, then Escape: the summary counts one right answer and no miss,
    and the history file keeps the answer taken back, with its undo entry."""
    import sqlite3
    prepare_study(s)
    before = answer_count(history_path(s))
    s.launch()
    main, acc, box = main_window(s)
    window, study = open_study(s, main, acc, box)

    def status(start):
        return wait_for(f'"{start}" on the status line', lambda: [
            label for label in s.find_all(study, "label") if (label.name or "").startswith(start)])
    buttons, words, _, good = read_study(s, study)
    s.key(str((good + 1) % 4 + 1))
    status("Wrong: ")
    s.key("ctrl+z")
    status("Answer taken back")
    buttons, again, _, _ = read_study(s, study)
    check(again == words and not [b for b in buttons if b.description], f"{again} after {words}")
    s.key(str(good + 1))
    status("Right: ")
    s.key("Escape")
    summary = s.wait_top_level_with("panel", "Study Session")
    labels = [s.content(label) for label in s.find_all(summary, "label")]
    lists = [s.content(item) for item in s.find_all(summary, "list item")]
    check(labels[:2] == ["Answered: 1", "Right: 100%"] and lists == ["none", "none"],
          f"summary {labels} {lists}")
    s.key("Return")
    s.wait_active(main, acc)
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")
    with sqlite3.connect(history_path(s)) as db:
        undone = db.execute("SELECT a.chosen_index = a.right_index FROM undone u "
                            "JOIN answers a ON a.id = u.answer_id").fetchall()
    check(answer_count(history_path(s)) == before + 2 and undone == [(0,)],
          f"{answer_count(history_path(s)) - before} answers logged, undo entries {undone}")


CASES["study_undo"] = test_study_undo


# ----- the progress window as a screen reader reads it ---------------------------------------

CHARTS = ("Words by length", "Known words", "Due in the next 14 days", "Last 30 days")


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


CASES["progress_figures"] = test_progress_figures


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


CASES["progress_at_scale_two"] = test_progress_at_scale_two


# Look up: a word's verdict, meaning, hooks, anagrams and study state, and patterns with blanks.

LOOK_UP_FIELD = "Word to look up"


def look_up_window(s, main, acc, keyboard=True):
    """Opens Look up with Ctrl+L or its button; returns its X id and accessible window."""
    s.wait_active(main, acc)
    if keyboard:
        s.key("ctrl+l")
    else:
        s.click(main, s.one(acc, "push button", "Look up..."))
    window = s.wait_window(besides={main}, title="Look Up")
    top = s.wait_top_level_with("text", LOOK_UP_FIELD)
    s.wait_focused(s.one(top, "text", LOOK_UP_FIELD))
    return window, top


def look_up(s, top, typed, verdict):
    """Types over the field, presses Return and waits for the verdict; returns every fact."""
    s.key("ctrl+a")
    s.type_text(typed)
    s.key("Return")
    wait_for(f'the verdict "{verdict}"', lambda: s.find_all(top, "label", verdict))
    return [s.content(label) for label in s.find_all(top, "label")]


def fitting_words(s, top, caption):
    """Waits for the caption over the words that fit; returns the words listed."""
    wait_for(f'"{caption}"', lambda: s.find_all(top, "label", caption))
    return [s.content(item) for item in s.find_all(s.one(top, "list", "Words that fit"),
                                                   "list item")]


def test_look_up(s):
    """Looks up a word of the list (its meaning and study state), a non-word, hooks, anagrams
    and blank tiles, by the keyboard and by the button; nothing is written to the history."""
    s.install(STUDY_WORDS[:-1] + ["ALSO\tlikewise, in addition"])
    (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), str(history_path(s)), *STUDY_DUE])
    answers = answer_count(history_path(s))
    s.launch()
    main, acc, box = main_window(s)
    study_button(s, acc)  # the history is open
    name = [label.name for label in s.find_all(acc, "label")
            if label.name.startswith("Word list in use: ")][0].split(": ", 1)[1]
    window, top = look_up_window(s, main, acc)

    facts = look_up(s, top, "aa", "AA is a word")
    log(f"AA: {facts}")
    check(any(f.startswith("Study: ") and "answered right" in f and f.endswith("next review now")
              for f in facts), f"the study state of a due word: {facts}")
    facts = look_up(s, top, "also", "ALSO is a word")
    check("Meaning: likewise, in addition" in facts and "Study: new, not answered yet" in facts
          and "Hooks: not known, as the lists hold words of two to four letters" in facts,
          f"a new four-letter word: {facts}")
    facts = look_up(s, top, "QX", f"QX is not a word in {name}")
    check(not [f for f in facts if f.startswith("Study")], f"a non-word's facts: {facts}")
    facts = look_up(s, top, "ar", "AR is a word")
    check("Front hooks: none; back hooks: C (ARC), E (ARE), T (ART)" in facts, f"hooks: {facts}")
    facts = look_up(s, top, "tea", f"TEA is not a word in {name}")
    check("Anagrams: ATE" in facts, f"anagrams: {facts}")

    s.key("ctrl+a")
    s.type_text("a?e")
    words = fitting_words(s, top, "6 words fit A?E")
    check(words == ["ACE", "AGE", "ALE", "APE", "ARE", "ATE"], f"words that fit A?E: {words}")
    facts = look_up(s, top, "ae?", f"AE?: 0 words fit in {name}")
    check("Anagrams of AE?: ACE, AGE, ALE, APE, ARE, ATE" in facts, f"blank anagrams: {facts}")
    s.key("Escape")
    s.wait_gone(window)

    window, top = look_up_window(s, main, acc, keyboard=False)
    s.type_text("??")
    words = fitting_words(s, top, "20 words fit ??")
    check(words[:3] == ["AA", "AB", "AD"], f"words that fit ??: {words}")
    s.close_box(window)
    s.wait_gone(window)
    s.wait_active(main, acc)
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")
    check(answer_count(history_path(s)) == answers, "a look-up was written to the history")


CASES["look_up"] = test_look_up


# Browse: the words of one length with their study states, filtered.

def browse_window(s, main, window, top):
    """Opens Browse from Look up's button; returns its X id and accessible window."""
    s.click(window, s.one(top, "push button", "Browse..."))
    browse = s.wait_window(besides={main, window}, title="Browse")
    return browse, s.wait_top_level_with("table", "Words")


def browse_rows(s, top):
    """The table's cells, four a row (word, state, meaning, next review)."""
    cells = [s.content(cell) for cell in s.find_all(s.one(top, "table", "Words"), "table cell")]
    return [cells[i:i + 4] for i in range(0, len(cells) - 3, 4)]


def test_browse(s):
    """Browse from Look up on the length typed: the words with their states and meanings; the
    Learning filter leaves the words studied; nothing is written to the history."""
    s.install(STUDY_WORDS[:-1] + ["ALSO\tlikewise, in addition"])
    (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), str(history_path(s)), *STUDY_DUE])
    answers = answer_count(history_path(s))
    s.launch()
    main, acc, box = main_window(s)
    study_button(s, acc)  # the history is open
    window, top = look_up_window(s, main, acc)
    s.type_text("also")
    browse, btop = browse_window(s, main, window, top)
    wait_for('"4 words"', lambda: s.find_all(btop, "label", "4 words"))
    rows = browse_rows(s, btop)
    log(f"four letters: {rows}")
    check([r[0] for r in rows] == ["ABLE", "ACHE", "AGED", "ALSO"], f"the words: {rows}")
    check(rows[3][1:3] == ["new", "likewise, in addition"], f"a new word's row: {rows[3]}")
    s.close_box(browse)
    s.wait_gone(browse)

    s.click(window, s.one(top, "text", LOOK_UP_FIELD))  # the button clicked kept the focus
    s.key("ctrl+a")
    s.type_text("aa")
    browse, btop = browse_window(s, main, window, top)
    wait_for('"20 words"', lambda: s.find_all(btop, "label", "20 words"))
    rows = browse_rows(s, btop)
    check(rows[0][0] == "AA" and rows[0][1] == "learning" and rows[0][3] == "now",
          f"a word due: {rows[:2]}")
    s.key("alt+s")
    s.key("Down", "Down")  # All, New, Learning
    wait_for('"6 of 20 words"', lambda: s.find_all(btop, "label", "6 of 20 words"))
    rows = browse_rows(s, btop)
    check([r[0] for r in rows] == STUDY_DUE[:6] and all(r[1] == "learning" for r in rows),
          f"the words learning: {rows}")
    study_these(s, main, window, browse, btop, STUDY_DUE[:6])
    wait_for('"6 of 20 words" again', lambda: s.find_all(btop, "label", "6 of 20 words"))
    s.close_box(browse)
    s.wait_gone(browse)
    s.close_box(window)
    s.wait_gone(window)
    s.wait_active(main, acc)
    s.close_box(main)
    check(s.wait_exit() == 0, "exit code")
    check(answer_count(history_path(s)) == answers + 2,
          "a browse was written to the history, or Study these was not")


def study_these(s, main, window, browse, btop, words):
    """Study these on the words Browse shows (of one length, a multiple of three): each asked
    once, three to a question; then a summary that offers no practice, and Browse again."""
    s.one(btop, "push button", "Study these").queryAction().doAction(0)
    drill = s.wait_window(besides={main, window, browse})
    study = wait_for("the study window", lambda: next(
        (top for top in s.app_accessible() if top is not None and
         s.has_state(top, s._atspi.STATE_SHOWING) and
         [label for label in s.find_all(top, "label")
          if (label.name or "").startswith("Words left:")]), None))
    _, _, asked = play_study(s, drill, study, [("digit", True)] * (len(words) // 3))
    log(f"Study these asked: {asked}")
    check(sorted(w for q in asked for w in q if w in words) == sorted(words),
          f"asked {asked}, chosen {words}")
    s.key("Return")
    summary = s.wait_top_level_with("panel", "Study Session")
    check(not [b for b in s.find_all(summary, "push button", "Keep practising")
               if s.has_state(b, s._atspi.STATE_SHOWING)], "practice offered after Study these")
    s.key("Return")
    s.wait_gone(drill)


CASES["browse"] = test_browse
# The case's screen and scale factor, set before its desktop starts.
SCREENS = {"progress_at_scale_two": ("1280x1024", "2")}


def run_case(build, name):
    session = Session(build, name)
    if name in SCREENS:
        session.screen, session.env["QT_SCALE_FACTOR"] = SCREENS[name]
    ok = False
    started = time.monotonic()
    try:
        session.start()
        CASES[name](session)
        ok = True
    except Exception:
        traceback.print_exc()
        try:
            log(f"screenshot: {session.screenshot('failure')}")
        except Exception:
            pass
        log("program output:\n" + session.program_output())
    finally:
        try:
            session.stop()
        except Exception:
            traceback.print_exc()
            ok = False
        session.cleanup(keep=not ok)
    log(f"{name}: {'PASS' if ok else 'FAIL'} in {time.monotonic() - started:.1f} s")
    return ok


def measure(build, count, command=None, baseline=None, imported=False):
    """Launch to first window mapped (as the root window sees the window manager map it),
    median of count starts after one warm-up start. command: another program to time instead
    of the installed launcher, e.g. a bare Qt window for comparison. baseline: another build,
    started in turn with this one in the same desktop session, so both see the same machine.
    imported: also time this build with an imported word list in use, in turn with the bundled."""
    import subprocess
    import threading
    session = Session(build, "measure")
    xev = None
    try:
        session.start()
        prefixes = {}
        if baseline:
            base = Session(baseline, "measure-baseline")
            base.root, base.env = session.root / "baseline", session.env
            base.root.mkdir()
            base.install(WORDS)
            prefixes["baseline"] = base.prefix
        session.install(WORDS)
        prefixes["this build"] = session.prefix
        settings = {name: "" for name in prefixes}
        if imported and not baseline:
            # The same words as the player's own list, chosen in the settings.
            lists = session.root / "home/.local/share/Quenmark/Lexitor Trainer Software/lists"
            lists.mkdir(parents=True)
            listing = session.root / "own.txt"
            listing.write_text("".join(w + "\n" for w in WORDS))
            session.run([str(session.prefix / "bin" / "lexitor-words"), "--quiet", str(listing),
                         str(lists / "own.mdb")])
            prefixes["imported list"] = session.prefix
            settings["imported list"] = "[Lexitor%20Trainer%20Software]\nStudyWordList=own\n"
        config = session.root / "home/.config/Quenmark.conf"
        maps = []
        xev = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=session.env,
                               stdout=subprocess.PIPE, text=True, bufsize=1)

        def watch():
            for line in xev.stdout:
                if line.startswith("MapNotify"):
                    maps.append(time.monotonic())
        threading.Thread(target=watch, daemon=True).start()
        times = {name: [] for name in prefixes}
        for _ in range(count + 1):
            for name, prefix in prefixes.items():
                session.prefix = prefix
                config.parent.mkdir(parents=True, exist_ok=True)
                config.write_text(settings[name])
                started = time.monotonic()
                if command:
                    session.app = subprocess.Popen(command, env=session.env)
                else:
                    session.launch()
                mapped = wait_for("a window to map", lambda: [t for t in maps if t > started])
                times[name].append((mapped[0] - started) * 1000)
                window = wait_for("the window", lambda: session.visible_windows(
                    "Lexitor Trainer Software") or session.visible_windows("bare"))
                time.sleep(0.3)  # let the start finish (the due count) before closing
                session.close_box(min(window))
                session.wait_exit()
        for name, values in times.items():
            values = values[1:]
            log(f"{name}: launch to window mapped: median {statistics.median(values):.0f} ms "
                f"(min {min(values):.0f}, max {max(values):.0f}, n={count})")
    finally:
        if xev:
            xev.terminate()
            xev.wait()
        session.stop()
        session.cleanup(keep=False)


def progress_shot(s, folder, name):
    """Starts the trainer, shoots its progress window into folder/name and ends it."""
    s.launch()
    main, acc, box = main_window(s)
    study_button(s, acc)
    s.click(main, s.one(acc, "push button", "Progress"))
    progress = s.wait_window(besides={main}, title="Progress")
    s.wait_top_level_with("list", "Most missed words")
    time.sleep(0.5)
    s.run(["import", "-window", hex(progress), str(folder / name)])
    s.close_box(progress)
    s.close_box(main)
    s.wait_exit()


def word_lists_shots(s, folder):
    """Shots of the word-lists window with ten lists, one of them damaged, and of the report
    of an import with rejected lines."""
    lists = history_path(s).parent.parent / "lists"
    lists.mkdir(parents=True, exist_ok=True)
    source = s.root / "Collins sample.txt"
    source.write_text("aa\trough, cindery lava\nqi\tvital force\nza pizza\nfoo\nquiz\n"
                      "zest\tkeen enjoyment\n")
    s.run([str(s.prefix / "bin" / "lexitor-words"), "--quiet", str(source),
           str(lists / "Collins sample.mdb")])
    for n in range(2, 10):
        (lists / f"Club list {n:02}.mdb").write_bytes((lists / "Collins sample.mdb").read_bytes())
    (lists / "Old backup.mdb").write_bytes(b"SQLite format 3\0" + bytes(4080))
    listing = s.root / "My words.txt"
    listing.write_text("qi\tvital force\nza\tpizza\nété\tsummer\ncat\ndog\nq1\nzzzzz\n"
                       "cat\nquiz\ta test\nŋa\n")
    s.launch()
    main, acc, box = main_window(s)
    window, _ = word_lists_window(s, main, acc)
    time.sleep(0.5)
    s.run(["import", "-window", hex(window), str(folder / "word-lists.png")])
    _, dialog = import_list(s, main, window, listing)
    report = s.wait_window(besides={main, window, dialog})
    time.sleep(0.3)
    s.run(["import", "-window", hex(report), str(folder / "import-report.png")])
    s.key("Return")
    s.close_box(window)
    s.close_box(main)
    s.wait_exit()


def screenshots(build, folder):
    """Shots of the study window (after a wrong answer), its summary and the progress window,
    over the bundled word list and a month of history."""
    import shutil
    folder = pathlib.Path(folder).resolve()
    folder.mkdir(parents=True, exist_ok=True)
    s = Session(build, "screenshots")
    try:
        s.start()
        words = [w.strip().upper() for w in
                 (pathlib.Path(__file__).resolve().parents[2] / "data" / "words.txt").read_text()
                 .splitlines() if w.strip() and not w.startswith("#")]
        s.install(words)
        global STUDY_WORDS
        STUDY_WORDS = words
        (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
        progress_shot(s, folder, "progress-new-player.png")
        learnt = words[:60] + [w for w in words if len(w) == 3][:90]
        s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--spread", str(history_path(s)),
               *learnt])
        s.launch()
        main, acc, box = main_window(s)
        study_button(s, acc)
        s.run(["import", "-window", hex(main), str(folder / "main-window.png")])
        window, study = open_study(s, main, acc, box)
        play_study(s, window, study, [("digit", True)] * 3 + [("digit", False)])
        s.run(["import", "-window", hex(window), str(folder / "study-window.png")])
        s.key("Return")
        play_study(s, window, study, [("digit", True), ("digit", False), ("digit", True)])
        s.close_box(window)
        summary = s.wait_top_level_with("panel", "Study Session")
        shot = s.wait_window(besides={main})
        time.sleep(0.3)
        s.run(["import", "-window", hex(shot), str(folder / "study-summary.png")])
        s.key("Return")
        s.wait_active(main, acc)
        s.click(main, s.one(acc, "push button", "Progress"))
        progress = s.wait_window(besides={main}, title="Progress")
        s.wait_top_level_with("list", "Most missed words")
        time.sleep(0.5)
        s.run(["import", "-window", hex(progress), str(folder / "progress-window.png")])
        s.close_box(progress)
        s.close_box(main)
        s.wait_exit()
        history_path(s).unlink()
        s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--days", "60",
               str(history_path(s)), *words[::5]])
        progress_shot(s, folder, "progress-60-days.png")
        word_lists_shots(s, folder)
    finally:
        s.stop()
        s.cleanup(keep=False)
    scale_two_shots(build, folder)
    look_up_shot(build, folder)
    browse_shot(build, folder)
    log(f"screenshots in {folder}")


def look_up_after_two_months(s):
    """Starts the program over the bundled list with its meanings and two months of history,
    and opens Look up; returns the words, the main window and Look up's window."""
    s.start()
    meanings = dict(line.split("\t", 1) for line in
                    (pathlib.Path(__file__).resolve().parents[2] / "data" / "meanings.txt")
                    .read_text().splitlines() if line and not line.startswith("#"))
    words = bundled_words()
    s.install([f"{w}\t{meanings[w]}" if w in meanings else w for w in words])
    (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--days", "60",
           str(history_path(s)), *words[::5]])
    s.launch()
    main, acc, box = main_window(s)
    study_button(s, acc)
    window, top = look_up_window(s, main, acc)
    return words, main, acc, window, top


def look_up_shot(build, folder):
    """Look up over the bundled list with its meanings, after two months, on a word studied."""
    s = Session(build, "screenshots-look-up")
    try:
        words, main, acc, window, top = look_up_after_two_months(s)
        look_up(s, top, words[0].lower(), f"{words[0]} is a word")
        time.sleep(0.5)
        s.run(["import", "-window", hex(window), str(pathlib.Path(folder) / "lookup.png")])
        s.close_box(window)
        s.wait_active(main, acc)
        s.close_box(main)
        s.wait_exit()
    finally:
        s.stop()
        s.cleanup(keep=False)


def browse_shot(build, folder):
    """Browse over the bundled list with its meanings, after two months, on three letters."""
    s = Session(build, "screenshots-browse")
    try:
        words, main, acc, window, top = look_up_after_two_months(s)
        s.type_text("zoa")
        browse, btop = browse_window(s, main, window, top)
        time.sleep(0.5)
        s.run(["import", "-window", hex(browse), str(pathlib.Path(folder) / "browse.png")])
        s.close_box(browse)
        s.wait_gone(browse)
        s.close_box(window)
        s.wait_active(main, acc)
        s.close_box(main)
        s.wait_exit()
    finally:
        s.stop()
        s.cleanup(keep=False)


def scale_two_shots(build, folder):
    """The main window, a study summary and the progress window at twice the scale on a
    1280x1024 screen, after two months."""
    s = Session(build, "screenshots-scale-two")
    s.screen, s.env["QT_SCALE_FACTOR"] = SCREENS["progress_at_scale_two"]
    try:
        s.start()
        s.install(bundled_words())
        (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
        s.run([str(s.build_dir / "tests" / "e2e_make_history"), "--days", "60",
               str(history_path(s)), *bundled_words()[::5]])
        s.launch()
        main, acc, box = main_window(s)
        study_button(s, acc)
        s.run(["import", "-window", hex(main), str(folder / "main-window-scale-two.png")])
        window, _ = open_study(s, main, acc, box)
        # Answered blind: the accessibility tree's coordinates are not the screen's at this scale.
        for digit in ("1", "2", "3", "4"):
            s.key(digit)
            time.sleep(0.3)
            s.key("a")  # any key goes on
            time.sleep(0.3)
        s.key("Escape")
        s.wait_top_level_with("panel", "Study Session")
        shot = s.wait_window(besides={main})
        time.sleep(0.3)
        s.run(["import", "-window", hex(shot), str(folder / "study-summary-scale-two.png")])
        s.key("Return")
        s.wait_active(main, acc)
        s.one(acc, "push button", "Progress").queryAction().doAction(0)
        progress = s.wait_window(besides={main}, title="Progress")
        s.wait_top_level_with("list", "Most missed words")
        time.sleep(0.5)
        # The whole screen: the window fits it.
        s.run(["import", "-window", "root", str(folder / "progress-scale-two.png")])
        s.close_box(progress)
        s.wait_active(main, acc)
        s.close_box(main)
        s.wait_exit()
    finally:
        s.stop()
        s.cleanup(keep=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--measure", type=int, nargs="?", const=11)
    parser.add_argument("--command", nargs="+", help="with --measure: time this program instead")
    parser.add_argument("--baseline", help="with --measure: another build to time in turn")
    parser.add_argument("--imported", action="store_true",
                        help="with --measure: also start with an imported word list in use")
    parser.add_argument("--screenshots", metavar="FOLDER",
                        help="take screenshots of the study and progress windows into FOLDER")
    parser.add_argument("cases", nargs="*", help=f"cases to run (default all): {', '.join(CASES)}")
    args = parser.parse_args()
    unknown = [name for name in args.cases if name not in CASES]
    if unknown:
        parser.error(f"unknown cases: {unknown}")
    if args.screenshots:
        screenshots(args.build, args.screenshots)
        return 0
    if args.measure:
        measure(args.build, args.measure, args.command, args.baseline, args.imported)
        return 0
    names = args.cases or list(CASES)
    if len(names) == 1:
        log(f"deadline per wait: {DEADLINE:.0f} s")
        return 0 if run_case(args.build, names[0]) else 1
    # The accessibility client binds to the first session's bus for the life of the process:
    # every case runs in a process of its own.
    import subprocess
    failed = [name for name in names if subprocess.call(
        [sys.executable, __file__, "--build", args.build, name]) != 0]
    log(f"failed: {failed}" if failed else f"all {len(names)} cases passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
