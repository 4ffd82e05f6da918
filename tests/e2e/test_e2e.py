#!/usr/bin/env python3
"""End-to-end tests: the installed Lexitor Trainer used as a player uses it.

    test_e2e.py --build BUILD_DIR CASE     runs one case (see CASES) in its own desktop session
    test_e2e.py --build BUILD_DIR --measure [N]
                                           start-up time: launch to main window mapped

Each case installs BUILD_DIR into a temporary prefix, gives the program folder its own word
database and starts the installed launcher under a private Xvfb, window manager, D-Bus and
PulseAudio (see desktop.py). Input is real: xdotool moves the pointer, clicks and types; the
window manager's close box closes windows. What the windows show is read through the
accessibility tree.
"""

import argparse
import pathlib
import statistics
import sys
import time
import traceback

from desktop import DEADLINE, log, wait_for
from harness import Session
from e2e_written import (WORDS, main_window, test_count_remembered, test_full_run,
                         test_missing_database, test_startup)
from e2e_study import (STUDY_SETTINGS, STUDY_WORDS, history_path, open_study, play_study,
                       study_button, test_strange_files, test_study_session,
                       test_unwritable_history)
from e2e_soak import test_soak
from e2e_lists import (import_list, test_replace_list, test_study_undo, test_word_lists,
                       word_lists_window)
from e2e_progress import bundled_words, test_progress_at_scale_two, test_progress_figures
from e2e_lookup import browse_window, look_up, look_up_window, test_browse, test_look_up


# Each case runs in a desktop session of its own.
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
    "study_undo": test_study_undo,
    "progress_figures": test_progress_figures,
    "progress_at_scale_two": test_progress_at_scale_two,
    "look_up": test_look_up,
    "browse": test_browse,
}


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


def study_shots(build, folder):
    """Shots of the study window (after a wrong answer), its summary and the progress window,
    over the bundled word list and a month of history; then the progress window after two
    months, and the word lists."""
    s = Session(build, "screenshots")
    try:
        s.start()
        words = [w.strip().upper() for w in
                 (pathlib.Path(__file__).resolve().parents[2] / "data" / "words.txt").read_text()
                 .splitlines() if w.strip() and not w.startswith("#")]
        s.install(words)
        STUDY_WORDS[:] = words  # the list in use for the rest of the run
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


def each_in_own_process(arguments, names):
    """Runs this script once for each name; returns the names whose run failed. The
    accessibility client binds to the first session's bus for the life of the process, so
    every session needs a process of its own."""
    import subprocess
    return [name for name in names
            if subprocess.call([sys.executable, __file__, *arguments, name]) != 0]


def screenshots(build, folder, names):
    """Takes the named groups of shots into folder, each group on a desktop of its own."""
    folder = pathlib.Path(folder).resolve()
    folder.mkdir(parents=True, exist_ok=True)
    if len(names) == 1:
        SHOTS[names[0]](build, folder)
        return 0
    failed = each_in_own_process(["--build", build, "--screenshots", str(folder)], names)
    log(f"failed: {failed}" if failed else f"screenshots in {folder}")
    return 1 if failed else 0


SHOTS = {"study": study_shots, "scale_two": scale_two_shots, "look_up": look_up_shot,
         "browse": browse_shot}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--measure", type=int, nargs="?", const=11)
    parser.add_argument("--command", nargs="+", help="with --measure: time this program instead")
    parser.add_argument("--baseline", help="with --measure: another build to time in turn")
    parser.add_argument("--imported", action="store_true",
                        help="with --measure: also start with an imported word list in use")
    parser.add_argument("--screenshots", metavar="FOLDER",
                        help="take screenshots of the windows into FOLDER (the names choose "
                             "groups of shots instead of cases)")
    parser.add_argument("cases", nargs="*", help=f"cases to run (default all): {', '.join(CASES)}"
                        "; with --screenshots, groups of shots (default all): "
                        + ", ".join(SHOTS))
    args = parser.parse_args()
    known = SHOTS if args.screenshots else CASES
    unknown = [name for name in args.cases if name not in known]
    if unknown:
        parser.error(f"unknown {'shots' if args.screenshots else 'cases'}: {unknown}")
    if args.screenshots:
        return screenshots(args.build, args.screenshots, args.cases or list(SHOTS))
    if args.measure:
        measure(args.build, args.measure, args.command, args.baseline, args.imported)
        return 0
    names = args.cases or list(CASES)
    if len(names) == 1:
        log(f"deadline per wait: {DEADLINE:.0f} s")
        return 0 if run_case(args.build, names[0]) else 1
    failed = each_in_own_process(["--build", args.build], names)
    log(f"failed: {failed}" if failed else f"all {len(names)} cases passed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
