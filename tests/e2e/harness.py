"""End-to-end harness: the real vantor in a real window under Xvfb.

Each test gets a fresh temporary directory with a vantor.cfg written for it,
a serial port made of a socat pseudo-terminal pair (the panel's end is the
link COM<n>, the radio's end is read by the test), real key presses through
xdotool, and waits on conditions with a timeout instead of fixed sleeps.
When a test fails, its directory (logs, speech log, debug.dat) and a
screenshot of the screen are kept under the artifacts directory.
"""

import ctypes
import ctypes.util
import os
import shutil
import socket
import signal
import subprocess
import sys
import tempfile
import time
import traceback

BUILD_DIR = os.environ.get("VANTOR_BUILD_DIR", os.path.join(os.path.dirname(__file__), "..", "..", "build"))
# The programs under test: the build tree's, or others (an installed pair) named here.
VANTOR = os.environ.get("VANTOR_PROGRAM", os.path.join(BUILD_DIR, "bin", "vantor"))
RADIOSIM = os.environ.get("VANTOR_RADIOSIM", os.path.join(BUILD_DIR, "bin", "vantor-radiosim"))
ARTIFACTS = os.path.join(BUILD_DIR, "e2e-artifacts")
# The speech log's sentence lines: this, then the words of the sentence.
SENTENCE_MARK = "said\t"


def configuration(port=5, speed=38400, power_control=0, bridge=0, debug=1):
    """A vantor.cfg with its fixed columns."""
    lines = [
        "COM=%d" % port if port < 10 else "COMM%d" % port,
        "SPEED=%d" % speed,
        "POWER=100",
        "SWR=0",
        "ATU=0",
        "TOPBAND=7",
        "POWRON=%d" % power_control,
        "TSQ=0",
        "10MOFS+100",
        "6MOFS-500",
        "2MOFS-600",
        "70MOFS-7600",
        "BRIDGE=%d" % bridge,
        "DEBUG=%d" % debug,
    ]
    return "\r\n".join(lines) + "\r\n"


class TestFailure(Exception):
    pass


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def wait_for(condition, timeout=10.0, what="condition"):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise TestFailure("timed out after %.0f s waiting for %s" % (timeout, what))


def _holds_run(heard, words):
    """True when `words` occur in `heard` one right after the other."""
    return any(heard[i:i + len(words)] == list(words) for i in range(len(heard)))


def _free_display():
    for number in range(90, 200):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number) and not os.path.exists("/tmp/.X%d-lock" % number):
            return number
    raise TestFailure("no free X display number")


