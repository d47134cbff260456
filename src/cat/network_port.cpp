#include "cat/network_port.h"

#include <iostream>
#include <map>

#include "cat/conversation.h"
#include "cat/rigctld_session.h"

namespace vantor {

struct NetworkPort {
    int listener = 0;
    struct Connection {
        RigctldClient session;
        bool awaitingAnswer = false;
    };
    std::map<int, Connection> connections;  // by connection number
};

namespace {

// More than this many programs at once is a runaway client, not a shack.
constexpr std::size_t kMostConnections = 16;
constexpr int kReadChunk = 4096;

RigDescription describe(const Panel& p) { return describeRadio(p.radioModel, p.frequencyDigits); }

// Hands the session the radio's answer to its command (for a set, "?;" or
// the word that it was taken), or tells it that none will come (given up),
// then sends what it needs next.
void converse(Panel& p, int side, NetworkPort::Connection& connection, const RigDescription& rig) {
    if (connection.awaitingAnswer) {
        std::string answers = takeAnswers(p, side);
        if (!answers.empty()) {
            connection.awaitingAnswer = false;
            p.sharedNews.push_back({side, "", answers, false});
            takeCatAnswer(connection.session, std::move(answers), rig);
        } else if (!isWaitingFor(p, side)) {
            connection.awaitingAnswer = false;
            takeCatAnswer(connection.session, std::nullopt, rig);
        }
    }
    while (!connection.awaitingAnswer) {
        const std::optional<CatCommand> command = nextCatCommand(connection.session);
        if (!command) break;
        // A set waits for the radio's verdict too; the conversation makes it
        // news to the panel once the radio has taken it.
        talkToRadio(p, side, command->text, command->expectsAnswer);
        if (command->expectsAnswer) p.sharedNews.push_back({side, command->text, "", false});
        connection.awaitingAnswer = true;
    }
}

}  // namespace

bool openNetworkPort(Panel& p) {
    if (p.rigctldPort == 0) return true;
    Network& network = p.platform.network;
    const int listener = network.listen(p.rigctldAddress, p.rigctldPort);
    if (listener == 0) {
        std::cerr << "vantor: cannot listen on " << p.rigctldAddress << ":" << p.rigctldPort << ": "
                  << network.lastError() << "\n";
        return false;
    }
    p.networkPort = std::make_shared<NetworkPort>();
    p.networkPort->listener = listener;
    return true;
}

void serveNetworkPort(Panel& p) {
    if (!p.networkPort) return;
    NetworkPort& port = *p.networkPort;
    Network& network = p.platform.network;
    for (int id; (id = network.accept(port.listener)) != 0;) {
        if (port.connections.size() >= kMostConnections) {
            network.close(id);
            continue;
        }
        port.connections[id];
    }
    const RigDescription rig = describe(p);
    for (auto it = port.connections.begin(); it != port.connections.end();) {
        const int id = it->first, side = kFirstNetworkSide + id;
        NetworkPort::Connection& connection = it->second;
        if (acceptsInput(connection.session)) {
            const std::string bytes = network.read(id, kReadChunk);
            if (!bytes.empty()) takeClientBytes(connection.session, bytes, rig);
        }
        converse(p, side, connection, rig);
        if (std::string output = takeOutput(connection.session); !output.empty()) network.write(id, output);
        // A client that has ended its sending still gets the answers it asked for.
        const bool finished = network.isClosed(id) && (!network.isWritable(id) || !hasRequests(connection.session));
        if (wantsClose(connection.session) || finished) {
            network.close(id);
            // Forgotten at once, not when the news is applied after a sentence:
            // a verdict on its keying that comes meanwhile is then the panel's
            // to take back, and a connection given its number next is not
            // mistaken for it.
            forgetSide(p, side);
            p.sharedNews.push_back({side, "", "", true});
            it = port.connections.erase(it);
            continue;
        }
        ++it;
    }
}

void closeNetworkPort(Panel& p) {
    if (!p.networkPort) return;
    for (const auto& [id, connection] : p.networkPort->connections) p.platform.network.close(id);
    p.platform.network.close(p.networkPort->listener);
    p.networkPort.reset();
}

}  // namespace vantor
