"""The machine's speech and braille services, started privately for one test.

SpeechService runs its own speech-dispatcher (espeak-ng, audio to libao's null
driver, so no sound card is needed) and reads back from the server's own log
each message a client sent, and when it was spoken. BrailleService runs its own
BRLTTY with the virtual braille driver and acts as the display, so a test reads
the text a BrlAPI client wrote. Neither reads or writes the machine's own
settings, sockets or state directories, and both end every process they started.

    with SpeechService() as speech:
        subprocess.run(["spd-say", "-w", "hello"], env={**os.environ, **speech.env})
        speech.wait_for_utterance("hello")
"""

import errno
import html
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

from harness import TestFailure, free_tcp_port, wait_for

# Root's brltty loads kernel modules and joins groups; a test must not.
UNPRIVILEGED_USER = "nobody"


def _program(name, package):
    """The path of an installed program, or a TestFailure naming its package."""
    path = shutil.which(name, path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin")
    if not path:
        raise TestFailure("%s is not installed (Debian package %s)" % (name, package))
    return path


def _tail(path, lines=15, keep=None):
    """The last lines of a log, those for which `keep` holds when it is given."""
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - (1 << 20)))
            text = f.read().decode("utf-8", "replace")
    except OSError:
        return ""
    chosen = [line for line in text.splitlines() if keep is None or keep(line)]
    return "\n".join(chosen[-lines:])


def _group_members(group):
    """Live (not zombie) processes in a process group."""
    members = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % name) as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except (OSError, IndexError):
            continue
        if int(fields[2]) == group and fields[0] != "Z":
            members.append(int(name))
    return members


def _end_group(process, grace=5.0):
    """Ends a process started as the leader of its own session, then anything it
    left in that process group (an output module, a helper)."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            pass
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if not _group_members(process.pid):
            break
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            break
        deadline = time.monotonic() + grace
        while _group_members(process.pid) and time.monotonic() < deadline:
            process.poll()
            time.sleep(0.02)
    process.wait(timeout=grace)
    left = _group_members(process.pid)
    if left:
        raise TestFailure("processes %s would not end" % left)


# --- speech -----------------------------------------------------------------

class Utterance:
    """One message a client gave the speech server, and what became of it.
    Times are the server's log times, in seconds since the epoch (time.time())."""

    def __init__(self, text, priority, queued_at):
        self.text = text
        self.priority = priority  # 1 important, 2 message, 3 text, 4 notification, 5 progress
        self.queued_at = queued_at
        self.id = None
        self.began_at = None
        self.ended_at = None  # spoken to its end
        self.stopped_at = None  # cut short, or cancelled before it began
        self.settings = None  # voice settings it was spoken with: rate, volume, pitch, voice...

    @property
    def finished(self):
        return self.ended_at is not None

    def __repr__(self):
        state = "ended" if self.finished else "stopped" if self.stopped_at else \
            "speaking" if self.began_at else "queued"
        return "<Utterance %s %r %s>" % (self.id, self.text, state)


# A log entry's head: "[Tue Dec  8 21:15:18 2026 : 421407] speechd: ", then
# one space for each level of detail above the first.
_ENTRY = re.compile(rb"^\[(\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}) : (\d+)\] speechd: ", re.M)
_QUEUED = re.compile(r"Queueing message \|(.*)\| with priority (\d+)", re.S)
_ACCEPTED = re.compile(r"\d+:REPLY:\|225-(\d+)\r?\n225 OK MESSAGE QUEUED")
_EVENT = re.compile(r"\d+:REPLY:\|7\d\d-(\d+)\r?\n7\d\d-\d+\r?\n7\d\d (BEGIN|END|CANCELED|PAUSED|RESUMED)\r?\n\|")
_TO_MODULE = re.compile(r"Command sent to output module: \|(.*)\| \((\d)\)", re.S)
_MARK = re.compile(r"INDEX MARK: __spd_(begin|end|stopped)$")
_SPEAKING_COMMANDS = ("SPEAK", "CHAR", "KEY", "SOUND_ICON")


