#include "cat/rigctld_session.h"

#include <array>
#include <cctype>
#include <utility>

#include "cat/rigctld_caps.h"
#include "cat/rigctld_requests.h"
#include "cat/rigctld_settings.h"

namespace vantor {

namespace {

using namespace rprt;

constexpr std::size_t kMaxLine = 1024;     // longer than any request a client has reason to send
constexpr std::size_t kBusyRequests = 64;  // acceptsInput says no from here
constexpr std::size_t kMaxRequests = 256;  // a client that ignores that is cut off
constexpr std::size_t kBusyOutput = 65536;

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

using Values = RigctldValues;

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
        if (request.error == 0) prepareRequest(request, client.onVfoB, rig);
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
    if (code == 0 && request.commands.back().expectsAnswer) values = requestValues(request, rig);
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
