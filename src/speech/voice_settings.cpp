#include "speech/voice_settings.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "speech/say.h"

namespace vantor {

namespace {

constexpr std::size_t kMaxSettingsLines = 16;
constexpr std::size_t kMaxSettingsLineLength = 80;

std::optional<int> numberOf(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

int withinRange(int value, const VoiceRange& range, const char* what) {
    const int kept = std::clamp(value, range.lowest, range.highest);
    if (kept != value)
        std::cerr << "vantor: a voice " << what << " of " << value << " is outside " << range.lowest << " to "
                  << range.highest << "; " << kept << " is used\n";
    return kept;
}

void saveVoiceSettings(Panel& p) {
    std::vector<std::string> lines;
    if (p.voiceRate) lines.push_back("rate " + std::to_string(*p.voiceRate));
    if (p.voiceVolume) lines.push_back("volume " + std::to_string(*p.voiceVolume));
    if (!writeLinesSafely(kVoiceSettingsFile, lines))
        std::cerr << "vantor: cannot write " << kVoiceSettingsFile << ": the new rate is kept for this run only\n";
}

}  // namespace

void readVoiceSettings(Panel& p) {
    std::vector<std::string> lines;
    if (readLines(kVoiceSettingsFile, lines, kMaxSettingsLines, kMaxSettingsLineLength) != ReadResult::ok) return;
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        const std::size_t space = line.find(' ');
        const std::string_view name = std::string_view(line).substr(0, space);
        const std::optional<int> value =
            space == std::string::npos ? std::nullopt : numberOf(std::string_view(line).substr(space + 1));
        std::optional<int>* field = name == "rate" ? &p.voiceRate : name == "volume" ? &p.voiceVolume : nullptr;
        if (!field || !value) {
            std::cerr << "vantor: " << kVoiceSettingsFile << ": \"" << line
                      << "\" is neither \"rate N\" nor \"volume N\"; left out\n";
            continue;
        }
        if (!*field) *field = value;
    }
}

void applyVoiceSettings(Panel& p) {
    Voice* voice = p.platform.voice;
    if (!voice) return;
    if (p.voiceRate) {
        p.voiceRate = withinRange(*p.voiceRate, voice->rateRange(), "rate");
        voice->setRate(*p.voiceRate);
    }
    if (p.voiceVolume) {
        p.voiceVolume = withinRange(*p.voiceVolume, voice->volumeRange(), "volume");
        voice->setVolume(*p.voiceVolume);
    }
}

void stepVoiceRate(Panel& p, int direction) {
    say(p, "rate");
    Voice* voice = p.platform.voice;
    if (!voice) {
        say(p, "na");
        return;
    }
    const VoiceRange range = voice->rateRange();
    const int rate = std::clamp(voice->rate() + direction * range.step, range.lowest, range.highest);
    voice->setRate(rate);
    p.voiceRate = rate;
    saveVoiceSettings(p);
    if (rate < 0) say(p, "minus");
    for (char digit : std::to_string(rate < 0 ? -rate : rate)) say(p, std::string(1, digit));
}

}  // namespace vantor
