#include "platform/audio_device.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vantor {

namespace {

constexpr std::string_view kRadioCodec = "usb audio codec";
// Windows gives device names at most 31 characters long, so the end of a long
// one may be cut off; this much of the codec's name still tells it.
constexpr std::size_t kLongestName = 31;
constexpr std::size_t kEnoughOfTheCodec = 11;  // "usb audio c"

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

bool isRadioCodec(const std::string& deviceName) {
    const std::string name = lower(trimmed(deviceName));
    if (name.find(kRadioCodec) != std::string::npos) return true;
    if (deviceName.size() < kLongestName) return false;
    // Cut short: the name ends in the start of the codec's.
    for (std::size_t length = kRadioCodec.size() - 1; length >= kEnoughOfTheCodec; --length)
        if (name.size() >= length &&
            name.compare(name.size() - length, length, kRadioCodec.substr(0, length)) == 0)
            return true;
    return false;
}

AudioDeviceChoice chooseAudioDevice(const std::vector<std::string>& names, int preferred,
                                    const std::string& wanted) {
    AudioDeviceChoice choice;
    const std::string want = lower(trimmed(wanted));
    if (!want.empty()) {
        int containing = -1;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string name = lower(trimmed(names[i]));
            if (name == want) {
                choice.device = static_cast<int>(i);
                return choice;
            }
            if (containing < 0 && name.find(want) != std::string::npos) containing = static_cast<int>(i);
        }
        if (containing >= 0) {
            choice.device = containing;
            return choice;
        }
        choice.wantedNotFound = true;
    }
    if (names.empty()) return choice;
    const std::size_t standard = preferred >= 0 && static_cast<std::size_t>(preferred) < names.size()
                                     ? static_cast<std::size_t>(preferred)
                                     : 0;
    choice.radioCodecByDefault = isRadioCodec(names[standard]);
    return choice;
}

std::string audioDeviceFromFile(const std::string& text) {
    std::string_view rest = text;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);  // as Notepad saves UTF-8
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line.front() != '#') return std::string(line);
    }
    return "";
}

}  // namespace vantor
