#include "cat/bridge.h"

#include <iostream>

#include "core/text.h"
#include "cat/debug_log.h"
#include "cat/transport.h"
#include "display/status_window.h"

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

bool isModeSet(const std::string& command) { return startsWith(command, "MD0") && charAt(command, 4) != ';'; }

}  // namespace

void serveBridge(Panel& p) {
    gatherBridgeBytes(p);
    const int semicolon = findPos(p.bridgeBuffer, ";");
    if (semicolon == 0) {
        // A full buffer without ";" can never complete a command: start afresh.
        if (p.bridgeBuffer.size() >= kMaxText) {
            std::cerr << "vantor: bridge: " << kMaxText << " characters without ';' were discarded\n";
            p.bridgeBuffer.clear();
        }
        return;
    }
    p.externalCommand = 1;
    writeDebugLine(p, "***VRX1=" + p.bridgeBuffer);
    p.commandText = p.bridgeBuffer.substr(0, static_cast<std::size_t>(semicolon - 1));
    // Clients write a set command and the query that checks it in one write;
    // what follows the first ";" waits for the next service.
    p.bridgeBuffer.erase(0, static_cast<std::size_t>(semicolon));
    // An answer to one of the poll's own queries that came too late must not
    // reach the client in front of the answer it waits for.
    receive(p);
    send(p);
    if (isModeSet(p.commandText)) {
        p.currentMode = valueOf(mid(p.commandText, 4, 1));
        showMode(p);
        p.bridgeChunk.clear();
        return;
    }
    delay(p);
    receive(p);
    if (p.replyText.empty() || p.replyText == ";") {
        p.bridgeChunk.clear();
        return;
    }
    writeDebugLine(p, "***VTX1=" + p.replyText);
    p.platform.serial.write(p.bridgePort, p.replyText);
    p.bridgeChunk.clear();
    // A frequency the client asked for is news to the panel too.
    const int frequencyAt = findPos(p.replyText, "FA");
    if (frequencyAt > 0 && p.replyText.size() > 5) {
        const std::string fromFa = mid(p.replyText, frequencyAt);
        const int end = findPos(fromFa, ";");
        p.replyText = end > 0 ? fromFa.substr(0, static_cast<std::size_t>(end)) : fromFa;
        if (takeFrequencyReply(p, p.replyText)) showFrequencyReply(p);
    }
}

}  // namespace vantor
