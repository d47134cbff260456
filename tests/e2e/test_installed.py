"""The installed package: /usr/bin/vantor against /usr/bin/vantor-radiosim, run
from a folder with no clips of its own, speaks the clips the package installed.
Run by scripts/test-deb once the package is in place; not a ctest entry."""

import os

os.environ.setdefault("VANTOR_PROGRAM", "/usr/bin/vantor")
os.environ.setdefault("VANTOR_RADIOSIM", "/usr/bin/vantor-radiosim")

from harness import TestFailure, configuration, run_tests  # noqa: E402

CLIPS = "/usr/share/vantor/wave"


def installed_panel_speaks_the_installed_clips(s):
    if os.path.exists(s.path("wave")):
        raise TestFailure("the scratch folder has clips of its own")
    s.start_display()
    s.start_radiosim("0670", 5)
    s.write_config(configuration(port=5))
    s.start_vantor()
    s.connected()
    played = [(path, file) for path, file in s.speech() if file]
    if ("wave\\connected", os.path.join(CLIPS, "connected.wav")) not in played:
        raise TestFailure("\"connected\" not played from %s: %r" % (CLIPS, s.speech()))
    elsewhere = [line for line in played if os.path.dirname(line[1]) != CLIPS]
    if elsewhere:
        raise TestFailure("clips played from elsewhere: %r" % elsewhere)
    print("speech log: %s" % "\t".join(next(line for line in played if line[0] == "wave\\connected")))
    s.press("q")
    status = s.wait_exit()
    if status != 0:
        raise TestFailure("exit status %d after Q" % status)


if __name__ == "__main__":
    run_tests([("installed_panel_speaks_the_installed_clips", installed_panel_speaks_the_installed_clips)])
