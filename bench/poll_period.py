#!/usr/bin/env python3
"""The poll's period, idle and around readouts.

The connected panel is left alone with no audio device; the simulator's stamps
of the poll's two questions, FA; (the frequency) and SM0; (the S-meter), give
the time from one question to the next of its kind. Bursts are periods shorter
than half the goal. Then F is pressed several times: the poll should resume
within one 50 ms tick of the end of speech (the last clip's logged start plus
its length).
"""

import time

from common import answer, arguments, clip_ms, emit, run_session, summary, wait_for

POLL = ("FA;", "SM0;")
TICK_MS = 50


def measure(quick):
    idle_s = 5 if quick else 60
    readouts = 1 if quick else 10

    def body(s):
        s.start()
        s.wait_quiet()
        begin = time.monotonic()
        time.sleep(idle_s)  # the figure is what the panel does when nobody touches it
        end = time.monotonic()
        figures = []
        for command in POLL:
            stamps = [t for t, c in s.sim_log() if c == command and begin <= t <= end]
            periods = [(b - a) * 1000 for a, b in zip(stamps, stamps[1:])]
            figures.append(dict(summary(periods, "ms", "200 ms +-5 %, no bursts",
                                        bursts=sum(1 for p in periods if p < 100),
                                        least=min(periods, default=None), most=max(periods, default=None)),
                                figure="idle poll period (%s)" % command))
        resumes = []
        for _ in range(readouts):
            _, clips = answer(s, "f")
            spoken_end = clips[-1][0] + clip_ms(clips[-1][1]) / 1000
            # Speech holds the poll, so its first question after the last clip began
            # is the one that resumes it; the panel's wait for a clip may end a
            # fraction of a millisecond before the clip's length, so it can come
            # just before the computed end.
            first = wait_for(lambda: [t for t, c in s.sim_log() if c in POLL and t > clips[-1][0]], 10,
                             "the poll after the readout")[0]
            resumes.append((first - spoken_end) * 1000)
        figures.append(dict(summary(resumes, "ms", "<= one tick (%d ms)" % TICK_MS),
                            figure="poll resumes after speech ends"))
        return figures

    return run_session("poll_period", body)


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
