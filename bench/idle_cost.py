#!/usr/bin/env python3
"""Idle CPU, memory and wake-ups of the connected panel.

Once connected and quiet, the panel's /proc entries are read once a second:
CPU time (user and system, all threads) per second of wall time, resident
memory, and context switches of all its threads per second (a thread that
sleeps and wakes switches once per wake-up). Once with no audio device, once
with SDL's disk driver, whose thread writes the device's samples at its pace.
"""

import time

from common import DISK, NO_DEVICE, arguments, emit, process_times, run_session, summary


def measure(quick):
    seconds = 3 if quick else 60

    def body(s):
        s.start()
        s.wait_quiet()
        cpu, rss, wakes = [], [], []
        previous = process_times(s.vantor.pid)
        for _ in range(seconds):
            time.sleep(1.0)
            now = process_times(s.vantor.pid)
            cpu.append((now[0] - previous[0]) * 100)
            rss.append(now[1])
            wakes.append(now[2] - previous[2])
            previous = now
        return cpu, rss, wakes

    figures = []
    for audio, label in ((NO_DEVICE, "no audio device"), (DISK, "SDL disk driver")):
        cpu, rss, wakes = run_session("idle_cost_" + audio, body, audio)
        figures += [dict(summary(cpu, "% of a core", "<= 1 %"), figure="idle CPU (%s)" % label),
                    dict(summary(rss, "MB", "<= 40 MB"), figure="resident memory (%s)" % label),
                    dict(summary(wakes, "per s", "<= 30 per s"), figure="idle wake-ups (%s)" % label)]
    return figures


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
