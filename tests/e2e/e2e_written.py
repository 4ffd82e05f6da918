"""The written tests as a player takes them: start-up, a missing database, a full run with its
sounds, and the count the main window remembers."""

import pathlib

from desktop import check, log, wait_for
from harness import TITLE
from sound_capture import crossings_per_second, rms, wave_samples


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


def type_count(s, text):
    """Starts the program and types text into the focused count box; returns the main window's
    X id."""
    s.launch()
    window, acc, box = main_window(s)
    s.wait_active(window, acc)
    s.wait_focused(box)
    s.type_text(text)
    wait_for(f'the count box to show "{text}"', lambda: s.text(box) == text)
    return window


def test_count_remembered(s):
    """A count typed in the box is shown at the next start, and is stored in this session's
    own settings."""
    s.install(WORDS)
    window = type_count(s, "7")
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
