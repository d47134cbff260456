#include "platform/fake/fake_platform.h"

#include <algorithm>
#include <utility>

namespace vantor::fake {

static bool validPort(int port) { return port >= 1 && port <= 256; }

FakeSerialPorts::Port* FakeSerialPorts::openPort(int port) {
    if (!validPort(port)) return nullptr;
    auto it = ports_.find(port);
    if (it == ports_.end() || !it->second.open || it->second.lost) return nullptr;
    return &it->second;
}

bool FakeSerialPorts::open(int port, int baud) {
    if (!validPort(port)) return false;
    Port& p = ports_[port];
    p.open = false;
    ++p.openTries;
    if (unopenable_.count(port)) return false;
    p.open = true;
    p.lost = false;
    p.wakes = true;
    p.baud = baud;
    ++p.openCount;
    return true;
}

void FakeSerialPorts::makeReadsImmediate(int) {}

void FakeSerialPorts::setFraming(int port, int, int, int stopCode) {
    if (Port* p = openPort(port)) p->stopCode = stopCode;
}

std::string FakeSerialPorts::released(Port& port) {
    std::string bytes;
    while (!port.incoming.empty() && port.incoming.front().releaseMs <= clock_.nowMs()) {
        bytes += port.incoming.front().bytes;
        port.incoming.pop_front();
    }
    // Keep what was released at the head so that a short read leaves the rest.
    if (!bytes.empty()) port.incoming.push_front({0, bytes});
    return bytes;
}

int FakeSerialPorts::bytesWaiting(int port) {
    Port* p = openPort(port);
    return p ? static_cast<int>(released(*p).size()) : 0;
}

std::string FakeSerialPorts::read(int port, int maxBytes) {
    Port* p = openPort(port);
    if (!p || maxBytes <= 0) return "";
    std::string bytes = released(*p);
    if (bytes.empty()) return "";
    p->incoming.pop_front();
    std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(maxBytes));
    if (n < bytes.size()) p->incoming.push_front({0, bytes.substr(n)});
    return bytes.substr(0, n);
}

void FakeSerialPorts::write(int port, std::string_view bytes) {
    Port* p = openPort(port);
    if (!p) return;
    p->written += bytes;
    if (p->responder) {
        std::string answer = p->responder(bytes);
        const int latencyMs = p->latency ? p->latency() : p->latencyMs;
        if (!answer.empty()) p->incoming.push_back({clock_.nowMs() + latencyMs, answer});
    }
}

void FakeSerialPorts::close(int port) {
    auto it = ports_.find(port);
    if (it == ports_.end()) return;
    it->second.open = false;
    it->second.incoming.clear();
}

bool FakeSerialPorts::isLost(int port) {
    auto it = ports_.find(port);
    return it != ports_.end() && it->second.open && it->second.lost;
}

void FakeSerialPorts::unplug(int port) {
    ports_[port].lost = true;
    ports_[port].incoming.clear();
    unopenable_.insert(port);
}

void FakeSerialPorts::setResponder(int port, Responder responder, int latencyMs) {
    ports_[port].responder = std::move(responder);
    ports_[port].latencyMs = latencyMs;
}

void FakeSerialPorts::pushIncoming(int port, std::string_view bytes) {
    ports_[port].incoming.push_back({clock_.nowMs(), std::string(bytes)});
}

bool FakeSpeaker::exists(const std::string& clipPath) const {
    return clipPath.rfind("wave\\", 0) == 0 && !missingClips.count(clipPath.substr(5));
}

void FakeSpeaker::play(const std::string& clipPath) {
    played.push_back(clipPath);
    if (!exists(clipPath)) return;
    bool isDelay = clipPath == "wave\\delay" || clipPath == "wave\\delay.wav";
    // The clip's time passes in small steps, with the waiting work between
    // them, as the real speaker does it.
    constexpr long long kStepMs = 10;
    for (long long left = isDelay ? delayMs : wordMs; left > 0; left -= kStepMs) {
        clock_.advance(std::min(left, kStepMs));
        if (work_ && !working_) {
            working_ = true;
            work_();
            working_ = false;
        }
    }
}

bool FakeVoice::open(std::string& why) {
    why = refuseOpen;
    opened = refuseOpen.empty();
    return opened;
}

bool FakeVoice::speak(const std::string& words, std::string& why) {
    if (failAfter == 0) {
        why = "the service went away";
        return false;
    }
    if (failAfter > 0) --failAfter;
    spoken.push_back({words, rateNow});
    long long length = wordMs;
    for (char c : words) length += c == ' ' ? wordMs : 0;
    length = length * 100 / std::max(10, 100 + rateNow);
    constexpr long long kStepMs = 10;
    for (long long left = length; left > 0; left -= kStepMs) {
        clock_.advance(std::min(left, kStepMs));
        if (work_ && !working_) {
            working_ = true;
            work_();
            working_ = false;
        }
    }
    return true;
}

bool FakeVoice::speakInBackground(const std::string& words, std::string& why) {
    if (failAfter == 0) {
        why = "the service went away";
        return false;
    }
    spoken.push_back({"&" + words, rateNow});
    return true;
}

