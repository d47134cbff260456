// Levels and switches that the radio only stores: set with the prefix and a
// fixed number of digits, read with the prefix alone.

#include <algorithm>

#include "radiosim/radio_engine.h"
#include "radiosim/radio_text.h"

namespace vantor::radiosim {

void RadioEngine::installSettings() {
    settings_ = {
        {"PC", 3, 5, 200, 100},      // transmit power, watts
        {"RG0", 3, 0, 255, 255},     // RF gain
        {"AG0", 3, 0, 255, 80},      // AF gain
        {"SQ0", 3, 0, 100, 0},       // squelch
        {"PA0", 1, 0, 2, 0},         // preamp: off, AMP1, AMP2
        {"RA0", 1, 0, 3, 0},         // attenuator
        {"NB0", 1, 0, 1, 0},         // noise blanker
        {"NL0", 3, 0, 15, 5},        // noise blanker level
        {"NR0", 1, 0, 1, 0},         // noise reduction
        {"RL0", 2, 1, 15, 8},        // noise reduction level
        {"CO00", 4, 0, 9999, 0},     // contour
        {"CO01", 4, 0, 9999, 1000},  // contour frequency
        {"CO02", 4, 0, 9999, 0},     // audio peak filter
        {"CO03", 4, 0, 9999, 25},    // audio peak filter frequency
        {"BC0", 1, 0, 1, 0},         // notch
        {"PL", 3, 0, 255, 50},       // processor level
        {"BI", 1, 0, 1, 0},          // break-in
        {"VX", 1, 0, 1, 0},          // VOX
        {"ML0", 3, 0, 1, 0},         // monitor on/off
        {"ML1", 3, 0, 100, 50},      // monitor level
        {"KS", 3, 4, 60, 20},        // keyer speed, wpm
        {"MG", 3, 0, 100, 50},       // microphone gain
        {"GT0", 1, 0, 6, 2},         // AGC
        {"CN00", 3, 0, 49, 8},       // CTCSS tone number
        {"CN01", 3, 0, 103, 0},      // DCS code number
        {"CT0", 1, 0, 4, 0},         // tone mode
        {"OS0", 1, 0, 2, 0},         // repeater shift: simplex, plus, minus
    };
    // The clarifier switches: the FT-891 has other commands, the FT-450 no TX clarifier.
    if (traits_.id != 650) settings_.push_back({"RT", 1, 0, 1, 0});
    if (traits_.id != 650 && traits_.id != 241) settings_.push_back({"XT", 1, 0, 1, 0});
    if (traits_.shortProcessor) {
        settings_.push_back({"PR", 1, 0, 1, 0});
    } else {
        settings_.push_back({"PR0", 1, 0, 1, 0});  // speech processor
        settings_.push_back({"PR1", 1, 0, 1, 0});  // microphone equaliser
    }
}

// The clarifier offset, shared by RX and TX: cleared, or stepped up or down
// in hertz, within +-9999.
RadioEngine::Outcome RadioEngine::clarifier(std::string_view body) {
    if (body == "RC") {
        clarifierHz_ = 0;
        return Outcome::silent();
    }
    const auto step = digitsValue(body.substr(2));
    if (body.size() != 6 || !step) return Outcome::error();
    const std::int64_t moved = clarifierHz_ + (body[1] == 'U' ? *step : -*step);
    clarifierHz_ = static_cast<int>(std::clamp<std::int64_t>(moved, -9999, 9999));
    return Outcome::silent();
}

RadioEngine::Outcome RadioEngine::tableSetting(std::string_view body) {
    for (auto& s : settings_) {
        if (body.substr(0, s.prefix.size()) != s.prefix) continue;
        const std::string_view field = body.substr(s.prefix.size());
        if (field.empty()) return Outcome::answer(s.prefix + padded(s.value, s.digits) + ";");
        auto value = digitsValue(field);
        if (field.size() != static_cast<std::size_t>(s.digits) || !value || *value < s.min ||
            *value > s.max) {
            return Outcome::error();
        }
        s.value = static_cast<int>(*value);
        return Outcome::silent();
    }
    return Outcome::error();
}

// The receive width index and the narrow switch of the mode VFO A is in: each
// mode keeps its own, so a mode change brings back the width it had.
RadioEngine::Outcome RadioEngine::filter(std::string_view body) {
    if (body.substr(0, 3) == "NA0") {
        if (body.size() == 3) return Outcome::answer("NA0" + std::string(narrow() ? "1" : "0") + ";");
        if (body.size() != 4 || (body[3] != '0' && body[3] != '1')) return Outcome::error();
        narrows_[mode_] = body[3] - '0';
        return Outcome::silent();
    }
    // The radios with two receivers carry one more digit; all read with "SH0".
    const std::string prefix = traits_.receiverWidth ? "SH00" : "SH0";
    if (body == "SH0" || body == prefix) return Outcome::answer(prefix + padded(width(), 2) + ";");
    const auto index =
        body.substr(0, prefix.size()) == prefix ? digitsValue(body.substr(prefix.size())) : std::nullopt;
    if (body.size() != prefix.size() + 2 || !index || *index > 23) return Outcome::error();
    widths_[mode_] = static_cast<int>(*index);
    return Outcome::silent();
}

int RadioEngine::widthOf(char mode) const {
    const auto found = widths_.find(mode);
    return found == widths_.end() ? 13 : found->second;
}

std::optional<int> RadioEngine::setting(std::string_view prefix) const {
    if (prefix == "NA0") return narrow() ? 1 : 0;
    if (prefix == "SH0" || prefix == "SH00") return width();
    for (const auto& s : settings_) {
        if (s.prefix == prefix) return s.value;
    }
    return std::nullopt;
}

}  // namespace vantor::radiosim
