"""The Windows panel under Wine against the simulated radio, end to end.

vantor.exe (build-windows/bin) runs under Wine on Xvfb in a scratch working
folder with vantor.cfg and the clips in wave\\. The Linux build's simulator
serves the radio on a pseudo-terminal that the private prefix's COM5 leads to.
The test waits for "connected", presses F and hears the frequency while the
radio is asked for it, then presses Q and waits for the panel to end, its
memories saved.

    python3 tests/windows/test_smoke.py [--runs N]
"""

import argparse
import os
import shutil
import sys
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from harness import BUILD_DIR, TestFailure, Session, configuration, wait_for  # noqa: E402
from wine import WINDOWS_BUILD_DIR, WinePrefix  # noqa: E402

VANTOR_EXE = os.path.join(WINDOWS_BUILD_DIR, "bin", "vantor.exe")
CLIPS = os.path.join(BUILD_DIR, "wave")
PORT = 5


def panel_connects_reads_the_frequency_and_quits(s, prefix):
    s.start_display()
    s.env.update({k: v for k, v in prefix.env.items() if k != "DISPLAY"})
    os.mkdir(s.path("wave"))
    for clip in os.listdir(CLIPS):
        if clip.endswith(".wav"):
            shutil.copy(os.path.join(CLIPS, clip), s.path("wave"))
    # Wine opens \\.\COM5 through this link; a stale one of an earlier run goes first.
    link = os.path.join(prefix.path, "dosdevices", "com%d" % PORT)
    if os.path.lexists(link):
        os.remove(link)
    s.start_radiosim("0670", PORT, link=link)
    s.write_config(configuration(port=PORT))
    s.start_vantor(program=["wine", VANTOR_EXE])

    # Wine takes a while to start the first program of a display.
    s.wait_spoken(["connected"], 90)
    s.connected()
    heard = s.heard()
    if heard[4:12] != ["7", "point", "1", "mhz", "lsb.wav", "preamp", "off", "connected"]:
        raise TestFailure("connection sentence %r" % heard)

    asked = len(s.radiosim_commands())
    s.read_frequency(["7", "point", "1", "mhz", "lsb.wav"])
    s.wait_radio_got(["FA;"], since=asked)

    asked = len(s.radiosim_commands())
    s.press("q")
    s.wait_spoken(["quit"])
    s.wait_radio_got(["TX0;"], since=asked)
    status = s.wait_exit(30)
    if status != 0:
        raise TestFailure("vantor.exe ended with status %d" % status)
    savmem = s.read_text("savmem.dat")
    if not savmem.startswith("VANTOR v3.2a 3.5a 40\r\n") or savmem.count("\r\n") != 115:
        raise TestFailure("savmem.dat not saved whole: %r" % savmem[:60])


def main():
    parser = argparse.ArgumentParser(description="The Windows panel under Wine, end to end.")
    parser.add_argument("--runs", type=int, default=1, help="run the test this many times in a row")
    runs = parser.parse_args().runs
    for needed in (VANTOR_EXE, os.path.join(BUILD_DIR, "bin", "vantor-radiosim")):
        if not os.path.isfile(needed):
            print("missing %s: run scripts/build-windows and build vantor-radiosim" % needed, file=sys.stderr)
            return 1
    prefix = WinePrefix(os.path.join(WINDOWS_BUILD_DIR, "wineprefix-smoke")).create()
    failures = 0
    for run in range(1, runs + 1):
        name = "windows_smoke_%d" % run
        session = Session(name)
        failed = True
        try:
            panel_connects_reads_the_frequency_and_quits(session, prefix)
            failed = False
            print("PASS %s" % name)
        except Exception:
            failures += 1
            print("FAIL %s" % name)
            traceback.print_exc()
            for log in ("vantor.err", "speech.log", "debug.dat", "radiosim.out"):
                text = session.read_text(log)
                if text:
                    print("--- %s ---\n%s" % (log, text[-3000:]))
        finally:
            # Nothing of this run's display stays in the prefix for the next one.
            prefix.kill()
            session.close(failed)
        sys.stdout.flush()
    print("%d passed, %d failed" % (runs - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
