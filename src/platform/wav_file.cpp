#include "platform/wav_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/files.h"

namespace vantor {

namespace {

constexpr int kPcmFormat = 1;
constexpr int kExtensibleFormat = 0xFFFE;  // PCM with a longer header
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 192000;

std::uint32_t little(const std::string& bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

bool fail(std::string& why, const char* reason) {
    why = reason;
    return false;
}

}  // namespace

long long WavSound::lengthMs() const {
    const int frame = frameBytes();
    if (frame <= 0 || samplesPerSecond <= 0) return 0;
    return static_cast<long long>(samples.size() / static_cast<std::size_t>(frame)) * 1000 / samplesPerSecond;
}

bool parseWav(const std::string& bytes, WavSound& sound, std::string& why) {
    sound = WavSound{};
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return fail(why, "not a WAVE file");
    bool haveFormat = false;
    // Chunks follow one another, each padded to an even length.
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = little(bytes, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        if (id == "fmt ") {
            if (size < 16 || size > available) return fail(why, "a broken format chunk");
            const int format = static_cast<int>(little(bytes, body, 2));
            sound.channels = static_cast<int>(little(bytes, body + 2, 2));
            sound.samplesPerSecond = static_cast<int>(little(bytes, body + 4, 4));
            sound.bitsPerSample = static_cast<int>(little(bytes, body + 14, 2));
            if (format != kPcmFormat && format != kExtensibleFormat) return fail(why, "not plain PCM");
            if (sound.channels != 1 && sound.channels != 2) return fail(why, "neither mono nor stereo");
            if (sound.bitsPerSample != 8 && sound.bitsPerSample != 16) return fail(why, "neither 8 nor 16 bits");
            if (sound.samplesPerSecond < kLowestRate || sound.samplesPerSecond > kHighestRate)
                return fail(why, "an impossible sample rate");
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return fail(why, "samples before the format");
            // A recorder that was cut off leaves a size larger than what follows.
            std::size_t length = std::min(size, available);
            length -= length % static_cast<std::size_t>(sound.frameBytes());
            sound.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                                 bytes.begin() + static_cast<std::ptrdiff_t>(body + length));
            return true;
        }
        if (size > available) break;
        at = body + size + (size & 1);
    }
    return fail(why, haveFormat ? "no samples" : "no format");
}

bool readWavFile(const std::string& path, WavSound& sound, std::string& why) {
    std::error_code ec;
    // Clips are short; a file of another size is not one.
    const std::filesystem::path file = pathFromUtf8(path);
    if (!std::filesystem::is_regular_file(file, ec) || std::filesystem::file_size(file, ec) > kMaxFileBytes * 16)
        return fail(why, "not a clip file");
    std::ifstream in(file, std::ios::binary);
    if (!in) return fail(why, "cannot be opened");
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    return parseWav(bytes, sound, why);
}

}  // namespace vantor
