"""A private desktop for one end-to-end test case, and the waits every case uses.

Desktop starts, for one test case and nobody else: an Xvfb display (a free number picked by the
server itself), a session D-Bus with the accessibility bus behind it, the openbox window manager
(focus, the close box and _NET_ACTIVE_WINDOW behave as on a desktop), and a PulseAudio daemon
whose only sink is a null sink that can be recorded through its monitor. Everything lives under
one temporary folder with a fresh HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR.

Every wait polls a condition against a deadline; nothing relies on a fixed sleep. Teardown ends
every process this desktop started, by pid: the ones it spawned itself, and any process whose
environment carries this desktop's marker (for example the accessibility bus that D-Bus
activated on the session's behalf).
"""

import os
import pathlib
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# Seconds for one wait. The sanitizer build starts and draws much more slowly.
DEADLINE = float(os.environ.get("LEXITOR_E2E_DEADLINE", "20"))
POLL = 0.02
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


class Desktop:
    def __init__(self, name):
        self.name = name
        self.root = pathlib.Path(tempfile.mkdtemp(prefix=f"lexitor-e2e-{name}-"))
        self.marker = str(self.root)
        self.children = []  # (name, Popen) of the helpers, in start order
        self._atspi = None
        self.screen = "1024x768"  # the X screen's size, set before start()
        self.env = self._environment()

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
        for _, proc in reversed(self.children):
            end_process(proc)
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

    def run(self, argv, check_rc=True):
        result = subprocess.run(argv, env=self.env, cwd=self.root, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=DEADLINE)
        if check_rc and result.returncode != 0:
            raise Failure(f"{' '.join(argv)} failed ({result.returncode}): {result.stderr}")
        return result.stdout

    def _desktop(self):
        try:
            desktop = self._atspi.Registry.getDesktop(0)
            desktop.childCount  # noqa: B018  (a round trip proves the registry answers)
            return desktop
        except Exception:
            return None


def end_process(proc):
    if proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(timeout=5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()

