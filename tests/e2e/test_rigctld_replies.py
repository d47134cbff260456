#!/usr/bin/env python3
"""The panel's network port answers as Hamlib's rigctld does.

Each row is sent on a connection of its own to the panel's port and to Hamlib's
`rigctld -m 1035` in front of a second simulated radio of the same model, put in
the panel radio's state first; the replies (the row's lines, then q) are compared
line by line. Numbers are masked only where they differ by design: a meter that
wanders while transmitting, rigctld's version, time-outs.
"""

import re
import sys

from harness import (TestFailure, configuration, free_tcp_port, rigctld_exchange, run_tests,
                     start_reference_rigctld, wait_for)


def numbers(line):
    return re.sub(r"\d+(\.\d+)?", "#", line)


def versions(line):
    """rigctld's own version and the time-outs of the two programs."""
    line = re.sub(r"^(rigctld_version=|Backend version:).*", r"\1#", line)
    return re.sub(r"^timeout=\d+|timeout \d+mS", "timeout #", line)


def silent_or_refused(reference, panel):
    """rigctld says nothing to a command it does not know and leaves the client waiting;
    the panel refuses it at once."""
    return reference in ([], ["RPRT 0"]) and panel[:1] != [] and panel[0].startswith("RPRT -")


def refused_here(reference, panel):
    """rigctld hands a value the radio cannot take to the radio and says RPRT 0; the panel
    refuses it as invalid before it reaches the radio."""
    return reference == ["RPRT 0", "RPRT 0"] and panel == ["RPRT -1", "RPRT 0"]


def argument_on_its_line(reference, panel):
    """rigctld reads a missing argument from the next line (here q); the panel takes a
    request's arguments from its own line and refuses it."""
    return reference == ["RPRT -1"] and panel == ["RPRT -1", "RPRT 0"]


def cached_width(reference, panel):
    """rigctld answers m just after M from its cache, where a passband of 0 leaves the width
    asked for before; the panel reads the radio, which is at the mode's normal width."""
    return len(reference) == len(panel) == 4 and reference[:2] == panel[:2] and panel[2:] == ["2400", "RPRT 0"]


def only_differs_in(unserved):
    """A check that lets the two differ only in lines the panel gives differently by design:
    `unserved(line)` is true for each line on either side of every difference."""
    def check(reference, panel):
        import difflib
        blocks = difflib.SequenceMatcher(None, reference, panel, autojunk=False).get_opcodes()
        return all(all(unserved(line) for line in reference[a:b] + panel[c:d])
                   for op, a, b, c, d in blocks if op != "equal")
    check.__name__ = unserved.__name__
    return check


@only_differs_in
def served_state(line):
    """dump_state: the masks list what the panel serves; the VFO operations,
    the IF shift and the AGC steps are not served; the versions and time-outs are its own."""
    return (re.match(r"^0x[0-9a-f]+( \d+)?$", line) or re.match(r"^\d+$", line)
            or line.split("=")[0] in ("vfo_ops", "targetable_vfo", "timeout", "rigctld_version", "agc_levels"))


@only_differs_in
def served_caps(line):
    """dump_caps: Y only for what the panel serves, its levels and functions (no extra ones),
    no memories, VFO or scan operations, IF shift or AGC steps; its own version and time-out."""
    return line.startswith(("Can ", "Get functions:", "Set functions:", "Get level:", "Set level:", "\t",
                            "VFO list:", "VFO Ops:", "Scan Ops:", "Memories:",
                            "Max IF-SHIFT:", "AGC levels:", "Has targetable VFO:", "Backend version:",
                            "Write delay:"))


