#include "cat/bridge.h"

#include <iostream>

#include "cat/conversation.h"
#include "cat/debug_log.h"
#include "cat/transport.h"
#include "core/text.h"

namespace vantor {

namespace {

// Takes what the client has written, as much as the buffer can hold; the rest
// stays in the port for a later service, so no command is lost.
void gatherBridgeBytes(Panel& p) {
    p.bridgeChunk.clear();
    const int room = static_cast<int>(kMaxText - p.bridgeBuffer.size());
    if (room <= 0 || p.platform.serial.bytesWaiting(p.bridgePort) <= 0) return;
    p.bridgeChunk = p.platform.serial.read(p.bridgePort, room);
    p.bridgeBuffer += p.bridgeChunk;
}

void relayCommands(Panel& p) {
    for (std::size_t end; (end = p.bridgeBuffer.find(';')) != std::string::npos;) {
        const std::string command = p.bridgeBuffer.substr(0, end);
        p.bridgeBuffer.erase(0, end + 1);
        if (command.empty()) continue;
        writeDebugLine(p, "***VRX1=" + command + ";");
        // A program's commands go as they came: it addresses the VFO it means.
        const std::string prepared = radioForm(p, command);
        // A set is news to the panel once the radio has taken it; its "?;" comes back here.
        const bool question = isCatQuestion(p, prepared);
        talkToRadio(p, kBridgeSide, prepared, question);
        if (question) p.sharedNews.push_back({kBridgeSide, prepared, "", false});
    }
}

}  // namespace

void serveBridge(Panel& p) {
    do {
        gatherBridgeBytes(p);
        relayCommands(p);
    } while (!p.bridgeChunk.empty());
    // A full buffer without ";" can never complete a command: start afresh.
    if (p.bridgeBuffer.size() >= kMaxText) {
        std::cerr << "vantor: bridge: " << kMaxText << " characters without ';' were discarded\n";
        p.bridgeBuffer.clear();
    }
    serveRadio(p);
    const std::string answers = takeAnswers(p, kBridgeSide);
    if (answers.empty()) return;
    writeDebugLine(p, "***VTX1=" + answers);
    p.platform.serial.write(p.bridgePort, answers);
    p.sharedNews.push_back({kBridgeSide, "", answers, false});
}

}  // namespace vantor
