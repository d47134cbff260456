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
// as they are, they would look like reads.
bool isParameterlessSet(std::string_view mnemonic) {
    static constexpr std::string_view kSets[] = {"AB", "AM", "BA", "DN", "MA", "QI",
                                                 "QR", "QS", "SV", "UP", "ZI"};
    return std::find(std::begin(kSets), std::end(kSets), mnemonic) != std::end(kSets);
}

bool isKeying(std::string_view command) { return command == "TX1;" || command == "TX2;"; }

// Questions every radio answers, one of which goes with each checked set.
constexpr std::string_view kProbes[] = {"ID;", "AI;", "PS;"};

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

// The latest command that set a value itself, by its mnemonic: a program's
// set taken after it came from an earlier line and must not be followed.
void noteSet(CatConversation& c, std::string_view command, long long number) {
    if (valuesChangedBy(command) != std::vector<std::string_view>{mnemonicOf(command)}) return;
    long long& setAt = c.setAt[mnemonicOf(command)];
    setAt = std::max(setAt, number);
}

// `inEffect`: the command is known to set what it sets (the panel's, or a
// checked set the radio took); a checked set on its way only outdates answers.
void noteChanges(CatConversation& c, std::string_view command, long long number, bool inEffect = true) {
    for (std::string_view value : valuesChangedBy(command))
        c.changedAt.insert_or_assign(std::string(value), number);
    if (inEffect) noteSet(c, command, number);
}

void writeSet(Panel& p, int side, const std::string& command) {
    // A set may key the transmitter: the machine must not sleep under it.
    keepAwakeWhileOnAir(p);
    const long long number = write(p, command);
    noteChanges(p.conversation, command, number);
    // Only a network client hears no more than the verdict on its sets.
    if (side < kFirstNetworkSide)
        p.conversation.recentSets.push_back(
            {side, command, p.platform.clock.monotonicMs(), number, false, "", false, false});
}

bool isChecked(const CatQuestion& q) { return q.isSet && !q.probe.empty(); }
bool isHeldPanelSet(const CatQuestion& q) { return q.isSet && q.probe.empty(); }

// The probe whose answer cannot be a late one of a command given up.
std::string probeFor(const CatConversation& c) {
    for (std::string_view probe : kProbes)
        if (std::none_of(c.givenUp.begin(), c.givenUp.end(), [&](const CatQuestion& q) {
                return mnemonicOf(q.probe) == mnemonicOf(probe) || mnemonicOf(q.command) == mnemonicOf(probe);
            }))
            return std::string(probe);
    return std::string(kProbes[0]);
}

// The panel's own sets held behind a checked set go first, in their order;
// then the next question or checked set takes the line.
void startWaitingQuestion(Panel& p) {
    CatConversation& c = p.conversation;
    while (!c.onLine && !c.waiting.empty()) {
        CatQuestion next = c.waiting.front();
        c.waiting.pop_front();
        if (isHeldPanelSet(next)) {
            writeSet(p, next.side, next.command);
            continue;
        }
        next.sentMs = p.platform.clock.monotonicMs();
        if (isChecked(next)) {
            next.probe = probeFor(c);
            keepAwakeWhileOnAir(p);
            next.lineNumber = write(p, next.command);
            noteChanges(c, next.command, next.lineNumber, false);
            write(p, next.probe);
        } else {
            next.lineNumber = write(p, next.command);
        }
        c.onLine = next;
    }
}

// The panel's own set: into the picture at once, and on the line at once
// unless a checked set is out. Nothing may come between that and its probe:
// the panel's set then waits behind it, ahead of everything else, and
// outdates what was asked before it from now on.
void panelSet(Panel& p, const std::string& command) {
    CatConversation& c = p.conversation;
    takeCommandIntoPicture(p, command);
    const bool held =
        (c.onLine && isChecked(*c.onLine)) || (!c.waiting.empty() && isHeldPanelSet(c.waiting.front()));
    if (!held) return writeSet(p, kPanelSide, command);
    noteChanges(c, command, c.linesWritten + 1);
    c.waiting.insert(std::find_if_not(c.waiting.begin(), c.waiting.end(), isHeldPanelSet),
                     {kPanelSide, command, 0, 0, true, "", false, false});
}

void rememberGivenUp(CatConversation& c, const CatQuestion& q) {
    c.givenUp.push_back(q);
    if (c.givenUp.size() > kGivenUpLimit) c.givenUp.pop_front();
}

