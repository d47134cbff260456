// VFOs, mode, transmit, tuner and identification commands.

#include <algorithm>
#include <string>
#include <utility>

#include "radiosim/radio_engine.h"
#include "radiosim/radio_text.h"

namespace vantor::radiosim {

namespace {

constexpr std::int64_t kLowestFrequency = 30000;       // 30 kHz
constexpr std::int64_t kHighestFrequency = 470000000;  // top of the 70 cm band
constexpr std::string_view kModeCodes = "123456789ABCDE";

std::string digit(int value) { return std::string(1, static_cast<char>('0' + value)); }

}  // namespace

RadioEngine::Outcome RadioEngine::frequency(std::string_view body, std::int64_t& vfo) {
    const int width = traits_.frequencyDigits;
    if (body.size() == 2) return Outcome::answer(std::string(body) + padded(vfo, width) + ";");
    if (body.size() != 2u + width) return Outcome::error();
    auto hz = digitsValue(body.substr(2));
    if (!hz || *hz < kLowestFrequency || *hz > kHighestFrequency) return Outcome::error();
    vfo = *hz;
    return Outcome::silent();
}

void RadioEngine::turnDial(std::int64_t hertz) {
    freqA_ = std::clamp(freqA_ + hertz, kLowestFrequency, kHighestFrequency);
}

RadioEngine::Outcome RadioEngine::vfoCommand(std::string_view body) {
    const std::string_view mnemonic = body.substr(0, 2);
    const std::string_view rest = body.substr(2);
    if (mnemonic == "SV" || mnemonic == "ZI" || mnemonic == "AB") {
        if (!rest.empty()) return Outcome::error();
        if (mnemonic == "SV") {
            std::swap(freqA_, freqB_);
        } else if (mnemonic == "AB") {
            freqB_ = freqA_;  // VFO A to VFO B: frequency and mode
            modeB_ = mode_;
        } else {
            ++zeroIns_;  // the radio centres a CW signal: nothing to show here
        }
        return Outcome::silent();
    }
    if (rest.empty()) {
        const bool value = mnemonic == "FT" ? split_ : vfoB_;
        return Outcome::answer(std::string(mnemonic) + (value ? "1;" : "0;"));
    }
    if (rest.size() != 1) return Outcome::error();
    if (mnemonic == "VS") {
        if (rest[0] != '0' && rest[0] != '1') return Outcome::error();
        vfoB_ = rest[0] == '1';
        return Outcome::silent();
    }
    // FT: 2 and 3 (and the older 0 and 1) put the transmitter on VFO A or B.
    if (rest[0] < '0' || rest[0] > '3') return Outcome::error();
    split_ = rest[0] == '1' || rest[0] == '3';
    return Outcome::silent();
}

RadioEngine::Outcome RadioEngine::modeCommand(std::string_view body) {
    if (body.size() < 3 || body[2] != '0') return Outcome::error();
    if (body.size() == 3) return Outcome::answer("MD0" + std::string(1, mode_) + ";");
    if (body.size() != 4 || kModeCodes.find(body[3]) == std::string_view::npos) return Outcome::error();
    mode_ = body[3];
    return Outcome::silent();
}

RadioEngine::Outcome RadioEngine::information(std::string_view body) {
    if (body == "ID") return Outcome::answer("ID" + padded(traits_.id, 4) + ";");
    if (body == "AI") return Outcome::answer("AI0;");  // no auto-information: the radio only answers
    if (body == "AI0" || body == "AI1") return Outcome::silent();
    if (body != "IF" && body != "OI") return Outcome::error();
    // Memory channel, VFO A (OI: the opposite VFO, B), clarifier sign and
    // offset, RX and TX clarifier, mode, VFO (not memory), tone mode, two
    // fixed zeros, repeater shift.
    const bool opposite = body == "OI";
    std::string reply =
        std::string(body) + "001" + padded(opposite ? freqB_ : freqA_, traits_.frequencyDigits) +
        (clarifierHz_ < 0 ? "-" : "+") + padded(clarifierHz_ < 0 ? -clarifierHz_ : clarifierHz_, 4) +
        digit(setting("RT").value_or(0)) + digit(setting("XT").value_or(0));
    reply += opposite ? modeB_ : mode_;
    reply += "0" + digit(setting("CT0").value_or(0)) + "00" + digit(setting("OS0").value_or(0)) + ";";
    return Outcome::answer(reply);
}

RadioEngine::Outcome RadioEngine::transmit(std::string_view body) {
    if (body == "TX") return Outcome::answer("TX" + digit(tx_) + ";");
    if (body.size() != 3 || body[2] < '0' || body[2] > '2') return Outcome::error();
    tx_ = body[2] - '0';
    return Outcome::silent();
}

RadioEngine::Outcome RadioEngine::tuner(std::string_view body) {
    if (body == "AC") return Outcome::answer(std::string("AC00") + (tuning_ ? "2;" : tunerOn_ ? "1;" : "0;"));
    if (body == "AC000") {
        tunerOn_ = false;
        tuning_ = false;
    } else if (body == "AC001") {
        tunerOn_ = true;
    } else if (body == "AC002") {
        // A tuning cycle: the carrier goes out, the SWR falls, and it ends by itself.
        tunerOn_ = true;
        tuning_ = true;
        tuneStartedAt_ = nowMs_;
        tuneEndsAt_ = nowMs_ + kTuneMilliseconds;
    } else {
        return Outcome::error();
    }
    return Outcome::silent();
}

RadioEngine::Outcome RadioEngine::menuCommand(std::string_view body) {
    const std::size_t numberEnd = 2 + traits_.menuDigits;
    if (body.size() < numberEnd || !digitsValue(body.substr(2, traits_.menuDigits))) return Outcome::error();
    const std::string_view number = body.substr(2, traits_.menuDigits);
    const std::string_view value = body.substr(numberEnd);
    if (value.empty()) return Outcome::answer("EX" + std::string(number) + menu(number) + ";");
    for (char c : value) {
        if (c < ' ' || c > '~') return Outcome::error();
    }
    menus_.insert_or_assign(std::string(number), std::string(value));
    return Outcome::silent();
}

std::string RadioEngine::menu(std::string_view number) const {
    auto found = menus_.find(number);
    return found == menus_.end() ? std::string("0") : found->second;
}

}  // namespace vantor::radiosim