class Session:
    """One test's world: directory, X server, serial pair, panel."""

    def __init__(self, name):
        self.name = name
        self.dir = tempfile.mkdtemp(prefix="vantor-e2e-")
        self.processes = []
        self.radio_fd = None
        self.radio_bytes = b""
        self.vantor = None
        self.display = None
        self.env = dict(os.environ)

    # --- the world -------------------------------------------------------
    def start_display(self):
        number = _free_display()
        xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=open(self.path("xvfb.log"), "wb"))
        self.processes.append(xvfb)
        wait_for(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number), 10, "Xvfb to start")
        self.display = ":%d" % number
        self.env["DISPLAY"] = self.display

    def serial_pair(self, port, far_end="radio"):
        """COM<port> for the panel; the far end's link name is returned."""
        link = self.path("COM%d" % port)
        peer = self.path(far_end)
        socat = subprocess.Popen(["socat", "pty,raw,echo=0,link=%s" % link, "pty,raw,echo=0,link=%s" % peer],
                                 stdout=subprocess.DEVNULL, stderr=open(self.path("socat-%s.log" % far_end), "wb"))
        self.processes.append(socat)
        wait_for(lambda: os.path.exists(link) and os.path.exists(peer), 10, "socat links")
        return peer

    def start_radiosim(self, model="0670", port=5, *options, link=None):
        """The simulated radio on COM<port> (or at `link`); its command log is radiosim.log."""
        link = link or self.path("COM%d" % port)
        sim = subprocess.Popen([os.path.abspath(RADIOSIM), "--model", model, "--link", link,
                                "--log", self.path("radiosim.log")] + list(options),
                               stdout=open(self.path("radiosim.out"), "wb"), stderr=subprocess.STDOUT)
        self.processes.append(sim)
        wait_for(lambda: os.path.islink(link), 10, "the simulator's link")
        return sim

    def radiosim_commands(self):
        """Commands the simulated radio received, in order, without their times."""
        return [line.split(" ", 1)[1] for line in self.read_text("radiosim.log").splitlines() if " " in line]

    def heard(self):
        """Clips spoken so far, without the pauses between query and reply."""
        return [w for w in self.spoken() if w != "delay"]

    def wait_spoken(self, words, timeout=15, since=0):
        """Waits until the clips in `words` have been spoken in this order, one after the other
        (pauses between query and reply do not count), counting from the `since`-th clip heard."""
        return wait_for(lambda: _holds_run(self.heard()[since:], words), timeout, "the words %r" % (words,))

    def wait_radio_got(self, commands, since=0, timeout=10):
        """Waits until the simulated radio has received each of `commands`, in this order,
        counting from its `since`-th command."""
        def got():
            received = self.radiosim_commands()[since:]
            at = 0
            for command in commands:
                if command not in received[at:]:
                    return False
                at += received[at:].index(command) + 1
            return True
        return wait_for(got, timeout, "%r at the radio" % (commands,))

    def read_frequency(self, words):
        """Presses F and waits for the readout `words`."""
        before = len([w for w in self.spoken() if w != "delay"])
        self.press("f")
        wait_for(lambda: _holds_run([w for w in self.spoken() if w != "delay"][before:], words), 10,
                 "F to read out %r" % (words,))

    def connected(self):
        """Waits until the panel has spoken "connected" and gone back to its poll.
        The reply that connects is shown before it, so keys work from then on."""
        self.wait_spoken(["connected"], 20)
        # A clip is logged as it starts; the next command sent shows it has ended,
        # so a program on the bridge port finds the panel listening.
        sent = self.read_text("debug.dat").count("TX=")
        wait_for(lambda: self.read_text("debug.dat").count("TX=") > sent, 10, "the poll after connection")

    def open_radio_end(self, peer):
        self.radio_fd = os.open(peer, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)

    def write_config(self, text):
        with open(self.path("vantor.cfg"), "w", newline="") as f:
            f.write(text)

    def start_vantor(self, *options, cwd=None, wrapper=(), program=None):
        """The panel in the test's directory, or in `cwd`; `program` (a command list) runs
        another build of it; `wrapper` is a command line the panel's own is appended to (it
        must end by running it). The speech log is named relative to the panel's folder, a
        name a Windows build under Wine takes too."""
        cwd = cwd or self.dir
        program = program or [os.path.abspath(VANTOR)]
        log = os.path.relpath(self.path("speech.log"), cwd)
        command = [*wrapper, *program, "--speech-log", log, *options]
        self.vantor = subprocess.Popen(command, cwd=cwd, env=self.env,
                                       stdout=open(self.path("vantor.out"), "wb"),
                                       stderr=open(self.path("vantor.err"), "wb"))
        return self.vantor

    # --- observation ------------------------------------------------------
    def path(self, name):
        return os.path.join(self.dir, name)

    def read_text(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read().decode("latin-1")
        except FileNotFoundError:
            return ""

    def speech(self):
        """(clip path, file played or "") for each clip line of the speech log so far."""
        return [tuple(line.split("\t", 1)) if "\t" in line else (line, "")
                for line in self.read_text("speech.log").splitlines() if not line.startswith(SENTENCE_MARK)]

    def sentences(self):
        """The words of each sentence spoken so far, as the speech log writes them."""
        return [line[len(SENTENCE_MARK):] for line in self.read_text("speech.log").splitlines()
                if line.startswith(SENTENCE_MARK)]

    def spoken(self):
        """Clip names spoken so far, without the clip-directory prefix."""
        return [path[5:] if path.startswith("wave\\") else path for path, _ in self.speech()]

    def radio_received(self):
        """Everything the panel has sent to the radio end so far."""
        if self.radio_fd is not None:
            while True:
                try:
                    chunk = os.read(self.radio_fd, 4096)
                except BlockingIOError:
                    break
                if not chunk:
                    break
                self.radio_bytes += chunk
        return self.radio_bytes.decode("latin-1")

    def wait_exit(self, timeout=15):
        try:
            return self.vantor.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise TestFailure("vantor did not end within %d s" % timeout)

    def ends_with_memories_saved(self, end, timeout=20):
        """Ends the panel with `end` (a key press, a close request) and checks that it
        exited with status 0 and saved savmem.dat anew on the way out."""
        if os.path.exists(self.path("savmem.dat")):
            os.remove(self.path("savmem.dat"))
        end()
        status = self.wait_exit(timeout)
        if status != 0:
            raise TestFailure("exit status %d" % status)
        if not self.read_text("savmem.dat").startswith("VANTOR v3.2a 3.5a"):
            raise TestFailure("savmem.dat not saved at the end")

    # --- keys -------------------------------------------------------------
    def window_id(self):
        def find():
            out = subprocess.run(["xdotool", "search", "--name", "Yaesu Vantor"], env=self.env,
                                 capture_output=True, text=True).stdout.split()
            return out[0] if out else None
        return wait_for(find, 10, "the panel's window")

    def press(self, *keys):
        """Presses and releases each key like a person, on the panel's window."""
        window = self.window_id()
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=self.env, check=False)
        for key in keys:
            subprocess.run(["xdotool", "keydown", key], env=self.env, check=True)
            time.sleep(0.05)
            subprocess.run(["xdotool", "keyup", key], env=self.env, check=True)
            time.sleep(0.05)

    def request_close(self):
        """Asks the panel's window to close the way a window manager's close button does: a
        WM_DELETE_WINDOW message (xdotool's windowclose would destroy the window instead)."""
        xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        xlib.XFlush.argtypes = xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        connection = xlib.XOpenDisplay(self.display.encode())
        if not connection:
            raise TestFailure("cannot open the display %s" % self.display)
        try:
            event = _XEvent()
            message = event.xclient
            message.type = 33  # ClientMessage
            message.window = int(self.window_id())
            message.message_type = xlib.XInternAtom(connection, b"WM_PROTOCOLS", 0)
            message.format = 32
            message.data[0] = xlib.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
            xlib.XSendEvent(connection, message.window, 0, 0, ctypes.byref(event))
            xlib.XFlush(connection)
        finally:
            xlib.XCloseDisplay(connection)

    def screenshot(self, name="screen.png"):
        if self.display:
            subprocess.run(["import", "-display", self.display, "-window", "root", self.path(name)],
                           env=self.env, check=False, capture_output=True)
        return self.path(name)

    # --- end --------------------------------------------------------------
    def stop_vantor(self):
        """Ends a panel the test left running with SIGTERM, its orderly shutdown, so that
        whatever it reports on the way out (leaks in a sanitizer build) is in vantor.err."""
        if self.vantor and self.vantor.poll() is None:
            self.vantor.send_signal(signal.SIGTERM)
            try:
                self.vantor.wait(timeout=15)
            except subprocess.TimeoutExpired:
                raise TestFailure("vantor did not end within 15 s of SIGTERM")

    def close(self, failed):
        if failed:
            self.screenshot("failure.png")
        if self.vantor and self.vantor.poll() is None:
            self.vantor.kill()
            self.vantor.wait()
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
        if self.radio_fd is not None:
            os.close(self.radio_fd)
        if failed:
            keep = os.path.join(ARTIFACTS, self.name)
            shutil.rmtree(keep, ignore_errors=True)
            shutil.copytree(self.dir, keep, symlinks=True)
            print("kept logs and screenshot in %s" % keep, file=sys.stderr)
        shutil.rmtree(self.dir, ignore_errors=True)


