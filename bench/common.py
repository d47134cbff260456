"""What the benchmark scripts share: a session of the end-to-end harness with time
stamps on key presses and spoken clips, the simulator's clock check, clip lengths
and the summary of a set of samples.

Every time here is time.monotonic(), the clock the simulator stamps its log with,
so a key press, a command at the radio and a clip can be set against each other.
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import statistics
import subprocess
import sys
import threading
import time
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

import harness  # noqa: E402
from harness import TestFailure, configuration, free_tcp_port, wait_for  # noqa: E402,F401

CLIP_DIR = os.path.join(harness.BUILD_DIR, "wave")
RATE = 22050  # the rate the clips are made at and the speaker asks for


def arguments(description, minutes=None):
    """--quick; and --minutes, the length of a run, for a script that takes `minutes`."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--quick", action="store_true", help="a few samples, to prove the script works")
    if minutes is not None:
        parser.add_argument("--minutes", type=float, default=minutes, help="how long the run lasts")
    return parser.parse_args()


def summary(samples, unit, goal=None, reference=None, **extra):
    """A figure as its median, 95th and 99th percentile (nearest rank) with the sample size."""
    ordered = sorted(samples)
    row = {"unit": unit, "n": len(ordered), "goal": goal}
    if ordered:
        row["median"] = statistics.median(ordered)
        row["p95"] = ordered[max(0, -(-95 * len(ordered) // 100) - 1)]
        row["p99"] = ordered[max(0, -(-99 * len(ordered) // 100) - 1)]
    else:
        row["median"] = row["p95"] = row["p99"] = None
    if reference is not None and ordered:
        row["reference"] = reference
        row["ratio"] = row["median"] / reference["median"] if reference["median"] else None
    if 0 < len(ordered) <= 10:
        row["samples"] = [round(v, 3) for v in samples]
    row.update(extra)
    return row


def emit(figures):
    """Hands the script's figures to bench/run on standard output."""
    json.dump(figures, sys.stdout, indent=1)
    sys.stdout.write("\n")


# --- clips ------------------------------------------------------------------

def clip_name(logged):
    """The clip's file name for a speech-log line ("wave\\7" -> "7.wav")."""
    name = logged[5:] if logged.startswith("wave\\") else logged
    return name if name.endswith(".wav") else name + ".wav"


_clip_cache = {}


def clip_samples(logged):
    """The clip's 16-bit mono samples as bytes, exactly as it is queued (the device
    is asked for the clips' own format, so nothing is converted)."""
    name = clip_name(logged)
    if name not in _clip_cache:
        with wave.open(os.path.join(CLIP_DIR, name), "rb") as w:
            if w.getframerate() != RATE or w.getnchannels() != 1 or w.getsampwidth() != 2:
                raise TestFailure("clip %s is not %d Hz 16-bit mono" % (name, RATE))
            _clip_cache[name] = w.readframes(w.getnframes())
    return _clip_cache[name]


def clip_ms(logged):
    return len(clip_samples(logged)) / 2 / RATE * 1000.0


def is_heard(logged):
    """True for a clip the operator hears; "xx" is the poll's muted S-meter refresh."""
    return not logged.startswith("xx")


def phrase_table():
    words = {}
    with open(os.path.join(ROOT, "tools", "clips", "phrases.tsv"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line and not line.startswith("#") and "\t" in line:
                name, text = line.split("\t", 1)
                words[name + ".wav"] = text
    return words


# --- the timed session --------------------------------------------------------

NO_DEVICE = "none"  # an audio driver SDL does not have: the panel runs with no device
DISK = "disk"


class TimedSession(harness.Session):
    """The harness's session with the speech log read through a pipe, so that each
    clip gets the moment the panel logged it (just before it plays), and with key
    presses made through XTest and stamped as they go out."""

    def __init__(self, name, audio=NO_DEVICE):
        super().__init__(name)
        self.clips = []  # (monotonic time, clip path of a speech-log line)
        self.audio_file = self.path("audio.raw")
        self.env["SDL_AUDIODRIVER"] = audio
        if audio == DISK:
            self.env["SDL_DISKAUDIOFILE"] = self.audio_file
        self._x = None
        self.started_at = None

    def start_display(self):
        """Xvfb picks a free display itself and says which: two scripts of a quick run
        start their servers side by side, and must not take the same number."""
        reader, writer = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1280x800x24", "-nolisten",
                                 "tcp"], pass_fds=(writer,), stdout=subprocess.DEVNULL,
                                stderr=open(self.path("xvfb.log"), "wb"))
        os.close(writer)
        self.processes.append(xvfb)
        with os.fdopen(reader) as announced:
            number = announced.readline().strip()
        if not number:
            raise TestFailure("Xvfb did not start")
        self.display = ":" + number
        self.env["DISPLAY"] = self.display

    def _read_speech(self, fifo):
        with open(fifo, "rb", buffering=0) as pipe, open(self.path("speech.log"), "ab") as log:
            os.unlink(fifo)  # both ends are open; a kept test directory cannot hold a pipe
            pending = b""
            while True:
                chunk = pipe.read(4096)
                stamp = time.monotonic()
                if not chunk:
                    return
                log.write(chunk)
                log.flush()
                pending += chunk
                *lines, pending = pending.split(b"\n")
                # A line is the clip path, a tab and the file played, or a sentence's words.
                self.clips.extend((stamp, line.decode("latin-1").split("\t", 1)[0]) for line in lines
                                  if not line.startswith(harness.SENTENCE_MARK.encode()))

    def start_vantor(self, *options):
        fifo = self.path("speech.pipe")
        os.mkfifo(fifo)
        open(self.path("speech.log"), "wb").close()
        threading.Thread(target=self._read_speech, args=(fifo,), daemon=True).start()
        self.started_at = time.monotonic()
        self.vantor = subprocess.Popen([os.path.abspath(harness.VANTOR), "--speech-log", "speech.pipe", *options],
                                       cwd=self.dir, env=self.env, stdout=open(self.path("vantor.out"), "wb"),
                                       stderr=open(self.path("vantor.err"), "wb"))
        return self.vantor

    def start(self, model="0670", calibrate=0, *options):
        """Display, simulator and panel, with `calibrate` bracketed writes to the
        simulator before the panel opens the port; waits for the connection."""
        self.start_display()
        self.start_radiosim(model, 5, "--smeter", "130", *options)
        reference = self.calibrate(calibrate) if calibrate else None
        self.write_config(configuration(port=5))
        self.start_vantor()
        self.connected()
        self.focus()
        return reference

    def start_with_network_port(self):
        """Display, simulator and a panel listening on a free TCP port for programs
        that speak the rigctld protocol; waits for the connection, returns the port.
        The simulator keeps its state in radio.state."""
        self.start_display()
        self.start_radiosim("0670", 5, "--smeter", "130", "--state", self.path("radio.state"))
        self.write_config(configuration(port=5))
        port = free_tcp_port()
        self.start_vantor("--rigctld", "127.0.0.1:%d" % port)
        self.connected()
        self.focus()
        return port

    # --- the simulator's clock ------------------------------------------
    def sim_log(self):
        """(monotonic time in s, command) for each command the simulator received."""
        out = []
        for line in self.read_text("radiosim.log").splitlines():
            stamp, _, command = line.partition(" ")
            out.append((int(stamp) / 1e6, command))
        return out

    def calibrate(self, count):
        """Writes "ID;" to the simulator `count` times before the panel opens the port,
        each write bracketed by two readings of our clock, and reads the answer away.
        Each stamp the simulator logs must fall after its bracket opened; how long
        after is the delay of the terminal path alone, the reference for key delays."""
        fd = os.open(self.path("COM5"), os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        delays = []
        try:
            for _ in range(count):
                seen = len(self.sim_log())
                before = time.monotonic()
                os.write(fd, b"ID;")
                after = time.monotonic()
                log = wait_for(lambda: self.sim_log()[seen:], 5, "ID; in the simulator's log")
                stamp = log[0][0]
                if log[0][1] != "ID;" or stamp < before or stamp > after + 1.0:
                    raise TestFailure("simulator clock off: %r outside %.6f..%.6f" % (log[0], before, after))
                delays.append((stamp - before) * 1000)
                answer = b""
                deadline = time.monotonic() + 5
                while not answer.endswith(b";") and time.monotonic() < deadline:
                    try:
                        answer += os.read(fd, 64)
                    except BlockingIOError:
                        time.sleep(0.005)
        finally:
            os.close(fd)
        return summary(delays, "ms")

    # --- keys -------------------------------------------------------------
    def focus(self):
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window_id()], env=self.env, check=False)

    def _display(self):
        if self._x is None:
            x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
            xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
            x11.XOpenDisplay.restype = ctypes.c_void_p
            x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
            x11.XStringToKeysym.restype = ctypes.c_ulong
            x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
            x11.XKeysymToKeycode.restype = ctypes.c_ubyte
            x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
            x11.XFlush.argtypes = [ctypes.c_void_p]
            xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
            connection = x11.XOpenDisplay(self.display.encode())
            if not connection:
                raise TestFailure("cannot open the display %s" % self.display)
            self._x = (x11, xtst, connection)
        return self._x

    def stamped_key(self, keysym):
        """Presses and releases one key through XTest; returns when it went down."""
        x11, xtst, connection = self._display()
        code = x11.XKeysymToKeycode(connection, x11.XStringToKeysym(keysym.encode()))
        if not code:
            raise TestFailure("no key code for %s" % keysym)
        at = time.monotonic()
        xtst.XTestFakeKeyEvent(connection, code, 1, 0)
        x11.XFlush(connection)
        time.sleep(0.03)
        xtst.XTestFakeKeyEvent(connection, code, 0, 0)
        x11.XFlush(connection)
        return at

    def heard_clips(self, since=0):
        return [c for c in self.clips[since:] if is_heard(c[1])]

    def wait_quiet(self, quiet=0.3, timeout=20):
        """Waits until the last clip logged has played and `quiet` seconds more have
        passed with no other: the panel's answer is over."""
        def done():
            heard = self.heard_clips()
            if not heard:
                return False
            stamp, line = heard[-1]
            return time.monotonic() > stamp + clip_ms(line) / 1000 + quiet
        wait_for(done, timeout, "the panel to fall quiet")

    def tune(self, megahertz):
        """Types a frequency with E and waits for the poll to bring it back from the radio."""
        before = len(self.heard())
        self.press("e", *["period" if c == "." else c for c in megahertz], "Return")
        self.wait_spoken(["ok"], since=before)
        reply = "RX=FA%09d;" % round(float(megahertz) * 1e6)
        wait_for(lambda: reply in self.read_text("debug.dat"), 10, reply)
        self.wait_quiet()


def run_session(name, body, audio=NO_DEVICE):
    """Runs body(session) and returns what it returns; keeps the logs on failure."""
    session = TimedSession(name, audio)
    failed = True
    try:
        result = body(session)
        failed = False
        return result
    finally:
        if failed:
            for log in ("vantor.err", "radiosim.out"):
                text = session.read_text(log)
                if text:
                    print("--- %s ---\n%s" % (log, text[-2000:]), file=sys.stderr)
        session.close(failed)


def process_times(pid):
    """CPU seconds of a process (all its threads), its resident memory in MB and its
    context switches, each switch a sleep or a preemption, summed over its threads."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    rss = 0.0
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1]) / 1024.0
    switches = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
        except FileNotFoundError:
            pass
    return cpu, rss, switches


def answer(s, keysym="f"):
    """Presses a key and waits for its spoken answer to end: (key time, [(time, clip)])."""
    seen = len(s.clips)
    at = s.stamped_key(keysym)
    wait_for(lambda: s.heard_clips(seen), 10, "an answer to %s" % keysym)
    s.wait_quiet()
    return at, [c for c in s.heard_clips(seen)]


def logged_gaps(clips):
    """Silence between the clips of one answer as the panel's log shows it: from the
    end of one clip (its start plus its length) to the start of the next."""
    return [(b[0] - a[0]) * 1000 - clip_ms(a[1]) for a, b in zip(clips, clips[1:])]


class PlayedAudio:
    """What SDL's disk driver wrote: the device's samples, silence included, at the
    device's pace. Clips go through unconverted, so each is found byte for byte.

    The panel closes its audio device when it has been quiet for a while and opens
    it again for the next clip; the driver then starts the file afresh. A watcher
    sees the file shrink and starts the search over from its beginning."""

    def __init__(self, path):
        """Places clips played from now on."""
        self.path = path
        self.cursor = self._size() & ~1
        self._lock = threading.Lock()
        self._seen = self.cursor
        self._restarts = 0
        threading.Thread(target=self._watch, daemon=True).start()

    def _size(self):
        try:
            return os.path.getsize(self.path)
        except OSError:
            return 0

    def _watch(self):
        # The file grows at the device's pace (44 kB a second), so in 5 ms it
        # cannot grow back past where it was.
        while True:
            size = self._size()
            with self._lock:
                if size < self._seen:
                    self.cursor = 0
                    self._restarts += 1
                self._seen = size
            time.sleep(0.005)

    def place(self, clips):
        """(start, end) in ms within the written audio of each clip of an answer, in
        order and after the answers already placed; a clip of pure silence (the pause
        before a reply) cannot be told from the device's silence and gets None."""
        places = []
        for _, line in clips:
            samples = clip_samples(line)
            if not samples.strip(b"\0"):
                places.append(None)
                continue
            # The driver writes through a buffer, a moment behind the device.
            deadline = time.monotonic() + 3
            while True:
                with self._lock:
                    restarts = self._restarts
                with open(self.path, "rb") as f:
                    audio = f.read()
                with self._lock:
                    # What was read may be the file from before it started afresh.
                    at = audio.find(samples, self.cursor) if restarts == self._restarts else -1
                    while at >= 0 and at % 2:
                        at = audio.find(samples, at + 1)
                    if at >= 0:
                        self.cursor = at + len(samples)
                        break
                if time.monotonic() > deadline:
                    raise TestFailure("clip %s not found in the played audio after byte %d" % (line, self.cursor))
                time.sleep(0.1)
            places.append((at / 2 / RATE * 1000, (at + len(samples)) / 2 / RATE * 1000))
        return places

    @staticmethod
    def gaps(clips, places):
        """Silence the device played between successive clips, less any silent clip."""
        out = []
        pause = 0.0
        previous = None
        for (_, line), place in zip(clips, places):
            if place is None:
                pause += clip_ms(line)
                continue
            if previous is not None:
                out.append(place[0] - previous[1] - pause)
            previous, pause = place, 0.0
        return out