// A program's checked set has its verdict: refused, or taken, and only then
// is it in the picture and news to the panel. `late`: it was given up, and
// its program told so, before the verdict came.
void settle(Panel& p, const CatQuestion& set, const std::string& probeAnswer, bool late) {
    CatConversation& c = p.conversation;
    writeDebugLine(p, std::string(set.refused ? "refused " : "taken ") + (late ? "late " : "") + set.command);
    const bool sideThere = set.side != kPanelSide;
    if (set.refused) {
        if (!late && sideThere) deliver(p, set.side, "?;", set.lineNumber);
        return;
    }
    if (!late && set.side >= kFirstNetworkSide) deliver(p, set.side, probeAnswer, set.lineNumber);
    if (isKeying(set.command)) {
        // Given up, it was answered with "TX0"; a program that has gone must
        // not leave the radio on the air.
        if (!late && !sideThere && p.txState == 0) panelSet(p, "TX0;");
        if (late || !sideThere) return;
    }
    if (isOvertaken(c, set.command, set.lineNumber)) return;
    noteSet(c, set.command, set.lineNumber);
    takeCommandIntoPicture(p, set.command);
    p.sharedNews.push_back({set.side, set.command, "", false, set.lineNumber});
}

// No verdict in time: the program hears none; a transmitter it may have
// keyed is unkeyed, as the picture has it receiving. A verdict that comes
// later is still taken for what the radio did.
void giveUpCheckedSet(Panel& p) {
    CatConversation& c = p.conversation;
    CatQuestion set = *c.onLine;
    c.onLine.reset();
    c.heard.clear();
    if (set.refused) {
        settle(p, set, "", false);
        set.settled = true;
    }
    rememberGivenUp(c, set);
    if (!set.refused && isKeying(set.command) && p.txState == 0) panelSet(p, "TX0;");
}

// The oldest question of a list whose answer this may be, taken from the list.
std::optional<CatQuestion> takeAskerOf(std::deque<CatQuestion>& questions, const std::string& answer,
                                       bool clientsOnly) {
    auto it = std::find_if(questions.begin(), questions.end(), [&](const CatQuestion& q) {
        return (!clientsOnly || q.side != kPanelSide) && !isChecked(q) &&
               mnemonicOf(q.command) == mnemonicOf(answer);
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

// The radio answers in order, so a "?;" refuses the oldest command still
// due an answer (a question given up, or a checked set whose refusal has not
// come), and a probe's answer settles the oldest checked set it goes with.
void takeAnswer(Panel& p, const std::string& answer) {
    CatConversation& c = p.conversation;
    if (answer == "?;") {
        const auto due =
            std::find_if(c.givenUp.begin(), c.givenUp.end(), [](const CatQuestion& q) { return !q.refused; });
        if (due != c.givenUp.end()) {
            if (isChecked(*due)) {
                due->refused = true;
            } else {
                deliver(p, kPanelSide, answer, due->lineNumber);
                c.givenUp.erase(due);
            }
            return;
        }
        if (c.onLine && isChecked(*c.onLine)) {
            c.onLine->refused = true;
            return;
        }
    }
    const auto late = std::find_if(c.givenUp.begin(), c.givenUp.end(), [&](const CatQuestion& q) {
        return isChecked(q) && mnemonicOf(q.probe) == mnemonicOf(answer);
    });
    if (late != c.givenUp.end()) {
        const CatQuestion set = *late;
        // What went before it will not be answered now.
        c.givenUp.erase(c.givenUp.begin(), late + 1);
        if (!set.settled) settle(p, set, answer, true);
        return;
    }
    if (c.onLine && isChecked(*c.onLine)) {
        if (mnemonicOf(answer) != mnemonicOf(c.onLine->probe)) return takeUnaskedAnswer(p, answer);
        const CatQuestion set = *c.onLine;
        c.onLine.reset();
        c.givenUp.clear();
        return settle(p, set, answer, false);
    }
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
    if (!question && side == kPanelSide) return panelSet(p, command);
    // A program's set waits for the line like a question, to learn whether the radio took it.
    c.waiting.push_back(
        {side, command, 0, 0, !question, question ? "" : std::string(kProbes[0]), false, false});
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
        if (isChecked(*c.onLine))
            giveUpCheckedSet(p);
        else
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
    // A checked set is given up only when its time is up.
    if (!c.onLine || c.onLine->side != side || isChecked(*c.onLine)) return;
    rememberGivenUp(c, *c.onLine);
    c.onLine.reset();
    // Half an answer now belongs to nobody; its rest will be seen as noise.
    c.heard.clear();
    startWaitingQuestion(p);
}

bool isOvertaken(const CatConversation& c, std::string_view command, long long lineNumber) {
    const auto set = c.setAt.find(mnemonicOf(command));
    return set != c.setAt.end() && set->second > lineNumber;
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
