"""The Windows installer, run unattended under Wine in a fresh private prefix.

Installs with /S and the port and speed switches, checks what landed (program
folder, clips, Start-menu shortcut and its working folder, vantor.cfg, the
Add/Remove Programs entry), then uninstalls and checks that the program is gone
and the operator's files are not. Needs build-windows/vantor-setup-<version>.exe
(scripts/package-windows).
"""

import os
import sys

from wine import SOURCE_DIR, WINDOWS_BUILD_DIR, WineFailure, WinePrefix, project_version, shortcut

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

# Switches, and the port and speed vantor.cfg gets (the sample's without switches).
ACCEPTED = [
    ([], "5", "38400"),
    (["/COM=12", "/BAUD=9600"], "12", "9600"),
]


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
        expect(readme.startswith(b"# Vantor\r\n") and readme.count(b"\n") == readme.count(b"\r\n"),
               "README.txt is not the README in Windows line ends")

        sample = read(os.path.join(SOURCE_DIR, "vantor.cfg.sample")).decode().splitlines()
        wanted = ["COM=" + port, "SPEED=" + speed] + sample[2:]
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


TESTS = [
    ("refuses_bad_switches", refuses_bad_switches),
    ("says_when_the_working_folder_cannot_take_the_configuration",
     says_when_the_working_folder_cannot_take_the_configuration),
    ("installs_and_uninstalls_keeping_the_operators_files", installs_and_uninstalls_keeping_the_operators_files),
    ("reinstall_keeps_the_configuration", reinstall_keeps_the_configuration),
]


def main():
    if not os.path.isfile(INSTALLER):
        print("no installer %s: run scripts/package-windows" % INSTALLER, file=sys.stderr)
        return 1
    prefix = WinePrefix(os.path.join(WINDOWS_BUILD_DIR, "wineprefix-package")).create(fresh=True)
    inst = Installation(prefix)
    failures = 0
    # In order: the last leaves the vantor.cfg the next one keeps.
    for name, test in TESTS:
        try:
            test(inst)
            print("PASS %s" % name)
        except WineFailure as failure:
            failures += 1
            print("FAIL %s: %s" % (name, failure))
    print("%d passed, %d failed" % (len(TESTS) - failures, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
