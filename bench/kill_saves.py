#!/usr/bin/env python3
"""Saves killed at random moments: savmem.dat must always load and each channel
hold its old or its new content.

The real panel runs against vantor-radiosim with an empty clip folder (wave/ in
its working directory), so it speaks nothing and no clip holds it up. In each
trial the panel is started, connects, is tuned with E to a random frequency (the
band row learns it from the poll) and stores it with C into a random channel;
while the store is under way, at a random moment after the channel digit goes
down, the panel is killed with SIGKILL. Then savmem.dat is checked against the
file the trial began with: it must load (the header, 14 usable band rows and 100
slots, each empty or a channel the radio can be put on), and every slot and band
row must hold its old content or the new one. The next trial starts from what
the kill left.

Not part of bench/run (a thousand trials take most of an hour); a short run is
one of the end-to-end tests. Prints the figures as JSON; the exit status is 1
when any file was unloadable or any channel mixed.
"""

import argparse
import os
import random
import re
import signal
import sys
import time

from common import TimedSession, configuration, emit, harness, wait_for

HEADER_TAG = "VANTOR v3.2a"
BAND_ROWS = 14
SLOTS = 100
# Where an SSB frequency is typed: (lowest kHz, highest kHz) of 80, 40, 20, 15 and 10 m.
BANDS = [(3500, 3800), (7000, 7200), (14000, 14350), (21000, 21450), (28000, 29000)]


def usable_band_row(row):
    """The loader's test of a band row: a mode digit 1..7 and a VFO A of nine digits above 0 Hz."""
    return len(row) >= 12 and "1" <= row[1] <= "7" and row[2] == "A" and row[3:12].isdigit() and int(row[3:12]) > 0


def stored_channel(row):
    """The loader's test of a slot: empty, or a channel the radio can be put on."""
    if row == "9":
        return True
    return (len(row) >= 28 and row[0] != "9" and "1" <= row[1] <= "7" and row[2:4].isdigit()
            and 1 <= int(row[2:4]) <= 14 and row[5:14].isdigit() and int(row[5:14]) > 0)


def load(path):
    """The file's header, band rows and slots, or None when the panel could not take it in
    as it stands: missing, cut short, a line without its CR LF, or a row it would refuse."""
    try:
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
    except OSError:
        return None
    if not text.endswith("\r\n"):
        return None
    lines = text[:-2].split("\r\n")
    if len(lines) != 1 + BAND_ROWS + SLOTS or not lines[0].startswith(HEADER_TAG):
        return None
    bands, slots = lines[1:1 + BAND_ROWS], lines[1 + BAND_ROWS:]
    if not all(map(usable_band_row, bands)) or not all(map(stored_channel, slots)):
        return None
    return lines


def slot_row(hertz):
    """What a store writes for a simplex frequency: VFO B equal to VFO A, no tone."""
    digits = "%09d" % hertz
    return re.compile(r"0\d\d\dA%sB%s999[01]\Z" % (digits, digits))


def band_row(old, hertz):
    """A band row the panel may write meanwhile: the poll's new frequency in the band
    tuned to, or the band left keeping its frequency with what else the radio had."""
    return re.compile(r"[01]\dA(%s|%09d)B\d{9}\d{3}[01]\Z" % (re.escape(old[3:12]), hertz))


def mixed(old, new, slot, hertz):
    """Slots and band rows that hold neither what they held nor what this trial wrote."""
    count = 0
    for i in range(1, len(old)):
        if new[i] == old[i]:
            continue
        if i <= BAND_ROWS and band_row(old[i], hertz).match(new[i]):
            continue
        if i == 1 + BAND_ROWS + slot and slot_row(hertz).match(new[i]):
            continue
        count += 1
        print("kill_saves: line %d was %r, is %r (stored %d Hz in slot %d)" % (i + 1, old[i], new[i], hertz, slot),
              file=sys.stderr)
    return count