def _log_time(stamp, microseconds):
    # The server reads the second and the microseconds apart: at a second's
    # turn a time may read a second early. The log's order is exact.
    return time.mktime(time.strptime(stamp.decode(), "%a %b %d %H:%M:%S %Y")) + int(microseconds) / 1e6


def _plain(ssml):
    """The words of the text the server gave its output module: without the
    <speak> wrapper and its own index marks, entities undone."""
    return html.unescape(re.sub(r"<[^>]*>", "", ssml))


def _same_words(a, b):
    return a.split() == b.split()


class SpeechService:
    """A private speech-dispatcher. `env` holds what a client needs so that
    libspeechd's spd_open reaches this server and never starts another one;
    `utterances()` lists what it was given, from its own log (LogLevel 5)."""

    START_TIMEOUT = 10

    def __init__(self, directory=None, config=(), server_env=None):
        """`directory` holds its files (a new temporary one when None, removed at
        the end); `config` lines go into its speechd.conf (DefaultRate 30 ...)."""
        self._own_directory = directory is None
        self.dir = directory or tempfile.mkdtemp(prefix="vantor-speech-")
        self.extra_config = list(config)
        self.server_env = dict(server_env or {})  # for the server alone, as PULSE_SERVER
        self.process = None
        self.runtime = os.path.join(self.dir, "runtime")
        self.socket_path = os.path.join(self.runtime, "speech-dispatcher", "speechd.sock")
        self.log_path = os.path.join(self.dir, "log", "speech-dispatcher.log")
        self.output_path = os.path.join(self.dir, "speech-dispatcher.out")
        self._offset = 0
        self._last_at = 0.0
        self._pending = b""
        self._utterances = []
        self._awaiting_id = []
        self._by_id = {}
        self._settings = None
        self._command = None
        self._current = None

    # --- life ---------------------------------------------------------------
    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *failure):
        self.stop()
        return False

    def start(self):
        server = _program("speech-dispatcher", "speech-dispatcher")
        home = os.path.join(self.dir, "home")
        config_dir = os.path.join(self.dir, "config")
        for folder in (home, config_dir, os.path.join(config_dir, "modules"), os.path.join(self.dir, "log"),
                       os.path.join(self.dir, "xdg-config", "speech-dispatcher"), self.runtime):
            os.makedirs(folder, mode=0o700, exist_ok=True)
        # libao reads its driver from ~/.libao: null plays nothing, needs no device.
        with open(os.path.join(home, ".libao"), "w") as f:
            f.write("default_driver=null\n")
        lines = [
            "LogLevel 5",
            'LogDir "%s"' % os.path.dirname(self.log_path),
            'AudioOutputMethod "libao"',
            "DefaultVolume 100",
            'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"',
            "DefaultModule espeak-ng",
            "DisableAutoSpawn",
        ] + self.extra_config
        with open(os.path.join(config_dir, "speechd.conf"), "w") as f:
            f.write("\n".join(lines) + "\n")
        with open(os.path.join(config_dir, "modules", "espeak-ng.conf"), "w") as f:
            f.write("Debug 0\n")
        # A server a client might start itself would read this one, and refuse.
        with open(os.path.join(self.dir, "xdg-config", "speech-dispatcher", "speechd.conf"), "w") as f:
            f.write("DisableAutoSpawn\n")
        environment = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=self.runtime,
                           XDG_CONFIG_HOME=os.path.join(self.dir, "xdg-config"),
                           XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                           XDG_CACHE_HOME=os.path.join(home, ".cache"))
        for name in ("SPEECHD_ADDRESS", "PULSE_SERVER", "AUDIODEV"):
            environment.pop(name, None)
        environment.update(self.server_env)
        started = time.monotonic()
        self.process = subprocess.Popen(
            [server, "--run-single", "--timeout", "0", "--config-dir", config_dir,
             "--communication-method", "unix_socket", "--socket-path", self.socket_path,
             "--pid-file", os.path.join(self.runtime, "speech-dispatcher.pid")],
            env=environment, stdin=subprocess.DEVNULL, stdout=open(self.output_path, "wb"),
            stderr=subprocess.STDOUT, start_new_session=True)
        try:
            self._wait_ready(started)
        except BaseException:
            self.stop()
            raise

    def _wait_ready(self, started):
        mark = b"Speech Dispatcher started and waiting for clients"
        while True:
            if self.process.poll() is not None:
                raise TestFailure(self._why_ended())
            try:
                with open(self.log_path, "rb") as f:
                    if mark in f.read():
                        return
            except FileNotFoundError:
                pass
            if time.monotonic() - started > self.START_TIMEOUT:
                raise TestFailure("speech-dispatcher did not start within %d s; its log ends:\n%s"
                                  % (self.START_TIMEOUT, _tail(self.log_path, 10)))
            time.sleep(0.05)

    def _why_ended(self):
        log = _tail(self.log_path, 400, lambda line: "rror" in line or "ailed" in line)
        if "output module" in log and ("Can't load" in log or "Exec of module" in log):
            return ("speech-dispatcher could not load its espeak-ng output module (Debian package "
                    "speech-dispatcher-espeak-ng):\n%s" % log)
        return "speech-dispatcher ended with status %s:\n%s\n%s" % (
            self.process.returncode, log, _tail(self.output_path, 10))

    def stop(self):
        if self.process is not None:
            _end_group(self.process)
        if self._own_directory:
            shutil.rmtree(self.dir, ignore_errors=True)

    def _check_alive(self):
        if self.process.poll() is not None:
            raise TestFailure(self._why_ended())
        # The null driver is built into libao; without it libao falls back to a
        # sound card, says so here, and the server carries on as if it had spoken.
        output = _tail(self.output_path, 5, lambda line: "libao ERROR" in line)
        if output:
            raise TestFailure("speech-dispatcher could not open libao's null audio driver:\n%s" % output)

    # --- what a client needs ------------------------------------------------
    @property
    def env(self):
        """Variables for a client: both the address and the runtime folder lead to
        this server, and a client that finds it gone starts nothing."""
        return {
            "SPEECHD_ADDRESS": "unix_socket:" + self.socket_path,
            "XDG_RUNTIME_DIR": self.runtime,
            "SPEECHD_CMD": shutil.which("false") or "/bin/false",
        }

    # --- what it received ---------------------------------------------------
    def utterances(self):
        """Every message the server was given so far, in the order it got them."""
        self._check_alive()
        self._read_log()
        return list(self._utterances)

    def wait_for_utterance(self, text, timeout=10, since=0, finished=True):
        """Waits for a message with this text from the `since`-th on; returns the first."""
        def arrived():
            for u in self.utterances()[since:]:
                if u.text == text and (u.finished or not finished):
                    return (u,)
            return None
        return self._wait(arrived, timeout, "the utterance %r%s" % (text, " spoken" if finished else ""))

    def _wait(self, condition, timeout, what):
        """wait_for on a condition that gives (value,) when met, as an empty list may be."""
        try:
            return wait_for(condition, timeout, what)[0]
        except TestFailure as failure:
            raise TestFailure("%s; the server got %r" % (failure, self._utterances)) from None

    # --- the log ------------------------------------------------------------
    def _read_log(self):
        try:
            with open(self.log_path, "rb") as f:
                f.seek(self._offset)
                data = f.read()
        except FileNotFoundError:
            return
        self._offset += len(data)
        self._pending += data
        heads = list(_ENTRY.finditer(self._pending))
        consumed = heads[0].start() if heads else 0
        for i, head in enumerate(heads):
            if i + 1 < len(heads):
                end = heads[i + 1].start()
            else:
                # The last entry may still be being written: take it only when whole.
                end = len(self._pending)
                if not self._pending.endswith(b"\n") or not self._whole(self._body(head, end)):
                    break
            at = _log_time(head.group(1), head.group(2))
            if at < self._last_at - 0.5:  # read a second early (above): entries never go back
                at += 1.0
            self._last_at = max(self._last_at, at)
            self._entry(at, self._body(head, end))
            consumed = end
        self._pending = self._pending[consumed:]

    def _body(self, head, end):
        text = self._pending[head.end():end].decode("utf-8", "replace")
        return text[:-1].lstrip(" ") if text.endswith("\n") else text.lstrip(" ")

    @staticmethod
    def _whole(body):
        if body.startswith("Queueing message |"):
            return _QUEUED.fullmatch(body) is not None
        if ":REPLY:|" in body:
            return body.endswith("|")
        if body.startswith("Command sent to output module: |"):
            return _TO_MODULE.fullmatch(body) is not None
        return True

    def _entry(self, at, body):
        match = _QUEUED.fullmatch(body)
        if match:
            utterance = Utterance(match.group(1), int(match.group(2)), at)
            self._utterances.append(utterance)
            self._awaiting_id.append(utterance)
            return
        match = _ACCEPTED.match(body)
        if match:
            # Messages are queued and answered one at a time, in this order.
            if self._awaiting_id:
                utterance = self._awaiting_id.pop(0)
                utterance.id = int(match.group(1))
                self._by_id[utterance.id] = utterance
            return
        match = _EVENT.match(body)
        if match:
            # Sent only to a client that asked for these events, but exact.
            utterance = self._by_id.get(int(match.group(1)))
            if utterance:
                event = match.group(2)
                if event == "BEGIN" and utterance.began_at is None:
                    utterance.began_at = at
                elif event == "END" and utterance.ended_at is None:
                    utterance.ended_at = at
                elif event == "CANCELED" and utterance.stopped_at is None:
                    utterance.stopped_at = at
            return
        match = _TO_MODULE.fullmatch(body)
        if match:
            self._to_module(match.group(1), match.group(2) == "1")
            return
        match = _MARK.match(body)
        if match and self._current:
            # The speaking thread's own view of the message it gave the module.
            mark = match.group(1)
            if mark == "begin":
                self._current.began_at = self._current.began_at or at
            elif mark == "end":
                self._current.ended_at = self._current.ended_at or at
                self._current = None
            else:
                self._current.stopped_at = self._current.stopped_at or at
                self._current = None

    def _to_module(self, data, is_command):
        if is_command:
            self._command = data.strip()
            return
        if data.startswith("pitch="):
            self._settings = {}
            for line in data.splitlines():
                name, _, value = line.partition("=")
                self._settings[name] = int(value) if re.fullmatch(r"-?\d+", value) else value
            return
        if self._command not in _SPEAKING_COMMANDS:
            return
        self._command = None
        # The server doubles a dot that begins a line.
        if data.startswith(".."):
            data = data[1:]
        words = _plain(data.replace("\n..", "\n."))
        for utterance in self._utterances:
            if utterance.settings is None and utterance.stopped_at is None and _same_words(utterance.text, words):
                utterance.settings = self._settings or {}
                self._current = utterance
                return
        self._current = None


