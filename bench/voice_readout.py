#!/usr/bin/env python3
"""F's readout through the speech service, against the same words said alone.

A private speech-dispatcher (espeak-ng) plays into a private PulseAudio's null
sink, which takes the samples at the pace of a sound card, so an utterance
lasts as long as it sounds. At the service's default rate and at a fast one,
F is pressed at 14.074 MHz USB: the readout's length runs from the service's
begin of the utterance to its end, the reference is the same words given to
the same service by spd-say, and key to first sound runs from the key going
down to the service beginning to speak. Last, the connected panel's idle CPU
with the service connected, against the same panel with the clips.
"""

import os
import shutil
import subprocess
import tempfile
import time

from common import DISK, TestFailure, arguments, configuration, emit, process_times, run_session, summary, wait_for
from services import SpeechService

FAST_RATE = 70


class QuietSink:
    """A private PulseAudio whose only output is a null sink."""

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="vantor-pulse-")
        self.socket = os.path.join(self.dir, "pulse.sock")
        for folder in ("home", "runtime"):
            os.makedirs(os.path.join(self.dir, folder), mode=0o700)
        env = dict(os.environ, HOME=os.path.join(self.dir, "home"), XDG_RUNTIME_DIR=os.path.join(self.dir, "runtime"))
        self.process = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
             "-L", "module-null-sink sink_name=nowhere",
             "-L", "module-native-protocol-unix socket=%s auth-anonymous=1" % self.socket],
            env=env, stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.dir, "pulse.log"), "wb"),
            start_new_session=True)
        self.env = {"PULSE_SERVER": "unix:" + self.socket}
        wait_for(lambda: subprocess.run(["pactl", "info"], env=dict(os.environ, **self.env),
                                        capture_output=True).returncode == 0, 10, "PulseAudio to start")
        return self

    def __exit__(self, *failure):
        self.process.terminate()
        self.process.wait(10)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False


def epoch_of(monotonic_at):
    return time.time() - (time.monotonic() - monotonic_at)


def readouts(speech, rate, count):
    """(readout lengths, key to first sound), both in ms, and the readout's words."""
    def body(s):
        s.env.update(speech.env)
        s.start_display()
        s.start_radiosim("0670", 5, "--smeter", "130")
        s.write_config(configuration(port=5))
        s.start_vantor("--voice", "speechd", "--voice-rate", str(rate))
        s.connected()
        s.focus()
        s.tune("14.074")
        lengths, first_sound, words = [], [], set()
        for _ in range(count):
            heard = len(speech.utterances())
            at = epoch_of(s.stamped_key("f"))
            wait_for(lambda: any(u.finished for u in speech.utterances()[heard:]), 10, "F's utterance")
            utterance = [u for u in speech.utterances()[heard:] if u.finished][0]
            lengths.append((utterance.ended_at - utterance.began_at) * 1000)
            first_sound.append((utterance.began_at - at) * 1000)
            words.add(utterance.text)
            time.sleep(0.3)  # the poll's quiet second between readouts, as an operator leaves it
        if len(words) != 1:
            raise TestFailure("the readouts differ: %r" % words)
        return lengths, first_sound, words.pop()
    return run_session("voice_readout_%d" % rate, body)


def alone(speech, rate, words, count):
    """The same words said by spd-say through the same service, in ms."""
    lengths = []
    for _ in range(count):
        heard = len(speech.utterances())
        subprocess.run(["spd-say", "-w", "-r", str(rate), words], env=dict(os.environ, **speech.env), check=True)
        utterance = speech.wait_for_utterance(words, since=heard)
        lengths.append((utterance.ended_at - utterance.began_at) * 1000)
    return lengths


def idle_cpu(speech, seconds, voice):
    def body(s):
        s.env.update(speech.env)
        s.start_display()
        s.start_radiosim("0670", 5, "--smeter", "130")
        s.write_config(configuration(port=5))
        s.start_vantor(*(["--voice", "speechd"] if voice else []))
        s.connected()
        time.sleep(2)  # the connection sentence has ended
        cpu, previous = [], process_times(s.vantor.pid)
        for _ in range(seconds):
            time.sleep(1.0)
            now = process_times(s.vantor.pid)
            cpu.append((now[0] - previous[0]) * 100)
            previous = now
        return cpu
    return run_session("voice_idle", body, DISK if not voice else "dummy")


def measure(quick):
    count, seconds = (2, 3) if quick else (10, 60)
    figures = []
    with QuietSink() as sink, SpeechService(config=['AudioOutputMethod "pulse"'], server_env=sink.env) as speech:
        for rate, name in ((0, "default"), (FAST_RATE, "fast")):
            lengths, first_sound, words = readouts(speech, rate, count)
            reference = summary(alone(speech, rate, words, count), "ms")
            figures.append(dict(summary(lengths, "ms", "<= 1.15x", reference, words=words, rate=rate),
                                figure="F readout through speech-dispatcher, %s rate" % name))
            figures.append(dict(summary(first_sound, "ms", rate=rate),
                                figure="key to first sound through speech-dispatcher, %s rate" % name))
        figures.append(dict(summary(idle_cpu(speech, seconds, True), "% of a core", "<= 1"),
                            figure="idle CPU with speech-dispatcher connected"))
        figures.append(dict(summary(idle_cpu(speech, seconds, False), "% of a core", "<= 1"),
                            figure="idle CPU with the clips"))
    return figures


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