ROWS = [  # request lines, what the row compares, mask of each line or a check of a difference by design
    (["f"], "VFO A's frequency, the same start", None),
    (["F 14074000", "f"], "a frequency set and read back", None),
    (["F 1"], "a frequency the radio cannot take", refused_here),
    (["m"], "mode and passband", None),
    (["M USB 0", "m"], "mode set with the radio's normal passband", None),
    (["M PKTUSB 3000", "m"], "a data mode with a passband", None),
    (["M USB 1800", "m"], "a narrow passband set and read back", None),
    (["M FOO 0"], "a mode Hamlib does not know", refused_here),
    (["M USB 0", "m"], "back to the normal passband", cached_width),
    (["v", "V VFOB", "v", "f", "V VFOA", "v"], "the VFO chosen and VFO B's frequency", None),
    (["s", "S 1 VFOB", "s"], "split on, transmitting on VFO B", None),
    (["I 14076000", "i"], "the split frequency", None),
    (["X USB 2400", "x"], "the split mode with a passband", None),
    (["S 0 VFOA", "s"], "split off", None),
    (["t", "T 1", "t", "T 0", "t"], "transmit on and off", None),
    (["l STRENGTH", "l RFPOWER", "l SWR", "l ALC", "l RFPOWER_METER", "l RFPOWER_METER_WATTS"],
     "levels and meters while receiving", None),
    (["T 1", "l SWR", "l ALC", "l RFPOWER_METER", "l RFPOWER_METER_WATTS", "T 0"],
     "meters while transmitting (they wander)", numbers),
    (["l AF", "l RF", "l SQL", "l MICGAIN", "l KEYSPD", "l PREAMP", "l ATT"], "levels as they stand", None),
    (["L AF 0.5", "l AF", "L RF 0.8", "l RF", "L SQL 0.2", "l SQL", "L RFPOWER 0.5", "l RFPOWER",
      "L MICGAIN 0.4", "l MICGAIN", "L KEYSPD 25", "l KEYSPD", "L PREAMP 10", "l PREAMP", "L ATT 12", "l ATT"],
     "levels set and read back", None),
    (["L PREAMP 0", "L ATT 0", "L RFPOWER 1", "l PREAMP", "l ATT"], "levels back", None),
    (["u NB", "u NR", "u COMP", "u VOX", "u TONE", "u TSQL"], "functions as they stand", None),
    (["U NB 1", "u NB", "U NR 1", "u NR", "U COMP 1", "u COMP", "U VOX 1", "u VOX", "U TONE 1", "u TONE",
      "U TSQL 1", "u TSQL"], "functions on", None),
    (["U NB 0", "U NR 0", "U COMP 0", "U VOX 0", "U TONE 0", "U TSQL 0", "u NB", "u TSQL"], "functions off", None),
    (["j", "J 100", "j", "J 0", "z", "Z 50", "z", "Z 0"], "RIT and XIT", None),
    (["\\chk_vfo", "\\dump_state"], "the radio as Hamlib describes it", served_state),
    (["\\dump_caps"], "the capabilities", served_caps),
    (["+\\dump_caps"], "the capabilities, extended", served_caps),
    (["\\chk_vfo"], "no VFO argument expected", None),
    (["\\get_powerstat"], "the radio is on", None),
    (["\\power2mW 0.5 14074000 USB", "\\mW2power 50000 14074000 USB", "+\\power2mW 1 145000000 FM",
      "\\power2mW 1.5 14074000 USB", "\\mW2power 0 14074000 USB", "\\power2mW 0.5 abc USB"],
     "power to milliwatts", None),
    (["+\\get_freq", ";f", "+m", ";\\get_split_vfo", "+\\set_freq 14074000"], "extended answers", None),
    (["K"], "an unknown command", silent_or_refused),
    (["\\no_such_command"], "an unknown long command", silent_or_refused),
    (["F abc", "T 7", "V VFOX", "l FOO", "M USB x"], "bad arguments", None),
    (["u FOO", "U NB x"], "bad function arguments", None),
    (["F"], "a missing argument", argument_on_its_line),
    # Last: rigctld keeps the refused split value in its cache and reports it afterwards.
    (["S 2 VFOB"], "a split that is neither on nor off", None),
]


def shown(lines):
    text = " | ".join(lines)
    return text if len(text) <= 60 else "%d lines: %s ..." % (len(lines), text[:48])


def compare(reference, panel, how):
    """(verdict, same) of one row."""
    if how is None or how in (numbers, versions):
        mask = how or (lambda line: line)
        if [mask(line) for line in reference] == [mask(line) for line in panel]:
            return "same" + (" (masked)" if how else ""), True
        first = next((i for i, (a, b) in enumerate(zip(reference, panel)) if mask(a) != mask(b)),
                     min(len(reference), len(panel)))
        return "differs at line %d" % (first + 1), False
    if how(reference, panel):
        return ("same" if reference == panel else "differs by design (%s)" % how.__name__), True
    return "differs, not as designed", False


def reference_reply(port, lines, waits_for_more):
    """rigctld's reply; a connection it resets now and then (its answers lost with it),
    mostly after bad arguments, is made again: every request of the table can be sent twice."""
    for _ in range(3):
        try:
            return rigctld_exchange(port, lines, half_close=waits_for_more)
        except OSError as error:  # reset, or gone before the end of input was sent
            print("rigctld lost the connection of %r (%s); asked again" % (lines, error))
    raise TestFailure("rigctld reset every connection of %r" % (lines,))


def replies_match_rigctld(s):
    s.start_display()
    s.start_radiosim("0670", 5, "--smeter", "130", "--state", s.path("panel.state"))
    s.write_config(configuration(port=5))
    port = free_tcp_port()
    s.start_vantor("--rigctld", "127.0.0.1:%d" % port)
    s.connected()
    reference = start_reference_rigctld(s)
    wait_for(lambda: s.read_text("panel.state") == s.read_text("reference.state"), 10,
             "both radios in one state: %r, %r" % (s.read_text("panel.state"), s.read_text("reference.state")))
    table, failed = [], []
    for lines, what, how in ROWS:
        theirs = reference_reply(reference, lines, how in (silent_or_refused, argument_on_its_line)).splitlines()
        ours = rigctld_exchange(port, lines).splitlines()
        verdict, same = compare(theirs, ours, how)
        if not same:
            failed.append((lines, theirs, ours))
        table.append((" / ".join(lines), what, shown(theirs), shown(ours), verdict))
    print("| request | compares | rigctld | panel | verdict |\n|---|---|---|---|---|")
    for row in table:
        print("| " + " | ".join(cell.replace("|", "\\|") for cell in row) + " |")
    sys.stdout.flush()
    if failed:
        raise TestFailure("replies differ from rigctld's: %r" % failed)


if __name__ == "__main__":
    run_tests([("replies_match_rigctld", replies_match_rigctld)])
