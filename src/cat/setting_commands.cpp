#include "cat/setting_commands.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "core/text.h"

namespace vantor {

namespace {

// The radios that switch the processor with "PRx" rather than "PR0x".
bool hasShortProcessor(int radioModel) { return radioModel == 251 || radioModel == 362; }

using enum RadioSetting;

struct FormRow {
    RadioSetting setting;
    const char* prefix;
    int digits, low, high;
};
// The forms, with the values the radios take.
// clang-format off
constexpr std::array<FormRow, 15> kForms{{
    {afGain, "AG0", 3, 0, 255}, {rfGain, "RG0", 3, 0, 255}, {squelch, "SQ0", 3, 0, 255},
    {power, "PC", 3, 5, 200}, {micGain, "MG", 3, 0, 255}, {keyerSpeed, "KS", 3, 4, 60},
    {preamp, "PA0", 1, 0, 2}, {attenuator, "RA0", 1, 0, 3}, {noiseBlanker, "NB0", 1, 0, 1},
    {noiseReduction, "NR0", 1, 0, 1}, {processor, "PR0", 1, 0, 1}, {vox, "VX", 1, 0, 1},
    {toneMode, "CT0", 1, 0, 3}, {rit, "RT", 1, 0, 1}, {xit, "XT", 1, 0, 1}}};
// clang-format on

// The commands a radio does not take: the FT-450 has no speech processor
// command and no TX clarifier, the FT-891's clarifier has other commands.
bool lacks(int radioModel, RadioSetting setting) {
    switch (setting) {
        case RadioSetting::processor:
            return radioModel == 241;
        case RadioSetting::rit:
            return radioModel == 650;
        case RadioSetting::xit:
            return radioModel == 241 || radioModel == 650;
        default:
            return false;
    }
}

}  // namespace

std::optional<SettingForm> settingForm(int radioModel, RadioSetting setting) {
    if (lacks(radioModel, setting)) return std::nullopt;
    for (const FormRow& row : kForms) {
        if (row.setting != setting) continue;
        const bool shortForm = setting == RadioSetting::processor && hasShortProcessor(radioModel);
        return SettingForm{shortForm ? "PR" : row.prefix, row.digits, row.low, row.high};
    }
    return std::nullopt;
}

std::string settingCommand(int radioModel, RadioSetting setting, int value) {
    const auto form = settingForm(radioModel, setting);
    return form ? form->prefix + zeroPadded(value, form->digits) : "";
}

std::optional<SettingValue> settingOf(int radioModel, std::string_view command) {
    if (!command.empty() && command.back() == ';') command.remove_suffix(1);
    for (const FormRow& row : kForms) {
        const RadioSetting setting = row.setting;
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

std::string widthCommand(int radioModel) {
    switch (radioModel) {
        case 681:
        case 682:
        case 761:
        case 800:
        case 840:
            return "SH00";
        default:
            return "SH0";
    }
}

std::string narrowFilterCommand(bool on) { return on ? "NA01" : "NA00"; }

}  // namespace vantor
