#include "panel/shared_radio.h"

#include "cat/bridge.h"
#include "cat/conversation.h"
#include "cat/network_port.h"
#include "cat/transport.h"
#include "core/text.h"
#include "display/status_window.h"
#include "panel/shared_settings.h"
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
    if (followSettingCommand(p, command)) return;
    // The picture took the program's frequency, mode and split on their way
    // out, and whatever a key sent after them: the panel follows the picture,
    // not the program's command, which may be older by now.
    if (p.radioConnected == 1 && (startsWith(command, "FA") || startsWith(command, "FB")) &&
        command.size() == static_cast<std::size_t>(p.frequencyDigits) + 3) {
        const int hertz = pictureFrequency(p, command[1]);
        if (hertz <= 0) return;
        p.replyText = command.substr(0, 2) + zeroPadded(hertz, p.frequencyDigits) + ";";
        if (takeFrequencyReply(p, p.replyText)) showFrequencyReply(p);
        return;
    }
    if (startsWith(command, "MD0") && command.size() == 5) {
        // The radio's mode digit, read through the radio's own mode commands;
        // the panel only shows it: the program chose its width and filter. A
        // mode the panel has no name for (data, RTTY) is 0: F names none.
        p.currentMode = modeNumberFor(p, std::string("MD0") + p.picture.mode);
        showModeName(p);
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

// A frequency a program asked for is news to the panel too, while the radio
// has not been moved since the program asked.
void learnOverheardAnswers(Panel& p) {
    CatConversation& c = p.conversation;
    while (!c.overheard.empty()) {
        const CatAnswer answer = c.overheard.front();
        c.overheard.pop_front();
        if (!isCurrentAnswer(c, answer)) continue;
        if (answer.text.size() == 5 && startsWith(answer.text, "MD0")) {
            p.picture.mode = answer.text[3];
            continue;
        }
        p.replyText = answer.text;
        if (takeFrequencyReply(p, p.replyText)) showFrequencyReply(p);
    }
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
            if (p.keyedBySide == news.side && p.txState > 0) {
                send(p, "TX0");
                transmissionUnkeyed(p);
                announceTransmitter(p, false);
            }
            if (p.keyedBySide == news.side) p.keyedBySide = -1;
            continue;
        }
        // A key's set after the program's own on the same value is where the radio is now.
        if (news.lineNumber > 0 && isOvertaken(p.conversation, news.command, news.lineNumber)) continue;
        if (!news.command.empty()) followCommand(p, news.side, news.command);
    }
    learnOverheardAnswers(p);
}

}  // namespace vantor
