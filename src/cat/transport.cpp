#include "cat/transport.h"

#include <utility>

#include "cat/conversation.h"
#include "cat/debug_log.h"
#include "core/text.h"
#include "speech/say.h"

namespace vantor {

// The longest read the radio port and the bridge port hand over at once.
static constexpr int kReadLimit = 255;

bool openCatPort(Panel& p, int port) {
    SerialPorts& serial = p.platform.serial;
    serial.close(port);
    if (!serial.open(port, p.baudRate)) return false;
    serial.makeReadsImmediate(port);
    serial.setFraming(port, p.comDataBits, p.comParity, p.comStopBits);
    return true;
}

bool beginsWithFrequency(std::string_view text, int digits) {
    return (startsWith(text, "FA") || startsWith(text, "FB")) && digitsAt(text, 3, digits) &&
           charAt(text, 3 + digits) == ';';
}

bool takeFrequencyReply(Panel& p, std::string& reply) {
    if (p.radioConnected == 0)
        for (int digits : {8, 9})
            if (beginsWithFrequency(reply, digits)) p.frequencyDigits = digits;
    // Once connected, a reply of the other width is damaged (a byte lost or
    // added on the line): taking it would move the panel somewhere wrong.
    if (!beginsWithFrequency(reply, p.frequencyDigits)) return false;
    if (p.frequencyDigits == 8) reply.insert(2, "0");
    return true;
}

std::string preparedCommand(Panel& p, std::string command) {
    if (p.splitOn == 1 && startsWith(command, "FA")) command[1] = 'B';
    return radioForm(p, std::move(command));
}

std::string radioForm(Panel& p, std::string command) {
    command = cut(command + ";");
    // The panel builds nine digits; the smaller radios take their own eight.
    const bool nineDigitSet = command.size() == 12 && beginsWithFrequency(command, 9);
    if (nineDigitSet && p.frequencyDigits == 8) return command.substr(0, 2) + command.substr(3);
    return command;
}

void send(Panel& p) {
    p.commandText = preparedCommand(p, p.commandText);
    talkToRadio(p, kPanelSide, p.commandText, false);
}

void send(Panel& p, const std::string& command) {
    p.commandText = cut(command);
    send(p);
}

void ask(Panel& p, const std::string& command) {
    p.commandText = preparedCommand(p, cut(command));
    talkToRadio(p, kPanelSide, p.commandText, true);
}

void askUnchanged(Panel& p, const std::string& command) { talkToRadio(p, kPanelSide, command, true); }

void receive(Panel& p) {
    serveRadio(p);
    // What has not come by now is read, if ever, as a late answer.
    giveUpQuestion(p, kPanelSide);
    p.replyText = takeAnswers(p, kPanelSide);
    // The newest answers are the ones a caller looks for.
    if (p.replyText.size() > static_cast<std::size_t>(kReadLimit))
        p.replyText.erase(0, p.replyText.size() - kReadLimit);
    p.bytesWaiting = static_cast<int>(p.replyText.size());
}

void delay(Panel& p) { say(p, "delay"); }

void query(Panel& p, const std::string& command) {
    ask(p, command);
    delay(p);
    receive(p);
}

std::optional<std::string> queryDigits(Panel& p, const std::string& command, std::string_view marker,
                                       int offset, int count) {
    query(p, command);
    const int at = findPos(p.replyText, marker);
    if (at == 0) return std::nullopt;
    return digitsAt(p.replyText, at + offset, count);
}

}  // namespace vantor