def no_speech_service_env(directory):
    """Variables under which a client finds no speech server and starts none."""
    return {
        "SPEECHD_ADDRESS": "unix_socket:" + os.path.join(directory, "no-speech-server.sock"),
        "XDG_RUNTIME_DIR": directory,
        "SPEECHD_CMD": shutil.which("false") or "/bin/false",
    }


# --- braille ----------------------------------------------------------------

def _unquote(text):
    """The characters of a string the virtual driver sent: "..." with \\ and \"."""
    if len(text) < 2 or text[0] != '"' or text[-1] != '"':
        return None
    out = []
    i = 1
    while i < len(text) - 1:
        if text[i] == "\\" and i + 1 < len(text) - 1:
            i += 1
        out.append(text[i])
        i += 1
    return "".join(out)


class BrailleService:
    """A private BRLTTY whose braille display is this object: the virtual driver
    serves a socket, the test connects as the display, and each text shown
    arrives as a line. `env` leads a BrlAPI client to it (over the loopback, so
    nothing clashes with a system BRLTTY's local socket)."""

    START_TIMEOUT = 10
    BRLAPI_FIRST_PORT = 4101  # BrlAPI's host "127.0.0.1:N" listens on this plus N

    def __init__(self, directory=None, columns=40):
        """`directory`, when given, gets a copy of BRLTTY's log at the end; the
        service's own files are in a temporary folder of their own, which
        BRLTTY must be able to write when it is run as an unprivileged user."""
        self.keep_in = directory
        self.columns = columns
        self.dir = None
        self.process = None
        self._display = None
        self._reader = None
        self._stop_pipe = None
        self._lock = threading.Lock()
        self._lines = []
        self._texts = []
        self._closed = False
        self.port = None

    # --- life ---------------------------------------------------------------
    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *failure):
        self.stop()
        return False

    def start(self):
        brltty = _program("brltty", "brltty")
        self.dir = tempfile.mkdtemp(prefix="vantor-braille-")
        for folder in ("writable", "updatable"):
            os.mkdir(os.path.join(self.dir, folder))
        open(os.path.join(self.dir, "brltty.conf"), "w").close()
        self.log_path = os.path.join(self.dir, "brltty.log")
        self.display_path = os.path.join(self.dir, "display.sock")
        as_user = {}
        if os.geteuid() == 0:
            import pwd
            user = pwd.getpwnam(UNPRIVILEGED_USER)
            for root, folders, files in os.walk(self.dir):
                for name in [root] + [os.path.join(root, f) for f in folders + files]:
                    os.chown(name, user.pw_uid, user.pw_gid)
            as_user = dict(user=user.pw_uid, group=user.pw_gid, extra_groups=[])
        port = free_tcp_port()
        while port < self.BRLAPI_FIRST_PORT:
            port = free_tcp_port()
        self.port = port
        command = [
            brltty, "--no-daemon", "--standard-error", "--log-level=info",
            "--configuration-file=" + os.path.join(self.dir, "brltty.conf"),
            "--preferences-file=" + os.path.join(self.dir, "brltty.prefs"),
            "--writable-directory=" + os.path.join(self.dir, "writable"),
            "--updatable-directory=" + os.path.join(self.dir, "updatable"),
            "--pid-file=" + os.path.join(self.dir, "brltty.pid"),
            "--braille-driver=vr", "--braille-device=server:" + self.display_path,
            "--screen-driver=no", "--speech-driver=no", "--text-table=en-nabcc",
            # No start-up message held on the display, no tunes from a speaker.
            "--message-time=1", "--override-preferences=alert-tunes=no",
            "--api-parameters=auth=none,host=127.0.0.1:%d" % (port - self.BRLAPI_FIRST_PORT),
        ]
        started = time.monotonic()
        environment = {name: value for name, value in os.environ.items() if not name.startswith("BRLAPI_")}
        self.process = subprocess.Popen(command, cwd=self.dir, env=environment, stdin=subprocess.DEVNULL,
                                        stdout=open(self.log_path, "wb"), stderr=subprocess.STDOUT,
                                        start_new_session=True, **as_user)
        try:
            self._connect_display(started)
            self._wait(lambda: self._lines, started, "the virtual display's first text")
            self._wait(self._brlapi_answers, started, "BrlAPI to answer on 127.0.0.1:%d" % port)
        except BaseException:
            self.stop()
            raise

    def _wait(self, condition, started, what):
        while True:
            self._check_alive()
            value = condition()
            if value:
                return value
            if time.monotonic() - started > self.START_TIMEOUT:
                raise TestFailure("brltty: no %s within %d s; its log ends:\n%s"
                                  % (what, self.START_TIMEOUT, _tail(self.log_path, 10)))
            time.sleep(0.02)

    def _connect_display(self, started):
        def connected():
            display = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            try:
                display.connect(self.display_path)
            except OSError:
                display.close()
                return None
            return display
        self._display = self._wait(connected, started, "virtual display socket at %s" % self.display_path)
        self._display.sendall(b"cells %d\n" % self.columns)
        self._stop_pipe = os.pipe()
        self._reader = threading.Thread(target=self._read_display, name="braille display", daemon=True)
        self._reader.start()

    def _brlapi_answers(self):
        """True once the server greets a connection with its version packet."""
        try:
            with socket.create_connection(("127.0.0.1", self.port), timeout=1) as probe:
                return len(probe.recv(16)) >= 8
        except OSError:
            return False

    def _check_alive(self):
        if self.process.poll() is not None:
            log = _tail(self.log_path, 200)
            if "braille driver not loadable: vr" in log:
                raise TestFailure("brltty has no virtual braille driver (vr):\n%s" % _tail(self.log_path, 5))
            raise TestFailure("brltty ended with status %s:\n%s" % (self.process.returncode, _tail(self.log_path, 15)))

    def stop(self):
        # With its display gone the driver waits for another, deaf to SIGTERM:
        # end the server while the display is still connected.
        if self.process is not None:
            with self._lock:
                display_gone = self._closed
            _end_group(self.process, grace=1 if display_gone else 5)
        if self._stop_pipe:
            os.write(self._stop_pipe[1], b"x")
        if self._reader:
            self._reader.join(5)
        if self._display:
            self._display.close()
        if self._stop_pipe:
            os.close(self._stop_pipe[0])
            os.close(self._stop_pipe[1])
            self._stop_pipe = None
        if self.dir:
            if self.keep_in and os.path.exists(self.log_path):
                shutil.copy(self.log_path, os.path.join(self.keep_in, "brltty.log"))
            shutil.rmtree(self.dir, ignore_errors=True)
            self.dir = None

    # --- the display --------------------------------------------------------
    def _read_display(self):
        partial = b""
        while True:
            ready, _, _ = select.select([self._display, self._stop_pipe[0]], [], [])
            if self._stop_pipe[0] in ready:
                return
            try:
                chunk = self._display.recv(65536)
            except OSError as error:
                if error.errno == errno.EINTR:
                    continue
                chunk = b""
            if not chunk:
                with self._lock:
                    self._closed = True
                return
            partial += chunk
            *lines, partial = partial.split(b"\n")
            with self._lock:
                for line in lines:
                    self._line(line.rstrip(b"\r").decode("utf-8", "replace"))

    def _line(self, line):
        self._lines.append(line)
        word, _, rest = line.partition(" ")
        if word == "Visual":
            text = _unquote(rest)
            if text is not None:
                self._texts.append(text.rstrip(" "))

    def text(self):
        """The text on the display now, without the blank cells after it."""
        self._check_alive()
        with self._lock:
            return self._texts[-1] if self._texts else None

    def texts(self):
        """Each text the display showed, in order ("no screen" when no client writes)."""
        with self._lock:
            return list(self._texts)

    def wait_for_text(self, expected, timeout=10):
        """Waits until the display shows `expected` (trailing blanks aside)."""
        def shown():
            with self._lock:
                if self._closed:
                    raise TestFailure("brltty closed the virtual display")
            return self.text() == expected
        try:
            wait_for(shown, timeout, "the braille display to show %r" % expected)
        except TestFailure as failure:
            raise TestFailure("%s; it showed %r" % (failure, self.texts()[-5:])) from None

    @property
    def env(self):
        return {"BRLAPI_HOST": "127.0.0.1:%d" % (self.port - self.BRLAPI_FIRST_PORT), "BRLAPI_AUTH": "none"}
