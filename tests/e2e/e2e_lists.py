"""The player's own word lists: importing, switching and replacing one, and taking a study answer
back."""

import time

from desktop import check, log, wait_for
from e2e_written import main_window
from e2e_study import (STUDY_DUE, due_in, history_path, open_study, play_study, prepare_study,
                       read_study, study_button, studying)
from e2e_progress import read_progress, shares


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

    with studying(list(OWN_LIST)):
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


def test_replace_list(s):
    """Imports a list, studies a few of its words, then replaces it with a file that drops words
    never asked and brings new ones: the report counts them, and the list keeps its history, its
    studied words' progress and the study button's counts."""
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

    with studying(list(OWN_LIST)):
        window, study = open_study(s, main, acc, box, keyboard=False)
        play_study(s, window, study, [("digit", True), ("digit", True), ("digit", False)])
        s.close_box(window)
        s.wait_top_level_with("panel", "Study Session")
        s.key("Return")
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
