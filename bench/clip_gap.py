#!/usr/bin/env python3
"""The gap between two clips of one sentence.

The F readout at 14.074 MHz is eight clips. On the real audio path (SDL's disk
driver) each clip is found byte for byte in the samples the device wrote, and the
gap is the silence the device played between one clip's last sample and the
next clip's first. With no audio device the panel still waits out each clip;
there the gap is the time from one clip's end (its logged start plus its length)
to the next clip's logged start.
"""

from common import DISK, NO_DEVICE, PlayedAudio, answer, arguments, emit, logged_gaps, run_session, summary

GOAL = "median <= 2 ms, p99 <= 5 ms"


def measure(quick):
    readouts = 1 if quick else 15

    def body_for(audio):
        def body(s):
            s.start()
            if not quick:  # the start frequency's readout is shorter but proves the script
                s.tune("14.074")
            gaps = []
            played = PlayedAudio(s.audio_file)
            for _ in range(readouts):
                _, clips = answer(s, "f")
                gaps += played.gaps(clips, played.place(clips)) if audio == DISK else logged_gaps(clips)
            return gaps
        return body

    return [dict(summary(run_session("clip_gap_disk", body_for(DISK), DISK), "ms", GOAL),
                 figure="gap between clips (SDL disk driver)"),
            dict(summary(run_session("clip_gap_none", body_for(NO_DEVICE)), "ms", GOAL),
                 figure="gap between clips (no audio device)")]


if __name__ == "__main__":
    emit(measure(arguments(__doc__).quick))
