"""The panel speaking through a real speech-dispatcher and writing to a real BRLTTY.

Both services run privately for the test (services.py): speech-dispatcher with
espeak-ng and no sound card, BRLTTY with its virtual driver, the test as the
display. The speech log's sentences are what the panel meant to say; the
server's own log is what it was given, and when each utterance ended.
"""

import os
import signal

from harness import TestFailure, configuration, run_tests, wait_for
from services import BrailleService, SpeechService, no_speech_service_env

F_READOUT = "7.1 megahertz L S B"


def start(s, *options):
    s.start_display()
    s.start_radiosim("0670", 5)
    s.write_config(configuration(port=5))
    s.start_vantor(*options)


def _holds(run, names):
    return any(names[i:i + len(run)] == run for i in range(len(names)))


def clip_files_played(s, since=0):
    return [played for _, played in s.speech()[since:] if played]


def one_utterance_a_sentence_each_waited_for(s):
    """F's readout reaches the service as one utterance; every sentence the panel
    said is one utterance, in order, and each was queued only once the one before
    had ended; no clip but the pauses is played; X Up says the new rate at it."""
    with SpeechService() as speech:
        s.env.update(speech.env)
        start(s, "--voice", "speechd")
        wait_for(lambda: "connected" in " ".join(s.sentences()), 20, "the connection sentence")
        clips_before = len(s.speech())
        heard = len(speech.utterances())
        s.press("f")
        speech.wait_for_utterance(F_READOUT, since=heard)
        wait_for(lambda: s.sentences()[-1] == F_READOUT, 5, "F's sentence in the speech log")
        s.press("x", "Up")
        rate = speech.wait_for_utterance("rate 10", since=heard)
        if "10" not in str(rate.settings):
            raise TestFailure("rate 10 was said with the settings %r" % (rate.settings,))
        said = s.sentences()
        got = wait_for(lambda: len(speech.utterances()) >= len(said) and speech.utterances(), 10,
                       "every sentence at the service")
        if [u.text for u in got] != said:
            raise TestFailure("the service got %r for the sentences %r" % ([u.text for u in got], said))
        for before, after in zip(got, got[1:]):
            if before.ended_at is None or after.queued_at < before.ended_at:
                raise TestFailure("%r was queued before %r had ended" % (after, before))
        played = [f for f in clip_files_played(s, clips_before) if not f.endswith("delay.wav")]
        if played:
            raise TestFailure("clips were played beside the voice: %r" % played)
        if s.read_text("voice.cfg").split() != ["rate", "10"]:
            raise TestFailure("voice.cfg holds %r" % s.read_text("voice.cfg"))
        s.stop_vantor()


def a_missing_service_leaves_the_clips_with_one_line(s):
    s.env.update(no_speech_service_env(s.dir))
    start(s, "--voice", "speechd")
    s.connected()
    complaints = [line for line in s.read_text("vantor.err").splitlines() if "--voice" in line]
    if len(complaints) != 1 or "speaking with the clips" not in complaints[0]:
        raise TestFailure("vantor.err on the voice: %r" % complaints)
    if not any(f.endswith("connected.wav") for f in clip_files_played(s)):
        raise TestFailure("the clips did not say connected")


def a_service_that_dies_hands_over_to_the_clips(s):
    """The sentence the service could not say is said with the clips."""
    with SpeechService() as speech:
        s.env.update(speech.env)
        start(s, "--voice", "speechd")
        wait_for(lambda: "connected" in " ".join(s.sentences()), 20, "the connection sentence")
        os.killpg(speech.process.pid, signal.SIGKILL)
        speech.process.wait()
        before = len(s.speech())
        s.press("f")
        # F's readout from the clip files, after the connection sentence when that was
        # lost too: the panel sees the service gone at once, without the stall
        # allowance's silence.
        readout = ["7.wav", "point.wav", "1.wav", "mhz.wav", "lsb.wav"]
        wait_for(lambda: _holds(readout, [os.path.basename(f) for f in clip_files_played(s, before)]), 12,
                 "F's readout from the clips")
        complaints = [line for line in s.read_text("vantor.err").splitlines() if "speech service" in line]
        if len(complaints) != 1 or "went away" not in complaints[0]:
            raise TestFailure("vantor.err on the failed service: %r" % complaints)
        if s.vantor.poll() is not None:
            raise TestFailure("the panel ended with the service")


def braille_shows_each_sentence(s):
    with BrailleService() as braille:
        s.env.update(braille.env)
        start(s, "--braille")
        s.connected()
        s.press("f")
        braille.wait_for_text("7.1 megahertz LSB")
        s.press("x")
        braille.wait_for_text("extended commands on")
        s.stop_vantor()


if __name__ == "__main__":
    run_tests([
        ("one_utterance_a_sentence_each_waited_for", one_utterance_a_sentence_each_waited_for),
        ("a_missing_service_leaves_the_clips_with_one_line", a_missing_service_leaves_the_clips_with_one_line),
        ("a_service_that_dies_hands_over_to_the_clips", a_service_that_dies_hands_over_to_the_clips),
        ("braille_shows_each_sentence", braille_shows_each_sentence),
    ])
