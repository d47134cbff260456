#include "cat/conversation.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "cat/debug_log.h"
#include "cat/radio_identification.h"
#include "core/radio_picture.h"
#include "core/text.h"
#include "panel/transmit_keys.h"

namespace vantor {

namespace {

// The radio answers within a few milliseconds; past this a question is
// given up so that one lost answer never stalls everybody else.
constexpr long long kAnswerWaitMs = 250;
// What the panel keeps of answers it has not read (late ones, unasked ones).
constexpr std::size_t kPanelAnswerLimit = 64;
constexpr int kReadLimit = 255;
// Questions given up whose answers may still come, to tell when they were asked.
constexpr std::size_t kGivenUpLimit = 16;

// Characters after the mnemonic that select what a read reports (the
// receiver, the meter, the menu item); a command carrying more sets something.
std::size_t readSelectorLength(const Panel& p, std::string_view mnemonic) {
    static const std::pair<const char*, std::size_t> kSelectors[] = {
        {"AG", 1}, {"AN", 1}, {"BC", 1}, {"BP", 2}, {"CN", 2}, {"CO", 2}, {"GT", 1}, {"IS", 1},
        {"MD", 1}, {"ML", 1}, {"NA", 1}, {"NB", 1}, {"NL", 1}, {"NR", 1}, {"PA", 1}, {"RA", 1},
        {"RG", 1}, {"RL", 1}, {"RM", 1}, {"SH", 1}, {"SM", 1}, {"SQ", 1}};
    if (mnemonic == "EX") return menuNumberLength(p.radioModel);
    for (const auto& [name, length] : kSelectors)
        if (mnemonic == name) return length;
    return 0;
}

std::string mnemonicOf(std::string_view text) {
    return std::string(text.substr(0, std::min<std::size_t>(2, text.size())));
}

// The commands that set something without a parameter (a VFO copy or swap,
// a memory transfer, a step, the zero-in, the quick memory and split); bare
// as they are, they would look like reads and hold the line for an answer
// that never comes.
bool isParameterlessSet(std::string_view mnemonic) {
    static constexpr std::string_view kSets[] = {"AB", "AM", "BA", "DN", "MA", "QI",
                                                 "QR", "QS", "SV", "UP", "ZI"};
    return std::find(std::begin(kSets), std::end(kSets), mnemonic) != std::end(kSets);
}

// The two letters every answer of a Yaesu radio can begin with.
bool isReplyMnemonic(std::string_view text) {
    static constexpr std::string_view kMnemonics[] = {
        "AB", "AC", "AG", "AI", "AM", "AN", "BA", "BC", "BD", "BI", "BM", "BP", "BS", "BU", "BY",
        "CF", "CH", "CN", "CO", "CS", "CT", "DA", "DN", "DT", "ED", "EK", "EU", "EX", "FA", "FB",
        "FN", "FR", "FS", "FT", "GT", "ID", "IF", "IS", "KM", "KP", "KR", "KS", "KY", "LK", "LM",
        "MA", "MB", "MC", "MD", "MG", "ML", "MR", "MS", "MT", "MW", "MX", "NA", "NB", "NL", "NR",
        "OI", "OS", "PA", "PB", "PC", "PL", "PR", "PS", "QI", "QR", "QS", "RA", "RC", "RD", "RG",
        "RI", "RL", "RM", "RS", "RT", "RU", "SC", "SD", "SH", "SM", "SQ", "SS", "ST", "SV", "TS",
        "TX", "UL", "UP", "VD", "VG", "VM", "VR", "VS", "VT", "VV", "VX", "XT", "ZI"};
    return std::find(std::begin(kMnemonics), std::end(kMnemonics), text) != std::end(kMnemonics);
}

// Noise on the line (a radio being switched on, a poor cable, a second device
// on the port) can come before an answer in the same read. The answer starts
// at the letters of the question on the line, else at the first letters any
// answer may begin with, else it is the radio's "?;"; what stands before is
// dropped. Anything else is left whole for the reader to judge.
std::string fromReplyStart(const std::string& text, const std::optional<CatQuestion>& onLine) {
    if (onLine) {
        const std::string expected = mnemonicOf(onLine->command);
        if (const auto at = text.find(expected); expected.size() == 2 && at != std::string::npos)
            return text.substr(at);
    }
    for (std::size_t at = 0; at + 1 < text.size(); ++at)
        if (isReplyMnemonic(std::string_view(text).substr(at, 2))) return text.substr(at);
    if (text.ends_with("?;")) return "?;";
    return text;
}

// The values a command changes on the radio, by the mnemonics that read them.
std::vector<std::string_view> valuesChangedBy(std::string_view command) {
    const std::string_view mnemonic = command.substr(0, std::min<std::size_t>(2, command.size()));
    if (mnemonic == "FA" || mnemonic == "FB" || mnemonic == "FT" || mnemonic == "MD") return {mnemonic};
    if (mnemonic == "SV" || mnemonic == "MC" || mnemonic == "BS" || mnemonic == "BU" || mnemonic == "BD" ||
        mnemonic == "MA" || mnemonic == "QR")
        return {"FA", "FB", "MD", "FT"};
    if (mnemonic == "AB") return {"FB"};
    if (mnemonic == "BA" || mnemonic == "ZI" || mnemonic == "UP" || mnemonic == "DN") return {"FA"};
    return {};
}

// The values an answer reports, by the mnemonics of changes that outdate it.
std::vector<std::string_view> valuesReportedBy(std::string_view answer) {
    const std::string_view mnemonic = answer.substr(0, std::min<std::size_t>(2, answer.size()));
    if (mnemonic == "FA" || mnemonic == "FB" || mnemonic == "FT" || mnemonic == "MD") return {mnemonic};
    if (mnemonic == "IF") return {"FA", "MD"};
    return {};
}

void deliver(Panel& p, int side, const std::string& answer, long long askedAt) {
    CatConversation& c = p.conversation;
    if (side == kPanelSide) {
        c.panelAnswers.push_back({answer, askedAt});
        if (c.panelAnswers.size() > kPanelAnswerLimit) c.panelAnswers.pop_front();
        return;
    }
    c.answers[side] += answer;
    // What a sharing program learns of the frequency and mode the panel learns too.
    if (mnemonicOf(answer) == "FA" || mnemonicOf(answer) == "FB" || mnemonicOf(answer) == "MD") {
        c.overheard.push_back({answer, askedAt});
        if (c.overheard.size() > kPanelAnswerLimit) c.overheard.pop_front();
    }
}

// Every command and question is numbered as it goes on the line; the radio
// takes them in that order, so the number tells which answers are outdated.
long long write(Panel& p, const std::string& command) {
    p.platform.serial.write(p.comHandle, command);
    writeDebugLine(p, "TX=" + command);
    return ++p.conversation.linesWritten;
}

// The radio's answers wake the panel only while a program sharing the radio
// waits for one; the panel's own are read at its next tick, and an idle panel
// is not woken ten times a second for them.
void wakeForClients(Panel& p) { p.platform.serial.wakeOnInput(p.comHandle, sharingProgramsBusy(p)); }

void startWaitingQuestion(Panel& p) {
    CatConversation& c = p.conversation;
    if (c.onLine || c.waiting.empty()) return;
    c.onLine = c.waiting.front();
    c.waiting.pop_front();
    c.onLine->sentMs = p.platform.clock.monotonicMs();
    c.onLine->lineNumber = write(p, c.onLine->command);
}

// The oldest question of a list whose answer this may be, taken from the list.
std::optional<CatQuestion> takeAskerOf(std::deque<CatQuestion>& questions, const std::string& answer,
                                       bool clientsOnly) {
    auto it = std::find_if(questions.begin(), questions.end(), [&](const CatQuestion& q) {
        return (!clientsOnly || q.side != kPanelSide) && mnemonicOf(q.command) == mnemonicOf(answer);
    });
    if (it == questions.end()) return std::nullopt;
    CatQuestion asker = *it;
    questions.erase(it);
    return asker;
}

// An answer nobody waits for answers a question given up, which nobody
// waits for either, or else a program's command taken for a set; otherwise
// the radio said it of itself (as it does when the operator turns the dial
// with auto-information on), and it is news. The question given up comes
// first: a program's frequency set must not take the answer of the poll's
// frequency question that was on the line before it.
void takeUnaskedAnswer(Panel& p, const std::string& answer) {
    CatConversation& c = p.conversation;
    if (auto late = takeAskerOf(c.givenUp, answer, false))
        return deliver(p, kPanelSide, answer, late->lineNumber);
    if (auto set = takeAskerOf(c.recentSets, answer, true))
        return deliver(p, set->side, answer, set->lineNumber);
    deliver(p, kPanelSide, answer, c.linesWritten);
}

void takeAnswer(Panel& p, const std::string& answer) {
    CatConversation& c = p.conversation;
    if (c.onLine && (answer == "?;" || mnemonicOf(answer) == mnemonicOf(c.onLine->command))) {
        deliver(p, c.onLine->side, answer, c.onLine->lineNumber);
        c.onLine.reset();
        return;
    }
    takeUnaskedAnswer(p, answer);
}

}  // namespace

bool isCatQuestion(const Panel& p, std::string_view command) {
    if (command.size() < 3 || command.back() != ';') return false;
    const std::string_view body = command.substr(2, command.size() - 3);
    if (body.empty() && isParameterlessSet(command.substr(0, 2))) return false;
    return body.size() <= readSelectorLength(p, command.substr(0, 2));
}

void talkToRadio(Panel& p, int side, const std::string& command, bool question) {
    serveRadio(p);
    CatConversation& c = p.conversation;
    if (!question) {
        // A set may key the transmitter: the machine must not sleep under it.
        keepAwakeWhileOnAir(p);
        takeCommandIntoPicture(p, command);
        const long long number = write(p, command);
        for (std::string_view value : valuesChangedBy(command))
            c.changedAt.insert_or_assign(std::string(value), number);
        c.recentSets.push_back({side, command, p.platform.clock.monotonicMs(), number});
        return;
    }
    c.waiting.push_back({side, command, 0, 0});
    startWaitingQuestion(p);
    wakeForClients(p);
}

void serveRadio(Panel& p) {
    CatConversation& c = p.conversation;
    SerialPorts& serial = p.platform.serial;
    while (serial.bytesWaiting(p.comHandle) > 0) {
        const std::string bytes = serial.read(p.comHandle, kReadLimit);
        if (bytes.empty()) break;
        writeDebugLine(p, "RX=" + bytes);
        c.heard += bytes;
    }
    for (std::size_t end; (end = c.heard.find(';')) != std::string::npos;) {
        const std::string answer = fromReplyStart(c.heard.substr(0, end + 1), c.onLine);
        c.heard.erase(0, end + 1);
        takeAnswer(p, answer);
    }
    // Bytes that never end in ";" are noise on the line, not the start of an answer.
    if (c.heard.size() > static_cast<std::size_t>(kMaxText)) c.heard.clear();
    const long long now = p.platform.clock.monotonicMs();
    if (c.onLine && now - c.onLine->sentMs > kAnswerWaitMs) {
        writeDebugLine(p, "no answer to " + c.onLine->command);
        giveUpQuestion(p, c.onLine->side);
    }
    while (!c.recentSets.empty() && now - c.recentSets.front().sentMs > kAnswerWaitMs)
        c.recentSets.pop_front();
    // A late answer comes within two seconds or not at all.
    while (!c.givenUp.empty() && now - c.givenUp.front().sentMs > 8 * kAnswerWaitMs) c.givenUp.pop_front();
    startWaitingQuestion(p);
    wakeForClients(p);
}

void giveUpQuestion(Panel& p, int side) {
    CatConversation& c = p.conversation;
    if (!c.onLine || c.onLine->side != side) return;
    c.givenUp.push_back(*c.onLine);
    if (c.givenUp.size() > kGivenUpLimit) c.givenUp.pop_front();
    c.onLine.reset();
    // Half an answer now belongs to nobody; its rest will be seen as noise.
    c.heard.clear();
    startWaitingQuestion(p);
}

bool isCurrentAnswer(const CatConversation& c, const CatAnswer& answer) {
    for (std::string_view value : valuesReportedBy(answer.text)) {
        const auto changed = c.changedAt.find(value);
        if (changed != c.changedAt.end() && changed->second > answer.askedAt) return false;
    }
    return true;
}

std::optional<std::string> takeAnswerFor(Panel& p, std::string_view prefix) {
    CatConversation& c = p.conversation;
    std::optional<std::string> newest;
    std::erase_if(c.panelAnswers, [&](const CatAnswer& answer) {
        if (!startsWith(answer.text, prefix)) return false;
        if (isCurrentAnswer(c, answer)) newest = answer.text;
        return true;
    });
    return newest;
}

std::string takeAnswers(Panel& p, int side) {
    if (side == kPanelSide) {
        CatConversation& c = p.conversation;
        std::string answers;
        for (const CatAnswer& answer : c.panelAnswers)
            if (isCurrentAnswer(c, answer)) answers += answer.text;
        c.panelAnswers.clear();
        return answers;
    }
    auto it = p.conversation.answers.find(side);
    if (it == p.conversation.answers.end()) return {};
    std::string answers = std::move(it->second);
    p.conversation.answers.erase(it);
    return answers;
}

namespace {

// Whether a question on the line or in the queue matches.
template <typename Matches>
bool anyQuestion(const CatConversation& c, Matches matches) {
    return (c.onLine && matches(*c.onLine)) || std::any_of(c.waiting.begin(), c.waiting.end(), matches);
}

}  // namespace

bool sharingProgramsBusy(const Panel& p) {
    return anyQuestion(p.conversation, [](const CatQuestion& q) { return q.side != kPanelSide; });
}

bool isWaitingFor(const Panel& p, int side) {
    return anyQuestion(p.conversation, [side](const CatQuestion& q) { return q.side == side; });
}

void forgetSide(Panel& p, int side) {
    CatConversation& c = p.conversation;
    std::erase_if(c.waiting, [&](const CatQuestion& q) { return q.side == side; });
    std::erase_if(c.recentSets, [&](const CatQuestion& q) { return q.side == side; });
    // The answer still due is read by the panel as any late answer.
    if (c.onLine && c.onLine->side == side) c.onLine->side = kPanelSide;
    c.answers.erase(side);
}

}  // namespace vantor
