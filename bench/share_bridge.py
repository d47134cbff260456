#!/usr/bin/env python3
"""A program sharing the radio through the bridge port: Hamlib's rigctl with the
FT-991 model (1035) and its own settings on the client end of a serial pair.

Open and read the frequency: rigctl's start to its first frequency answer. Then
frequency reads one after another in the same rigctl, with Hamlib's cache as
it comes (a read within its cache time is answered without the radio) and with
the cache off. The reference is the same rigctl straight on a second simulated
radio, no panel between, measured in the same run.
"""

import os
import subprocess

from common import arguments, configuration, emit, harness, run_session, summary, wait_for
from programs import Rigctl


def rigctl_figures(port, reads, cache_off_reads):
    """Open-to-first-answer times, then reads with the cache, then without."""
    base = ["-m", "1035", "-r", port, "-s", "38400"]
    opens, cached, uncached = [], [], []
    for _ in range(3 if reads > 5 else 1):
        client = Rigctl(base)
        _, stamp, value = client.read("f", 15)
        opens.append((stamp - client.started) * 1000)
        client.close()
    client = Rigctl(base)
    client.read("f", 15)
    for _ in range(reads):
        at, stamp, _ = client.read("f")
        cached.append((stamp - at) * 1000)
    client.close()
    client = Rigctl(base + ["-C", "cache_timeout=0"])
    client.read("f", 15)
    for _ in range(cache_off_reads):
        at, stamp, _ = client.read("f")
        uncached.append((stamp - at) * 1000)
    client.close()
    return opens, cached, uncached


def measure(quick):
    reads, cache_off_reads = (3, 3) if quick else (50, 50)

    def body(s):
        s.start_display()
        s.start_radiosim("0670", 5, "--smeter", "130")
        client_end = s.serial_pair(7, "client")
        s.write_config(configuration(port=5, bridge=7))
        s.start_vantor()
        s.connected()
        through_panel = rigctl_figures(client_end, reads, cache_off_reads)
        # The reference: a second simulated radio on its own port, rigctl straight on it.
        link = s.path("COM9")
        s.processes.append(subprocess.Popen([harness.RADIOSIM, "--model", "0670", "--link", link],
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for(lambda: os.path.islink(link), 10, "the second radio's port")
        direct = rigctl_figures(link, reads, cache_off_reads)
        return through_panel, direct

    (opens, cached, uncached), (ref_opens, ref_cached, ref_uncached) = run_session("share_bridge", body)
    return [
        dict(summary(opens, "ms", "<= 1000 ms", summary(ref_opens, "ms")),
             figure="bridge: rigctl -m 1035 opens and reads f"),
        dict(summary(cached, "ms", "median <= 150 ms", summary(ref_cached, "ms")),
             figure="bridge: rigctl f, Hamlib's cache as set"),
        dict(summary(uncached, "ms", "report", summary(ref_uncached, "ms")),
             figure="bridge: rigctl f, cache off"),
    ]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
