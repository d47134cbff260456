"""The connected panel against the simulated radio, driven by real key presses."""

import os
import signal
import subprocess

from harness import TestFailure, configuration, free_tcp_port, run_tests, wait_for


def start(s, model="0670", bridge=0, *options):
    s.start_display()
    sim = s.start_radiosim(model, 5, *options)
    s.write_config(configuration(port=5, bridge=bridge))
    s.start_vantor()
    return sim


def connects_with_frequency_mode_and_connected(s):
    start(s, "0670", 0, "--smeter", "130")
    s.connected()
    heard = [w for w in s.spoken() if w != "delay"]
    # Start band 40 m in LSB: frequency, mode, preamp, then "connected".
    if heard[4:12] != ["7", "point", "1", "mhz", "lsb.wav", "preamp", "off", "connected"]:
        raise TestFailure("connection sentence %r" % heard)
    for command in ("ID;", "EX08307600;", "AG0;", "BI;"):
        if command not in s.radiosim_commands():
            raise TestFailure("%s not asked at connection" % command)
    shot = s.screenshot("window.png")
    if not os.path.exists(shot):
        raise TestFailure("no screenshot")


def keys_before_the_radio_answers_say_nc(s):
    s.start_display()
    s.serial_pair(5)  # a port with nothing behind it
    s.write_config(configuration(port=5))
    s.start_vantor()
    s.wait_spoken(["5"])
    s.press("h", "f")
    s.wait_spoken(["nc", "nc"])


def quits_unkeyed_with_memories_saved(s):
    s.ends_with_memories_saved(lambda: s.press("q"))
    if "TX0;" not in s.radiosim_commands():
        raise TestFailure("Q did not send TX0")


def q_ends_after_two_frequency_replies_with_memories_saved(s):
    start(s)
    s.connected()
    quits_unkeyed_with_memories_saved(s)


def radio_lost(s, sim):
    """The simulator's port goes away; the panel says so within about a second."""
    heard = len(s.heard())
    sim.send_signal(signal.SIGUSR1)
    s.wait_spoken(["radio", "lost"], 2, since=heard)


def radio_lost_and_back_under_the_same_name(s):
    sim = start(s)
    s.connected()
    radio_lost(s, sim)
    heard = len(s.heard())
    s.press("f")
    s.wait_spoken(["nc"], since=heard)
    heard = len(s.heard())
    sim.send_signal(signal.SIGUSR2)
    s.wait_spoken(["radio", "back"], 10, since=heard)
    s.wait_spoken(["connected"], 20, since=heard)
    s.read_frequency(["7", "point", "1", "mhz", "lsb.wav"])
    if s.heard().count("lost") != 1:
        raise TestFailure("the loss was not said exactly once: %r" % s.heard())
    said = [line for line in s.read_text("vantor.err").splitlines() if "serial port 5" in line]
    if len(said) != 1:
        raise TestFailure("expected one line about the port on stderr, got %r" % said)


def closing_while_the_radio_is_lost_saves_the_memories(s):
    sim = start(s)
    s.connected()
    radio_lost(s, sim)
    s.ends_with_memories_saved(s.request_close, 5)


def help_starts_and_the_next_key_cuts_it(s):
    start(s)
    s.connected()
    s.press("h")
    wait_for(lambda: "wave\\help.wav" in s.read_text("speech.log"), 10, "the help clip")
    s.read_frequency(["7", "point", "1", "mhz", "lsb.wav"])
    s.wait_spoken(["help.wav", "7", "point", "1", "mhz", "lsb.wav"])




