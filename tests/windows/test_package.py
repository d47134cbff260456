"""The Windows installer, run unattended under Wine in a fresh private prefix.

Installs with /S and the port and speed switches, checks what landed (program
folder, clips, Start-menu shortcut and its working folder, vantor.cfg, the
Add/Remove Programs entry), then uninstalls and checks that the program is gone
and the operator's files are not. Then, with the installed panel running on
Xvfb against the Linux build's simulator (COM5) and transmitting, an upgrade
and an uninstall that close it first, and a window of the panel's class that
will not close, which stops both. Needs build-windows/vantor-setup-<version>.exe
(scripts/package-windows), build/bin/vantor-radiosim and the MinGW C compiler.
"""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))

from harness import BUILD_DIR, Session, TestFailure, wait_for  # noqa: E402
from wine import (SOURCE_DIR, WINDOWS_BUILD_DIR, WineFailure, WinePrefix, project_version,  # noqa: E402
                  serve_radio_on_com, shortcut, start_display_for_wine, wait_panel_connected)

INSTALLER = os.path.join(WINDOWS_BUILD_DIR, "vantor-setup-%s.exe" % project_version())
STAGE = os.path.join(WINDOWS_BUILD_DIR, "package")
UNINSTALL_KEY = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Vantor]"
OPERATOR_FILES = {"savmem.dat": b"VANTOR v3.2a 3.5a 40\r\n", "memory.txt": b"channel 3\r\n",
                  "debug.dat": b"TX=FA;\r\n"}

# Switches an unattended install refuses (exit status 2, nothing written): the
# first line of vantor.cfg holds one or two digits, a speed is a plain number.
REFUSED = [
    ["/COM=0"],
    ["/COM=100"],
    ["/COM=5x"],
    ["/COM=05"],
    ["/BAUD=fast"],
    ["/COM=5", "/BAUD="],
]

# What the Windows README tells the operator: the port to choose, how to get
# past SmartScreen, where the log is.
WINDOWS_README_SAYS = [b"Enhanced COM Port", b"Standard COM Port", b"Device Manager", b"More info",
                       b"Run anyway", b"vantor.log", b"NVDA+Shift+S", b"Documents\\Vantor", b"NumLock"]

# Switches, and the port and speed vantor.cfg gets (the sample's without switches).
ACCEPTED = [
    ([], "5", "38400"),
    (["/COM=12", "/BAUD=9600"], "12", "9600"),
]


RADIOSIM = os.path.join(BUILD_DIR, "bin", "vantor-radiosim")
PORT = 5
SAVED = "VANTOR v3.2a 3.5a 40\r\n"
# The installer's and the uninstaller's status when the panel would not end.
STILL_RUNNING = 4

# A window of the panel's class that does not close when asked, as a panel
# hung in a driver call would be.
STUBBORN_SOURCE = r"""
#include <windows.h>
#include <stdio.h>
static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_CLOSE) return 0;
    return DefWindowProcW(window, message, w, l);
}
int main(void) {
    WNDCLASSW c = {0};
    c.lpfnWndProc = procedure;
    c.hInstance = GetModuleHandleW(NULL);
    c.lpszClassName = L"VantorPanel";
    if (!RegisterClassW(&c) || !CreateWindowW(L"VantorPanel", L"stubborn", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                              NULL, NULL, c.hInstance, NULL))
        return 1;
    printf("ready\n");
    fflush(stdout);
    MSG m;
    while (GetMessageW(&m, NULL, 0, 0) > 0) DispatchMessageW(&m);
    return 0;
}
"""


