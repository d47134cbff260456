"""The truth run, short, on the real panel: random keys at random gaps against a
simulated radio that answers late; after every run of keys, once the speech has
been quiet for a second, F must speak the frequency and mode the radio is on.

The radio's state comes from the simulator's --state file. Each seed is one
session; VANTOR_E2E_TRUTH_SEED=N replays seed N alone. A failure prints the
seed and every key with the gap before it.
"""

import functools
import os
import random
import time
import wave

from harness import TestFailure, configuration, run_tests, wait_for

DEFAULT_SEEDS = (1, 2, 3)
ROUNDS = 2                # runs of keys, each followed by a check, per seed
GESTURES = (3, 7)         # gestures in a run of keys
LONGEST_GAP_MS = 600
QUIET_S = 1.0
KEY_HOLD_S = 0.05         # the harness holds a key this long and rests as long after it

# Keys that move the frequency, the mode, split or the band. F is the check and is
# left out; so are keys that open an entry the run might leave open.
TYPED = ("1.85", "3.6", "7.05", "10.12", "14.074", "21.3", "28.5", "29.6", "50.2", "145.5", "433.5")
GESTURE_KINDS = (
    lambda r: ["equal"], lambda r: ["minus"], lambda r: ["Prior"], lambda r: ["Next"],
    lambda r: ["Left"], lambda r: ["Right"], lambda r: ["Up"], lambda r: ["Down"],
    lambda r: ["m"], lambda r: ["v"], lambda r: ["z"], lambda r: ["x", "s"], lambda r: ["x", "m"],
    lambda r: ["b", str(r.randrange(10))], lambda r: ["b", r.choice(("Up", "Down"))],
    lambda r: ["e"] + ["period" if c == "." else c for c in r.choice(TYPED)] + ["Return"],
)

MODE_CLIPS = {"1": ["lsb.wav"], "2": ["usb.wav"], "3": ["cw.wav"], "5": ["am.wav"], "4": ["fm.wav"],
              "B": ["fm.wav", "nar.wav"], "E": ["c4fm.wav"]}


def radio_state(s):
    """The simulator's state line as a dictionary of strings."""
    line = s.read_text("radio.state").strip()
    state = dict(field.split("=", 1) for field in line.split() if "=" in field)
    if "vfoA" not in state:
        raise TestFailure("no radio state in %r" % line)
    return state


def spoken_for(state):
    """What F says for the radio: "vfob" in split ("repeater" with the shift on), the
    megahertz, the decimals to the last one that is not zero, "mhz", the mode, the tone."""
    split = state["split"] == "1"
    hertz = int(state["vfoB"] if split else state["vfoA"])
    words = ["vfob"] if split else ["repeater"] if state["shift"] != "0" else []
    decimals = ("%06d" % (hertz % 1000000)).rstrip("0")
    number = (str(hertz // 1000000) if hertz >= 1000000 else "") + ("." + decimals if decimals else "")
    words += ["point" if c == "." else c for c in number]
    words += ["mhz"] + MODE_CLIPS.get(state["mode"], ["mode " + state["mode"]])
    if state["tone"] == "1":
        words += ["ctcss"] + list("%03d" % int(state["tone-code"]))
    return words


@functools.lru_cache(maxsize=None)
def clip_seconds(path):
    """How long a clip plays; 0 for one that is not a readable wave file."""
    try:
        with wave.open(path) as clip:
            return clip.getnframes() / clip.getframerate()
    except (OSError, EOFError, wave.Error, ZeroDivisionError):
        return 0.0


def wait_quiet(s, what):
    """Waits until a second has passed since the last clip (pauses included) ended: a
    clip is logged as it starts, and one can play for longer than a second."""
    seen = {"count": -1, "until": 0.0}

    def quiet():
        files = [played for clip, played in s.speech() if not clip.startswith("xx")]
        if len(files) != seen["count"]:
            seen["count"] = len(files)
            seen["until"] = time.monotonic() + (clip_seconds(files[-1]) if files else 0.0) + QUIET_S
        return time.monotonic() >= seen["until"]
    wait_for(quiet, 20, "a quiet second %s" % what)


def play(s, rng, transcript):
    """One run of random gestures, each key after a random gap."""
    for _ in range(rng.randint(*GESTURES)):
        for key in rng.choice(GESTURE_KINDS)(rng):
            gap_ms = rng.randint(0, LONGEST_GAP_MS)
            transcript.append("+%d %s" % (gap_ms, key))
            # The harness already rested after the last key's release.
            time.sleep(max(0.0, gap_ms / 1000.0 - KEY_HOLD_S))
            s.press(key)


def check_f(s, transcript):
    """After a quiet second F speaks where the radio is, and says nothing more."""
    wait_quiet(s, "after the keys")
    before_state = radio_state(s)
    expected = spoken_for(before_state)
    heard_before = len(s.heard())
    transcript.append("| F")
    s.press("f")
    wait_for(lambda: len(s.heard()) > heard_before, 10, "F to speak")
    wait_quiet(s, "after F")
    said = s.heard()[heard_before:]
    after_state = radio_state(s)
    if said != expected or after_state != before_state:
        raise TestFailure("F said %r, the radio is %r (%s)%s" % (
            " ".join(said), " ".join(expected), s.read_text("radio.state").strip(),
            "" if after_state == before_state else "; the radio moved during F from %r" % before_state))
    print("  F: %s" % " ".join(said))


def truth_run(seed, s):
    rng = random.Random(seed)
    transcript = []
    s.start_display()
    s.start_radiosim("0670", 5, "--latency-random", "150", "--smeter", "130", "--state", s.path("radio.state"))
    s.write_config(configuration(port=5))
    s.start_vantor()
    s.connected()
    try:
        for _ in range(ROUNDS):
            play(s, rng, transcript)
            check_f(s, transcript)
        print("seed %d keys: %s" % (seed, " ".join(transcript)))
    except TestFailure as failure:
        raise TestFailure("seed %d (replay: VANTOR_E2E_TRUTH_SEED=%d): %s\nkeys: %s"
                          % (seed, seed, failure, " ".join(transcript)))


def seeds():
    replay = os.environ.get("VANTOR_E2E_TRUTH_SEED", "")
    if replay:
        if not replay.isdigit():
            raise SystemExit("test_truth: VANTOR_E2E_TRUTH_SEED must be a number, not %r" % replay)
        return (int(replay),)
    return DEFAULT_SEEDS


if __name__ == "__main__":
    run_tests([("seed_%d" % seed, functools.partial(truth_run, seed)) for seed in seeds()])
