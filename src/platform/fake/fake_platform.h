#pragma once
// Fakes of the platform services for the unit tests. They share one virtual
// clock: a synchronous clip advances it by the clip's length, and a radio
// reply becomes readable only once the clock has passed its release time, so a
// query that is read without its pause finds nothing, as on the real radio.

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor::fake {

class VirtualClock {
  public:
    long long nowMs() const { return now_; }
    void advance(long long ms) { now_ += ms; }

  private:
    long long now_ = 0;
};

class FakeSerialPorts : public SerialPorts {
  public:
    // Turns the bytes written to a port into the bytes the far end answers.
    using Responder = std::function<std::string(std::string_view written)>;

    explicit FakeSerialPorts(VirtualClock& clock) : clock_(clock) {}

    bool open(int port, int baud) override;
    void makeReadsImmediate(int port) override;
    void setFraming(int port, int dataBits, int parity, int stopCode) override;
    int bytesWaiting(int port) override;
    std::string read(int port, int maxBytes) override;
    void write(int port, std::string_view bytes) override;
    void close(int port) override;
    bool isLost(int port) override;
    void wakeOnInput(int port, bool wake) override { ports_[port].wakes = wake; }

    // Test set-up and observation.
    void setResponder(int port, Responder responder, int latencyMs = 20);
    // Each answer's own delay, asked once per answer; a later answer never
    // overtakes an earlier one, so two may arrive in one read.
    void setLatency(int port, std::function<int()> latency) { ports_[port].latency = std::move(latency); }
    void failOpen(int port) { unopenable_.insert(port); }
    // The device goes away: the open port is lost and opening it fails until
    // it is plugged in again.
    void unplug(int port);
    void plugIn(int port) { unopenable_.erase(port); }
    // Bytes the far end sends on its own (an external program on the bridge).
    void pushIncoming(int port, std::string_view bytes);
    const std::string& written(int port) { return ports_[port].written; }
    void clearWritten(int port) { ports_[port].written.clear(); }
    bool isOpen(int port) { return ports_[port].open; }
    bool wakesOnInput(int port) { return ports_[port].wakes; }
    int openCount(int port) { return ports_[port].openCount; }
    // Every opening, the failed ones too.
    int openTries(int port) { return ports_[port].openTries; }
    int framingStopCode(int port) { return ports_[port].stopCode; }
    int baud(int port) { return ports_[port].baud; }

  private:
    struct Pending {
        long long releaseMs;
        std::string bytes;
    };
    struct Port {
        bool open = false;
        bool lost = false;
        int openCount = 0;
        int openTries = 0;
        int baud = 0;
        int stopCode = 0;
        bool wakes = true;
        std::string written;
        std::deque<Pending> incoming;
        Responder responder;
        int latencyMs = 20;
        std::function<int()> latency;
    };
    Port* openPort(int port);
    std::string released(Port& port);

    VirtualClock& clock_;
    std::map<int, Port> ports_;
    std::set<int> unopenable_;
};

class FakeSpeaker : public Speaker {
  public:
    explicit FakeSpeaker(VirtualClock& clock) : clock_(clock) {}

    void play(const std::string& clipPath) override;
    void playInBackground(const std::string& clipPath) override;
    void setWorkWhileWaiting(std::function<void()> work) override { work_ = std::move(work); }
    bool speechGoesToRadio() override { return goesToRadio; }

    // Clip paths in the order they were played; background clips are marked "&".
    std::vector<std::string> played;
    // The fake clip directory holds every "wave\" clip but these.
    std::set<std::string> missingClips;
    long long delayMs = 100;
    long long wordMs = 300;
    bool goesToRadio = false;

  private:
    bool exists(const std::string& clipPath) const;
    VirtualClock& clock_;
    std::function<void()> work_;
    bool working_ = false;
};

// Speaks a sentence in wordMs a word at rate 0, faster or slower by the rate
// in tenths; can be made to refuse at open or after some sentences.
class FakeVoice : public Voice {
  public:
    explicit FakeVoice(VirtualClock& clock) : clock_(clock) {}

    bool open(std::string& why) override;
    bool speak(const std::string& words, std::string& why) override;
    bool speakInBackground(const std::string& words, std::string& why) override;
    void setWorkWhileWaiting(std::function<void()> work) override { work_ = std::move(work); }
    VoiceRange rateRange() const override { return {-100, 100, 10}; }
    VoiceRange volumeRange() const override { return {-100, 100, 10}; }
    int rate() override { return rateNow; }
    void setRate(int rate) override { rateNow = rate; }
    void setVolume(int volume) override { volumeNow = volume; }

    // Utterances in order, each with the rate it was said at; background
    // ones are marked "&".
    struct Utterance {
        std::string words;
        int rate = 0;
    };
    std::vector<Utterance> spoken;
    bool opened = false;
    std::string refuseOpen;      // the reason open gives, when not empty
    int failAfter = -1;          // sentences said before speak fails; -1 never
    long long wordMs = 200;
    int rateNow = 0;
    int volumeNow = 0;

  private:
    VirtualClock& clock_;
    std::function<void()> work_;
    bool working_ = false;
};

class FakeBraille : public BrailleDisplay {
  public:
    bool open(std::string& why) override;
    void show(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
    std::string refuseOpen;
};

struct PrintedText {
    int x = 0, y = 0;
    std::string face;
    int points = 0, weight = 0;
    std::string text;
};

class FakeScreen : public Screen {
  public:
    bool openWindow(int x, int y, int width, int height, const std::string& title) override;
    void closeWindow() override { windowOpen = false; }
    void moveTo(int x, int y) override;
    void print(std::string_view text) override;
    void present() override { presentedPrints = prints.size(); }
    void setFont(const std::string& face, int points, int weight) override;
    void startTimer(int id, int periodMs) override;
    void stopTimer(int id) override;
    std::vector<WindowEvent> waitEvents() override;
    void keepAwake(bool on) override { awakeRequests.push_back(on); }
    void setSuspendHandler(std::function<void()> handler) override { suspendHandler = std::move(handler); }

    // The machine is about to sleep.
    void suspend() {
        if (suspendHandler) suspendHandler();
    }
    bool keptAwake() const { return !awakeRequests.empty() && awakeRequests.back(); }

    bool windowOpen = false;
    std::vector<bool> awakeRequests;  // every keepAwake, in order
    std::function<void()> suspendHandler;
    std::string title;
    int windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
    std::map<int, int> timers;  // id -> period of running timers
    std::vector<PrintedText> prints;
    std::size_t presentedPrints = 0;  // how many of the prints the window shows
    std::deque<WindowEvent> events;
    // Text printed most recently at exactly (x, y), "" when none.
    std::string textAt(int x, int y) const;

  private:
    int x_ = 0, y_ = 0;
    std::string face_;
    int points_ = 0, weight_ = 0;
};

// TCP in memory. The test plays the client programs: it connects to a port
// the panel listens on, writes as the client, reads what the panel wrote to
// it, and hangs up.
class FakeNetwork : public Network {
  public:
    int listen(const std::string& address, int port) override;
    std::string lastError() const override { return lastError_; }
    int localPort(int listener) override;
    int accept(int listener) override;
    std::string read(int connection, int maxBytes) override;
    bool isClosed(int connection) override;
    bool isWritable(int connection) override;
    void write(int connection, std::string_view bytes) override;
    void close(int id) override;

    // Test side. Clients are numbered from 1 as they connect; connect returns
    // 0 when nothing listens there (a listener on "" takes every address).
    int connect(const std::string& address, int port);
    void send(int client, std::string_view bytes);
    // What the panel wrote to the client since the last call.
    std::string received(int client);
    void hangUp(int client);
    // The client ends its sending but still reads, as `nc -N` does.
    void finishSending(int client) { clients_.at(static_cast<std::size_t>(client - 1)).doneSending = true; }
    // A client that takes nothing more: the panel's next write cuts it off.
    void stopReading(int client) { clients_.at(static_cast<std::size_t>(client - 1)).reading = false; }
    // The panel closed the connection, cut it off, or never took it before
    // it stopped listening.
    bool closedByPanel(int client) const {
        return clients_.at(static_cast<std::size_t>(client - 1)).closedByPanel;
    }
    // Another program holds the port: listening there fails.
    void occupy(const std::string& address, int port) { occupied_.insert({address, port}); }

  private:
    struct Listener {
        std::string address;
        int port = 0;
        std::deque<int> waiting;  // clients not yet accepted
    };
    struct Client {
        std::string toPanel, fromPanel;
        bool hungUp = false, doneSending = false, reading = true, closedByPanel = false;
    };
    Client* clientOf(int connection);

    std::map<int, Listener> listeners_;  // by id
    std::map<int, int> connections_;     // id -> client number
    std::vector<Client> clients_;
    std::set<std::pair<std::string, int>> occupied_;
    int nextId_ = 1;
    int nextFreePort_ = 40000;
    std::string lastError_;
};

// A fixed time of day; the monotonic time is the shared virtual clock.
class FakeClock : public Clock {
  public:
    explicit FakeClock(VirtualClock& clock) : clock_(clock) {}
    LocalTime now() override { return time; }
    long long monotonicMs() override { return clock_.nowMs(); }
    LocalTime time{2026, 12, 6, 9, 5, 7};

  private:
    VirtualClock& clock_;
};

// Everything a test needs, wired together.
struct FakePlatform {
    VirtualClock virtualClock;
    FakeSerialPorts serial{virtualClock};
    FakeSpeaker speaker{virtualClock};
    FakeScreen screen;
    FakeClock clock{virtualClock};
    FakeNetwork network;
    FakeVoice voice{virtualClock};
    FakeBraille braille;
    // The voice and the braille are the operator's choice: a test sets
    // platform.voice or platform.braille to them.
    Platform platform{serial, speaker, screen, clock, network};
};

}  // namespace vantor::fake
