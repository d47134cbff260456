#pragma once
// Speech clip files built byte by byte, for the tests of what reads and
// plays them: good ones, and ones whose headers say what is not there.

#include <cstdint>
#include <optional>
#include <string>

namespace vantor::testing {

// value as width bytes, little-endian.
inline std::string littleEndian(std::uint32_t value, int width) {
    std::string out;
    for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}

inline std::string wavFormatChunk(int format, int channels, int rate, int bits) {
    const auto frame = static_cast<std::uint32_t>(channels * bits / 8);
    return "fmt " + littleEndian(16, 4) + littleEndian(static_cast<std::uint32_t>(format), 2) +
           littleEndian(static_cast<std::uint32_t>(channels), 2) +
           littleEndian(static_cast<std::uint32_t>(rate), 4) +
           littleEndian(static_cast<std::uint32_t>(rate) * frame, 4) + littleEndian(frame, 2) +
           littleEndian(static_cast<std::uint32_t>(bits), 2);
}

inline std::string wavDataChunk(const std::string& samples, std::uint32_t claimed) {
    return "data" + littleEndian(claimed, 4) + samples;
}

inline std::string riffWave(const std::string& chunks) {
    return "RIFF" + littleEndian(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}

// A PCM file of these samples; its header may claim another amount of data.
inline std::string wavBytes(int channels, int bits, int rate, const std::string& samples,
                            std::optional<std::uint32_t> claimed = std::nullopt) {
    const std::uint32_t said = claimed.value_or(static_cast<std::uint32_t>(samples.size()));
    return "RIFF" + littleEndian(36 + said, 4) + "WAVE" + wavFormatChunk(1, channels, rate, bits) +
           wavDataChunk(samples, said);
}

}  // namespace vantor::testing