def free_tcp_port():
    """A TCP port on the loopback address that nothing listens on now."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def rigctld_exchange(port, lines, half_close=False, timeout=10):
    """One connection to a port speaking the rigctld protocol: sends `lines` and q, returns
    the text up to the close. Hamlib's rigctld may wait for an argument on the next line;
    `half_close` gives it the end of input, and a reset then ends the answer. The panel
    answers what it has been sent, then closes after q."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as connection:
        connection.sendall(("\n".join(lines) + "\nq\n").encode())
        if half_close:
            connection.shutdown(socket.SHUT_WR)
        deadline = time.monotonic() + timeout
        text = b""
        while time.monotonic() < deadline:
            try:
                chunk = connection.recv(65536)
            except socket.timeout:
                break
            except ConnectionResetError:
                if not half_close:
                    raise
                chunk = b""  # closed with input unread: rigctld is done with the request
            if not chunk:
                return text.decode("latin-1")
            text += chunk
    raise TestFailure("no close within %d s after %r, got %r" % (timeout, lines, text[-200:]))


def start_reference_rigctld(session, model="0670", hamlib_model="1035", options=()):
    """Hamlib's rigctld (with `options`) in front of a second simulated radio, brought first
    to the state of the panel's radio by replaying every command that radio received;
    returns its port."""
    link = session.path("REF")
    session.processes.append(subprocess.Popen(
        [os.path.abspath(RADIOSIM), "--model", model, "--link", link, "--smeter", "130",
         "--state", session.path("reference.state")],
        stdout=open(session.path("reference-sim.out"), "wb"), stderr=subprocess.STDOUT))
    wait_for(lambda: os.path.islink(link), 10, "the reference simulator's link")
    fd = os.open(link, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        # The radio's identity, asked last, marks the end of the replayed answers.
        os.write(fd, ("".join(session.radiosim_commands()) + "ID;").encode())
        answers = [b""]

        def identified():
            try:
                answers[0] += os.read(fd, 4096)
            except BlockingIOError:
                pass
            return answers[0].endswith(b"ID%s;" % model.encode())
        wait_for(identified, 10, "the reference radio to take the panel's commands")
    finally:
        os.close(fd)
    port = free_tcp_port()
    session.processes.append(subprocess.Popen(
        ["rigctld", "-m", hamlib_model, "-r", link, "-s", "38400", "-T", "127.0.0.1", "-t", str(port), *options],
        stdout=subprocess.DEVNULL, stderr=open(session.path("rigctld.err"), "wb")))

    def answers_f():
        try:
            return rigctld_exchange(port, ["f"], half_close=True, timeout=5)
        except (OSError, TestFailure):
            return None
    wait_for(answers_f, 20, "rigctld -m %s to answer" % hamlib_model)
    return port


# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print when
# they catch a fault in a sanitizer build; never seen in a normal one.
SANITIZER_MARKS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


def sanitizer_report(session):
    """The first line of a sanitizer report in the panel's or the simulator's output, if any."""
    for log in ("vantor.err", "radiosim.out"):
        for line in session.read_text(log).splitlines():
            if any(mark in line for mark in SANITIZER_MARKS):
                return "%s: %s" % (log, line)
    return None


def run_tests(tests):
    """Runs (name, function(session)) pairs; exit status 1 when any failed. Names given
    on the command line select those tests alone, in the order of `tests`."""
    wanted = sys.argv[1:]
    unknown = [name for name in wanted if name not in dict(tests)]
    if unknown:
        print("no such test: %s" % " ".join(unknown), file=sys.stderr)
        sys.exit(2)
    if wanted:
        tests = [(name, test) for name, test in tests if name in wanted]
    failures = 0
    for name, test in tests:
        session = Session(name)
        failed = True
        try:
            test(session)
            session.stop_vantor()
            report = sanitizer_report(session)
            if report:
                raise TestFailure(report)
            failed = False
            print("PASS %s" % name)
        except Exception:
            failures += 1
            print("FAIL %s" % name)
            traceback.print_exc()
            for log in ("vantor.err", "speech.log", "debug.dat"):
                text = session.read_text(log)
                if text:
                    print("--- %s ---\n%s" % (log, text[-3000:]))
        finally:
            session.close(failed)
    print("%d passed, %d failed" % (len(tests) - failures, failures))
    sys.exit(1 if failures else 0)
