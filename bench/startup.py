#!/usr/bin/env python3
"""Start-up to "connected".

From the moment the panel's process is started to the moment it logs the clip
"connected", less the audio it spoke before it (the clips' lengths, the pauses
between query and reply included): the time start-up itself takes. No audio
device. The reference is starting and ending "vantor --version" in the same run,
what merely starting the program costs on this machine.
"""

import os
import subprocess
import time

from common import arguments, clip_ms, emit, harness, run_session, summary


def measure(quick):
    starts = 1 if quick else 5

    def body(s):
        s.start()
        connected = next(c for c in s.heard_clips() if c[1].endswith("connected"))
        spoken = sum(clip_ms(line) for t, line in s.heard_clips() if t < connected[0])
        return (connected[0] - s.started_at) * 1000 - spoken, spoken

    results = [run_session("startup", body) for _ in range(starts)]
    plain = []
    for _ in range(starts if quick else 20):
        at = time.monotonic()
        subprocess.run([os.path.abspath(harness.VANTOR), "--version"], check=True, stdout=subprocess.DEVNULL)
        plain.append((time.monotonic() - at) * 1000)
    return [dict(summary([r[0] for r in results], "ms", "report", summary(plain, "ms"),
                         spoken_before_ms=results[0][1]),
                 figure="start-up to \"connected\", less speech")]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
