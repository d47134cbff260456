#include "platform/linux/speechd_voice.h"

#include <libspeechd.h>
#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace vantor {

namespace {

// How often the waiting work runs while the service speaks.
constexpr long kWorkPeriodMs = 5;

long long nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void sleepMs(long ms) {
    timespec t{ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&t, nullptr);
}

// The service's ends of speech arrive on its library's own thread, with no
// way to say which voice they are for: there is one voice in the program.
std::mutex endsLock;
std::vector<std::size_t> endedMessages;

void noteEnd(std::size_t message, std::size_t, SPDNotificationType) {
    std::lock_guard<std::mutex> held(endsLock);
    endedMessages.push_back(message);
}

bool hasEnded(std::size_t message) {
    std::lock_guard<std::mutex> held(endsLock);
    const auto found = std::find(endedMessages.begin(), endedMessages.end(), message);
    if (found == endedMessages.end()) return false;
    endedMessages.erase(found);
    return true;
}

}  // namespace

struct SpeechdVoice::Impl {
    SPDConnection* connection = nullptr;
    std::function<void()> work;
    bool working = false;
    bool backgroundUnderWay = false;

    // The service closed its end: no end of speech will come, and the clips
    // take over at once rather than after the whole allowance.
    bool serviceGone() const {
        pollfd watched{connection->socket, POLLRDHUP, 0};
        return ::poll(&watched, 1, 0) > 0 && (watched.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
    }

    // What is still speaking in the background is cut short.
    void cutBackground() {
        if (!backgroundUnderWay) return;
        spd_cancel(connection);
        backgroundUnderWay = false;
    }

    int say(const std::string& words) {
        std::lock_guard<std::mutex> held(endsLock);
        endedMessages.clear();  // ends of what was cut short
        return spd_say(connection, SPD_MESSAGE, words.c_str());
    }
};

SpeechdVoice::SpeechdVoice() : impl_(std::make_unique<Impl>()) {}

SpeechdVoice::~SpeechdVoice() {
    if (impl_->connection) spd_close(impl_->connection);
}

bool SpeechdVoice::open(std::string& why) {
    if (impl_->connection) return true;
    // The library writes to the service's socket with plain writes: a service
    // that went away must end the voice, not the panel.
    ::signal(SIGPIPE, SIG_IGN);
    char* error = nullptr;
    impl_->connection = spd_open2("vantor", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    if (!impl_->connection) {
        why = std::string("speech-dispatcher cannot be reached: ") + (error ? error : "no reason given");
        std::free(error);
        return false;
    }
    std::free(error);
    impl_->connection->callback_end = noteEnd;
    impl_->connection->callback_cancel = noteEnd;
    if (spd_set_notification_on(impl_->connection, SPD_END) != 0 ||
        spd_set_notification_on(impl_->connection, SPD_CANCEL) != 0) {
        why = "speech-dispatcher does not say when it has finished speaking";
        spd_close(impl_->connection);
        impl_->connection = nullptr;
        return false;
    }
    return true;
}

bool SpeechdVoice::speak(const std::string& words, std::string& why) {
    Impl& s = *impl_;
    if (!s.connection) {
        why = "speech-dispatcher is not connected";
        return false;
    }
    s.cutBackground();
    const int message = s.say(words);
    if (message < 0) {
        why = s.serviceGone() ? "speech-dispatcher went away" : "speech-dispatcher did not take the words";
        return false;
    }
    const long long spaces = std::count(words.begin(), words.end(), ' ');
    const long long giveUp = nowMs() + kVoiceGiveUpMs + (spaces + 1) * kVoiceGiveUpPerWordMs;
    while (!hasEnded(static_cast<std::size_t>(message))) {
        if (s.serviceGone()) {
            why = "speech-dispatcher went away";
            return false;
        }
        if (nowMs() >= giveUp) {
            spd_cancel(s.connection);
            why = "speech-dispatcher did not finish speaking";
            return false;
        }
        if (s.work && !s.working) {
            s.working = true;
            s.work();
            s.working = false;
        }
        sleepMs(kWorkPeriodMs);
    }
    return true;
}

bool SpeechdVoice::speakInBackground(const std::string& words, std::string& why) {
    Impl& s = *impl_;
    if (!s.connection) {
        why = "speech-dispatcher is not connected";
        return false;
    }
    s.cutBackground();
    if (s.say(words) < 0) {
        why = s.serviceGone() ? "speech-dispatcher went away" : "speech-dispatcher did not take the words";
        return false;
    }
    s.backgroundUnderWay = true;
    return true;
}

void SpeechdVoice::setWorkWhileWaiting(std::function<void()> work) { impl_->work = std::move(work); }

int SpeechdVoice::rate() { return impl_->connection ? spd_get_voice_rate(impl_->connection) : 0; }

void SpeechdVoice::setRate(int rate) {
    if (impl_->connection) spd_set_voice_rate(impl_->connection, rate);
}

void SpeechdVoice::setVolume(int volume) {
    if (impl_->connection) spd_set_volume(impl_->connection, volume);
}

}  // namespace vantor
