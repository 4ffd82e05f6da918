"""The sound the program plays, as the desktop's null sink heard it."""

import array
import math
import signal
import subprocess
import threading
import time

from desktop import DEADLINE, wait_for


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
