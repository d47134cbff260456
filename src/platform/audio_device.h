#pragma once
// Which sound output speech goes to. The operator may name one (part of its
// name is enough); otherwise it is the system's default, which on a station
// computer may be the radio's own USB sound card: speech would then go into
// the transmitter's audio instead of the operator's ears.

#include <string>
#include <vector>

namespace vantor {

struct AudioDeviceChoice {
    int device = -1;              // index into the names; -1 for the system's default
    bool wantedNotFound = false;  // a name was asked for and no device has it
    // Speech goes to the radio's sound card without the operator asking for it.
    bool radioCodecByDefault = false;
};

// names: the output devices, by device number. preferred: the one the system
// plays on by default, -1 (or out of range) when it does not say, which
// means the first. wanted: what the operator asked for, "" for the default;
// a name equal to it (letter case aside) wins over one that only contains it,
// and the first of several equal ones wins.
AudioDeviceChoice chooseAudioDevice(const std::vector<std::string>& names, int preferred,
                                    const std::string& wanted);

// The sound card built into the Yaesu radios, under whatever name the system
// gives its output ("Speakers (2- USB Audio CODEC )"), even cut short.
bool isRadioCodec(const std::string& deviceName);

// The device name in the text of the audio settings file: its first line
// that is neither blank nor a "#" comment, without surrounding blanks.
std::string audioDeviceFromFile(const std::string& text);

}  // namespace vantor
