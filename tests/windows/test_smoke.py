"""The Windows panel under Wine against the simulated radio, end to end.

vantor.exe runs under Wine on Xvfb: the one built (build-windows/bin) in a
scratch working folder with vantor.cfg and the clips in wave\\, and the one the
installer put in place, started in the working folder where the installer
wrote vantor.cfg. The Windows user's name has letters the code page lacks
(C:\\users\\Jürgen-Mäé-Жора), so the installed program, its clips and its working
folder all have them in their paths, and so does the speech log's name on the
command line. The Linux build's simulator serves the radio on a
pseudo-terminal that the private prefix's COM5 leads to. The test waits for
"connected", starts a second panel in the same folder (it ends at once,
leaving the first), presses F and hears the frequency while the radio is asked
for it, then presses Q and waits for the panel to end, its memories saved.
Last, the panel started in a folder without vantor.cfg keeps its complaint in
vantor.log, with the time.

    python3 tests/windows/test_smoke.py [--runs N]
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from harness import BUILD_DIR, TestFailure, Session, configuration, wait_for  # noqa: E402
from wine import (WINDOWS_BUILD_DIR, WinePrefix, project_version, serve_radio_on_com,  # noqa: E402
                  start_display_for_wine, wait_panel_connected)

VANTOR_EXE = os.path.join(WINDOWS_BUILD_DIR, "bin", "vantor.exe")
INSTALLER = os.path.join(WINDOWS_BUILD_DIR, "vantor-setup-%s.exe" % project_version())
CLIPS = os.path.join(BUILD_DIR, "wave")
PORT = 5
# Latin letters of the code page and Cyrillic ones it lacks.
USER = "J\u00fcrgen-M\u00e4\u00e9-\u0416\u043e\u0440\u0430"
SPEECH_LOG = "speech-\u0416\u043e\u0440\u0430.log"
STAMPED = r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d "


class WindowsSession(Session):
    """The speech log's name has letters outside the code page: the panel must read its
    command line wide to write it."""

    def path(self, name):
        return super().path(SPEECH_LOG if name == "speech.log" else name)

    def read_utf8(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read().decode("utf-8", errors="replace")
        except FileNotFoundError:
            return ""


def built_panel_in_a_scratch_folder(s, prefix):
    """The freshly built vantor.exe; the test writes vantor.cfg and brings the clips."""
    os.mkdir(s.path("wave"))
    for clip in os.listdir(CLIPS):
        if clip.endswith(".wav"):
            shutil.copy(os.path.join(CLIPS, clip), s.path("wave"))
    s.write_config(configuration(port=PORT))
    return VANTOR_EXE


def installed_panel_in_its_working_folder(s, prefix):
    """The panel as the installer leaves it: vantor.cfg written from the answers to the
    port and speed questions, the clips beside the program, none in the working folder
    (Documents\\Vantor, which becomes the test's directory, so that the panel works in
    it under its Windows name, the user's name in it)."""
    work = prefix.user_path("Documents", "Vantor")
    if os.path.islink(work) or os.path.isfile(work):
        os.remove(work)
    shutil.rmtree(work, ignore_errors=True)
    os.mkdir(work)
    os.rmdir(s.dir)
    s.dir = work
    status = prefix.run(INSTALLER, "/S", "/COM=%d" % PORT, "/BAUD=38400")
    # The panel's display is not the installer's: its wineserver ends first.
    prefix.wait_idle()
    if status != 0 or not os.path.exists(s.path("vantor.cfg")):
        raise TestFailure("the installer ended with status %d, vantor.cfg %s" %
                          (status, "written" if os.path.exists(s.path("vantor.cfg")) else "missing"))
    return prefix.user_path("AppData", "Local", "Programs", "Vantor", "vantor.exe")


def start_panel_under_wine(s, prefix, program, *options):
    start_display_for_wine(s, prefix)
    serve_radio_on_com(s, prefix, PORT)
    s.start_vantor(*options, program=["wine", program])


def connects_reads_the_frequency_and_quits(s, prefix, setup):
    # The setup may move the test's directory: it goes before anything is written there.
    program = setup(s, prefix)
    start_panel_under_wine(s, prefix, program)

    wait_panel_connected(s)
    heard = s.heard()
    if heard[4:12] != ["7", "point", "1", "mhz", "lsb.wav", "preamp", "off", "connected"]:
        raise TestFailure("connection sentence %r" % heard)
    # Spoken from the clips of this setup, whose path holds the user's name.
    played = [line.split("\t", 1)[1] for line in s.read_utf8("speech.log").splitlines()
              if line.startswith("wave\\connected\t")]
    if not played or not played[-1].lower().replace("/", "\\").endswith("\\wave\\connected.wav"):
        raise TestFailure("connected played from %r" % played)
    if setup is installed_panel_in_its_working_folder and USER not in played[-1]:
        raise TestFailure("the installed clips are not those in %s: %r" % (USER, played[-1]))

    second_start_leaves_the_first(s, program)

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


def second_start_leaves_the_first(s, program):
    """A second start in the same folder finds the first panel's window, ends with
    status 0, saying so in vantor.log, and the first panel goes on."""
    second = subprocess.run(["wine", program], cwd=s.dir, env=s.env, capture_output=True, timeout=60)
    if second.returncode != 0:
        raise TestFailure("the second panel ended with status %d" % second.returncode)
    if not re.search(STAMPED + "vantor: another panel runs in this folder; its window is brought to the front\r$",
                     s.read_utf8("vantor.log"), re.M):
        raise TestFailure("vantor.log has no line of the second start: %r" % s.read_utf8("vantor.log")[-500:])
    if s.vantor.poll() is not None:
        raise TestFailure("the first panel ended with status %d" % s.vantor.returncode)


def without_a_configuration_the_complaint_is_in_the_log(s, prefix):
    """A window program has no standard error: the complaint about the missing
    vantor.cfg is in vantor.log of the working folder, with the time. --version
    still answers whoever started the program."""
    start_display_for_wine(s, prefix)
    folder = s.path("Vantor-\u0416")
    os.mkdir(folder)
    ended = subprocess.run(["wine", VANTOR_EXE], cwd=folder, env=s.env, capture_output=True, timeout=90)
    with open(os.path.join(folder, "vantor.log"), "rb") as f:
        log = f.read().decode("utf-8", errors="replace")
    if ended.returncode != 0 or not re.search(
            "^" + STAMPED + "vantor: vantor.cfg was not found in the working directory\r$", log, re.M):
        raise TestFailure("status %d, vantor.log %r" % (ended.returncode, log))
    # --version answers on the standard output it was given.
    version = subprocess.run(["wine", VANTOR_EXE, "--version"], cwd=folder, env=s.env, capture_output=True,
                             timeout=60)
    if version.returncode != 0 or not version.stdout.startswith(b"vantor "):
        raise TestFailure("--version: status %d, %r" % (version.returncode, version.stdout))


# With --voice sapi and a SAPI that will not speak, the one line of vantor.log
# that says so: it names SAPI, gives the voice's reason with its HRESULT and
# says the clips speak instead. Wine 8.0's SAPI creates the voice but answers
# every Speak with E_NOTIMPL: there the reason is "SAPI will not speak:
# HRESULT 0x80004001 (Not implemented)".
VOICE_FALLBACK_LINE = "^" + STAMPED + r"vantor: .*SAPI.*HRESULT 0x[0-9A-F]{8}.*clips"


def speaks_through_sapi_or_falls_back_to_the_clips(s, prefix):
    """The built panel started with --voice sapi either speaks through SAPI (no clip is
    played for the connection sentence, and vantor.log says nothing of SAPI) or falls
    back to the clips: exactly one line of vantor.log (VOICE_FALLBACK_LINE) says why,
    the connection sentence and F's readout are played from the clips as without the
    option, and Q ends the panel."""
    start_panel_under_wine(s, prefix, built_panel_in_a_scratch_folder(s, prefix), "--voice", "sapi")
    wait_for(lambda: "connected" in s.heard() or any("connected" in w for w in s.sentences()), 90,
             "the connection sentence")
    about_sapi = [line for line in s.read_utf8("vantor.log").splitlines() if "sapi" in line.lower()]
    played = [line.split("\t", 1)[1] for line in s.read_utf8("speech.log").splitlines()
              if line.startswith("wave\\connected\t")]
    if about_sapi:
        if len(about_sapi) != 1 or not re.match(VOICE_FALLBACK_LINE, about_sapi[0]):
            raise TestFailure("vantor.log on the voice: %r" % about_sapi)
        if not played or not played[-1].lower().endswith("connected.wav"):
            raise TestFailure("fell back, yet connected was not played from the clips: %r" % played)
        print("windows_smoke_voice: SAPI did not speak, the clips did: %s" % about_sapi[0])
        s.read_frequency(["7", "point", "1", "mhz", "lsb.wav"])
    elif any(played):
        raise TestFailure("the clips spoke with no line in vantor.log: %r" % played)
    s.press("q")
    status = s.wait_exit(30)
    if status != 0:
        raise TestFailure("vantor.exe ended with status %d" % status)


SETUPS = [
    ("built", built_panel_in_a_scratch_folder),
    ("installed", installed_panel_in_its_working_folder),
]


def run_once(name, prefix, test):
    """One session; True when it passed. A failure keeps its logs and a screenshot."""
    session = WindowsSession(name)
    failed = True
    try:
        test(session, prefix)
        failed = False
        print("PASS %s" % name)
    except Exception:
        print("FAIL %s" % name)
        traceback.print_exc()
        for log in ("vantor.err", "vantor.log", "speech.log", "debug.dat", "radiosim.out"):
            text = session.read_utf8(log)
            if text:
                print("--- %s ---\n%s" % (log, text[-3000:]))
    finally:
        # Nothing of this run's display stays in the prefix for the next one.
        prefix.kill()
        session.close(failed)
        sys.stdout.flush()
    return not failed


def main():
    parser = argparse.ArgumentParser(description="The Windows panel under Wine, end to end.")
    parser.add_argument("--runs", type=int, default=1, help="run each case this many times in a row")
    runs = parser.parse_args().runs
    for needed in (VANTOR_EXE, INSTALLER, os.path.join(BUILD_DIR, "bin", "vantor-radiosim")):
        if not os.path.isfile(needed):
            print("missing %s: run scripts/test-windows-smoke" % needed, file=sys.stderr)
            return 1
    prefix = WinePrefix(os.path.join(WINDOWS_BUILD_DIR, "wineprefix-smoke"), user=USER).create()
    tests = [(name, lambda s, prefix, setup=setup: connects_reads_the_frequency_and_quits(s, prefix, setup))
             for name, setup in SETUPS]
    tests += [("log", without_a_configuration_the_complaint_is_in_the_log),
              ("voice", speaks_through_sapi_or_falls_back_to_the_clips)]
    results = [run_once("windows_smoke_%s_%d" % (name, run), prefix, test)
               for name, test in tests for run in range(1, runs + 1)]
    print("%d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
