#!/usr/bin/env python3
"""Everybody at once, through the panel: two programs on the network port, one
like WSJT-X (polls f, m, s, i and t every second; sets up split as it does, S 1
VFOB, I and X, and keys and unkeys the transmitter each cycle) and one like a
logger (polls f and m every 200 ms and sets another band's frequency each cycle),
while the operator presses F, S, + and - every 3 s and the panel polls the radio.
Ten minutes (--minutes; twenty seconds with --quick).

Counted: answers a program got that do not fit what it asked (an answer that went
to the wrong side, or none), sets that never reached the radio, and at the end
whether the panel's frequency and mode (its F readout) and its transmitter equal
the simulated radio's state file. Each program speaks the rigctld protocol itself,
so each answer is seen exactly.
"""

import re
import threading
import time

from common import arguments, emit, run_session, summary
from programs import RigctldProgram

MODES = {"LSB", "USB", "CW", "CWR", "RTTY", "RTTYR", "AM", "FM", "FMN", "PKTLSB", "PKTUSB", "PKTFM", "AMN",
         "C4FM", "FM-D"}
DIGITS = r"\d{6,10}"
FITS = {  # request -> (answer lines, check of the answer)
    "f": (1, lambda a: re.fullmatch(DIGITS, a[0])),
    "i": (1, lambda a: re.fullmatch(DIGITS, a[0])),
    "m": (2, lambda a: a[0] in MODES and re.fullmatch(r"\d+", a[1])),
    "t": (1, lambda a: a[0] in ("0", "1")),
    "s": (2, lambda a: a[0] in ("0", "1") and a[1].startswith("VFO")),
    "X": (1, lambda a: a == ["RPRT 0"]),
    "set": (1, lambda a: a == ["RPRT 0"]),
}
BANDS = ["14074000", "7074000", "21074000"]
MODE_DIGITS = {"lsb.wav": "1", "usb.wav": "2", "cw.wav": "3", "fm.wav": "4", "am.wav": "5", "c4fm.wav": "E"}


class Side:
    """One program: asks, checks each answer, times it, remembers its sets."""

    def __init__(self, port):
        self.program = RigctldProgram(port)
        self.wrong, self.times, self.sets, self.refused = [], [], [], 0

    def ask(self, request):
        name = request.split()[0]
        lines, fits = FITS.get(name, FITS["set"] if name.isupper() else None)
        at = time.monotonic()
        answer = self.program.ask(request, lines)
        self.times.append((time.monotonic() - at) * 1000)
        if not fits(answer):
            self.wrong.append((request, answer))
        if answer == ["RPRT -11"]:
            self.refused += 1
        if name.isupper():
            self.sets.append(request)
        return answer


def wsjtx(side, stop, cycle):
    started = time.monotonic() - cycle
    while not stop.is_set():
        if time.monotonic() - started >= cycle:
            started = time.monotonic()
            dial = side.ask("f")[0]
            if re.fullmatch(DIGITS, dial):
                for request in ("S 1 VFOB", "I %d" % (int(dial) + 1500), "X PKTUSB 3000", "T 1"):
                    side.ask(request)
                stop.wait(min(2.0, cycle / 4))
                side.ask("T 0")
        for request in ("f", "m", "s", "i", "t"):
            side.ask(request)
        stop.wait(1.0)


def logger(side, stop, cycle):
    next_set = time.monotonic() + cycle / 2
    while not stop.is_set():
        if time.monotonic() >= next_set:
            next_set += cycle
            side.ask("F " + BANDS[len(side.sets) % len(BANDS)])
        side.ask("f")
        side.ask("m")
        stop.wait(0.2)


def words_to_frequency(words):
    """The F readout as megahertz text: "1 4 point 0 7 4 mhz" -> "14.074"."""
    return "".join("." if w == "point" else w for w in words if w == "point" or w.isdigit())


def measure(quick, minutes):
    duration, cycle = (20, 8) if quick else (minutes * 60, 15)

    def body(s):
        port = s.start_with_network_port()
        sides = {"wsjtx": Side(port), "logger": Side(port)}
        stop = threading.Event()

        def operator():
            keys = ["f", "s", "plus", "minus"]
            i = 0
            while not stop.wait(3):
                s.press(keys[i % len(keys)])
                i += 1

        threads = [threading.Thread(target=operator, daemon=True),
                   threading.Thread(target=wsjtx, args=(sides["wsjtx"], stop, cycle), daemon=True),
                   threading.Thread(target=logger, args=(sides["logger"], stop, cycle), daemon=True)]
        for thread in threads:
            thread.start()
        stop.wait(duration)
        stop.set()
        for thread in threads:
            thread.join()
        for side in sides.values():
            side.program.close()
        s.wait_quiet(quiet=0.5)
        log = s.radiosim_commands()
        sets = [r for side in sides.values() for r in side.sets]
        lost = sum(1 for r in set(sets) if r.startswith("F ") and "FA%09d;" % int(r[2:]) not in log)
        lost += sum(1 for r in set(sets) if r.startswith("I ") and "FB%09d;" % int(r[2:]) not in log)
        lost += abs(log.count("TX1;") - sets.count("T 1")) + abs(log.count("TX0;") - sets.count("T 0"))
        # The panel's picture, as it says it, against the radio's own state.
        radio = dict(field.split("=", 1) for field in s.read_text("radio.state").split())
        before = len(s.heard())
        s.press("f")
        s.wait_quiet(quiet=0.5)
        heard = s.heard()[before:]
        panel_mhz = words_to_frequency(heard)
        # A readout that starts "vfob" tells VFO B's frequency.
        vfo = "vfoB" if heard[:1] == ["vfob"] else "vfoA"
        radio_mhz = ("%.6f" % (int(radio[vfo]) / 1e6)).rstrip("0").rstrip(".")
        panel_mode = next((MODE_DIGITS[w] for w in heard if w in MODE_DIGITS), None)
        tx_words = [w for w in s.heard() if w in ("on", "off")]
        # A data mode has no name: F names none.
        named = radio["mode"] if radio["mode"] in MODE_DIGITS.values() else None
        same = (panel_mhz == radio_mhz and panel_mode == named and radio["transmit"] == "0"
                and (not tx_words or tx_words[-1] == "off"))
        return sides, lost, same, (panel_mhz, panel_mode, radio, heard)

    sides, lost, same, detail = run_session("share_mixed", body)
    wrong = [w for side in sides.values() for w in side.wrong]
    return [
        dict(summary([len(wrong)], "answers", "0", examples=wrong[:5]), figure="mixed run: answers to the wrong side"),
        dict(summary([lost], "commands", "0"), figure="mixed run: commands lost"),
        dict(summary([0 if same else 1], "differences", "0", detail=detail),
             figure="mixed run: panel and radio differ at the end"),
        dict(summary(sides["wsjtx"].times, "ms", "report", refused=sides["wsjtx"].refused),
             figure="mixed run: WSJT-X-like program's answer time"),
        dict(summary(sides["logger"].times, "ms", "report"), figure="mixed run: logger's answer time"),
    ]


if __name__ == "__main__":
    options = arguments(__doc__, minutes=10)
    emit(measure(options.quick, options.minutes))