def model_0241_connects_with_eight_digit_fields(s):
    # Start-up's nine digits mean nothing to this radio: it is taken where it is
    # (the simulator starts on 14.25 MHz) and from then on spoken to in eight.
    start(s, "0241")
    s.connected()
    if "FA14250000;" not in s.radiosim_commands():
        raise TestFailure("no 8-digit frequency command: %r" % s.radiosim_commands()[:20])
    s.read_frequency(["1", "4", "point", "2", "5", "mhz", "lsb.wav"])
    s.press("e", "7", "period", "1", "Return")
    s.wait_spoken(["ok"])
    wait_for(lambda: "FA07100000;" in s.radiosim_commands(), 10, "FA07100000; at the radio")
    # The log keeps the radio's own bytes: eight digits.
    wait_for(lambda: "RX=FA07100000;" in s.read_text("debug.dat"), 10, "the new frequency from the poll")
    s.read_frequency(["7", "point", "1", "mhz", "lsb.wav"])


def ink_in(shot, x, y, width, height):
    """How much of a region of the window (window coordinates) is dark text."""
    crop = subprocess.run(["convert", shot, "-crop", "%dx%d+%d+%d" % (width, height, 250 + x, 100 + y),
                           "-colorspace", "gray", "-threshold", "50%", "-negate", "-format", "%[fx:mean]", "info:"],
                          capture_output=True, text=True)
    return float(crop.stdout) if crop.returncode == 0 and crop.stdout else 0.0


def window_shows_frequency_mode_smeter_and_features(s):
    start(s, "0670", 0, "--smeter", "130")
    s.connected()
    s.press("e", "1", "4", "period", "2", "Return")  # 20 m: USB with the preamp on
    s.wait_spoken(["preamp", "on", "ok"])
    wait_for(lambda: "RX=FA014200000;" in s.read_text("debug.dat"), 10, "the new frequency from the poll")
    s.press("s")
    s.wait_spoken(["s.wav", "9.wav"])
    shot = s.screenshot("window.png")
    fields = {"mode": (50, 45, 180, 60), "S-meter": (750, 45, 120, 60), "frequency": (285, 150, 330, 60),
              "feature row": (40, 250, 100, 30)}
    for name, region in fields.items():
        if ink_in(shot, *region) <= 0.01:
            raise TestFailure("nothing shown where the %s belongs" % name)
    if ink_in(shot, 40, 300, 800, 60) > 0.0:
        raise TestFailure("text where the window should be empty")




def programs_share_the_radio(s, rigctl, programs):
    """`programs` copies of rigctl read at once while the operator has the frequency
    read out; then one sets frequency and mode, keys and unkeys the radio, and the
    panel follows and speaks."""
    def ask(*args):
        run = subprocess.run(rigctl + list(args), capture_output=True, text=True, timeout=30)
        return run.stdout.split()

    reads = [subprocess.Popen(rigctl + ["f", "m", "t"], stdout=subprocess.PIPE, text=True) for _ in range(programs)]
    s.press("f")
    for read in reads:
        out = read.communicate(timeout=30)[0].split()
        if out != ["7100000", "LSB", "2400", "0"]:
            raise TestFailure("%s read %r" % (" ".join(rigctl[:3]), out))
    out = ask("F", "14074000", "M", "USB", "0", "f", "m")
    if out[:2] != ["14074000", "USB"]:
        raise TestFailure("%s set and read back %r" % (" ".join(rigctl[:3]), out))
    s.wait_radio_got(["FA014074000;", "MD02;"])
    ask("T", "1")
    s.wait_spoken(["tx", "on"])
    ask("T", "0")
    s.wait_spoken(["tx", "off"])
    s.read_frequency(["1", "4", "point", "0", "7", "4", "mhz", "usb.wav"])


def bridge_lets_rigctl_share_the_radio(s):
    s.start_display()
    s.start_radiosim("0670", 5)
    client_end = s.serial_pair(7, "client")
    s.write_config(configuration(port=5, bridge=7))
    s.start_vantor()
    s.connected()
    # The FT-991 model with its own settings, as a logger has them.
    programs_share_the_radio(s, ["rigctl", "-m", "1035", "-r", client_end, "-s", "38400"], 1)


