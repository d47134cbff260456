#include "cat/rigctld_radio.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "cat/rigctld_filters.h"
#include "cat/rigctld_settings.h"
#include "core/tones.h"

namespace vantor {

namespace {

using namespace hamlib_mode;

// The radio's digits with the names Hamlib gives them for these radios; data FM
// prints as "FM-D" and is also accepted as "PKTFM".
constexpr std::array<HamlibMode, 14> kModes{{{'1', "LSB", kLsb},
                                             {'2', "USB", kUsb},
                                             {'3', "CW", kCw},
                                             {'4', "FM", kFm},
                                             {'5', "AM", kAm},
                                             {'6', "RTTY", kRtty},
                                             {'7', "CWR", kCwr},
                                             {'8', "PKTLSB", kPktLsb},
                                             {'9', "RTTYR", kRttyr},
                                             {'A', "FM-D", kPktFm},
                                             {'B', "FMN", kFmn},
                                             {'C', "PKTUSB", kPktUsb},
                                             {'D', "AMN", kAmn},
                                             {'E', "C4FM", kC4fm}}};


// Raw S-meter readings against dB over S9, the calibrations Hamlib uses for
// these radios; readings between two points are interpolated, readings
// outside the table take its end.
using Calibration = std::vector<std::pair<int, int>>;

const Calibration& sMeterCalibration(int radioModel) {
    static const Calibration common{{0, -54},  {12, -48}, {27, -42}, {40, -36}, {55, -30}, {65, -24},
                                    {80, -18}, {95, -12}, {112, -6}, {130, 0},  {150, 10}, {172, 20},
                                    {190, 30}, {220, 40}, {240, 50}, {255, 60}};
    static const Calibration twoReceivers{{0, -60},  {17, -54},  {25, -48},  {34, -42}, {51, -36}, {68, -30},
                                          {85, -24}, {102, -18}, {119, -12}, {136, -6}, {160, 0},  {255, 60}};
    static const Calibration compact{{10, -60}, {125, 0}, {240, 60}};
    if (radioModel == 681 || radioModel == 682) return twoReceivers;
    if (radioModel == 241) return compact;
    return common;
}

// Raw meter readings against values, as Hamlib's float calibrations: taken in
// single precision, the ends held outside the table.
using FloatCalibration = std::vector<std::pair<int, float>>;

float calibrated(const FloatCalibration& table, int raw) {
    std::size_t i = 0;
    while (i < table.size() && raw >= table[i].first) ++i;
    if (i == 0) return table.front().second;
    if (i >= table.size()) return table.back().second;
    const auto [x0, y0] = table[i - 1];
    const auto [x1, y1] = table[i];
    return y1 - static_cast<float>(x1 - raw) * (y1 - y0) / static_cast<float>(x1 - x0);
}

const FloatCalibration& swrCalibration(int radioModel) {
    static const FloatCalibration common{{12, 1.0f}, {39, 1.35f}, {65, 1.5f}, {89, 2.0f}, {242, 5.0f}};
    static const FloatCalibration newer{{0, 1.0f},   {26, 1.2f},  {52, 1.5f},  {89, 2.0f},
                                        {126, 3.0f}, {173, 4.0f}, {236, 5.0f}, {255, 25.0f}};
    return radioModel == 681 || radioModel == 682 || radioModel == 761 || radioModel == 800 ? newer : common;
}

const FloatCalibration& wattsCalibration(int radioModel) {
    static const FloatCalibration common{{0, 0.0f}, {148, 50.0f}, {255, 100.0f}};
    static const FloatCalibration older{{10, 0.8f},   {50, 8.0f},   {100, 26.0f},
                                        {150, 54.0f}, {200, 92.0f}, {250, 140.0f}};
    static const FloatCalibration ft991{{0, 0.0f},    {10, 0.8f},   {50, 8.0f},   {100, 26.0f},
                                        {150, 54.0f}, {200, 92.0f}, {250, 140.0f}};
    static const FloatCalibration linear{{0, 0.0f}, {100, 100.0f}};
    static const FloatCalibration big{{55, 10.0f},   {75, 20.0f},   {101, 40.0f},  {125, 60.0f},  {144, 80.0f},
                                      {161, 100.0f}, {177, 120.0f}, {190, 140.0f}, {202, 160.0f}, {215, 180.0f},
                                      {225, 200.0f}, {237, 220.0f}, {242, 240.0f}, {255, 250.0f}};
    static const FloatCalibration twoReceivers{{0, 0.0f},    {38, 5.0f},   {94, 25.0f},
                                               {147, 50.0f}, {176, 75.0f}, {205, 100.0f}};
    static const FloatCalibration twoReceivers200{{0, 0.0f},     {30, 5.0f},    {69, 20.0f},   {98, 40.0f},
                                                  {119, 60.0f},  {139, 80.0f},  {160, 100.0f}, {173, 120.0f},
                                                  {185, 140.0f}, {198, 160.0f}, {210, 180.0f}, {225, 200.0f},
                                                  {255, 210.0f}};
    static const FloatCalibration compact{{27, 5.0f}, {94, 25.0f}, {147, 50.0f}, {176, 75.0f}, {205, 100.0f}};
    switch (radioModel) {
        case 241:
        case 251:
            return older;
        case 362:
            return big;
        case 570:
        case 670:
            return ft991;
        case 650:
            return linear;
        case 681:
            return twoReceivers;
        case 682:
            return twoReceivers200;
        case 761:
        case 800:
            return compact;
        default:
            return common;
    }
}

// Six decimals with a point, as Hamlib prints, whatever locale the program runs in.
std::string fixed(double value) {
    char text[48];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string rangeLines(const std::vector<FrequencyRange>& ranges) {
    std::string text;
    for (const FrequencyRange& range : ranges) {
        text += fixed(static_cast<double>(range.lowHertz)) + " " +
                fixed(static_cast<double>(range.highHertz)) + " " + hex(range.modes) + " " +
                std::to_string(range.lowMilliwatts) + " " + std::to_string(range.highMilliwatts) +
                " 0x10000003 0x80000000\n";
    }
    return text + "0 0 0 0 0 0 0\n";
}

}  // namespace

std::uint64_t modeBits(const RigDescription& rig) {
    std::uint64_t bits = 0;
    for (const HamlibMode& mode : kModes)
        if (rig.modeDigits.find(mode.digit) != std::string::npos) bits |= mode.bit;
    return bits;
}

std::string modeName(std::uint64_t bit) {
    for (const HamlibMode& mode : kModes)
        if (mode.bit == bit) return mode.name;
    return "";
}

const HamlibMode* modeByDigit(char digit) {
    for (const HamlibMode& mode : kModes)
        if (mode.digit == digit) return &mode;
    return nullptr;
}

const HamlibMode* modeByName(std::string_view name) {
    if (name == "PKTFM") name = "FM-D";
    for (const HamlibMode& mode : kModes)
        if (name == mode.name) return &mode;
    return nullptr;
}

int normalPassband(const RigDescription& rig, std::uint64_t bit) {
    if (const std::vector<int> widths = filterWidths(rig, bit); !widths.empty()) return widths.front();
    if (bit & (kCw | kCwr)) return rig.cwPassband;
    if (bit & (kRtty | kRttyr | kPktLsb | kPktUsb)) return rig.dataPassband;
    if (bit & (kUsb | kLsb)) return 2400;
    if (bit == kAm) return 9000;
    if (bit == kAmn) return 6000;
    if (bit == kFmn) return 9000;
    return 16000;  // FM, data FM, C4FM
}

int sMeterDecibels(int radioModel, int raw) {
    const Calibration& table = sMeterCalibration(radioModel);
    if (raw <= table.front().first) return table.front().second;
    for (std::size_t i = 1; i < table.size(); ++i) {
        const auto [x1, y1] = table[i];
        if (raw > x1) continue;
        const auto [x0, y0] = table[i - 1];
        return static_cast<int>(std::lround(y0 + static_cast<double>(raw - x0) * (y1 - y0) / (x1 - x0)));
    }
    return table.back().second;
}

std::string hamlibFloat(double value) { return fixed(value); }

char meterReading(TransmitMeter meter) {
    switch (meter) {
        case TransmitMeter::swr:
            return '6';
        case TransmitMeter::alc:
            return '4';
        default:
            return '5';
    }
}

std::string meterValue(int radioModel, TransmitMeter meter, int raw) {
    static const FloatCalibration alc{{0, 0.0f}, {64, 1.0f}};
    switch (meter) {
        case TransmitMeter::swr:
            return fixed(calibrated(swrCalibration(radioModel), raw));
        case TransmitMeter::alc:
            return fixed(calibrated(alc, raw));
        case TransmitMeter::power:
            return fixed(std::min(static_cast<float>(calibrated(wattsCalibration(radioModel), raw) / 100.0), 1.0f));
        case TransmitMeter::watts:
            return fixed(calibrated(wattsCalibration(radioModel), raw));
    }
    return fixed(0);
}

namespace {

template <typename Number>
std::optional<Number> leadingNumber(std::string_view text) {
    if (text.starts_with('+')) text.remove_prefix(1);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> leadingDecimal(std::string_view text) {
    const auto value = leadingNumber<double>(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::optional<long long> leadingWhole(std::string_view text) { return leadingNumber<long long>(text); }

std::optional<std::string> powerToMilliwatts(const RigDescription& rig, std::string_view share) {
    const auto value = leadingDecimal(share);
    if (!value || *value < 0 || *value > 1) return std::nullopt;
    const float power = static_cast<float>(*value);  // rigctld takes the share in single precision
    const float full = static_cast<float>(std::max(1, rig.maxPowerWatts) * 1000);
    return std::to_string(static_cast<unsigned>(power * full));
}

std::optional<std::string> milliwattsToPower(const RigDescription& rig, std::string_view milliwatts) {
    // A negative number, which rigctld would read as a huge one, is refused.
    const auto value = leadingWhole(milliwatts);
    if (!value || *value <= 0 || *value > 0xffffffffLL) return std::nullopt;
    return fixed(static_cast<float>(*value / (std::max(1, rig.maxPowerWatts) * 1000.0)));
}

std::string powerShare(const RigDescription& rig, int watts) {
    const double share = static_cast<double>(watts) / std::max(1, rig.maxPowerWatts);
    return fixed(std::clamp(share, 0.0, 1.0));
}

std::vector<TuningStep> tuningSteps(const RigDescription& rig) {
    const std::uint64_t modes = modeBits(rig);
    const std::uint64_t am = modes & (kAm | kAmn), fm = modes & (kFm | kPktFm | kFmn | kC4fm);
    const std::uint64_t narrow = modes & ~am & ~fm;
    return {{narrow, 10}, {narrow, 100}, {am, 100}, {am, 1000}, {fm, 100}, {fm, 1000}};
}

std::string dumpState(const RigDescription& rig) {
    const std::uint64_t modes = modeBits(rig);
    std::string text = "1\n" + std::to_string(rig.hamlibModel) + "\n0\n";
    text += rangeLines(rig.receiveRanges) + rangeLines(rig.transmitRanges);
    for (const TuningStep& step : tuningSteps(rig)) text += hex(step.modes) + " " + std::to_string(step.hertz) + "\n";
    text += "0 0\n";
    if (hasWidthTable(rig)) {
        for (const FilterGroup& group : filterGroups(rig))
            for (int width : group.widths) text += hex(group.modes) + " " + std::to_string(width) + "\n";
    } else {
        for (const HamlibMode& mode : kModes)
            if (modes & mode.bit)
                text += hex(mode.bit) + " " + std::to_string(normalPassband(rig, mode.bit)) + "\n";
    }
    const ServedSettings settings = servedSettings(rig);
    const auto steps = [](const std::vector<int>& decibels) {
        std::string line;
        for (int db : decibels) line += std::to_string(db) + " ";
        return line + "\n";
    };
    // The clarifier's reach, no IF shift, no announcements, then the steps in dB.
    text += "0 0\n" + std::to_string(settings.maxRitHz) + "\n" + std::to_string(settings.maxXitHz) +
            "\n0\n0\n" + steps(settings.preampDecibels) + steps(settings.attenuatorDecibels);
    text += hex(settings.funcs) + "\n" + hex(settings.funcs) + "\n" +
            hex(settings.meters | settings.levels) + "\n" + hex(settings.levels) + "\n0x0\n0x0\n";
    text +=
        "vfo_ops=0x0\nptt_type=0x1\ntargetable_vfo=0x0\nhas_set_vfo=1\nhas_get_vfo=1\nhas_set_freq=1\n"
        "has_get_freq=1\nhas_set_conf=0\nhas_get_conf=0\nhas_power2mW=1\nhas_mW2power=1\n"
        "timeout=1500\nrig_model=" +
        std::to_string(rig.hamlibModel) + "\nrigctld_version=Vantor\n";
    // The tones the radios have; only the FT-991s have the digital codes.
    text += "ctcss_list=";
    for (int tenths : ctcssTenths()) text += " " + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    text += "\n";
    if (rig.digitalCodes) {
        text += "dcs_list=";
        for (int code : dcsCodes()) text += " " + std::to_string(code);
        text += "\n";
    }
    return text + "done\n";
}

bool isFt991(int radioModel) { return radioModel == 570 || radioModel == 670; }

RigDescription describeRadio(int radioModel, int frequencyDigits) {
    RigDescription rig;
    rig.model = radioModel;
    rig.frequencyDigits = frequencyDigits == 8 ? 8 : 9;
    struct Known {
        int model, hamlibModel, maxPowerWatts, cwPassband, dataPassband;
    };
    constexpr std::array<Known, 12> kKnown{{{241, 1027, 100, 1800, 1800},
                                            {251, 1029, 100, 500, 500},
                                            {362, 1032, 200, 1700, 1700},
                                            {462, 1037, 100, 1800, 1800},
                                            {570, 1035, 100, 2400, 500},
                                            {650, 1036, 100, 1700, 1700},
                                            {670, 1035, 100, 2400, 500},
                                            {681, 1040, 100, 600, 600},
                                            {682, 1044, 200, 600, 600},
                                            {761, 1042, 100, 600, 600},
                                            {800, 1049, 100, 600, 600},
                                            {840, 2, 100, 600, 600}}};
    for (const Known& known : kKnown) {
        if (known.model != radioModel) continue;
        rig.hamlibModel = known.hamlibModel;
        rig.maxPowerWatts = known.maxPowerWatts;
        rig.cwPassband = known.cwPassband;
        rig.dataPassband = known.dataPassband;
    }
    // The radios with 2 m and 70 cm, and a radio not yet identified, which may be one.
    const bool ft991 = isFt991(radioModel);
    const bool vhfUhf = ft991 || radioModel == 840 || radioModel == 0;
    rig.digitalCodes = ft991;
    rig.modeDigits = vhfUhf ? "123456789ABCDE" : "123456789ABCD";
    const std::uint64_t all = modeBits(rig);
    const std::uint64_t amModes = kAm | kAmn;
    // Hamlib lets the FT-991 transmit only these besides AM, and its AM carrier 25 W on every band.
    const std::uint64_t otherModes =
        ft991 ? all & (kCw | kUsb | kLsb | kPktUsb | kPktLsb | kFm | kPktFm | kFmn) : all & ~amModes;
    const auto transmit = [&](long long low, long long high, int watts) {
        rig.transmitRanges.push_back({low, high, otherModes, 5000, watts * 1000});
        // The AM carrier at a quarter of the power.
        rig.transmitRanges.push_back({low, high, amModes, 2000, (ft991 ? rig.maxPowerWatts : watts) * 250});
    };
    if (vhfUhf) {
        rig.receiveRanges = {
            {30000, 56000000, all}, {118000000, 164000000, all}, {420000000, 470000000, all}};
        transmit(1800000, 54000000, rig.maxPowerWatts);
        transmit(144000000, 148000000, 50);
        transmit(430000000, 450000000, 50);
    } else {
        rig.receiveRanges = {{30000, 60000000, all}};
        transmit(1800000, 54000000, rig.maxPowerWatts);
    }
    return rig;
}

}  // namespace vantor
