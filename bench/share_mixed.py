#!/usr/bin/env python3
"""Everybody at once: a program on the network port polls f, m, t and s every
200 ms, changes band (F and M) and keys the transmitter (T 1, T 0) once a
minute, while the operator presses F, S, + and - and the panel polls the radio.
Ten minutes (twenty seconds with --quick).

Counted: answers the program got that are not answers to what it asked (an
answer that went to the wrong side, or none), its sets that never reached the
radio, and at the end whether the panel's frequency and mode are the radio's.
The program speaks the rigctld protocol itself, as a program using Hamlib's
network model does, so each answer is seen exactly.
"""

import re
import socket
import threading
import time

from common import arguments, emit, run_session, summary

MODES = {"LSB", "USB", "CW", "CWR", "RTTY", "RTTYR", "AM", "FM", "FMN", "PKTLSB", "PKTUSB", "PKTFM", "AMN",
         "C4FM", "FM-D"}
EXPECTED = {  # command -> (answer lines, check of the answer)
    "f": (1, lambda a: re.fullmatch(r"\d{6,10}", a[0])),
    "m": (2, lambda a: a[0] in MODES and re.fullmatch(r"\d+", a[1])),
    "t": (1, lambda a: a[0] in ("0", "1")),
    "s": (2, lambda a: a[0] in ("0", "1") and a[1].startswith("VFO")),
}


class Program:
    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.file = self.sock.makefile("rw", newline="\n")

    def ask(self, line, lines=1):
        self.file.write(line + "\n")
        self.file.flush()
        return [self.file.readline().rstrip("\n") for _ in range(lines)]


def words_to_frequency(words):
    """The F readout as megahertz text: "1 4 point 0 7 4 mhz" -> "14.074"."""
    text = "".join("." if w == "point" else w for w in words if w == "point" or w.isdigit())
    return text


def measure(quick):
    duration, cycle = (20, 10) if quick else (600, 60)

    def body(s):
        port = s.start_with_network_port()
        program = Program(port)
        wrong, sets, latencies = [], [], []
        stop = threading.Event()

        def operator():
            keys = ["f", "s", "plus", "minus"]
            i = 0
            while not stop.wait(3):
                s.press(keys[i % len(keys)])
                i += 1

        keys = threading.Thread(target=operator, daemon=True)
        keys.start()
        began = time.monotonic()
        next_cycle = began + cycle / 2
        bands = ["14074000", "7074000"]
        while time.monotonic() - began < duration:
            for command, (lines, good) in EXPECTED.items():
                at = time.monotonic()
                answer = program.ask(command, lines)
                latencies.append((time.monotonic() - at) * 1000)
                if not good(answer):
                    wrong.append((command, answer))
            if time.monotonic() >= next_cycle:
                next_cycle += cycle
                frequency = bands[len(sets) % 2]
                for command in ("F " + frequency, "M USB 0", "T 1", "T 0"):
                    if command == "T 0":
                        time.sleep(1)
                    answer = program.ask(command)
                    if answer != ["RPRT 0"]:
                        wrong.append((command, answer))
                sets.append(frequency)
            time.sleep(0.2)
        stop.set()
        keys.join()
        program.ask("q")
        s.wait_quiet(quiet=0.5)
        log = s.radiosim_commands()
        lost = sum(1 for f in set(sets) if "FA%09d;" % int(f) not in log)
        lost += abs(log.count("TX1;") - len(sets)) + abs(log.count("TX0;") - len(sets))
        # The panel's frequency and mode against the radio's.
        radio = Program(port)
        radio_frequency = radio.ask("f")[0]
        radio_mode = radio.ask("m", 2)[0]
        radio.ask("q")
        before = len(s.heard())
        s.press("f")
        s.wait_quiet(quiet=0.5)
        heard = s.heard()[before:]
        panel_mhz = words_to_frequency(heard)
        radio_mhz = ("%.6f" % (int(radio_frequency) / 1e6)).rstrip("0").rstrip(".")
        same = panel_mhz == radio_mhz and any(w.startswith(radio_mode.lower()) for w in heard)
        return wrong, lost, latencies, same, (panel_mhz, radio_mhz, radio_mode, heard)

    wrong, lost, latencies, same, detail = run_session("share_mixed", body)
    return [
        dict(summary([len(wrong)], "answers", "0", examples=wrong[:5]), figure="mixed run: answers to the wrong side"),
        dict(summary([lost], "commands", "0"), figure="mixed run: commands lost"),
        dict(summary([0 if same else 1], "differences", "0", detail=detail),
             figure="mixed run: panel and radio differ at the end"),
        dict(summary(latencies, "ms", "report"), figure="mixed run: the program's answer time"),
    ]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
