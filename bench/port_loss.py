#!/usr/bin/env python3
"""The radio port lost and found: how soon the operator hears about it, and what
the panel costs while it waits.

The connected panel's radio goes away (the simulator removes its terminal and
link on SIGUSR1, as an unplugged USB adapter does) and comes back under the
same name (SIGUSR2). Measured each time: from the signal to the "radio" clip of
"radio" "lost", the panel's CPU while the radio is away (it retries the port
once a second), and from the signal to the "radio" clip of "radio" "back".
"""

import signal
import time

from common import arguments, clip_name, configuration, emit, process_times, run_session, summary, wait_for


def announced(s, word, since):
    """The moment of the "radio" clip that came just before `word`, counting from the since-th clip."""
    def found():
        clips = s.heard_clips(since)
        for (at, first), (_, second) in zip(clips, clips[1:]):
            if clip_name(first) == "radio.wav" and clip_name(second) == word + ".wav":
                return at
        return None
    return wait_for(found, 10, "radio %s" % word)


def measure(quick):
    rounds, away = (2, 1) if quick else (20, 5)

    def body(s):
        s.start_display()
        sim = s.start_radiosim("0670", 5, "--smeter", "130")
        s.write_config(configuration(port=5))
        s.start_vantor()
        s.connected()
        lost, back, cpu = [], [], []
        for _ in range(rounds):
            s.wait_quiet()
            since = len(s.clips)
            at = time.monotonic()
            sim.send_signal(signal.SIGUSR1)
            lost.append((announced(s, "lost", since) - at) * 1000)
            s.wait_quiet()
            before, started = process_times(s.vantor.pid), time.monotonic()
            time.sleep(away)
            after = process_times(s.vantor.pid)
            cpu.append((after[0] - before[0]) / (time.monotonic() - started) * 100)
            since = len(s.clips)
            at = time.monotonic()
            sim.send_signal(signal.SIGUSR2)
            back.append((announced(s, "back", since) - at) * 1000)
            wait_for(lambda: any(clip_name(c) == "connected.wav" for _, c in s.clips[since:]), 20,
                     "connected after the radio came back")
        return lost, back, cpu

    lost, back, cpu = run_session("port_loss", body)
    return [dict(summary(lost, "ms", "<= 1000 ms"), figure="radio gone to \"radio\" \"lost\""),
            dict(summary(back, "ms", "<= 2000 ms"), figure="radio back to \"radio\" \"back\""),
            dict(summary(cpu, "% of a core", "< 2 %"), figure="CPU while the radio is lost")]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
