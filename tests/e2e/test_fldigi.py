#!/usr/bin/env python3
"""fldigi as a real client of the network port: Debian's fldigi, configured through
its own settings file in a home of its own to use Hamlib's NET rigctl model at the
panel's port, driven through its XML-RPC interface. What it sets must reach the
simulated radio, come back through fldigi's own reading of the radio, and be what
the panel says.
"""

import os
import shutil
import subprocess
import xmlrpc.client

from harness import TestFailure, configuration, free_tcp_port, run_tests, wait_for

SETTINGS = """<?xml version="1.0"?>
<FLDIGI_DEFS>
<CHKUSEHAMLIBIS>1</CHKUSEHAMLIBIS>
<HAMRIGMODEL>2</HAMRIGMODEL>
<HAMRIGDEVICE>127.0.0.1:%d</HAMRIGDEVICE>
<HAMLIBCMDPTT>1</HAMLIBCMDPTT>
<CHKUSERIGCATIS>0</CHKUSERIGCATIS>
<CHKUSEXMLRPCIS>0</CHKUSEXMLRPCIS>
</FLDIGI_DEFS>
"""

# fldigi's request, what the radio then holds, what fldigi reads back, what F says
# (a data mode has no name on the panel: F names none).
STEPS = [
    ("rig.set_frequency", 14074000.0, {"vfoA": "14074000"}, ("rig.get_frequency", 14074000.0),
     ["1", "4", "point", "0", "7", "4", "mhz", "lsb.wav"]),
    ("rig.set_mode", "USB", {"mode": "2"}, ("rig.get_mode", "USB"),
     ["1", "4", "point", "0", "7", "4", "mhz", "usb.wav"]),
    ("rig.set_mode", "PKTUSB", {"mode": "C"}, ("rig.get_mode", "PKTUSB"),
     ["1", "4", "point", "0", "7", "4", "mhz"]),
    ("main.tx", None, {"transmit": "1"}, ("main.get_trx_state", "TX"), ["tx", "on"]),
    ("main.rx", None, {"transmit": "0"}, ("main.get_trx_state", "RX"), ["tx", "off"]),
]


def radio_holds(s, expected):
    state = dict(field.split("=", 1) for field in s.read_text("radio.state").split())
    return all(state.get(name) == value for name, value in expected.items())


def readout_over(s):
    """Waits for the panel's own meter poll (S-meter, SWR while transmitting), which pauses
    while it speaks. A program's
    change that comes during a readout is applied only after the next key, so the next
    step waits for the readout to end (the late change is a fault of its own)."""
    def polls():
        return sum(1 for command in s.radiosim_commands() if command in ("SM0;", "RM6;"))
    before = polls()
    wait_for(lambda: polls() > before, 20, "the readout to end")


def fldigi_drives_the_panel(s):
    if not shutil.which("fldigi"):
        raise TestFailure("fldigi is not installed (scripts/install-deps installs it)")
    s.start_display()
    s.start_radiosim("0670", 5, "--state", s.path("radio.state"))
    s.write_config(configuration(port=5))
    port = free_tcp_port()
    s.start_vantor("--rigctld", "127.0.0.1:%d" % port)
    s.connected()
    home = s.path("fldigi")
    os.makedirs(os.path.join(home, ".fldigi"))
    with open(os.path.join(home, ".fldigi", "fldigi_def.xml"), "w") as f:
        f.write(SETTINGS % port)
    rpc_port = free_tcp_port()
    s.processes.append(subprocess.Popen(
        ["fldigi", "--home-dir", home + "/", "--config-dir", home + "/.fldigi/", "--xmlrpc-server-port",
         str(rpc_port)], env=dict(s.env, HOME=home), stdout=open(s.path("fldigi.out"), "wb"),
        stderr=subprocess.STDOUT))
    fldigi = xmlrpc.client.ServerProxy("http://127.0.0.1:%d" % rpc_port)

    def call(method, *args):
        try:
            return getattr(fldigi, method)(*args)
        except (OSError, xmlrpc.client.Error):
            return None
    # Connected through the panel: fldigi shows the frequency the panel started the radio on.
    wait_for(lambda: call("rig.get_frequency") == 7100000.0, 30, "fldigi to read the radio through the panel")
    for method, argument, radio, (reading, value), words in STEPS:
        heard = len(s.heard())
        if call(method, *([] if argument is None else [argument])) is None:
            raise TestFailure("fldigi refused %s(%r)" % (method, argument))
        wait_for(lambda: radio_holds(s, radio), 10, "the radio to hold %r after %s" % (radio, method))
        wait_for(lambda: call(reading) == value, 10, "fldigi's %s to read %r" % (reading, value))
        if words[0] == "tx":
            s.wait_spoken(words, since=heard)
            readout_over(s)
            continue
        pressed = len(s.heard())
        s.read_frequency(words)
        readout_over(s)
        readout = s.heard()[pressed:]
        named = [clip for clip in readout if clip in ("lsb.wav", "usb.wav", "cw.wav", "am.wav", "fm.wav")]
        if len(named) != (0 if words[-1] == "mhz" else 1):
            raise TestFailure("F after %s(%r) said %r" % (method, argument, readout))


if __name__ == "__main__":
    run_tests([("fldigi_drives_the_panel", fldigi_drives_the_panel)])
