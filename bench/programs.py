"""Programs sharing the radio in the benchmarks: Hamlib's rigctl driven through a
pipe, and a program that speaks the rigctld protocol itself on a socket, as a
program using Hamlib's network model does, so that each answer is seen exactly.
"""

import socket
import subprocess
import threading
import time

from common import TestFailure


class Rigctl:
    """Hamlib's rigctl reading its commands from a pipe, one at a time, each timed
    from the moment it is written to the moment its answer line arrives."""

    def __init__(self, args):
        self.started = time.monotonic()
        self.process = subprocess.Popen(["rigctl"] + list(args) + ["-"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.lines = []
        self.arrived = threading.Condition()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            with self.arrived:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.arrived.notify_all()

    def read(self, command="f", timeout=10):
        """(when the command was written, when its answer came, the value)."""
        with self.arrived:
            seen = len(self.lines)
        at = time.monotonic()
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        prefix = command + " "
        with self.arrived:
            found = self.arrived.wait_for(
                lambda: any(l.startswith(prefix) and l[len(prefix):].strip() for _, l in self.lines[seen:]), timeout)
            if not found:
                raise TestFailure("rigctl gave no answer to %r: %r" % (command, self.lines[seen:]))
            stamp, line = next((s, l) for s, l in self.lines[seen:] if l.startswith(prefix))
        return at, stamp, line[len(prefix):].strip()

    def close(self):
        try:
            self.process.stdin.write("q\n")
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


class RigctldProgram:
    """One connection to a port speaking the rigctld protocol, its plain answers read
    line by line."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.file = self.sock.makefile("rw", newline="\n")

    def ask(self, line, lines=1):
        self.file.write(line + "\n")
        self.file.flush()
        return [self.file.readline().rstrip("\n") for _ in range(lines)]

    def timed(self, requests):
        """(ms from the first request written to the last answer line read, the answers)
        of (line, answer lines) pairs sent one after the other."""
        at = time.monotonic()
        answers = [self.ask(line, lines) for line, lines in requests]
        return (time.monotonic() - at) * 1000, answers

    def close(self):
        try:
            self.ask("q")
        except OSError:
            pass
        self.sock.close()
