"""The sound soak: many answers in one process, every cue heard, the alert in place of a missing
file, and the program and sound server idle afterwards."""

import array
import pathlib
import time

from desktop import check, log, wait_for
from sound_capture import Recorder, crossings_per_second, rms
from e2e_written import COUNT_FRAME, VALID_FRAME, WORDS, main_window, read_question


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
