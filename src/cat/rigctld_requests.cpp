#include "cat/rigctld_requests.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <utility>

#include "cat/rigctld_filters.h"
#include "cat/rigctld_settings.h"
#include "core/text.h"

namespace vantor {

namespace {

using namespace rprt;
using Values = RigctldValues;

constexpr std::string_view kHamlibLevels =
    "PREAMP ATT VOXDELAY AF RF SQL IF APF NR PBT_IN PBT_OUT CWPITCH RFPOWER MICGAIN KEYSPD NOTCHF COMP AGC "
    "BKINDL BAL METER VOXGAIN ANTIVOX SLOPE_LOW SLOPE_HIGH BKIN_DLYMS RAWSTR SWR ALC STRENGTH RFPOWER_METER "
    "COMP_METER VD_METER ID_METER NOTCHF_RAW MONITOR_GAIN NB RFPOWER_METER_WATTS SPECTRUM_MODE SPECTRUM_SPAN "
    "SPECTRUM_EDGE_LOW SPECTRUM_EDGE_HIGH SPECTRUM_SPEED SPECTRUM_REF SPECTRUM_AVG SPECTRUM_ATT TEMP_METER "
    "BAND_SELECT USB_AF AGC_TIME";

// Hamlib's passband that leaves the width as it is.
constexpr long long kPassbandNoChange = -1;

// The radios whose split mode is served: those that take it as the FT-991 does.
bool splitModeServed(const RigDescription& rig) { return isFt991(rig.model); }

// VFO names: those meaning VFO A (the one the panel listens on), VFO B, and
// the others Hamlib knows, which these radios cannot be asked for here.
bool isVfoA(std::string_view name) {
    return name == "VFOA" || name == "currVFO" || name == "VFO" || name == "Main" || name == "MainA" ||
           name == "RX";
}
bool isVfoB(std::string_view name) { return name == "VFOB" || name == "Sub" || name == "MainB"; }
bool isOtherVfo(std::string_view name) {
    return name == "VFOC" || name == "MEM" || name == "TX" || name == "MainC" || name == "SubA" ||
           name == "SubB" || name == "SubC";
}

std::optional<double> numberArgument(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<TransmitMeter> transmitMeter(std::string_view level) {
    if (level == "SWR") return TransmitMeter::swr;
    if (level == "ALC") return TransmitMeter::alc;
    if (level == "RFPOWER_METER") return TransmitMeter::power;
    if (level == "RFPOWER_METER_WATTS") return TransmitMeter::watts;
    return std::nullopt;
}

// The field the radio answers a query with: the characters between the
// command's letters and ";". Nothing when the answer does not carry it.
std::optional<std::string_view> answerField(std::string_view answer, std::string_view query) {
    const std::string_view letters = query.substr(0, query.size() - 1);
    const std::size_t at = answer.find(letters);
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t start = at + letters.size();
    const std::size_t end = answer.find(';', start);
    if (end == std::string_view::npos) return std::nullopt;
    return answer.substr(start, end - start);
}

}  // namespace

void prepareRequest(RigctldRequest& request, bool& onVfoB, const RigDescription& rig) {
    const auto query = [&](const char* text) { request.commands.push_back({text, true}); };
    const auto set = [&](std::string text) { request.commands.push_back({std::move(text) + ";", false}); };
    const std::vector<std::string>& a = request.arguments;
    if (prepareSetting(request, rig)) return;
    switch (request.kind) {
        case RigctldKind::getFreq:
            return query(onVfoB ? "FB;" : "FA;");
        case RigctldKind::getSplitFreq:
            return query("FB;");
        case RigctldKind::getVfo:
            request.onVfoB = onVfoB;
            return;
        case RigctldKind::getMode:
            query("MD0;");
            if (hasWidthTable(rig)) query(kWidthQuery.data());
            return;
        case RigctldKind::getSplitMode:
            // The FT-991 reads VFO B's mode from the opposite VFO's information.
            if (!splitModeServed(rig)) {
                request.error = kNotAvailable;
                return;
            }
            return query("OI;");
        case RigctldKind::getSplitVfo:
            return query("FT;");
        case RigctldKind::getPtt:
            return query("TX;");
        case RigctldKind::getPowerstat:
            return query("PS;");
        case RigctldKind::getLevel:
            if (a[0] == "STRENGTH") return query("SM0;");
            if (a[0] == "RFPOWER") return query("PC;");
            if (const auto meter = transmitMeter(a[0])) {
                request.commands.push_back({std::string("RM") + meterReading(*meter) + ";", true});
                return;
            }
            // A level name Hamlib knows is one this port does not serve; anything else is no level.
            request.error =
                (" " + std::string(kHamlibLevels) + " ").find(" " + a[0] + " ") != std::string::npos
                    ? kNotAvailable
                    : kInvalid;
            return;
        case RigctldKind::setFreq:
        case RigctldKind::setSplitFreq: {
            // A frequency the radio does not receive, or one its field cannot carry, is refused here.
            const auto hertz = numberArgument(a[0]);
            const bool received =
                hertz && std::any_of(rig.receiveRanges.begin(), rig.receiveRanges.end(),
                                     [&](const FrequencyRange& range) {
                                         return *hertz >= range.lowHertz && *hertz <= range.highHertz;
                                     });
            std::string digits = received ? std::to_string(static_cast<long long>(*hertz)) : "";
            const int width = rig.frequencyDigits;
            if (!received || static_cast<int>(digits.size()) > width) {
                request.error = kInvalid;
                return;
            }
            digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
            const bool vfoB = request.kind == RigctldKind::setSplitFreq || onVfoB;
            return set((vfoB ? "FB" : "FA") + digits);
        }
        case RigctldKind::setMode:
        case RigctldKind::setSplitMode: {
            const HamlibMode* mode = modeByName(a[0]);
            const auto passband = numberArgument(a[1]);
            if (!mode || rig.modeDigits.find(mode->digit) == std::string::npos || !passband) {
                request.error = kInvalid;
                return;
            }
            if (request.kind == RigctldKind::setSplitMode) {
                // VFO B's mode cannot be set directly: the rest follows from these answers.
                if (!splitModeServed(rig)) {
                    request.error = kNotAvailable;
                    return;
                }
                query("MD0;");
                return query("FB;");
            }
            set(std::string("MD0") + mode->digit);
            const long long hertz = static_cast<long long>(*passband);
            if (hertz == kPassbandNoChange) return;
            const auto widths = widthCommands(rig, mode->bit, hertz);
            if (!widths) {
                request.errorWhenSent = kInvalid;  // the mode is set, the width is not
                return;
            }
            for (const std::string& command : *widths) request.commands.push_back({command, false});
            return;
        }
        case RigctldKind::powerToMilliwatts:
        case RigctldKind::milliwattsToPower:
            // The frequency must be a number; the mode is not looked at, as in rigctld.
            if (!leadingDecimal(a[1]) ||
                !(request.kind == RigctldKind::powerToMilliwatts ? powerToMilliwatts(rig, a[0])
                                                                 : milliwattsToPower(rig, a[0])))
                request.error = kInvalid;
            return;
        case RigctldKind::setVfo:
            if (isVfoA(a[0]) || isVfoB(a[0]))
                onVfoB = isVfoB(a[0]);
            else
                request.error = isOtherVfo(a[0]) ? kNotAvailable : kInvalid;
            return;
        case RigctldKind::setSplitVfo:
            // The radio receives on VFO A, so split means transmitting on VFO B.
            if ((a[0] != "0" && a[0] != "1") || (!isVfoA(a[1]) && !isVfoB(a[1]))) {
                request.error = isOtherVfo(a[1]) ? kNotAvailable : kInvalid;
                return;
            }
            return set(a[0] == "1" && isVfoB(a[1]) ? "FT3" : "FT2");
        case RigctldKind::setPtt:
            if (a[0].size() != 1 || a[0][0] < '0' || a[0][0] > '3') {
                request.error = kInvalid;
                return;
            }
            return set(a[0] == "0" ? "TX0" : "TX1");
        default:
            return;
    }
}

std::optional<Values> requestValues(const RigctldRequest& request, const RigDescription& rig) {
    const auto field = answerField(request.answers.front(), request.commands.front().text);
    if (!field) return std::nullopt;
    const std::string_view f = *field;
    if (servesSetting(request)) return settingValues(request, f, rig);
    const bool oneDigit = f.size() == 1 && f[0] >= '0' && f[0] <= '9';
    switch (request.kind) {
        case RigctldKind::getFreq:
        case RigctldKind::getSplitFreq:
            if ((f.size() != 8 && f.size() != 9) || !allDigits(f)) return std::nullopt;
            return Values{{request.kind == RigctldKind::getFreq ? "Frequency" : "TX Frequency",
                           std::to_string(std::stoll(std::string(f)))}};
        case RigctldKind::getMode: {
            const HamlibMode* mode = f.size() == 1 ? modeByDigit(f[0]) : nullptr;
            if (!mode) return std::nullopt;
            std::optional<int> passband = normalPassband(rig, mode->bit);
            if (request.answers.size() > 1) {
                const auto width = answerField(request.answers[1], request.commands[1].text);
                passband = width ? widthOfAnswer(rig, mode->bit, *width) : std::nullopt;
            }
            if (!passband) return std::nullopt;
            return Values{{"Mode", mode->name}, {"Passband", std::to_string(*passband)}};
        }
        case RigctldKind::getSplitMode: {
            // The opposite VFO's information: memory channel, frequency, clarifier, then its mode.
            const std::size_t modeAt = 3 + static_cast<std::size_t>(rig.frequencyDigits) + 7;
            const HamlibMode* mode = f.size() == modeAt + 6 ? modeByDigit(f[modeAt]) : nullptr;
            if (!mode) return std::nullopt;
            return Values{{"TX Mode", mode->name}, {"TX Passband", "0"}};
        }
        case RigctldKind::getSplitVfo: {
            if (!oneDigit || f[0] > '3') return std::nullopt;
            const bool split = f[0] == '1' || f[0] == '3';
            return Values{{"Split", split ? "1" : "0"}, {"TX VFO", split ? "VFOB" : "VFOA"}};
        }
        case RigctldKind::getPtt:
            if (!oneDigit || f[0] > '2') return std::nullopt;
            return Values{{"PTT", f[0] == '0' ? "0" : "1"}};
        case RigctldKind::getPowerstat:
            if (!oneDigit || f[0] > '1') return std::nullopt;
            return Values{{"Power Status", std::string(1, f[0])}};
        case RigctldKind::getLevel: {
            // The radios with two receivers add three digits to a meter reading.
            const auto meter = transmitMeter(request.arguments[0]);
            const std::string_view digits = meter && f.size() == 6 ? f.substr(0, 3) : f;
            if (digits.size() != 3 || !allDigits(f)) return std::nullopt;
            const int raw = std::stoi(std::string(digits));
            if (meter) return Values{{"", meterValue(rig.model, *meter, raw)}};
            if (request.arguments[0] == "STRENGTH")
                return Values{{"", std::to_string(sMeterDecibels(rig.model, raw))}};
            return Values{{"", powerShare(rig, raw)}};
        }
        default:
            return std::nullopt;
    }
}

int continueSplitMode(RigctldRequest& request, const RigDescription& rig) {
    const auto modeField = answerField(request.answers[0], request.commands[0].text);
    const auto frequencyField = answerField(request.answers[1], request.commands[1].text);
    const std::size_t digits = static_cast<std::size_t>(rig.frequencyDigits);
    if (!modeField || modeField->size() != 1 || !modeByDigit((*modeField)[0]) || !frequencyField ||
        frequencyField->size() != digits || !allDigits(*frequencyField))
        return kProtocol;
    const HamlibMode* mode = modeByName(request.arguments[0]);
    for (const std::string& command :
         {std::string("MD0") + mode->digit + ";", std::string("AB;"), "MD0" + std::string(*modeField) + ";",
          "FB" + std::string(*frequencyField) + ";"})
        request.commands.push_back({command, false});
    return 0;
}

}  // namespace vantor
