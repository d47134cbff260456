#include "panel/shared_radio.h"

#include "cat/bridge.h"
#include "cat/conversation.h"
#include "cat/network_port.h"
#include "cat/transport.h"
#include "core/text.h"
#include "display/status_window.h"
#include "panel/transmit_keys.h"
#include "speech/say.h"

namespace vantor {

namespace {

void announceTransmitter(Panel& p, bool keyed) {
    say(p, "tx");
    say(p, keyed ? "on" : "off");
}

void followCommand(Panel& p, int side, const std::string& command) {
    p.externalCommand = 1;
    // A frequency the program set is where the radio now is: the panel must
    // not send its old one back with the next mode the program sets.
    if (p.radioConnected == 1 && startsWith(command, "FA") &&
        command.size() == static_cast<std::size_t>(p.frequencyDigits) + 3) {
        p.replyText = command;
        if (takeFrequencyReply(p, p.replyText)) showFrequencyReply(p);
        return;
    }
    if (command == "FT2;" || command == "FT3;") {
        p.splitOn = command == "FT3;" ? 1 : 0;
        return;
    }
    if (startsWith(command, "MD0") && command.size() == 5) {
        // The radio's mode digit, read through the radio's own mode commands.
        if (const int mode = modeNumberFor(p, command.substr(0, 4))) {
            p.currentMode = mode;
            showMode(p);
        }
        return;
    }
    // "TX2" keys the radio as "TX1" does: the panel must know, or it would
    // leave the transmitter on when the program goes or the panel closes.
    if ((command == "TX1;" || command == "TX2;") && p.txState == 0) {
        transmissionKeyed(p);
        p.keyedBySide = side;
        announceTransmitter(p, true);
    } else if (command == "TX0;" && p.txState > 0) {
        transmissionUnkeyed(p);
        p.keyedBySide = -1;
        announceTransmitter(p, false);
    }
}

// A frequency a program asked for is news to the panel too: the newest of
// the answers that came together.
void learnFromAnswers(Panel& p, const std::string& answers) {
    const std::size_t at = answers.rfind("FA");
    if (at == std::string::npos) return;
    const std::size_t end = answers.find(';', at);
    if (end == std::string::npos) return;
    p.replyText = answers.substr(at, end - at + 1);
    if (takeFrequencyReply(p, p.replyText)) showFrequencyReply(p);
}

}  // namespace

void serveSharingPrograms(Panel& p) {
    // The radio's answers first, so that each goes back in this same service.
    serveRadio(p);
    if (p.bridgePort > 0) serveBridge(p);
    serveNetworkPort(p);
}

void applySharedNews(Panel& p) {
    while (!p.sharedNews.empty()) {
        const SharedRadioNews news = p.sharedNews.front();
        p.sharedNews.pop_front();
        if (news.gone) {
            forgetSide(p, news.side);
            if (p.keyedBySide == news.side && p.txState > 0) {
                send(p, "TX0");
                transmissionUnkeyed(p);
                announceTransmitter(p, false);
            }
            if (p.keyedBySide == news.side) p.keyedBySide = -1;
            continue;
        }
        if (!news.command.empty()) followCommand(p, news.side, news.command);
        if (!news.answer.empty()) learnFromAnswers(p, news.answer);
    }
}

}  // namespace vantor
