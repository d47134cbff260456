#include "cat/setting_commands.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/text.h"

namespace vantor {

namespace {

// The radios that switch the processor with "PRx" rather than "PR0x".
bool hasShortProcessor(int radioModel) { return radioModel == 251 || radioModel == 362; }

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr std::array kSettings{RadioSetting::afGain,     RadioSetting::rfGain,       RadioSetting::squelch,
                               RadioSetting::power,      RadioSetting::micGain,      RadioSetting::keyerSpeed,
                               RadioSetting::preamp,     RadioSetting::attenuator,   RadioSetting::noiseBlanker,
                               RadioSetting::noiseReduction, RadioSetting::processor, RadioSetting::vox,
                               RadioSetting::toneMode,   RadioSetting::rit,          RadioSetting::xit};

}  // namespace

std::optional<SettingForm> settingForm(int radioModel, RadioSetting setting) {
    switch (setting) {
        case RadioSetting::afGain:
            return SettingForm{"AG0", 3, 0, 255};
        case RadioSetting::rfGain:
            return SettingForm{"RG0", 3, 0, 255};
        case RadioSetting::squelch:
            return SettingForm{"SQ0", 3, 0, 255};
        case RadioSetting::power:
            return SettingForm{"PC", 3, 5, 200};
        case RadioSetting::micGain:
            return SettingForm{"MG", 3, 0, 255};
        case RadioSetting::keyerSpeed:
            return SettingForm{"KS", 3, 4, 60};
        case RadioSetting::preamp:
            return SettingForm{"PA0", 1, 0, 2};
        case RadioSetting::attenuator:
            return SettingForm{"RA0", 1, 0, 3};
        case RadioSetting::noiseBlanker:
            return SettingForm{"NB0", 1, 0, 1};
        case RadioSetting::noiseReduction:
            return SettingForm{"NR0", 1, 0, 1};
        case RadioSetting::processor:
            if (radioModel == 241) return std::nullopt;  // no speech processor command
            return SettingForm{hasShortProcessor(radioModel) ? "PR" : "PR0", 1, 0, 1};
        case RadioSetting::vox:
            return SettingForm{"VX", 1, 0, 1};
        case RadioSetting::toneMode:
            return SettingForm{"CT0", 1, 0, 3};
        case RadioSetting::rit:
            if (radioModel == 650) return std::nullopt;  // its clarifier has other commands
            return SettingForm{"RT", 1, 0, 1};
        case RadioSetting::xit:
            if (radioModel == 241 || radioModel == 650) return std::nullopt;
            return SettingForm{"XT", 1, 0, 1};
    }
    return std::nullopt;
}

std::string settingCommand(int radioModel, RadioSetting setting, int value) {
    const auto form = settingForm(radioModel, setting);
    return form ? form->prefix + zeroPadded(value, form->digits) : "";
}

std::optional<SettingValue> settingOf(int radioModel, std::string_view command) {
    if (!command.empty() && command.back() == ';') command.remove_suffix(1);
    for (const RadioSetting setting : kSettings) {
        const auto form = settingForm(radioModel, setting);
        if (!form || command.size() != form->prefix.size() + static_cast<std::size_t>(form->digits) ||
            !command.starts_with(form->prefix))
            continue;
        const std::string_view digits = command.substr(form->prefix.size());
        if (!allDigits(digits)) return std::nullopt;
        const int value = std::atoi(std::string(digits).c_str());
        if (value < form->low || value > form->high) return std::nullopt;
        return SettingValue{setting, value};
    }
    return std::nullopt;
}

// A zero offset only clears it: the clarifier stays switched as it was.
std::vector<std::string> clarifierCommands(int hertz) {
    hertz = std::clamp(hertz, -kClarifierLimit, kClarifierLimit);
    if (hertz == 0) return {"RC"};
    return {"RC", (hertz < 0 ? "RD" : "RU") + zeroPadded(std::abs(hertz), 4)};
}

std::optional<int> clarifierAfter(std::string_view command, int offset) {
    if (!command.empty() && command.back() == ';') command.remove_suffix(1);
    if (command == "RC") return 0;
    if (command.size() != 6 || (!command.starts_with("RU") && !command.starts_with("RD")) ||
        !allDigits(command.substr(2)))
        return std::nullopt;
    const int step = std::atoi(std::string(command.substr(2)).c_str());
    return std::clamp(offset + (command[1] == 'U' ? step : -step), -kClarifierLimit, kClarifierLimit);
}

}  // namespace vantor
