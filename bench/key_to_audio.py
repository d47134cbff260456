#!/usr/bin/env python3
"""Key to the first audio of its answer.

F is pressed through XTest, stamped as it goes out; the answer starts when the
panel hands its first clip to the speaker, the moment it writes the clip's line
to the speech log (read through a pipe and stamped as it arrives). The audio
goes to SDL's disk driver, the real audio path. The reference is the delay of
bytes written straight to the simulator's terminal, measured in the same run.
"""

from common import DISK, answer, arguments, emit, run_session, summary


def measure(quick):
    presses = 2 if quick else 30

    def body(s):
        reference = s.start(calibrate=5 if quick else 40)
        delays = []
        for _ in range(presses):
            at, clips = answer(s, "f")
            delays.append((clips[0][0] - at) * 1000)
        return dict(summary(delays, "ms", "p99 <= 30 ms", reference), figure="key F to the first clip's start")

    return [run_session("key_to_audio", body, DISK)]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
