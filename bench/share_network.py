#!/usr/bin/env python3
"""A program sharing the radio through the network port: Hamlib's rigctl with
its network model (2) against `vantor --rigctld`, frequency reads one after
another in one rigctl while the panel is idle, and rigctl's start to its first
answer; the reads once with Hamlib's cache as it comes and once with it off.
The reference is the same rigctl against Hamlib's own rigctld serving
its dummy radio (no radio line at all), measured in the same run.
"""

import subprocess

from common import Rigctl, arguments, emit, free_tcp_port, run_session, summary, wait_for


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
        return opens, times, uncached, ref_opens, ref_times, ref_uncached

    opens, times, uncached, ref_opens, ref_times, ref_uncached = run_session("share_network", body)
    return [
        dict(summary(times, "ms", "median <= 60 ms", summary(ref_times, "ms")),
             figure="network port: rigctl -m 2 f, Hamlib's cache as set"),
        dict(summary(uncached, "ms", "median <= 60 ms", summary(ref_uncached, "ms")),
             figure="network port: rigctl -m 2 f, cache off"),
        dict(summary(opens, "ms", "report", summary(ref_opens, "ms")),
             figure="network port: rigctl -m 2 opens and reads f"),
    ]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