def expect(condition, message):
    if not condition:
        raise WineFailure(message)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Installation:
    def __init__(self, prefix):
        self.prefix = prefix
        self.program = prefix.user_path("AppData", "Local", "Programs", "Vantor")
        self.work = prefix.user_path("Documents", "Vantor")
        self.menu = prefix.user_path("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs",
                                     "Vantor")

    def install(self, *switches):
        status = self.prefix.run(INSTALLER, "/S", *switches)
        self.prefix.wait_idle()
        return status

    def uninstall(self):
        status = self.prefix.run(os.path.join(self.program, "uninstall.exe"), "/S")
        # The uninstaller works on in a copy of itself so that it can remove the original.
        self.prefix.wait_idle()
        expect(status == 0, "uninstaller exit status %d" % status)

    def check_nothing_installed(self, what):
        expect(not os.path.exists(self.program), "%s: program folder made" % what)
        expect(not os.path.exists(os.path.join(self.work, "vantor.cfg")), "%s: vantor.cfg written" % what)

    def check_installed(self, port, speed):
        for name in ("vantor.exe", "uninstall.exe", "vantor.cfg.sample", "README.txt"):
            expect(os.path.isfile(os.path.join(self.program, name)), "%s not installed" % name)
        expect(read(os.path.join(self.program, "vantor.exe")) == read(os.path.join(STAGE, "vantor.exe")),
               "the installed vantor.exe is not the one packaged")
        clips = sorted(n for n in os.listdir(os.path.join(SOURCE_DIR, "build", "wave")) if n.endswith(".wav"))
        expect(clips and sorted(os.listdir(os.path.join(self.program, "wave"))) == clips,
               "the wave folder does not hold the build's clips")
        readme = read(os.path.join(self.program, "README.txt"))
        expect(readme.count(b"\n") == readme.count(b"\r\n"), "README.txt is not in Windows line ends")
        for wanted_text in WINDOWS_README_SAYS:
            expect(wanted_text in readme, "README.txt does not say %r" % wanted_text)
        for linux_text in (b"apt-get", b"sudo", b"/dev/tty", b"dialout", b"cmake", b"```"):
            expect(linux_text not in readme, "README.txt says %r: not the Windows README" % linux_text)

        # The sample's lines with the port and speed asked for and the debug log off.
        sample = read(os.path.join(SOURCE_DIR, "vantor.cfg.sample")).decode().splitlines()
        expect(sample[13].startswith("DEBUG="), "line 14 of the sample is %r" % sample[13])
        wanted = ["COM=" + port, "SPEED=" + speed] + sample[2:13] + ["DEBUG=0"] + sample[14:]
        config = read(os.path.join(self.work, "vantor.cfg")).decode()
        expect(config == "".join(line + "\r\n" for line in wanted), "vantor.cfg is %r" % config)

        link = shortcut(os.path.join(self.menu, "Vantor.lnk"))
        expect(link["target"].lower() == self.prefix.windows_path(os.path.join(self.program, "vantor.exe")).lower(),
               "the shortcut starts %r" % link["target"])
        expect(link["start_in"].lower() == self.prefix.windows_path(self.work).lower(),
               "the shortcut starts in %r" % link["start_in"])
        entry = self.prefix.registry().split(UNINSTALL_KEY, 1)
        expect(len(entry) == 2 and "uninstall.exe" in entry[1].split("\n[", 1)[0],
               "no Add/Remove Programs entry with the uninstaller")

    def check_uninstalled(self, kept):
        if os.path.exists(self.program):
            raise WineFailure("program folder left with %r" % os.listdir(self.program))
        expect(not os.path.exists(self.menu), "Start-menu folder left")
        expect(UNINSTALL_KEY not in self.prefix.registry(), "Add/Remove Programs entry left")
        for name, content in kept.items():
            path = os.path.join(self.work, name)
            expect(os.path.isfile(path) and read(path) == content, "%s in the working folder not kept" % name)


def refuses_bad_switches(inst):
    for switches in REFUSED:
        status = inst.install(*switches)
        expect(status == 2, "%r: exit status %d, expected 2" % (switches, status))
        inst.check_nothing_installed(" ".join(switches))


def says_when_the_working_folder_cannot_take_the_configuration(inst):
    # A file where the working folder should be: the program installs, vantor.cfg cannot.
    with open(inst.work, "wb") as f:
        f.write(b"in the way")
    try:
        status = inst.install("/COM=5")
        expect(status == 3, "exit status %d, expected 3" % status)
        expect(os.path.isfile(os.path.join(inst.program, "vantor.exe")), "the program was not installed")
        inst.uninstall()
        expect(read(inst.work) == b"in the way", "the file in the way was changed")
    finally:
        os.remove(inst.work)


def installs_and_uninstalls_keeping_the_operators_files(inst):
    for switches, port, speed in ACCEPTED:
        config = os.path.join(inst.work, "vantor.cfg")
        if os.path.exists(config):
            os.remove(config)
        status = inst.install(*switches)
        expect(status == 0, "%r: exit status %d" % (switches, status))
        inst.check_installed(port, speed)
        for name, content in OPERATOR_FILES.items():
            with open(os.path.join(inst.work, name), "wb") as f:
                f.write(content)
        kept = dict(OPERATOR_FILES, **{"vantor.cfg": read(config)})
        inst.uninstall()
        inst.check_uninstalled(kept)


