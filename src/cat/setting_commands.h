#pragma once
// The radio's commands for the levels and switches it stores, by model. This
// is the one place their forms are written: the panel's keys build from it,
// the network port builds what programs ask from it, and what a program sent
// is read back through it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

enum class RadioSetting {
    afGain,
    rfGain,
    squelch,
    power,  // watts
    micGain,
    keyerSpeed,  // words per minute
    preamp,      // 0 off, 1 and 2 the amplifiers
    attenuator,  // 0 off, then the steps
    noiseBlanker,
    noiseReduction,
    processor,
    vox,
    toneMode,  // 0 off, 1 CTCSS encode and decode, 2 encode only, 3 DCS
    rit,
    xit
};

struct SettingForm {
    std::string prefix;  // "AG0": the set is prefix + digits, the question prefix + ";"
    int digits = 0;
    int low = 0;  // the values the radio takes
    int high = 0;
};

// The form on this radio (0: not yet known, taken as having everything), or
// nothing when the radio has no such command.
std::optional<SettingForm> settingForm(int radioModel, RadioSetting setting);
// The set command without its ";" ("AG0120"); "" when the radio lacks it.
std::string settingCommand(int radioModel, RadioSetting setting, int value);

// What a set command (with or without its ";") changes on this radio.
struct SettingValue {
    RadioSetting setting;
    int value;
};
std::optional<SettingValue> settingOf(int radioModel, std::string_view command);

// The width command without its index: "SH00" on the radios that address
// their main receiver in it (0681, 0682, 0761, 0800, 0840), "SH0" on the others.
std::string widthCommand(int radioModel);
// The narrow filter switch: "NA01" in, "NA00" out ("NA0" alone is the question).
std::string narrowFilterCommand(bool on);

// The clarifier offset, shared by RIT and XIT, within +-9999 Hz: moved by
// commands that clear it and step it up or down ("RC", "RU0100", "RD0100").
inline constexpr int kClarifierLimit = 9999;
std::vector<std::string> clarifierCommands(int hertz);
// The offset after `command` from `offset`, or nothing when it is no clarifier command.
std::optional<int> clarifierAfter(std::string_view command, int offset);

}  // namespace vantor
