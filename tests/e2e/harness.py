"""A private desktop for one end-to-end test case.

Session starts, for one test case and nobody else: an Xvfb display (a free number picked by the
server itself), a session D-Bus with the accessibility bus behind it, the openbox window manager
(focus, the close box and _NET_ACTIVE_WINDOW behave as on a desktop), and a PulseAudio daemon
whose only sink is a null sink that can be recorded through its monitor. It installs the build
into a temporary prefix and starts the installed launcher as a separate process. Everything lives
under one temporary folder with a fresh HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR.

Every wait polls a condition against a deadline; nothing relies on a fixed sleep. Teardown ends
every process this session started, by pid: the ones it spawned itself, and any process whose
environment carries this session's marker (for example the accessibility bus that D-Bus
activated on the session's behalf).
"""

import array
import math
import os
import pathlib
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

# Seconds for one wait. The sanitizer build starts and draws much more slowly.
DEADLINE = float(os.environ.get("LEXITOR_E2E_DEADLINE", "20"))
POLL = 0.02
TITLE = "Lexitor Trainer Software"
MARKER_VARIABLE = "LEXITOR_E2E_SESSION"


class Failure(AssertionError):
    pass


def wait_for(what, predicate, timeout=DEADLINE):
    """Polls predicate every 20 ms until it returns something true; returns that value."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL)


def check(condition, message):
    if not condition:
        raise Failure(message)


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


class Session:
    def __init__(self, build_dir, name):
        self.build_dir = pathlib.Path(build_dir)
        self.name = name
        self.root = pathlib.Path(tempfile.mkdtemp(prefix=f"lexitor-e2e-{name}-"))
        self.marker = str(self.root)
        self.children = []  # (name, Popen) of the helpers, in start order
        self.app = None
        self.app_log = None
        self.recorder = None
        self._atspi = None
        self.screen = "1024x768"  # the X screen's size, set before start()
        self.env = self._environment()

    # ----- set-up and teardown -------------------------------------------------------------

    def _environment(self):
        env = dict(os.environ)
        # Nothing may reach the developer's own desktop, bus, sound server or settings.
        for key in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                    "AT_SPI_BUS_ADDRESS", "SESSION_MANAGER", "PULSE_SERVER", "PULSE_SINK",
                    "PULSE_SOURCE", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE", "DESKTOP_SESSION",
                    "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE",
                    "QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "LANGUAGE", "LC_NUMERIC"):
            env.pop(key, None)
        home = self.root / "home"
        runtime = self.root / "runtime"
        fakebin = self.root / "fakebin"
        for folder in (home / ".config", home / ".local/share", home / ".cache", fakebin):
            folder.mkdir(parents=True)
        runtime.mkdir(mode=0o700)
        # The program opens its home page at about one start in a hundred; a stand-in browser
        # keeps that quiet and leaves a trace.
        opener = fakebin / "xdg-open"
        opener.write_text(f'#!/bin/sh\necho "$@" >> "{self.root}/opened-urls.txt"\n')
        opener.chmod(0o755)
        env.update({
            MARKER_VARIABLE: self.marker,
            "HOME": str(home),
            "XDG_CONFIG_HOME": str(home / ".config"),
            "XDG_DATA_HOME": str(home / ".local/share"),
            "XDG_CACHE_HOME": str(home / ".cache"),
            "XDG_RUNTIME_DIR": str(runtime),
            "PATH": f"{fakebin}:{env.get('PATH', '/usr/bin:/bin')}",
            "LC_ALL": "C.UTF-8",
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        return env

    def _spawn(self, name, argv, **kwargs):
        logfile = open(self.root / f"{name}.log", "wb")
        proc = subprocess.Popen(argv, env=self.env, cwd=self.root, stdin=subprocess.DEVNULL,
                                stdout=kwargs.pop("stdout", logfile), stderr=logfile, **kwargs)
        self.children.append((name, proc))
        return proc

    def _read_line(self, fd, what):
        data = b""
        end = time.monotonic() + DEADLINE
        while not data.endswith(b"\n"):
            remaining = end - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(remaining, 0))
            if not ready:
                raise Failure(f"timed out waiting for {what}")
            chunk = os.read(fd, 256)
            if not chunk:
                raise Failure(f"{what}: the process ended early (see {self.root})")
            data += chunk
        return data.decode().strip()

    def start(self):
        try:
            self._start_x()
            self._start_dbus()
            self._start_window_manager()
            self._start_sound()
            self._start_accessibility()
        except BaseException:
            self.stop()
            raise
        return self

    def _start_x(self):
        read_fd, write_fd = os.pipe()
        self._spawn("xvfb", ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{self.screen}x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=(write_fd,))
        os.close(write_fd)
        display = self._read_line(read_fd, "the X server's display number")
        os.close(read_fd)
        self.env["DISPLAY"] = f":{display}"

    def _start_dbus(self):
        read_fd, write_fd = os.pipe()
        socket = self.root / "runtime" / "bus"
        self._spawn("dbus", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                             f"--address=unix:path={socket}", f"--print-address={write_fd}"],
                    pass_fds=(write_fd,))
        os.close(write_fd)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self._read_line(read_fd, "the session bus")
        os.close(read_fd)

    def _start_window_manager(self):
        self._spawn("openbox", ["openbox", "--sm-disable"])
        wait_for("the window manager", lambda: "window id #" in self.run(
            ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check_rc=False))

    def _start_sound(self):
        self._spawn("pulseaudio", [
            "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
            "--load=module-native-protocol-unix auth-anonymous=1",
            "--load=module-null-sink sink_name=nul rate=44100", "--log-target=stderr"])
        wait_for("the sound server", lambda: "nul" in self.run(
            ["pactl", "list", "short", "sinks"], check_rc=False))
        self.run(["pactl", "set-default-sink", "nul"])

    def _start_accessibility(self):
        # libatspi reads the display and the bus from the process environment.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR", "HOME",
                    MARKER_VARIABLE):
            os.environ[key] = self.env[key]
        dist_packages = "/usr/lib/python3/dist-packages"
        if dist_packages not in sys.path:
            sys.path.append(dist_packages)
        import pyatspi  # noqa: E402  (needs the environment above)
        self._atspi = pyatspi
        # Asking for the desktop starts the accessibility bus and its registry now, before the
        # program starts and looks for them.
        wait_for("the accessibility registry", lambda: self._desktop() is not None)

    def stop(self):
        if self.recorder:
            self.recorder.stop()
        if self.app and self.app.poll() is None:
            _end(self.app)
        for _, proc in reversed(self.children):
            _end(proc)
        for pid in self._marked_pids():
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        if self._marked_pids():
            try:
                wait_for("the session's processes to end", lambda: not self._marked_pids(), 5)
            except Failure:
                for pid in self._marked_pids():
                    try:
                        os.kill(pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
        left = self._marked_pids()
        check(not left, f"processes left running: {left}")

    def _marked_pids(self):
        needle = f"{MARKER_VARIABLE}={self.marker}".encode() + b"\0"
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == os.getpid():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as f:
                    environ = f.read() + b"\0"
                with open(f"/proc/{entry}/stat", "rb") as f:
                    zombie = f.read().rsplit(b")", 1)[1].split()[0] == b"Z"
            except OSError:
                continue
            if needle in environ and not zombie:
                pids.append(int(entry))
        return pids

    def cleanup(self, keep):
        if keep:
            log(f"kept {self.root}")
        else:
            shutil.rmtree(self.root, ignore_errors=True)

    def screenshot(self, name):
        path = self.root / f"{name}.png"
        self.run(["import", "-window", "root", str(path)], check_rc=False)
        return path

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

    def run(self, argv, check_rc=True):
        result = subprocess.run(argv, env=self.env, cwd=self.root, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=DEADLINE)
        if check_rc and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed ({result.returncode}): {result.stderr}")
        return result.stdout

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

    def _desktop(self):
        try:
            desktop = self._atspi.Registry.getDesktop(0)
            desktop.childCount  # noqa: B018  (a round trip proves the registry answers)
            return desktop
        except Exception:
            return None

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


def _end(proc):
    if proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


class Recorder:
    """Records the null sink's monitor for the whole session and finds cues in it."""

    RATE = 44100
    BLOCK = RATE // 50  # 20 ms
    ONSET = 0.02  # RMS of a block that counts as sound (full scale 1.0)
    QUIET = 0.005
    TAIL_BLOCKS = 15  # 300 ms of quiet end a cue

    def __init__(self, session):
        self.session = session
        self.samples = array.array("h")
        self.offset = -math.inf
        self.lock = threading.Lock()
        before = session.run(["pactl", "list", "short", "source-outputs"], check_rc=False)
        self.proc = subprocess.Popen(
            ["parec", "--raw", "--format=s16le", f"--rate={self.RATE}", "--channels=1",
             "--latency-msec=20", "-d", "nul.monitor"], env=session.env, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        self.thread = threading.Thread(target=self._pump, daemon=True)
        self.thread.start()
        # The recording stream exists, and samples flow, before anything is played.
        wait_for("the recording stream", lambda: session.run(
            ["pactl", "list", "short", "source-outputs"], check_rc=False).count("\n") >
            before.count("\n"))
        wait_for("the first recorded samples", lambda: len(self.samples) >= self.BLOCK)

    def _pump(self):
        pending = b""
        while True:
            chunk = self.proc.stdout.read1(8192) if hasattr(self.proc.stdout, "read1") else \
                self.proc.stdout.read(4096)
            if not chunk:
                return
            pending += chunk
            usable = len(pending) - len(pending) % 2
            arrived = time.monotonic()
            with self.lock:
                self.samples.frombytes(pending[:usable])
                # The sink runs on the system clock, so sample n was recorded at about
                # n / RATE + a fixed offset. A chunk arrives late, never early: the least delayed
                # one gives the offset.
                self.offset = max(self.offset, len(self.samples) - arrived * self.RATE)
            pending = pending[usable:]

    def mark(self):
        with self.lock:
            return len(self.samples)

    def position(self, moment):
        """The sample recorded at time.monotonic() moment, found from the sample clock rather
        than from what has arrived so far: on a busy machine the recording arrives in late
        bursts, and mark() then points too early."""
        with self.lock:
            return max(0, int(moment * self.RATE + self.offset))

    def _block_rms(self, start):
        with self.lock:
            block = self.samples[start:start + self.BLOCK]
        if len(block) < self.BLOCK:
            return None
        return math.sqrt(sum(s * s for s in block) / len(block)) / 32768.0

    def wait_cue(self, since):
        """Waits for a sound to start after sample since and to end; returns its samples."""
        position = [since]

        def onset():
            while True:
                level = self._block_rms(position[0])
                if level is None:
                    return None
                if level >= self.ONSET:
                    return position[0]
                position[0] += self.BLOCK
        start = wait_for("a sound on the sink", onset, timeout=DEADLINE)
        position[0] = start
        quiet = [0]

        def end():
            while True:
                level = self._block_rms(position[0])
                if level is None:
                    return None
                position[0] += self.BLOCK
                quiet[0] = quiet[0] + 1 if level < self.QUIET else 0
                if quiet[0] >= self.TAIL_BLOCKS:
                    return position[0]
        stop = wait_for("the sound to end", end, timeout=DEADLINE)
        with self.lock:
            return self.samples[start:stop]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGINT)
            try:
                self.proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def rms(samples):
    if not samples:
        return 0.0
    return math.sqrt(sum(s * s for s in samples) / len(samples)) / 32768.0


def crossings_per_second(samples, rate=Recorder.RATE):
    """Zero crossings per second over the loud part: about twice the pitch of a clean tone."""
    block = Recorder.BLOCK
    loud = array.array("h")
    for i in range(0, len(samples) - block + 1, block):
        part = samples[i:i + block]
        if rms(part) >= Recorder.ONSET:
            loud.extend(part)
    if len(loud) < 2:
        return 0.0
    count = sum(1 for a, b in zip(loud, loud[1:]) if (a < 0) != (b < 0))
    return count * rate / len(loud)


def wave_samples(path):
    import wave
    with wave.open(str(path)) as w:
        data = array.array("h", w.readframes(w.getnframes()))
        return data[::w.getnchannels()]
