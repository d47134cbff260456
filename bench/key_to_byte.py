#!/usr/bin/env python3
"""Key-down to the first byte of the key's command at the radio.

An XTest key press is stamped as it goes to the X server; the simulator stamps
the arrival of each command's first byte on the same clock. The keys measured
send before they speak: + and - step the frequency, Page Up changes band. The
reference is the same path without the panel: bytes written straight to the
simulator's terminal (its clock check before the panel opens the port).
"""

import time

from common import arguments, emit, run_session, summary, wait_for

SPEED = 38400  # the configuration's port speed: ten bits a byte on the line
POLL = ("FA;", "SM0;")


def measure(quick):
    presses = 3 if quick else 40

    def body(s):
        reference = s.start(calibrate=5 if quick else 40)
        figures = []
        # Page Down between the Page Up presses keeps the band inside the radio's range.
        for label, keysym, back in (("+", "equal", "minus"), ("-", "minus", "equal"), ("PgUp", "Prior", "Next")):
            delays = []
            lines = []
            for _ in range(presses):
                for key, measured in ((keysym, True), (back, False)):
                    seen = len(s.sim_log())
                    at = s.stamped_key(key)
                    first = wait_for(lambda: [c for c in s.sim_log()[seen:] if c[1] not in POLL and c[0] >= at],
                                     10, "a command after %s" % key)[0]
                    if measured:
                        delays.append((first[0] - at) * 1000)
                        lines.append(len(first[1]) * 10 * 1000.0 / SPEED)
                    s.wait_quiet(0.2)
                    time.sleep(0.05)
            goal = "p99 <= %.1f ms (1 ms + line time of %d bytes)" % (1 + max(lines), max(lines) * SPEED / 10000)
            figures.append(dict(summary(delays, "ms", goal, reference, line_ms=max(lines)),
                                figure="key-down to first CAT byte (%s)" % label))
        return figures

    return run_session("key_to_byte", body)


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
