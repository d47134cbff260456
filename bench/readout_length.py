#!/usr/bin/env python3
"""The length of the F readout as played, against the same words as one utterance.

At 14.074 MHz USB, F is pressed with SDL's disk driver as the device; the readout
is found clip by clip in the samples the device wrote, and its length runs from
its first clip's first sample to its last clip's last. The reference is the same
words (each clip's phrase) spoken by espeak-ng as one utterance at the voice and
rate the clips are made with, trimmed of silence at both ends as the clips are.
"""

import os
import re
import subprocess
import tempfile
import wave

from common import DISK, TestFailure, ROOT, PlayedAudio, answer, arguments, clip_name, emit, phrase_table, run_session, summary


def clip_settings():
    """The voice and rate make-clips uses by default."""
    with open(os.path.join(ROOT, "tools", "make-clips")) as f:
        text = f.read()
    return re.search(r"^voice=(\S+)$", text, re.M).group(1), re.search(r"^rate=(\d+)$", text, re.M).group(1)


def utterance_ms(words):
    voice, rate = clip_settings()
    with tempfile.TemporaryDirectory() as work:
        raw, trimmed = os.path.join(work, "raw.wav"), os.path.join(work, "trimmed.wav")
        subprocess.run(["espeak-ng", "-v", voice, "-s", rate, "-w", raw, words], check=True)
        subprocess.run(["sox", raw, trimmed, "silence", "1", "0.02", "0.5%", "reverse", "silence", "1", "0.02",
                        "0.5%", "reverse"], check=True)
        with wave.open(trimmed, "rb") as w:
            return w.getnframes() * 1000.0 / w.getframerate()


def measure(quick):
    readouts = 1 if quick else 5

    def body(s):
        s.start()
        if not quick:  # the start frequency's readout is shorter but proves the script
            s.tune("14.074")
        played = PlayedAudio(s.audio_file)
        lengths = []
        words = set()
        for _ in range(readouts):
            _, clips = answer(s, "f")
            places = [p for p in played.place(clips) if p]
            lengths.append(places[-1][1] - places[0][0])
            table = phrase_table()
            words.add(" ".join(table[clip_name(line)] for _, line in clips if table[clip_name(line)] != "[silence]"))
        if len(words) != 1:
            raise TestFailure("the readouts differ: %r" % words)
        return lengths, words.pop()

    lengths, words = run_session("readout_length", body, DISK)
    reference = summary([utterance_ms(words)], "ms")
    return [dict(summary(lengths, "ms", "<= 1.15x", reference, words=words), figure="F readout length as played")]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