def network_port_lets_hamlib_programs_share_the_radio(s):
    s.start_display()
    s.start_radiosim("0670", 5)
    s.write_config(configuration(port=5))
    port = free_tcp_port()
    s.start_vantor("--rigctld", "127.0.0.1:%d" % port)
    s.connected()
    programs_share_the_radio(s, ["rigctl", "-m", "2", "-r", "127.0.0.1:%d" % port], 2)


def typed_frequency_tunes_the_radio(s):
    start(s)
    s.connected()
    # S right after Enter resends the working frequency: it must be the new one.
    s.press("e", "1", "4", "period", "2", "5", "Return", "s")
    s.wait_spoken(["ok"])
    s.wait_spoken(["s.wav"])
    wait_for(lambda: s.radiosim_commands().count("FA014250000;") >= 2, 10, "S's resend of FA014250000;")
    commands = s.radiosim_commands()
    if "FA007100000;" in commands[commands.index("FA014250000;"):]:
        raise TestFailure("the old frequency went out after Enter: %r" % commands[-12:])
    # F waits for the poll to bring the new frequency, as it does for the operator.
    wait_for(lambda: "RX=FA014250000;" in s.read_text("debug.dat"), 10, "the new frequency from the poll")
    s.read_frequency(["1", "4", "point", "2", "5", "mhz", "usb.wav"])
    # The speech log tells the readout as one sentence, the number as a person says it.
    wait_for(lambda: "14.25 megahertz U S B" in s.sentences(), 10, "the readout's sentence")
    s.press("equal")  # the "=+" key: one megahertz up
    wait_for(lambda: "FA015250000;" in s.radiosim_commands(), 10, "FA015250000; after +")








def unkeyed_at_the_end(s, how):
    """Keys the transmitter, ends the panel with `how`, and checks that the radio heard TX0
    last, before the port closed."""
    s.connected()
    keyed = s.radiosim_commands().count("TX1;")
    s.press("space")
    wait_for(lambda: s.radiosim_commands().count("TX1;") > keyed, 10, "TX1; after space")
    how()
    status = s.wait_exit(20)
    commands = s.radiosim_commands()
    if status != 0 or commands[-1:] != ["TX0;"]:
        raise TestFailure("exit status %d, the radio's last commands %r" % (status, commands[-6:]))


def closing_while_transmitting_unkeys_the_radio(s):
    start(s)
    unkeyed_at_the_end(s, s.request_close)
    # The same radio, a second run: SIGTERM this time.
    for log in ("speech.log", "debug.dat"):
        os.remove(s.path(log))
    s.start_vantor()
    unkeyed_at_the_end(s, lambda: s.vantor.send_signal(signal.SIGTERM))




if __name__ == "__main__":
    run_tests([
        ("connects_with_frequency_mode_and_connected", connects_with_frequency_mode_and_connected),
        ("keys_before_the_radio_answers_say_nc", keys_before_the_radio_answers_say_nc),
        ("q_ends_after_two_frequency_replies_with_memories_saved", q_ends_after_two_frequency_replies_with_memories_saved),
        ("radio_lost_and_back_under_the_same_name", radio_lost_and_back_under_the_same_name),
        ("closing_while_the_radio_is_lost_saves_the_memories", closing_while_the_radio_is_lost_saves_the_memories),
        ("help_starts_and_the_next_key_cuts_it", help_starts_and_the_next_key_cuts_it),
        ("model_0241_connects_with_eight_digit_fields", model_0241_connects_with_eight_digit_fields),
        ("window_shows_frequency_mode_smeter_and_features", window_shows_frequency_mode_smeter_and_features),
        ("bridge_lets_rigctl_share_the_radio", bridge_lets_rigctl_share_the_radio),
        ("network_port_lets_hamlib_programs_share_the_radio", network_port_lets_hamlib_programs_share_the_radio),
        ("typed_frequency_tunes_the_radio", typed_frequency_tunes_the_radio),
        ("closing_while_transmitting_unkeys_the_radio", closing_while_transmitting_unkeys_the_radio),
    ])
