"""The real panel against a radio, a line, a client or a machine that misbehaves.

One table: each fault names how the simulated radio misbehaves, how the panel is
started and what the operator must still get from it. Which bytes of noise are
dropped, and a radio that refuses every command, are the unit tests' to show;
here the noise comes through the real port.
"""

import os

from harness import TestFailure, configuration, run_tests, wait_for

VERSION_WORDS = ["ft.wav", "3.wav", "point", "5"]
STARTUP_COMMANDS = ["FA007100000;", "VS0;", "FT2;", "MD01;"]
START_FREQUENCY = ["7", "point", "1", "mhz", "lsb.wav"]  # 40 m in LSB


# --- how the panel is started ------------------------------------------------

def plainly(s):
    s.write_config(configuration(port=5))
    s.start_vantor()


def with_bridge_client(s):
    client = s.serial_pair(7, "client")
    s.client_fd = os.open(client, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    s.write_config(configuration(port=5, bridge=7))
    s.start_vantor()


def in_a_read_only_folder(s):
    """The working folder is read-only for the panel: a read-only bind mount of its own
    when the test runs as root (root may write anywhere else), its permissions otherwise."""
    work = s.path("work")
    os.mkdir(work)
    with open(os.path.join(work, "vantor.cfg"), "w", newline="") as f:
        f.write(configuration(port=5, debug=0))
    os.symlink(s.path("COM5"), os.path.join(work, "COM5"))
    if os.geteuid() == 0:
        # The panel's folder is entered after the mount: a folder entered before it stays writable.
        mount = 'mount --bind -o ro "$0" "$0" && cd "$0" && exec "$@"'
        s.start_vantor(cwd=work, wrapper=["unshare", "--mount", "sh", "-c", mount, work])
    else:
        os.chmod(work, 0o555)
        s.start_vantor(cwd=work)
    s.work = work


def without(variable, value):
    """Started with an environment variable set to something that is not there."""
    def start(s):
        s.env[variable] = value(s)
        plainly(s)
    return start


# --- what must happen --------------------------------------------------------

def stderr_lines(s, mark):
    return [line for line in s.read_text("vantor.err").splitlines() if mark in line]


def one_stderr_line(s, mark):
    lines = stderr_lines(s, mark)
    if len(lines) != 1 or not lines[0].startswith("vantor: "):
        raise TestFailure("expected one line about %r on stderr, got %r" % (mark, s.read_text("vantor.err")))


def quits_with_memories_saved(s):
    s.ends_with_memories_saved(lambda: s.press("q"))


def never_connects_yet_answers_and_quits(s):
    s.wait_spoken(VERSION_WORDS)
    s.wait_radio_got(STARTUP_COMMANDS)
    for _ in range(2):  # still answered after the panel has polled a while
        heard = len(s.heard())
        s.press("f")
        s.wait_spoken(["nc"], since=heard)
        s.wait_radio_got(["FA;", "FA;", "FA;"], len(s.radiosim_commands()))
    if "connected" in s.heard():
        raise TestFailure("said connected to a radio that never answered: %r" % s.heard())
    quits_with_memories_saved(s)


def falls_silent_after_connecting_yet_quits(s):
    silent_after = 60  # commands: the connection takes about half of them
    s.connected()
    wait_for(lambda: len(s.radiosim_commands()) >= silent_after, 20, "the radio to fall silent")
    quits_with_memories_saved(s)
    if "TX0;" not in s.radiosim_commands():
        raise TestFailure("Q did not send TX0")


def connects_and_reads_the_frequency(s):
    s.connected()
    s.read_frequency(START_FREQUENCY)


def noise_seen_yet_connects(noise):
    def expect(s):
        connects_and_reads_the_frequency(s)
        if "RX=" + noise not in s.read_text("debug.dat"):
            raise TestFailure("the radio's noise %r never reached the panel" % noise)
    return expect


def client_reads(s, what):
    """Waits until the bridge client has been sent `what`."""
    got = b""

    def arrived():
        nonlocal got
        try:
            got += os.read(s.client_fd, 4096)
        except BlockingIOError:
            pass
        return what.encode() in got
    wait_for(arrived, 10, "%r at the bridge client" % what)


def flooded_bridge_recovers(s):
    s.connected()
    os.write(s.client_fd, b"x" * 254)
    wait_for(lambda: stderr_lines(s, "bridge"), 10, "the flood to be discarded")
    s.read_frequency(START_FREQUENCY)
    os.write(s.client_fd, b"FA;")
    client_reads(s, "FA007100000;")
    one_stderr_line(s, "bridge")


def works_but_cannot_save(s):
    s.wait_spoken(["connected"], 20)
    s.read_frequency(START_FREQUENCY)
    heard = len(s.heard())
    s.press("c", "3")
    s.wait_spoken(["invalid"], since=heard)  # the store could not be written
    s.press("q")
    status = s.wait_exit(20)
    if status != 0:
        raise TestFailure("exit status %d" % status)
    if sorted(os.listdir(s.work)) != ["COM5", "vantor.cfg"]:
        raise TestFailure("files appeared in the read-only folder: %r" % os.listdir(s.work))
    # Said once, when the first write failed at start-up; not again at the store or the end.
    one_stderr_line(s, "cannot write savmem.dat")


def silent_but_working(s):
    connects_and_reads_the_frequency(s)
    one_stderr_line(s, "no audio device")
    quits_with_memories_saved(s)


def works_without_clips(s):
    s.wait_radio_got(STARTUP_COMMANDS)
    s.wait_spoken(["connected"], 20)
    s.read_frequency(START_FREQUENCY)
    s.wait_radio_got(["FA;"], len(s.radiosim_commands()))  # still polling the radio
    quits_with_memories_saved(s)
    one_stderr_line(s, "speech clips")


# --- the table ---------------------------------------------------------------

FAULTS = [
    # (fault, simulator options, how the panel is started, what must happen)
    ("silent_radio", ["--silent-after", "0"], plainly, never_connects_yet_answers_and_quits),
    ("radio_falls_silent_after_connecting", ["--silent-after", "60"], plainly,
     falls_silent_after_connecting_yet_quits),
    ("replies_split_across_reads", ["--split-replies"], plainly, connects_and_reads_the_frequency),
    ("several_replies_in_one_read", ["--merge-replies"], plainly, connects_and_reads_the_frequency),
    ("control_bytes_before_replies", ["--garbage", b"\x11\xff#"], plainly, noise_seen_yet_connects("\x11\xff#")),
    ("bridge_flooded_without_semicolon", [], with_bridge_client, flooded_bridge_recovers),
    ("read_only_working_folder", [], in_a_read_only_folder, works_but_cannot_save),
    ("no_audio_device", [], without("SDL_AUDIODRIVER", lambda s: "no-such-driver"), silent_but_working),
    ("no_clip_folder", [], without("VANTOR_CLIPS", lambda s: s.path("no-wave")), works_without_clips),
]


def fault_test(options, start, expect):
    def test(s):
        s.client_fd = s.work = None
        s.start_display()
        s.start_radiosim("0670", 5, *options)
        try:
            start(s)
            expect(s)
        finally:
            if s.client_fd is not None:
                os.close(s.client_fd)
            if s.work is not None:
                os.chmod(s.work, 0o755)  # so that the session's folder can be removed
    return test


if __name__ == "__main__":
    run_tests([(name, fault_test(options, start, expect)) for name, options, start, expect in FAULTS])
