"""The program on a private desktop, as a test case drives it.

Session is a Desktop (see desktop.py) that installs the build into a temporary prefix, starts the
installed launcher as a separate process, and reads and presses its windows: X windows through
xdotool and wmctrl, controls through the accessibility tree.
"""

import pathlib
import subprocess
import time

from desktop import DEADLINE, Desktop, Failure, check, end_process, wait_for
from sound_capture import Recorder

TITLE = "Lexitor Trainer Software"


class Session(Desktop):
    def __init__(self, build_dir, name):
        super().__init__(name)
        self.build_dir = pathlib.Path(build_dir)
        self.app = None
        self.app_log = None
        self.recorder = None

    def stop(self):
        if self.recorder:
            self.recorder.stop()
        if self.app and self.app.poll() is None:
            end_process(self.app)
        super().stop()

    # ----- the program ---------------------------------------------------------------------

    def install(self, words=None):
        """Installs the build under a prefix of this session; returns the program folder.
        words: the word list for the program folder's dbWords.mdb (None: no database)."""
        prefix = self.root / "prefix"
        self.run(["cmake", "--install", str(self.build_dir), "--prefix", str(prefix)])
        self.prefix = prefix
        self.program_dir = prefix / "lib" / "lexitor-trainer"
        database = self.program_dir / "dbWords.mdb"
        database.unlink()
        if words is not None:
            listing = self.root / "words.txt"
            listing.write_text("".join(w + "\n" for w in words))
            self.run([str(prefix / "bin" / "lexitor-words"), "--quiet", str(listing),
                      str(database)])
        return self.program_dir

    def launch(self):
        """Starts the installed launcher; returns the time it was started (monotonic)."""
        check(self.app is None or self.app.poll() is not None, "the program is still running")
        if self.app_log:
            self.app_log.close()
        self.app_log = open(self.root / "program.log", "ab")
        started = time.monotonic()
        self.app = subprocess.Popen([str(self.prefix / "bin" / "lexitor-trainer")], env=self.env,
                                    cwd=self.root, stdin=subprocess.DEVNULL,
                                    stdout=self.app_log, stderr=self.app_log)
        return started

    def wait_exit(self):
        try:
            return self.app.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def program_output(self):
        path = self.root / "program.log"
        return path.read_text(errors="replace") if path.exists() else ""

    # ----- X windows ----------------------------------------------------------------------

    def visible_windows(self, title=TITLE):
        """X ids of the mapped windows whose title is exactly title."""
        out = self.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                       check_rc=False)
        return {int(w) for w in out.split()}

    def wait_window(self, besides=(), title=TITLE):
        """Waits for a mapped window titled title other than those in besides; returns its id."""
        def new():
            fresh = self.visible_windows(title) - set(besides)
            return min(fresh) if len(fresh) == 1 else None
        return wait_for(f'a new window "{title}"', new)

    def wait_gone(self, window):
        wait_for(f"window {window:#x} to close", lambda: window not in self.visible_windows())

    def active_window(self):
        out = self.run(["xdotool", "getactivewindow"], check_rc=False).strip()
        return int(out) if out.isdigit() else None

    def wait_active(self, window, acc=None):
        """Waits until the window manager gave the window the focus and, when acc is given,
        until the toolkit reports its accessible window active."""
        wait_for(f"window {window:#x} to become active", lambda: self.active_window() == window)
        if acc is not None:
            wait_for("the window to report itself active",
                     lambda: self.has_state(acc, self._atspi.STATE_ACTIVE))

    def click(self, window, acc, sync=True):
        """A real mouse click in the middle of the accessible object. With sync, xdotool waits
        until the pointer has moved: it stalls for seconds when the pointer is already there.
        Without it, the X server still moves the pointer before it takes the click."""
        x, y, w, h = self.extents(acc)
        check(w > 0 and h > 0, f"{self.describe(acc)} has no size")
        self.run(["xdotool", "mousemove", *(["--sync"] if sync else []), "--window", str(window),
                  str(x + w // 2), str(y + h // 2), "click", "1"])

    def key(self, *keys):
        self.run(["xdotool", "key", "--clearmodifiers", *keys])

    def type_text(self, text):
        self.run(["xdotool", "type", "--clearmodifiers", "--delay", "20", text])

    def close_box(self, window):
        """The title bar's close box: the window manager asks the window to close itself
        (WM_DELETE_WINDOW), unlike xdotool windowclose, which destroys the window."""
        self.run(["wmctrl", "-i", "-c", hex(window)])

    # ----- the accessibility tree ---------------------------------------------------------

    def app_accessible(self):
        desktop = self._desktop()
        if desktop is None or self.app is None:
            return None
        desktop.clear_cache()
        for i in range(desktop.childCount):
            try:
                application = desktop.getChildAtIndex(i)
                if application is not None and application.get_process_id() == self.app.pid:
                    application.set_cache_mask(0)  # read everything fresh from the program
                    application.clear_cache()
                    return application
            except Exception:
                continue
        return None

    def find_all(self, root, role=None, name=None, depth=12):
        found = []

        def walk(node, level):
            try:
                if (role is None or node.getRoleName() == role) and \
                        (name is None or node.name == name):
                    found.append(node)
                if level < depth:
                    for child in node:
                        if child is not None:
                            walk(child, level + 1)
            except Exception:
                pass
        if root is not None:
            walk(root, 0)
        return found

    def top_level_with(self, role, name):
        """The program's one shown top-level window holding an object of that role and name."""
        application = self.app_accessible()
        if application is None:
            return None
        showing = self._atspi.STATE_SHOWING
        try:
            # A window that has just closed may linger in the tree for a moment: only a shown one
            # counts, and only when it is the only one.
            matches = [window for window in application
                       if window is not None and self.has_state(window, showing)
                       and self.find_all(window, role, name)]
        except Exception:
            return None
        return matches[0] if len(matches) == 1 else None

    def wait_top_level_with(self, role, name):
        return wait_for(f'a window with the {role} "{name}"',
                        lambda: self.top_level_with(role, name))

    def one(self, root, role, name=None):
        found = self.find_all(root, role, name)
        check(len(found) == 1, f"expected one {role} {name or ''}, found {len(found)}")
        return found[0]

    def children_of(self, node):
        return [child for child in node if child is not None]

    def text(self, acc):
        itext = acc.queryText()
        return itext.getText(0, -1)

    def content(self, acc):
        """What a label or list item shows. A label whose accessible name is the caption of its
        frame carries what it shows in its description."""
        try:
            return acc.description or acc.name
        except Exception:
            return acc.name

    def selection(self, acc):
        itext = acc.queryText()
        return [tuple(itext.getSelection(i)) for i in range(itext.getNSelections())]

    def extents(self, acc):
        """x, y, width, height relative to the object's top-level window. (Qt 6.4 answers
        window coordinates with screen coordinates, and its idea of the window's place may lag
        behind the window manager's; the offset between two of its own answers does not.)"""
        top = acc
        while top.parent is not None and top.parent.getRoleName() != "application":
            top = top.parent
        desktop = self._atspi.DESKTOP_COORDS
        box = acc.queryComponent().getExtents(desktop)
        origin = top.queryComponent().getExtents(desktop)
        return box.x - origin.x, box.y - origin.y, box.width, box.height

    def has_state(self, acc, state):
        try:
            return acc.getState().contains(state)
        except Exception:
            return False

    def wait_focused(self, acc):
        wait_for(f"{self.describe(acc)} to have the keyboard focus",
                 lambda: self.has_state(acc, self._atspi.STATE_FOCUSED))

    def describe(self, acc):
        try:
            return f'{acc.getRoleName()} "{acc.name}"'
        except Exception:
            return "an accessible object"

    # ----- sound ---------------------------------------------------------------------------

    def record(self):
        self.recorder = Recorder(self)
        return self.recorder