def reinstall_keeps_the_configuration(inst):
    config = os.path.join(inst.work, "vantor.cfg")
    before = read(config)
    expect(inst.install("/COM=7", "/BAUD=4800") == 0, "reinstall failed")
    expect(read(config) == before, "an existing vantor.cfg was rewritten")
    inst.uninstall()
    inst.check_uninstalled({"vantor.cfg": before})


class PanelWorld:
    """A display, the simulated radio on the prefix's COM5 and the working folder
    Documents\\Vantor leading to the session's directory, where the panel's logs go."""

    def __init__(self, inst, name):
        self.inst = inst
        self.s = Session(name)
        self.failed = True
        self.others = []

    def __enter__(self):
        s = self.s
        # The earlier tests' programs ran without a display.
        self.inst.prefix.kill()
        start_display_for_wine(s, self.inst.prefix)
        work = self.inst.work
        if os.path.islink(work) or os.path.isfile(work):
            os.remove(work)
        elif os.path.isdir(work):
            shutil.rmtree(work)
        os.symlink(s.dir, work)
        serve_radio_on_com(s, self.inst.prefix, PORT)
        return self

    def __exit__(self, kind, value, trace):
        self.failed = kind is not None
        if self.failed:
            for log in ("vantor.err", "speech.log", "radiosim.log", "stubborn.out"):
                text = self.s.read_text(log)
                if text:
                    print("--- %s ---\n%s" % (log, text[-2000:]))
        for other in self.others:
            if other.poll() is None:
                other.kill()
                other.wait()
        # Nothing of this display stays in the prefix for the next one.
        self.inst.prefix.kill()
        self.s.close(self.failed)
        os.remove(self.inst.work)
        return False

    def run(self, program, *arguments, timeout=120):
        """A Windows program on this display, to its end; its exit status."""
        try:
            return subprocess.run(["wine", program, *arguments], env=self.s.env, capture_output=True,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise WineFailure("%s did not end within %d s" % (program, timeout))

    def start_transmitting_panel(self):
        """The installed panel, connected and keyed (Space); savmem.dat is not there yet."""
        s = self.s
        # Each panel begins the speech log anew.
        if os.path.exists(s.path("speech.log")):
            os.remove(s.path("speech.log"))
        s.start_vantor(program=["wine", os.path.join(self.inst.program, "vantor.exe")])
        wait_panel_connected(s)
        if os.path.exists(s.path("savmem.dat")):
            os.remove(s.path("savmem.dat"))
        asked = len(s.radiosim_commands())
        s.press("space")
        s.wait_radio_got(["TX1;"], since=asked)
        return len(s.radiosim_commands())

    def check_panel_ended_in_order(self, asked):
        """The panel unkeyed the radio, saved the memories and ended with status 0."""
        s = self.s
        s.wait_radio_got(["TX0;"], since=asked)
        status = s.wait_exit(30)
        expect(status == 0, "the panel ended with status %d" % status)


def mark_installed_program_old(inst):
    """Makes the installed vantor.exe differ from the packaged one (data after its
    image, which Windows ignores), so a replaced one shows."""
    with open(os.path.join(inst.program, "vantor.exe"), "ab") as f:
        f.write(b"\0an older program")


def build_stubborn_window():
    stub = os.path.join(WINDOWS_BUILD_DIR, "stubborn-panel.exe")
    source = stub[:-4] + ".c"
    with open(source, "w") as f:
        f.write(STUBBORN_SOURCE)
    built = subprocess.run(["x86_64-w64-mingw32-gcc", "-O1", "-o", stub, source], capture_output=True, text=True)
    expect(built.returncode == 0, "the stubborn window does not build: %s" % built.stderr)
    return stub


def upgrade_closes_the_running_panel_first(world, inst):
    mark_installed_program_old(inst)
    asked = world.start_transmitting_panel()
    status = world.run(INSTALLER, "/S")
    expect(status == 0, "upgrade exit status %d" % status)
    # Its end was awaited: the memories were saved before the upgrade went on.
    expect(world.s.read_text("savmem.dat").startswith(SAVED), "the upgrade ended before the panel saved")
    expect(read(os.path.join(inst.program, "vantor.exe")) == read(os.path.join(STAGE, "vantor.exe")),
           "the upgrade left the old vantor.exe")
    world.check_panel_ended_in_order(asked)


def a_panel_that_does_not_close_stops_the_upgrade_and_the_uninstall(world, inst):
    mark_installed_program_old(inst)
    before = read(os.path.join(inst.program, "vantor.exe"))
    out = world.s.path("stubborn.out")
    stubborn = subprocess.Popen(["wine", world.stub], env=world.s.env, stdout=open(out, "wb"),
                                stderr=subprocess.DEVNULL)
    world.others.append(stubborn)
    try:
        wait_for(lambda: "ready" in world.s.read_text("stubborn.out"), 60, "the stubborn window")
        status = world.run(INSTALLER, "/S")
        expect(stubborn.poll() is None, "the stubborn window ended by itself")
        expect(status == STILL_RUNNING, "upgrade exit status %d, expected %d" % (status, STILL_RUNNING))
        expect(read(os.path.join(inst.program, "vantor.exe")) == before, "the upgrade changed vantor.exe")
        # In place (_?=), so that its own status comes back instead of that of the copy it starts.
        uninstaller = os.path.join(inst.program, "uninstall.exe")
        status = world.run(uninstaller, "/S", "_?=" + inst.prefix.windows_path(inst.program))
        expect(status == STILL_RUNNING, "uninstall exit status %d, expected %d" % (status, STILL_RUNNING))
        for name in ("vantor.exe", "README.txt", "uninstall.exe"):
            expect(os.path.isfile(os.path.join(inst.program, name)), "the uninstaller removed %s" % name)
        expect(os.path.isfile(os.path.join(inst.menu, "Vantor.lnk")), "the uninstaller removed the shortcut")
    finally:
        stubborn.kill()
        stubborn.wait()


def uninstall_closes_the_running_panel_first(world, inst):
    asked = world.start_transmitting_panel()
    expect(world.run(os.path.join(inst.program, "uninstall.exe"), "/S") == 0, "uninstall failed")
    # It goes on in a copy of itself.
    wait_for(lambda: not os.path.exists(inst.program), 60, "the program folder to go")
    expect(world.s.read_text("savmem.dat").startswith(SAVED), "files went before the panel saved")
    world.check_panel_ended_in_order(asked)
    # The registry reaches user.reg when the wineserver ends.
    inst.prefix.wait_idle()
    inst.check_uninstalled({})


# In order, on one display: each leaves the program installed for the next.
WHILE_THE_PANEL_RUNS = [
    upgrade_closes_the_running_panel_first,
    a_panel_that_does_not_close_stops_the_upgrade_and_the_uninstall,
    uninstall_closes_the_running_panel_first,
]


def upgrade_and_uninstall_wait_for_the_running_panel(inst):
    stub = build_stubborn_window()
    with PanelWorld(inst, "package_running_panel") as world:
        world.stub = stub
        expect(world.run(INSTALLER, "/S", "/COM=%d" % PORT, "/BAUD=38400") == 0, "install failed")
        for step in WHILE_THE_PANEL_RUNS:
            try:
                step(world, inst)
            except (WineFailure, TestFailure) as failure:
                raise WineFailure("%s: %s" % (step.__name__, failure))


TESTS = [
    ("refuses_bad_switches", refuses_bad_switches),
    ("says_when_the_working_folder_cannot_take_the_configuration",
     says_when_the_working_folder_cannot_take_the_configuration),
    ("installs_and_uninstalls_keeping_the_operators_files", installs_and_uninstalls_keeping_the_operators_files),
    ("reinstall_keeps_the_configuration", reinstall_keeps_the_configuration),
    ("upgrade_and_uninstall_wait_for_the_running_panel", upgrade_and_uninstall_wait_for_the_running_panel),
]


def main():
    if not os.path.isfile(INSTALLER):
        print("no installer %s: run scripts/package-windows" % INSTALLER, file=sys.stderr)
        return 1
    if not os.path.isfile(RADIOSIM):
        print("no simulator %s: build vantor-radiosim" % RADIOSIM, file=sys.stderr)
        return 1
    prefix = WinePrefix(os.path.join(WINDOWS_BUILD_DIR, "wineprefix-package")).create(fresh=True)
    inst = Installation(prefix)
    failures = 0
    # In order: the last leaves the vantor.cfg the next one keeps.
    for name, test in TESTS:
        try:
            test(inst)
            print("PASS %s" % name)
        except (WineFailure, TestFailure) as failure:
            failures += 1
            print("FAIL %s: %s" % (name, failure))
    print("%d passed, %d failed" % (len(TESTS) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