bool FakeBraille::open(std::string& why) {
    why = refuseOpen;
    return refuseOpen.empty();
}

void FakeSpeaker::playInBackground(const std::string& clipPath) { played.push_back("&" + clipPath); }

bool FakeScreen::openWindow(int x, int y, int width, int height, const std::string& windowTitle) {
    windowOpen = true;
    windowX = x;
    windowY = y;
    windowWidth = width;
    windowHeight = height;
    title = windowTitle;
    return true;
}

void FakeScreen::moveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void FakeScreen::print(std::string_view text) {
    prints.push_back({x_, y_, face_, points_, weight_, std::string(text)});
    // A rough advance keeps consecutive prints at distinct positions.
    x_ += static_cast<int>(text.size()) * 10;
}

void FakeScreen::setFont(const std::string& face, int points, int weight) {
    face_ = face;
    points_ = points;
    weight_ = weight;
}

void FakeScreen::startTimer(int id, int periodMs) { timers[id] = periodMs; }

void FakeScreen::stopTimer(int id) { timers.erase(id); }

std::vector<WindowEvent> FakeScreen::waitEvents() {
    std::vector<WindowEvent> batch(events.begin(), events.end());
    events.clear();
    // A test that runs the main loop must end it; an empty queue closes the
    // window rather than blocking for ever.
    if (batch.empty()) batch.push_back({kCloseRequest, 0});
    return batch;
}

std::string FakeScreen::textAt(int x, int y) const {
    for (auto it = prints.rbegin(); it != prints.rend(); ++it)
        if (it->x == x && it->y == y) return it->text;
    return "";
}

int FakeNetwork::listen(const std::string& address, int port) {
    if (port < 0 || port > 65535) {
        lastError_ = "no such port";
        return 0;
    }
    if (port == 0) port = nextFreePort_++;
    bool taken = occupied_.count({address, port}) > 0;
    for (const auto& [id, listener] : listeners_)
        taken = taken || (listener.address == address && listener.port == port);
    if (taken) {
        lastError_ = "Address already in use";
        return 0;
    }
    lastError_.clear();
    listeners_[nextId_] = {address, port, {}};
    return nextId_++;
}

int FakeNetwork::localPort(int listener) {
    auto it = listeners_.find(listener);
    return it == listeners_.end() ? 0 : it->second.port;
}

int FakeNetwork::accept(int listener) {
    auto it = listeners_.find(listener);
    if (it == listeners_.end() || it->second.waiting.empty()) return 0;
    connections_[nextId_] = it->second.waiting.front();
    it->second.waiting.pop_front();
    return nextId_++;
}

FakeNetwork::Client* FakeNetwork::clientOf(int connection) {
    auto it = connections_.find(connection);
    return it == connections_.end() ? nullptr : &clients_[static_cast<std::size_t>(it->second - 1)];
}

std::string FakeNetwork::read(int connection, int maxBytes) {
    Client* c = clientOf(connection);
    if (!c || maxBytes <= 0) return "";
    const std::size_t n = std::min(c->toPanel.size(), static_cast<std::size_t>(maxBytes));
    std::string bytes = c->toPanel.substr(0, n);
    c->toPanel.erase(0, n);
    return bytes;
}

bool FakeNetwork::isClosed(int connection) {
    Client* c = clientOf(connection);
    return !c || c->closedByPanel || ((c->hungUp || c->doneSending) && c->toPanel.empty());
}

bool FakeNetwork::isWritable(int connection) {
    const Client* c = clientOf(connection);
    return c && !c->hungUp && !c->closedByPanel;
}

void FakeNetwork::write(int connection, std::string_view bytes) {
    Client* c = clientOf(connection);
    if (!c || c->hungUp || c->closedByPanel) return;
    if (!c->reading)
        c->closedByPanel = true;
    else
        c->fromPanel += bytes;
}

void FakeNetwork::close(int id) {
    if (Client* c = clientOf(id)) {
        c->closedByPanel = true;
        connections_.erase(id);
        return;
    }
    auto it = listeners_.find(id);
    if (it == listeners_.end()) return;
    for (int client : it->second.waiting) clients_[static_cast<std::size_t>(client - 1)].closedByPanel = true;
    listeners_.erase(it);
}

int FakeNetwork::connect(const std::string& address, int port) {
    for (auto& [id, listener] : listeners_) {
        if (listener.port != port || (!listener.address.empty() && listener.address != address)) continue;
        clients_.emplace_back();
        const int client = static_cast<int>(clients_.size());
        listener.waiting.push_back(client);
        return client;
    }
    return 0;
}

void FakeNetwork::send(int client, std::string_view bytes) {
    Client& c = clients_.at(static_cast<std::size_t>(client - 1));
    if (!c.hungUp && !c.doneSending) c.toPanel += bytes;
}

std::string FakeNetwork::received(int client) {
    Client& c = clients_.at(static_cast<std::size_t>(client - 1));
    std::string bytes = std::move(c.fromPanel);
    c.fromPanel.clear();
    return bytes;
}

void FakeNetwork::hangUp(int client) { clients_.at(static_cast<std::size_t>(client - 1)).hungUp = true; }

}  // namespace vantor::fake
