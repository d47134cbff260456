#include "cat/rigctld_settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

#include "cat/setting_commands.h"
#include "core/text.h"

namespace vantor {

namespace {

using namespace rprt;

// How a level's value is written: a share of the radio's scale (0 to 1),
// a plain number (words per minute), or decibels from the radio's list of
// amplifier or attenuator steps.
enum class Scale { share, count, decibels };

struct LevelEntry {
    const char* name;
    RadioSetting setting;
    Scale scale;
    std::uint64_t bit;  // Hamlib's
};
constexpr std::array<LevelEntry, 8> kLevels{{{"AF", RadioSetting::afGain, Scale::share, 1u << 3},
                                             {"RF", RadioSetting::rfGain, Scale::share, 1u << 4},
                                             {"SQL", RadioSetting::squelch, Scale::share, 1u << 5},
                                             {"RFPOWER", RadioSetting::power, Scale::share, 1u << 12},
                                             {"MICGAIN", RadioSetting::micGain, Scale::share, 1u << 13},
                                             {"KEYSPD", RadioSetting::keyerSpeed, Scale::count, 1u << 14},
                                             {"PREAMP", RadioSetting::preamp, Scale::decibels, 1u << 0},
                                             {"ATT", RadioSetting::attenuator, Scale::decibels, 1u << 1}}};

// The meters, read only: the S-meter, the output setting's reading and the
// transmit meters, with the top and step of their scales as Hamlib gives them.
struct MeterEntry {
    const char* name;
    std::uint64_t bit;  // Hamlib's
    double high;        // the watts meter goes to the radio's full power
    const char* step;
};
constexpr std::uint64_t kWattsBit = 1ull << 39;
constexpr std::array<MeterEntry, 5> kMeters{{{"SWR", 1ull << 28, 5, "0.00392157"},
                                             {"ALC", 1ull << 29, 1, "0.01"},
                                             {"STRENGTH", 1ull << 30, 60, "0"},
                                             {"RFPOWER_METER", 1ull << 32, 1, "0.00392157"},
                                             {"RFPOWER_METER_WATTS", kWattsBit, 100, "0.00392157"}}};

// A switch: its setting and the digit that means on (the tone mode carries
// two switches, plain tone and tone squelch).
struct FuncEntry {
    const char* name;
    RadioSetting setting;
    int onValue;
    std::uint64_t bit;  // Hamlib's
};
constexpr std::array<FuncEntry, 8> kFuncs{{{"NB", RadioSetting::noiseBlanker, 1, 1u << 1},
                                           {"NR", RadioSetting::noiseReduction, 1, 1u << 9},
                                           {"COMP", RadioSetting::processor, 1, 1u << 2},
                                           {"VOX", RadioSetting::vox, 1, 1u << 3},
                                           {"TONE", RadioSetting::toneMode, 2, 1u << 4},
                                           {"TSQL", RadioSetting::toneMode, 1, 1u << 5},
                                           {"RIT", RadioSetting::rit, 1, 1u << 24},
                                           {"XIT", RadioSetting::xit, 1, 1u << 31}}};

const LevelEntry* findLevel(std::string_view name) {
    for (const LevelEntry& entry : kLevels)
        if (name == entry.name) return &entry;
    return nullptr;
}

const FuncEntry* findFunc(std::string_view name) {
    for (const FuncEntry& entry : kFuncs)
        if (name == entry.name) return &entry;
    return nullptr;
}

bool isOneOf(int model, std::initializer_list<int> models) {
    return std::find(models.begin(), models.end(), model) != models.end();
}

// The full scale Hamlib gives a share on each radio; power is a share of the radio's full power.
int fullScale(const RigDescription& rig, RadioSetting setting) {
    const int m = rig.model;
    switch (setting) {
        case RadioSetting::rfGain:
            return m == 650 ? 30 : 255;
        case RadioSetting::squelch:
            return isOneOf(m, {570, 650, 670, 681, 682, 761}) ? 100 : 255;
        case RadioSetting::micGain:
            return isOneOf(m, {462, 570, 650, 670, 681, 682, 761}) ? 100 : 255;
        case RadioSetting::power:
            return std::max(1, rig.maxPowerWatts);
        default:
            return 255;
    }
}

// The decibels of each amplifier or attenuator step, as Hamlib lists them per radio.
std::vector<int> decibelSteps(int model, RadioSetting setting) {
    if (setting == RadioSetting::preamp) {
        if (model == 241 || model == 650) return {10};
        if (model == 251 || model == 462) return {10, 17};
        return {10, 20};
    }
    if (model == 241) return {20};
    if (isOneOf(model, {570, 650, 670})) return {12};
    return {6, 12, 18};
}

// The switches a radio has in Hamlib's list for it: asking for another is an
// unknown name (-1), setting it is not available (-11).
bool listsFunc(int model, std::string_view name) {
    if (name == "COMP") return model != 241;
    if (name == "RIT" || name == "XIT") return model != 650;
    return true;
}


// A share as the radio's number, rounded as Hamlib does (in single precision,
// a small bias up except at the top); the lowest power the radios take is 5 W.
std::optional<int> radioValue(const RigDescription& rig, RadioSetting setting, std::string_view text) {
    const auto share = leadingDecimal(text);
    if (!share || *share < 0 || *share > 1) return std::nullopt;
    const float f = static_cast<float>(*share);
    const float scale = static_cast<float>(fullScale(rig, setting));
    const int value = static_cast<int>(f + 0.003f > 1.0f ? scale * f : scale * (f + 0.003f));
    return setting == RadioSetting::power ? std::max(value, 5) : value;
}

// The radio's commands for a level, or the error the request gets.
int levelCommands(const LevelEntry& level, std::string_view argument, const RigDescription& rig,
                  std::vector<std::string>& commands) {
    std::optional<int> value;
    if (level.scale == Scale::share) {
        value = radioValue(rig, level.setting, argument);
    } else if (const auto number = leadingWhole(argument)) {
        if (level.scale == Scale::count) {
            const auto form = settingForm(rig.model, level.setting);
            if (form && *number >= form->low && *number <= form->high) value = static_cast<int>(*number);
        } else if (*number == 0) {
            value = 0;
        } else {
            const auto steps = decibelSteps(rig.model, level.setting);
            const auto at = std::find(steps.begin(), steps.end(), *number);
            if (at != steps.end()) value = static_cast<int>(at - steps.begin()) + 1;
        }
    }
    if (!value) return kInvalid;
    commands.push_back(settingCommand(rig.model, level.setting, *value));
    return 0;
}

}  // namespace

bool servesSetting(const RigctldRequest& request) {
    switch (request.kind) {
        case RigctldKind::getLevel:
            return !request.arguments.empty() && findLevel(request.arguments[0]) &&
                   request.arguments[0] != "RFPOWER";  // read as before, with the meters
        case RigctldKind::setLevel:
        case RigctldKind::getFunc:
        case RigctldKind::setFunc:
        case RigctldKind::getRit:
        case RigctldKind::setRit:
        case RigctldKind::getXit:
        case RigctldKind::setXit:
            return true;
        default:
            return false;
    }
}

bool prepareSetting(RigctldRequest& request, const RigDescription& rig) {
    if (!servesSetting(request)) return false;
    const std::vector<std::string>& a = request.arguments;
    std::vector<std::string> commands;
    bool query = false;
    const auto fail = [&](int code) {
        request.error = code;
        return true;
    };
    switch (request.kind) {
        case RigctldKind::getLevel:
            commands.push_back(settingForm(rig.model, findLevel(a[0])->setting)->prefix);
            query = true;
            break;
        case RigctldKind::setLevel: {
            const LevelEntry* level = findLevel(a[0]);
            if (!level) return fail(kNotAvailable);  // as rigctld: no such level to set
            if (const int code = levelCommands(*level, a[1], rig, commands)) return fail(code);
            break;
        }
        case RigctldKind::getFunc:
        case RigctldKind::setFunc: {
            const FuncEntry* func = findFunc(a[0]);
            const bool getting = request.kind == RigctldKind::getFunc;
            if (!func || !listsFunc(rig.model, a[0])) return fail(getting ? kInvalid : kNotAvailable);
            const auto form = settingForm(rig.model, func->setting);
            if (!form) return fail(kNotAvailable);
            if (getting) {
                commands.push_back(form->prefix);
                query = true;
                break;
            }
            const auto status = leadingWhole(a[1]);
            if (!status) return fail(kInvalid);
            commands.push_back(settingCommand(rig.model, func->setting, *status != 0 ? func->onValue : 0));
            break;
        }
        case RigctldKind::getRit:
        case RigctldKind::getXit:
            // The FT-891 reads its offset without the switches; the FT-450 has no TX clarifier at all.
            if (request.kind == RigctldKind::getXit && rig.model == 241) return fail(kNotAvailable);
            commands.push_back("IF");  // the offset is in the radio's information answer
            query = true;
            break;
        case RigctldKind::setRit:
        case RigctldKind::setXit: {
            const RadioSetting which =
                request.kind == RigctldKind::setRit ? RadioSetting::rit : RadioSetting::xit;
            if (!settingForm(rig.model, which)) return fail(kNotAvailable);
            const auto hertz = leadingWhole(a[0]);
            if (!hertz) return fail(kInvalid);
            commands = clarifierCommands(static_cast<int>(std::clamp<long long>(*hertz, -99999, 99999)));
            break;
        }
        default:
            return false;
    }
    for (const std::string& command : commands) request.commands.push_back({command + ";", query});
    return true;
}

std::optional<RigctldValues> settingValues(const RigctldRequest& request, std::string_view field,
                                           const RigDescription& rig) {
    switch (request.kind) {
        case RigctldKind::getLevel: {
            const LevelEntry& level = *findLevel(request.arguments[0]);
            const auto form = settingForm(rig.model, level.setting);
            if (!allDigits(field) || field.size() != static_cast<std::size_t>(form->digits)) return std::nullopt;
            const int raw = std::stoi(std::string(field));
            if (level.scale == Scale::count) return RigctldValues{{"", std::to_string(raw)}};
            if (level.scale == Scale::decibels) {
                const auto steps = decibelSteps(rig.model, level.setting);
                const int decibels = raw > 0 && raw <= static_cast<int>(steps.size()) ? steps[raw - 1] : 0;
                return RigctldValues{{"", std::to_string(decibels)}};
            }
            const float share = static_cast<float>(raw) / static_cast<float>(fullScale(rig, level.setting));
            return RigctldValues{{"", hamlibFloat(share)}};
        }
        case RigctldKind::getFunc: {
            if (!allDigits(field) || field.size() != 1) return std::nullopt;
            const bool on = field[0] - '0' == findFunc(request.arguments[0])->onValue;
            return RigctldValues{{"", on ? "1" : "0"}};
        }
        case RigctldKind::getRit:
        case RigctldKind::getXit: {
            // Memory channel, frequency (8 or 9 digits), then the signed offset.
            const std::size_t at = field.size() == 25 ? 12 : field.size() == 24 ? 11 : 0;
            if (at == 0) return std::nullopt;
            const std::string_view offset = field.substr(at, 5);
            const std::string_view digits = offset.substr(1);
            if ((offset[0] != '+' && offset[0] != '-') ||
                digits.find_first_not_of("0123456789") != std::string_view::npos)
                return std::nullopt;
            const int hertz = std::stoi(std::string(digits)) * (offset[0] == '-' ? -1 : 1);
            return RigctldValues{
                {request.kind == RigctldKind::getRit ? "RIT" : "XIT", std::to_string(hertz)}};
        }
        default:
            return std::nullopt;
    }
}

ServedSettings servedSettings(const RigDescription& rig) {
    ServedSettings served;
    for (const LevelEntry& level : kLevels)
        if (settingForm(rig.model, level.setting)) served.levels |= level.bit;
    for (const FuncEntry& func : kFuncs)
        if (listsFunc(rig.model, func.name) && settingForm(rig.model, func.setting)) served.funcs |= func.bit;
    if (settingForm(rig.model, RadioSetting::preamp))
        served.preampDecibels = decibelSteps(rig.model, RadioSetting::preamp);
    if (settingForm(rig.model, RadioSetting::attenuator))
        served.attenuatorDecibels = decibelSteps(rig.model, RadioSetting::attenuator);
    if (settingForm(rig.model, RadioSetting::rit)) served.maxRitHz = kClarifierLimit;
    if (settingForm(rig.model, RadioSetting::xit)) served.maxXitHz = kClarifierLimit;
    for (const MeterEntry& meter : kMeters) served.meters |= meter.bit;
    return served;
}

std::string levelList(const RigDescription& rig, bool settableOnly) {
    const ServedSettings served = servedSettings(rig);
    const auto general = [](double value) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
        return std::string(text, result.ptr);
    };
    // Hamlib's order is that of the bits.
    std::vector<std::pair<std::uint64_t, std::string>> items;
    for (const LevelEntry& level : kLevels) {
        if (!(served.levels & level.bit)) continue;
        std::string range;
        if (level.scale == Scale::share) {
            const double step = 1.0 / fullScale(rig, level.setting);
            const double low = level.setting == RadioSetting::power ? 5 * step : 0;
            range = general(low) + ".." + "1/" + general(step);
        } else if (level.scale == Scale::count) {
            const auto form = settingForm(rig.model, level.setting);
            range = std::to_string(form->low) + ".." + std::to_string(form->high) + "/1";
        } else {
            const auto steps = decibelSteps(rig.model, level.setting);
            const int step = steps.size() > 1 ? steps[1] - steps[0] : 0;
            range = std::to_string(steps.front()) + ".." + std::to_string(steps.back()) + "/" + std::to_string(step);
        }
        items.emplace_back(level.bit, std::string(level.name) + "(" + range + ") ");
    }
    if (!settableOnly) {
        for (const MeterEntry& meter : kMeters) {
            const double high = meter.bit == kWattsBit ? rig.maxPowerWatts : meter.high;
            items.emplace_back(meter.bit, std::string(meter.name) + "(0.." + general(high) + "/" + meter.step + ") ");
        }
    }
    std::sort(items.begin(), items.end());
    std::string text;
    for (const auto& item : items) text += item.second;
    return text;
}

std::string funcList(const RigDescription& rig) {
    const ServedSettings served = servedSettings(rig);
    std::vector<std::pair<std::uint64_t, std::string>> items;
    for (const FuncEntry& func : kFuncs)
        if (served.funcs & func.bit) items.emplace_back(func.bit, std::string(func.name) + " ");
    std::sort(items.begin(), items.end());
    std::string text;
    for (const auto& item : items) text += item.second;
    return text;
}

}  // namespace vantor