class KillSession(TimedSession):
    """The timed session, but each start of the panel logs its speech to a plain file
    (the panel is started and killed once a trial) and keys go down and up apart."""

    start_vantor = harness.Session.start_vantor

    def key_down(self, keysym, down=True):
        x11, xtst, connection = self._display()
        code = x11.XKeysymToKeycode(connection, x11.XStringToKeysym(keysym.encode()))
        xtst.XTestFakeKeyEvent(connection, code, 1 if down else 0, 0)
        x11.XFlush(connection)

    def key(self, keysym):
        self.key_down(keysym)
        time.sleep(0.02)
        self.key_down(keysym, False)
        time.sleep(0.02)


def trial(s, rng, window):
    """One start, tune, store and kill; (old or new content, unloadable, mixed channels,
    temporary file left)."""
    for log in ("speech.log", "debug.dat"):  # the killed panel's, which would answer the waits below
        if os.path.exists(s.path(log)):
            os.remove(s.path(log))
    s.start_vantor()
    s.connected()
    s.focus()
    old = load(s.path("savmem.dat"))
    if old is None:
        raise harness.TestFailure("savmem.dat unloadable after a clean start")
    low, high = rng.choice(BANDS)
    hertz = rng.randint(low, high) * 1000
    heard = len(s.heard())
    typed = "%d.%03d" % (hertz // 1000000, hertz // 1000 % 1000)
    for key in ["e"] + ["period" if c == "." else c for c in typed] + ["Return"]:
        s.key(key)
    s.wait_spoken(["ok"], since=heard)
    reply = "RX=FA%09d;" % hertz
    wait_for(lambda: reply in s.read_text("debug.dat"), 10, reply)
    slot = rng.randrange(10)  # bank 0
    s.key("c")
    wait_for(lambda: "sch" in s.heard()[heard:], 10, "C to ask for a channel")
    delay = rng.uniform(0, window)
    s.key_down(str(slot))
    time.sleep(delay)
    s.vantor.send_signal(signal.SIGKILL)
    s.vantor.wait()
    s.key_down(str(slot), False)
    new = load(s.path("savmem.dat"))
    if new is None:
        return "unloadable", 1, 0, False
    leftover = os.path.exists(s.path("savmem.dat.tmp"))
    changed = new[1 + BAND_ROWS + slot] != old[1 + BAND_ROWS + slot]
    return ("new" if changed else "old"), 0, mixed(old, new, slot, hertz), leftover


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--trials", type=int, default=1000, help="panels started and killed (default 1000)")
    parser.add_argument("--window", type=float, default=8,
                        help="the kill comes up to this many ms after the channel digit goes down (default 8: "
                             "about the time the store and its save take, so kills fall before, during and after)")
    parser.add_argument("--seed", type=int, help="for a run that can be repeated")
    options = parser.parse_args()
    seed = options.seed if options.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    s = KillSession("kill_saves")
    failed = True
    counts = {"old": 0, "new": 0, "unloadable": 0}
    mixed_channels = leftovers = done = 0
    began = time.monotonic()
    try:
        s.start_display()
        s.start_radiosim("0670", 5)
        s.write_config(configuration(port=5))
        os.mkdir(s.path("wave"))  # no clips: the panel speaks nothing and waits for nothing
        for done in range(1, options.trials + 1):
            outcome, unloadable, channels, leftover = trial(s, rng, options.window / 1000)
            counts[outcome] += 1
            mixed_channels += channels
            leftovers += leftover
            if unloadable:
                # Kept for whoever looks into it; the next trial starts afresh.
                os.replace(s.path("savmem.dat"), s.path("savmem.dat.unloadable%d" % done))
            if done % 50 == 0:
                print("kill_saves: %d trials, %r, %d mixed" % (done, counts, mixed_channels), file=sys.stderr)
        failed = counts["unloadable"] > 0 or mixed_channels > 0
    finally:
        s.close(failed)
    emit([{"figure": "saves killed at random moments", "trials": done, "seed": seed,
           "unloadable_files": counts["unloadable"], "mixed_channels": mixed_channels,
           "kept_old_content": counts["old"], "took_new_content": counts["new"],
           "temporary_files_left": leftovers, "window_ms": options.window,
           "seconds": round(time.monotonic() - began)}])
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
