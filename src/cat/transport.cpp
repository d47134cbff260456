#include "cat/transport.h"

#include "core/text.h"
#include "cat/debug_log.h"
#include "speech/say.h"

namespace vantor {

// The longest read the radio port and the bridge port hand over at once.
static constexpr int kReadLimit = 255;

void openCatPort(Panel& p, int port) {
    SerialPorts& serial = p.platform.serial;
    serial.close(port);
    serial.open(port, p.baudRate);
    serial.makeReadsImmediate(port);
    serial.setFraming(port, p.comDataBits, p.comParity, p.comStopBits);
}

bool usesEightDigitFrequencies(int radioModel) {
    // 251 answers FA with 8 digits like 362; without it here such a radio
    // would never be understood.
    return radioModel == 241 || radioModel == 251 || radioModel == 362 || radioModel == 462;
}

static bool isFrequencySet(const std::string& command) {
    return (startsWith(command, "FA") || startsWith(command, "FB")) && command.size() > 5;
}

void send(Panel& p) {
    std::string& command = p.commandText;
    if (p.splitOn == 1 && startsWith(command, "FA")) command[1] = 'B';
    command = cut(command + ";");
    if (isFrequencySet(command)) {
        p.lastFrequencyCommand = command;
        if (usesEightDigitFrequencies(p.radioModel)) command = command.substr(0, 2) + right(command, 9);
    }
    p.platform.serial.write(p.comHandle, command);
    writeDebugLine(p, "TX=" + command);
}

void send(Panel& p, const std::string& command) {
    p.commandText = cut(command);
    send(p);
}

void receive(Panel& p) {
    p.replyText.clear();
    p.bytesWaiting = p.platform.serial.bytesWaiting(p.comHandle);
    if (p.bytesWaiting > 0) {
        p.replyText = p.platform.serial.read(p.comHandle, kReadLimit);
        p.bytesWaiting = static_cast<int>(p.replyText.size());
    }
    if (!p.replyText.empty()) writeDebugLine(p, "RX=" + p.replyText);
}

void delay(Panel& p) { say(p, "delay"); }

void query(Panel& p, const std::string& command) {
    send(p, command);
    delay(p);
    receive(p);
}

}  // namespace vantor
