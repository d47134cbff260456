#!/usr/bin/env python3
"""A program sharing the radio through the network port: Hamlib's rigctl with
its network model (2) against `vantor --rigctld`, frequency reads one after
another in one rigctl while the panel is idle, and rigctl's start to its first
answer; the reads once with Hamlib's cache as it comes and once with it off.
The reference is the same rigctl against Hamlib's own rigctld serving
its dummy radio (no radio line at all), measured in the same run.

Then the answer time of the protocol itself, for f, m, s, t and a split set-up as
WSJT-X makes it (S 1 VFOB, I, X): a program writing the requests on a socket,
through the panel's port and through Hamlib's `rigctld -m 1035` (its cache off, so
that it asks the radio as the panel does) in front of a second simulated radio of
the same model in the same state.
"""

import subprocess

from common import arguments, emit, free_tcp_port, harness, run_session, summary, wait_for
from programs import Rigctl, RigctldProgram

# name, the requests with their answer lines, and what puts the radio back unmeasured
REQUESTS = [
    ("f", [("f", 1)], []),
    ("m", [("m", 2)], []),
    ("s", [("s", 2)], []),
    ("t", [("t", 1)], []),
    ("split set-up (S 1 VFOB, I, X)", [("S 1 VFOB", 1), ("I 14076000", 1), ("X PKTUSB 3000", 1)],
     [("S 0 VFOA", 1)]),
]


def answer_times(port, samples):
    """{name: ms of each sample}, {name: the answers of the last sample}."""
    program = RigctldProgram(port)
    times, answers = {}, {}
    for name, requests, after in REQUESTS:
        for _ in range(samples):
            ms, answers[name] = program.timed(requests)
            times.setdefault(name, []).append(ms)
            program.timed(after)
    program.close()
    return times, answers


def rigctl_figures(address, reads, *extra):
    client = Rigctl(["-m", "2", "-r", address, *extra])
    _, stamp, _ = client.read("f", 15)
    opened = (stamp - client.started) * 1000
    times = []
    for _ in range(reads):
        at, stamp, _ = client.read("f")
        times.append((stamp - at) * 1000)
    client.close()
    return opened, times


def sessions(address, count, reads):
    """Open times; read times with the cache as set; read times with it off."""
    opens, times, uncached = [], [], []
    for _ in range(count):
        opened, read_times = rigctl_figures(address, reads)
        opens.append(opened)
        times += read_times
        uncached += rigctl_figures(address, reads, "-C", "cache_timeout=0")[1]
    return opens, times, uncached


def measure(quick):
    reads = 3 if quick else 50

    def body(s):
        port = s.start_with_network_port()
        opens, times, uncached = sessions("127.0.0.1:%d" % port, 1 if quick else 3, reads)
        dummy_port = free_tcp_port()
        dummy = subprocess.Popen(["rigctld", "-m", "1", "-T", "127.0.0.1", "-t", str(dummy_port)],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        s.processes.append(dummy)
        wait_for(lambda: subprocess.run(["rigctl", "-m", "2", "-r", "127.0.0.1:%d" % dummy_port, "f"],
                                        capture_output=True).returncode == 0, 10, "rigctld -m 1")
        ref_opens, ref_times, ref_uncached = sessions("127.0.0.1:%d" % dummy_port, 1 if quick else 3, reads)
        samples = 3 if quick else 100
        panel = answer_times(port, samples)
        # Hamlib's cache off: each answer comes from the radio, as the panel's do.
        reference = answer_times(harness.start_reference_rigctld(s, options=("-C", "cache_timeout=0")), samples)
        return opens, times, uncached, ref_opens, ref_times, ref_uncached, panel, reference

    opens, times, uncached, ref_opens, ref_times, ref_uncached, panel, reference = run_session("share_network", body)
    protocol = [dict(summary(panel[0][name], "ms", "report", summary(reference[0][name], "ms"),
                             answers=panel[1][name], reference_answers=reference[1][name]),
                     figure="network port: %s, answer time (ref.: rigctld -m 1035, cache off)" % name)
                for name, _, _ in REQUESTS]
    return protocol + [
        dict(summary(times, "ms", "median <= 60 ms", summary(ref_times, "ms")),
             figure="network port: rigctl -m 2 f, Hamlib's cache as set"),
        dict(summary(uncached, "ms", "median <= 60 ms", summary(ref_uncached, "ms")),
             figure="network port: rigctl -m 2 f, cache off"),
        dict(summary(opens, "ms", "report", summary(ref_opens, "ms")),
             figure="network port: rigctl -m 2 opens and reads f"),
    ]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
