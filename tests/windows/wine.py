"""A private Wine prefix for the Windows tests, and what they read from it.

The prefix has its own home folder, so the Windows shell folders (Documents,
Desktop) are real folders inside it instead of links into the user's home, and
nothing a test installs lands outside it.
"""

import os
import shutil
import struct
import subprocess

from harness import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.normpath(os.path.join(HERE, "..", ".."))
WINDOWS_BUILD_DIR = os.environ.get("VANTOR_WINDOWS_BUILD_DIR", os.path.join(SOURCE_DIR, "build-windows"))


class WineFailure(Exception):
    pass


def project_version():
    """The version in CMakeLists.txt's project(), as the installer's name has it."""
    with open(os.path.join(SOURCE_DIR, "CMakeLists.txt")) as f:
        for line in f:
            if line.startswith("project(vantor VERSION "):
                return line.split()[2]
    raise WineFailure("no version in CMakeLists.txt")


class WinePrefix:
    def __init__(self, path, user=None):
        """`user` names the Windows user (and so C:\\users\\<user>): Wine takes it from
        $USER when it makes the prefix, and file names reach Unix in UTF-8."""
        self.path = os.path.abspath(path)
        self.home = os.path.join(self.path, "home")
        self.user = user
        self.env = dict(os.environ)
        self.env.update(WINEPREFIX=self.path, HOME=self.home, WINEDEBUG="-all", WINEARCH="win64",
                        # No prompts to install Mono or Gecko: nothing here needs them.
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        if user:
            self.env.update(USER=user, LOGNAME=user, LC_ALL="C.UTF-8")
        self.env.pop("DISPLAY", None)

    def create(self, fresh=False):
        """Makes the prefix unless it is there already (or `fresh` asks for a new one, or
        the one there was made for another user)."""
        users = os.path.join(self.path, "drive_c", "users")
        if self.user and os.path.isdir(users) and self.user not in os.listdir(users):
            fresh = True
        if fresh:
            shutil.rmtree(self.path, ignore_errors=True)
        if not os.path.exists(os.path.join(self.path, "system.reg")):
            os.makedirs(self.home, exist_ok=True)
            self._run(["wineboot", "-i"], timeout=300)
            self._run(["wineserver", "-w"], timeout=120)
        for name in os.listdir(self.user_folder()):
            folder = os.path.join(self.user_folder(), name)
            if os.path.islink(folder):
                os.remove(folder)
                os.mkdir(folder)
        return self

    def kill(self):
        """Ends every program still running in the prefix, and its wineserver."""
        self._run(["wineserver", "-k"], timeout=60)
        self._run(["wineserver", "-w"], timeout=60)

    def _run(self, args, timeout):
        try:
            return subprocess.run(args, env=self.env, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise WineFailure("%s did not end within %d s" % (" ".join(args), timeout))

    def run(self, program, *arguments, timeout=120):
        """Runs a Windows program to its end; its exit status."""
        return self._run(["wine", program, *arguments], timeout).returncode

    def wait_idle(self, timeout=120):
        """Waits until no program runs in the prefix and its wineserver has ended (an
        uninstaller goes on in a copy of itself after the one started has returned)."""
        self._run(["wineserver", "-w"], timeout)

    # --- folders ----------------------------------------------------------
    def user_folder(self):
        users = os.path.join(self.path, "drive_c", "users")
        names = [n for n in os.listdir(users) if n != "Public"]
        if len(names) != 1:
            raise WineFailure("expected one user in %s, found %r" % (users, names))
        return os.path.join(users, names[0])

    def user_path(self, *parts):
        return os.path.join(self.user_folder(), *parts)

    def windows_path(self, unix_path):
        """The C: path of a file in the prefix, as programs there see it."""
        relative = os.path.relpath(unix_path, os.path.join(self.path, "drive_c"))
        return "C:\\" + relative.replace("/", "\\")

    def registry(self, hive="user.reg"):
        with open(os.path.join(self.path, hive), encoding="utf-8", errors="replace") as f:
            return f.read()


# --- a panel session under Wine ---------------------------------------------

def start_display_for_wine(session, prefix):
    """The session's own Xvfb, with the prefix's Wine. A test elsewhere on the
    machine may have taken the same free display number at the same moment: the
    Xvfb that lost ends while the winner's socket makes the display look started."""
    for _ in range(10):
        session.start_display()
        xvfb = session.processes[-1]
        lock = "/tmp/.X%s-lock" % session.display.lstrip(":")

        def owner():
            try:
                with open(lock) as f:
                    return int(f.read().strip() or 0)
            except (OSError, ValueError):
                return 0
        wait_for(lambda: owner() != 0 or xvfb.poll() is not None, 10, "the display's lock")
        if owner() == xvfb.pid and xvfb.poll() is None:
            session.env.update({k: v for k, v in prefix.env.items() if k != "DISPLAY"})
            return
        xvfb.wait()
        session.processes.remove(xvfb)
    raise WineFailure("no display of our own")


def serve_radio_on_com(session, prefix, port):
    """The simulated radio on a pseudo-terminal that the prefix's COM<port> leads to
    (a stale link of an earlier run goes first)."""
    link = os.path.join(prefix.path, "dosdevices", "com%d" % port)
    if os.path.lexists(link):
        os.remove(link)
    session.start_radiosim("0670", port, link=link)


def wait_panel_connected(session):
    """Wine takes a while to start the first program of a display. The question
    after "connected" shows its clip has ended and keys are taken (the installer's
    vantor.cfg has DEBUG=0, so there is no debug.dat to count in)."""
    session.wait_spoken(["connected"], 90)
    polled = len(session.radiosim_commands())
    wait_for(lambda: len(session.radiosim_commands()) > polled, 10, "the poll after connection")


def shortcut(path):
    """The target, arguments and working folder ("Start in") of a shell link (.lnk)."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 76 or struct.unpack_from("<I", data, 0)[0] != 0x4C:
        raise WineFailure("%s is not a shell link" % path)
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 76
    target = ""
    if flags & 0x01:  # an item list of the target
        at += 2 + struct.unpack_from("<H", data, at)[0]
    if flags & 0x02:  # where the target is: its local path
        size, _, info_flags, _, local_offset = struct.unpack_from("<IIIII", data, at)
        if info_flags & 0x01:
            start = at + local_offset
            target = data[start:data.index(b"\0", start)].decode("latin-1")
        at += size
    strings = {}
    unicode = bool(flags & 0x80)
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "start_in"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if unicode else 1
            raw = data[at + 2:at + 2 + count * width]
            strings[name] = raw.decode("utf-16-le" if unicode else "latin-1").rstrip("\0")
            at += 2 + count * width
    return {"target": target, "start_in": strings.get("start_in", ""),
            "arguments": strings.get("arguments", "")}
