#include "cat/rigctld_session.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

#include "cat/rigctld_caps.h"
#include "cat/rigctld_filters.h"
#include "cat/rigctld_settings.h"

namespace vantor {

namespace {

// Hamlib's RPRT codes.
constexpr int kInvalid = -1, kTimeout = -5, kProtocol = -8, kRejected = -9, kNotAvailable = -11;

constexpr std::string_view kHamlibLevels =
    "PREAMP ATT VOXDELAY AF RF SQL IF APF NR PBT_IN PBT_OUT CWPITCH RFPOWER MICGAIN KEYSPD NOTCHF COMP AGC "
    "BKINDL BAL METER VOXGAIN ANTIVOX SLOPE_LOW SLOPE_HIGH BKIN_DLYMS RAWSTR SWR ALC STRENGTH RFPOWER_METER "
    "COMP_METER VD_METER ID_METER NOTCHF_RAW MONITOR_GAIN NB RFPOWER_METER_WATTS SPECTRUM_MODE SPECTRUM_SPAN "
    "SPECTRUM_EDGE_LOW SPECTRUM_EDGE_HIGH SPECTRUM_SPEED SPECTRUM_REF SPECTRUM_AVG SPECTRUM_ATT TEMP_METER "
    "BAND_SELECT USB_AF AGC_TIME";

constexpr std::size_t kMaxLine = 1024;     // longer than any request a client has reason to send
constexpr std::size_t kBusyRequests = 64;  // acceptsInput says no from here
constexpr std::size_t kMaxRequests = 256;  // a client that ignores that is cut off
constexpr std::size_t kBusyOutput = 65536;

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

struct CommandEntry {
    char shortName;  // 0: long name only
    const char* longName;
    int argumentCount;
    RigctldKind kind;
};
constexpr std::array<CommandEntry, 32> kCommands{{{'F', "set_freq", 1, RigctldKind::setFreq},
                                                  {'f', "get_freq", 0, RigctldKind::getFreq},
                                                  {'M', "set_mode", 2, RigctldKind::setMode},
                                                  {'m', "get_mode", 0, RigctldKind::getMode},
                                                  {'V', "set_vfo", 1, RigctldKind::setVfo},
                                                  {'v', "get_vfo", 0, RigctldKind::getVfo},
                                                  {'S', "set_split_vfo", 2, RigctldKind::setSplitVfo},
                                                  {'s', "get_split_vfo", 0, RigctldKind::getSplitVfo},
                                                  {'T', "set_ptt", 1, RigctldKind::setPtt},
                                                  {'t', "get_ptt", 0, RigctldKind::getPtt},
                                                  {'l', "get_level", 1, RigctldKind::getLevel},
                                                  {'L', "set_level", 2, RigctldKind::setLevel},
                                                  {'u', "get_func", 1, RigctldKind::getFunc},
                                                  {'U', "set_func", 2, RigctldKind::setFunc},
                                                  {'j', "get_rit", 0, RigctldKind::getRit},
                                                  {'J', "set_rit", 1, RigctldKind::setRit},
                                                  {'z', "get_xit", 0, RigctldKind::getXit},
                                                  {'Z', "set_xit", 1, RigctldKind::setXit},
                                                  {'I', "set_split_freq", 1, RigctldKind::setSplitFreq},
                                                  {'i', "get_split_freq", 0, RigctldKind::getSplitFreq},
                                                  {'X', "set_split_mode", 2, RigctldKind::setSplitMode},
                                                  {'x', "get_split_mode", 0, RigctldKind::getSplitMode},
                                                  {0, "get_powerstat", 0, RigctldKind::getPowerstat},
                                                  {0, "get_lock_mode", 0, RigctldKind::getLockMode},
                                                  {0, "chk_vfo", 0, RigctldKind::chkVfo},
                                                  {0, "dump_state", 0, RigctldKind::dumpState},
                                                  {0, "dump_caps", 0, RigctldKind::dumpCaps},
                                                  {'2', "power2mW", 3, RigctldKind::powerToMilliwatts},
                                                  {'4', "mW2power", 3, RigctldKind::milliwattsToPower},
                                                  {'q', "", 0, RigctldKind::quit},
                                                  {'Q', "", 0, RigctldKind::quit},
                                                  {0, "quit", 0, RigctldKind::quit}}};

const CommandEntry* findCommand(std::string_view token) {
    const bool isLong = token.size() > 1 && token[0] == '\\';
    for (const CommandEntry& entry : kCommands) {
        if (isLong ? token.substr(1) == entry.longName
                   : token.size() == 1 && entry.shortName != 0 && token[0] == entry.shortName)
            return &entry;
    }
    return nullptr;
}

// Works out what the request needs from the radio, or the error it already has.
// The VFO a client selects is its own: it only decides which VFO f and F use.
void prepare(RigctldRequest& request, bool& onVfoB, const RigDescription& rig) {
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

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Labelled values of a query's answer, or nothing when it carries none.
using Values = RigctldValues;

std::optional<Values> valuesOf(const RigctldRequest& request, const RigDescription& rig) {
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

// With VFO A's mode and VFO B's frequency read, the split mode is set as the
// FT-991 allows: the mode on VFO A, VFO A copied to VFO B, then VFO A's mode
// and VFO B's frequency put back. 0, or the code of an answer that is none.
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

std::string rprt(int code) { return "RPRT " + std::to_string(code) + "\n"; }

// The text of a finished request: plain values one per line, or the extended
// form (echo, labelled values, RPRT) joined by the client's separator.
std::string answerText(const RigctldRequest& request, int code, const Values& values,
                       const RigDescription& rig) {
    const std::string sep(1, request.separator);
    switch (request.kind) {
        case RigctldKind::quit:
            return rprt(0);
        case RigctldKind::chkVfo:
            if (!request.extended) return "0\n";
            return request.separator == '\n' ? "ChkVFO: 0\n" : "ChkVFO: 0\n\n";
        case RigctldKind::dumpState:
            return request.extended ? request.header + sep + dumpState(rig) + rprt(0) : dumpState(rig);
        case RigctldKind::dumpCaps:
            // rigctld ends even the plain form with its RPRT line.
            return (request.extended ? request.header + sep : "") + dumpCaps(rig) + rprt(0);
        case RigctldKind::refused:
            return rprt(code);
        default:
            break;
    }
    // rigctld ends even the plain answer of get_lock_mode with its RPRT line.
    const bool lockMode = request.kind == RigctldKind::getLockMode;
    if (!request.extended) {
        if (values.empty() || code != 0) return rprt(code);
        std::string text;
        for (const auto& value : values) text += value.second + "\n";
        return lockMode ? text + rprt(0) : text;
    }
    std::string text = request.header + sep;
    if (code == 0) {
        for (const auto& [label, value] : values) {
            // These two always end their value with a new line, whatever the separator.
            const bool ownLine =
                request.kind == RigctldKind::getPowerstat || request.kind == RigctldKind::getFunc;
            const std::string end = ownLine || lockMode ? "\n" : sep;
            text += (label.empty() ? value : label + ": " + value) + end;
        }
    }
    return text + rprt(code);
}

// Answers every request at the front that needs nothing more from the radio.
void finishReady(RigctldClient& client, const RigDescription& rig) {
    while (!client.requests.empty() && !client.commandOutstanding) {
        RigctldRequest& request = client.requests.front();
        if (!request.commands.empty() && request.error == 0) return;  // waits for its turn with the radio
        Values values;
        if (request.kind == RigctldKind::getVfo) values = {{"VFO", request.onVfoB ? "VFOB" : "VFOA"}};
        if (request.kind == RigctldKind::getLockMode)
            values = {{"Locked", "0"}};  // clients may always set the mode
        if (request.kind == RigctldKind::powerToMilliwatts && request.error == 0)
            values = {{"Power mW", *powerToMilliwatts(rig, request.arguments[0])}};
        if (request.kind == RigctldKind::milliwattsToPower && request.error == 0)
            values = {{"Power [0.0..1.0]", *milliwattsToPower(rig, request.arguments[0])}};
        client.output += answerText(request, request.error, values, rig);
        const bool quits = request.kind == RigctldKind::quit;
        client.requests.pop_front();
        if (quits) {
            client.closing = true;
            client.requests.clear();
        }
    }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// rigctld takes any punctuation before a command as the separator of an
// extended answer, except the characters that are commands themselves.
bool isSeparatorPrefix(char c) {
    return std::ispunct(static_cast<unsigned char>(c)) && c != '\\' && c != '_' && c != '#' && c != '(' &&
           c != ')';
}

void refuse(RigctldClient& client, int code) {
    RigctldRequest request;
    request.error = code;
    client.requests.push_back(std::move(request));
}

// One line from the client. As in rigctld, several commands may share a line
// ("f m", even "fm"), and a command's arguments are the words after it; here
// they must be on the same line, so a missing one is an error, not a wait.
// rigctld says nothing at all to a name it does not know, which leaves the
// client waiting for its time-out; this port answers RPRT -11 at once.
void takeLine(RigctldClient& client, std::string_view line, const RigDescription& rig) {
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < line.size() && isBlank(line[pos])) ++pos;
    };
    const auto word = [&] {
        const std::size_t start = pos;
        while (pos < line.size() && !isBlank(line[pos])) ++pos;
        return line.substr(start, pos - start);
    };
    while (true) {
        skipBlanks();
        if (pos >= line.size()) return;
        char separator = client.pendingSeparator;
        if (isSeparatorPrefix(line[pos])) separator = line[pos++];
        if (pos >= line.size() || isBlank(line[pos])) {  // a separator alone applies to the next command
            client.pendingSeparator = separator;
            continue;
        }
        client.pendingSeparator = 0;
        const unsigned char first = static_cast<unsigned char>(line[pos]);
        const std::string_view name = first == '\\' ? word() : line.substr(pos++, 1);
        const CommandEntry* entry = findCommand(name);
        if (!entry) {
            // Bytes no client sends are bad input; a command this port does not serve is not available.
            refuse(client, first < 0x20 || first >= 0x7f ? kInvalid : kNotAvailable);
            return;  // its arguments, whatever they are, are not commands
        }
        RigctldRequest request;
        request.kind = entry->kind;
        request.extended = separator != 0;
        request.separator = separator == '+' ? '\n' : separator;
        request.header = std::string(entry->longName) + ":";
        for (int i = 0; i < entry->argumentCount; ++i) {
            skipBlanks();
            if (pos >= line.size()) {
                request.error = kInvalid;
                break;
            }
            request.arguments.emplace_back(word());
            request.header += " " + request.arguments.back();
        }
        if (request.error == 0) prepare(request, client.onVfoB, rig);
        client.requests.push_back(std::move(request));
    }
}

}  // namespace

void takeClientBytes(RigctldClient& client, std::string_view bytes, const RigDescription& rig) {
    for (char c : bytes) {
        if (client.closing) return;
        if (c != '\n') {
            if (client.skippingLongLine) continue;
            client.partialLine += c;
            if (client.partialLine.size() > kMaxLine) {
                client.partialLine.clear();
                client.skippingLongLine = true;
                refuse(client, kInvalid);
            }
            continue;
        }
        if (!client.skippingLongLine) takeLine(client, client.partialLine, rig);
        client.partialLine.clear();
        client.skippingLongLine = false;
        if (client.requests.size() > kMaxRequests) {
            client.closing = true;  // flooding: answers would pile up without bound
            client.requests.clear();
        }
    }
    finishReady(client, rig);
}

std::optional<CatCommand> nextCatCommand(RigctldClient& client) {
    if (client.commandOutstanding || client.requests.empty()) return std::nullopt;
    const RigctldRequest& request = client.requests.front();
    if (request.error != 0 || request.answers.size() >= request.commands.size()) return std::nullopt;
    client.commandOutstanding = true;
    return request.commands[request.answers.size()];
}

void takeCatAnswer(RigctldClient& client, std::optional<std::string> answer, const RigDescription& rig) {
    if (!client.commandOutstanding || client.requests.empty()) return;
    client.commandOutstanding = false;
    RigctldRequest& request = client.requests.front();
    const bool refused = answer && answer->find("?;") != std::string::npos;
    int code = refused ? kRejected : !answer ? kTimeout : 0;
    request.answers.push_back(answer.value_or(""));
    if (code == 0 && request.kind == RigctldKind::setSplitMode && request.answers.size() == 2)
        code = continueSplitMode(request, rig);
    // The rest of the request waits for its next command; a failed one ends it.
    if (code == 0 && request.answers.size() < request.commands.size()) return;
    std::optional<Values> values = Values{};
    if (code == 0 && request.commands.back().expectsAnswer) values = valuesOf(request, rig);
    if (code == 0) code = request.errorWhenSent;
    client.output += answerText(request, values ? code : kProtocol, values.value_or(Values{}), rig);
    client.requests.pop_front();
    finishReady(client, rig);
}

std::string takeOutput(RigctldClient& client) { return std::exchange(client.output, {}); }

bool wantsClose(const RigctldClient& client) { return client.closing; }

bool hasRequests(const RigctldClient& client) { return !client.requests.empty(); }

bool acceptsInput(const RigctldClient& client) {
    return !client.closing && client.requests.size() < kBusyRequests && client.output.size() < kBusyOutput;
}

}  // namespace vantor
