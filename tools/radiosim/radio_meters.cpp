// Meters and the radio's clock: the S-meter, the transmit meters and the end
// of a tuning cycle.

#include <algorithm>

#include "radiosim/radio_engine.h"
#include "radiosim/radio_text.h"

namespace vantor::radiosim {

namespace {

constexpr int kLowestWalk = 20;    // a quiet band, about S2
constexpr int kHighestWalk = 170;  // a strong signal, above S9

int clampMeter(int value) { return std::clamp(value, 0, 255); }

bool voiceMode(char mode) { return mode == '1' || mode == '2' || mode == '5' || mode == 'D'; }

}  // namespace

void RadioEngine::advance(std::int64_t milliseconds) {
    if (milliseconds > 0) nowMs_ += milliseconds;
    if (tuning_ && nowMs_ >= tuneEndsAt_) tuning_ = false;
}

void RadioEngine::setSMeter(int value) { sMeterFixed_ = value < 0 ? -1 : clampMeter(value); }

int RadioEngine::jitter(int spread) {
    std::uniform_int_distribution<int> step(-spread, spread);
    return step(random_);
}

RadioEngine::Outcome RadioEngine::sMeter(std::string_view body) {
    if (body != "SM0") return Outcome::error();
    int value = sMeterFixed_;
    if (value < 0) {
        // Band noise and a passing signal: a few units per reading at most.
        sMeterWalk_ = std::clamp(sMeterWalk_ + jitter(4), kLowestWalk, kHighestWalk);
        value = sMeterWalk_;
    }
    return Outcome::answer("SM0" + padded(value, 3) + ";");
}

RadioEngine::Outcome RadioEngine::meter(std::string_view body) {
    if (body.size() != 3 || body[2] < '1' || body[2] > '8') return Outcome::error();
    const bool carrier = tx_ != 0 || tuning_;
    const int power = setting("PC").value_or(100);
    int value = 0;
    switch (body[2]) {
        case '1':  // S
            value = sMeterFixed_ >= 0 ? sMeterFixed_ : sMeterWalk_;
            break;
        case '3':  // compression
            if (tx_ != 0 && setting(traits_.shortProcessor ? "PR" : "PR0").value_or(0) == 1)
                value = 40 + jitter(10);
            break;
        case '4':  // ALC: follows the microphone in the voice modes, little on a carrier
            if (carrier) {
                const int mic = setting("MG").value_or(50);
                value = tuning_ || !voiceMode(mode_) ? 10 + jitter(5) : mic * 3 / 2 - 20 + jitter(15);
            }
            break;
        case '5':  // power output
            if (carrier) value = std::min(power, 100) * 2 + jitter(6);
            break;
        case '6':  // SWR: falls while the tuner works, stays low on a matched antenna
            if (tuning_) {
                const auto elapsed = std::clamp<std::int64_t>(nowMs_ - tuneStartedAt_, 0, kTuneMilliseconds);
                value = 160 - static_cast<int>(130 * elapsed / kTuneMilliseconds) + jitter(6);
            } else if (tx_ != 0) {
                value = (tunerOn_ ? 25 : 60) + jitter(6);
            }
            break;
        case '7':  // drain current
            if (carrier) value = std::min(power, 100) + 40 + jitter(8);
            break;
        case '8':  // supply voltage, 13.8 V
            value = 192;
            break;
        default:
            break;
    }
    std::string reply = "RM" + std::string(1, body[2]) + padded(clampMeter(value), 3);
    if (traits_.meterDigits == 6) reply += "000";
    return Outcome::answer(reply + ";");
}

}  // namespace vantor::radiosim
