"""Look up and Browse: checking words against the list in use, and drilling the words Browse
shows."""

from desktop import check, log, wait_for
from e2e_written import main_window
from e2e_study import STUDY_DUE, STUDY_SETTINGS, STUDY_WORDS, history_path, play_study, study_button
from e2e_lists import answer_count


# Look up: a word's verdict, meaning, hooks, anagrams and study state, and patterns with blanks.

LOOK_UP_FIELD = "Word to look up"


# As long as a meaning is kept (160 characters), it wraps to three lines: Look up makes room.
ALSO_MEANING = ("likewise, in addition; in the same way, as well, too, besides; used to bring in "
                "a further fact, or a second thing said of what was said first, as in: she sings")


def open_studied_list(s):
    """Starts the program over the study list, ALSO with a meaning, and a month of history, and
    waits for the history to open; returns the main window's X id and accessible window and the
    answers logged."""
    s.install(STUDY_WORDS[:-1] + [f"ALSO\t{ALSO_MEANING}"])
    (s.root / "home/.config/Quenmark.conf").write_text(STUDY_SETTINGS)
    s.run([str(s.build_dir / "tests" / "e2e_make_history"), str(history_path(s)), *STUDY_DUE])
    answers = answer_count(history_path(s))
    s.launch()
    main, acc, _ = main_window(s)
    study_button(s, acc)
    return main, acc, answers


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
    wait_for(f'room for the facts of "{verdict}" (the list above the buttons)',
             lambda: room_for_facts(s, top))
    return [s.content(label) for label in s.find_all(top, "label")]


def room_for_facts(s, top):
    """Whether the words that fit end above the buttons under them, as they do when the window
    has room for every fact shown."""
    _, y, _, height = s.extents(s.one(top, "list", "Words that fit"))
    return y + height <= s.extents(s.one(top, "push button", "Browse..."))[1]


def fitting_words(s, top, caption):
    """Waits for the caption over the words that fit; returns the words listed."""
    wait_for(f'"{caption}"', lambda: s.find_all(top, "label", caption))
    return [s.content(item) for item in s.find_all(s.one(top, "list", "Words that fit"),
                                                   "list item")]


def test_look_up(s):
    """Looks up a word of the list (its meaning and study state), a non-word, hooks, anagrams
    and blank tiles, by the keyboard and by the button; nothing is written to the history."""
    main, acc, answers = open_studied_list(s)
    name = [label.name for label in s.find_all(acc, "label")
            if label.name.startswith("Word list in use: ")][0].split(": ", 1)[1]
    window, top = look_up_window(s, main, acc)

    facts = look_up(s, top, "aa", "AA is a word")
    log(f"AA: {facts}")
    check(any(f.startswith("Study: ") and "answered right" in f and f.endswith("next review now")
              for f in facts), f"the study state of a due word: {facts}")
    facts = look_up(s, top, "also", "ALSO is a word")
    check(f"Meaning: {ALSO_MEANING}" in facts and "Study: new, not answered yet" in facts
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
    main, acc, answers = open_studied_list(s)
    window, top = look_up_window(s, main, acc)
    s.type_text("also")
    browse, btop = browse_window(s, main, window, top)
    wait_for('"4 words"', lambda: s.find_all(btop, "label", "4 words"))
    rows = browse_rows(s, btop)
    log(f"four letters: {rows}")
    check([r[0] for r in rows] == ["ABLE", "ACHE", "AGED", "ALSO"], f"the words: {rows}")
    check(rows[3][1:3] == ["new", ALSO_MEANING], f"a new word's row: {rows[3]}")
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
