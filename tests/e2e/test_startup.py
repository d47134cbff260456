"""The real program starts, speaks, drives the serial port and shuts down in order."""

import os
import signal
import subprocess

from harness import BUILD_DIR, TestFailure, configuration, run_tests, wait_for

VERSION_WORDS = ["ft.wav", "3.wav", "point", "5"]
STARTUP_COMMANDS = "FA007100000;VS0;FT2;MD01;NA00;FA007100000;SH014;"


def start_connected(s):
    """The panel in the session's folder, its radio end open, past the start-up commands."""
    s.start_display()
    peer = s.serial_pair(5)
    s.open_radio_end(peer)
    s.write_config(configuration(port=5))
    s.start_vantor()
    wait_for(lambda: STARTUP_COMMANDS in s.radio_received(), 15, "the start-up commands on the radio's end")


def starts_speaks_and_shuts_down_on_sigterm(s):
    start_connected(s)
    if s.spoken()[:4] != VERSION_WORDS:
        raise TestFailure("version words not spoken first: %r" % s.spoken())
    s.window_id()
    s.screenshot("running.png")
    s.vantor.send_signal(signal.SIGTERM)
    status = s.wait_exit()
    if status != 0:
        raise TestFailure("exit status %d after SIGTERM" % status)
    savmem = s.read_text("savmem.dat")
    if not savmem.startswith("VANTOR v3.2a 3.5a 40\r\n") or savmem.count("\r\n") != 115:
        raise TestFailure("savmem.dat not saved whole: %r" % savmem[:60])
    if "TX=FA007100000;" not in s.read_text("debug.dat"):
        raise TestFailure("debug.dat lacks the start-up command")


def without_configuration_says_cfgnf_and_ends(s):
    s.start_display()
    s.start_vantor()
    status = s.wait_exit()
    if status != 0:
        raise TestFailure("exit status %d" % status)
    if s.spoken() != VERSION_WORDS + ["cfgnf"]:
        raise TestFailure("heard %r" % s.spoken())
    # With no wave/ of its own, the program in the build tree speaks the clips built beside it.
    folders = {os.path.dirname(os.path.realpath(played)) if played else "" for _, played in s.speech()}
    if folders != {os.path.realpath(os.path.join(BUILD_DIR, "wave"))}:
        raise TestFailure("clips played from %r" % sorted(folders))
    if os.path.exists(s.path("savmem.dat")):
        raise TestFailure("savmem.dat written without a configuration")


def a_second_panel_in_the_same_folder_ends_and_leaves_the_first(s):
    """Two panels in one folder would write over each other's savmem.dat: the second
    start says so and ends with status 0 before it opens a window or reads a file; one
    in another folder runs."""
    start_connected(s)
    savmem = s.read_text("savmem.dat")
    second = subprocess.run([os.path.abspath(os.path.join(BUILD_DIR, "bin", "vantor")), "--speech-log", "speech.log"],
                            cwd=s.dir, env=s.env, capture_output=True, timeout=30)
    if second.returncode != 0 or second.stderr != b"vantor: another panel runs in this folder\n":
        raise TestFailure("second panel: status %d, stderr %r" % (second.returncode, second.stderr))
    if s.vantor.poll() is not None:
        raise TestFailure("the first panel ended with status %d" % s.vantor.returncode)
    if s.read_text("savmem.dat") != savmem or not s.spoken():
        raise TestFailure("the second panel touched the first's files")
    # Elsewhere a panel starts (and ends at once, having no vantor.cfg there).
    elsewhere = s.path("elsewhere")
    os.mkdir(elsewhere)
    other = subprocess.run([os.path.abspath(os.path.join(BUILD_DIR, "bin", "vantor"))], cwd=elsewhere, env=s.env,
                           capture_output=True, timeout=30)
    if other.returncode != 0 or b"vantor.cfg was not found" not in other.stderr:
        raise TestFailure("panel elsewhere: status %d, stderr %r" % (other.returncode, other.stderr))
    s.vantor.send_signal(signal.SIGTERM)
    if s.wait_exit() != 0:
        raise TestFailure("the first panel did not end in order")
    # The lock went with the panel: the next start in the folder runs.
    starts = s.radio_received().count(STARTUP_COMMANDS)
    s.start_vantor()
    wait_for(lambda: s.radio_received().count(STARTUP_COMMANDS) > starts, 15, "the start-up commands again")
    s.vantor.send_signal(signal.SIGTERM)
    if s.wait_exit() != 0:
        raise TestFailure("the panel started after the first did not run")


def without_display_exits_with_a_message(s):
    s.env.pop("DISPLAY", None)
    s.start_vantor()
    status = s.wait_exit()
    if status == 0 or "display" not in s.read_text("vantor.err"):
        raise TestFailure("status %d, stderr %r" % (status, s.read_text("vantor.err")))


if __name__ == "__main__":
    run_tests([
        ("starts_speaks_and_shuts_down_on_sigterm", starts_speaks_and_shuts_down_on_sigterm),
        ("without_configuration_says_cfgnf_and_ends", without_configuration_says_cfgnf_and_ends),
        ("without_display_exits_with_a_message", without_display_exits_with_a_message),
        ("a_second_panel_in_the_same_folder_ends_and_leaves_the_first",
         a_second_panel_in_the_same_folder_ends_and_leaves_the_first),
    ])
