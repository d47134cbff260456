#include "platform/pcm_convert.h"

#include <cstddef>

namespace vantor {

namespace {

bool valid(int channels, int bits, int rate) {
    return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate > 0;
}

// One sample as a 16-bit value.
int sampleAt(const WavSound& sound, std::size_t frame, int channel) {
    const std::size_t at = frame * static_cast<std::size_t>(sound.frameBytes()) +
                           static_cast<std::size_t>(channel * sound.bitsPerSample / 8);
    if (sound.bitsPerSample == 8) return (static_cast<int>(sound.samples[at]) - 128) * 256;
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(sound.samples[at] | sound.samples[at + 1] << 8));
}

// Channel of the format from the sound's channels at one frame.
int mixedAt(const WavSound& sound, std::size_t frame, int channel, int channels) {
    if (sound.channels == channels) return sampleAt(sound, frame, channel);
    if (sound.channels == 1) return sampleAt(sound, frame, 0);
    return (sampleAt(sound, frame, 0) + sampleAt(sound, frame, 1)) / 2;
}

void put(std::vector<std::uint8_t>& out, int value, int bits) {
    if (bits == 8) {
        // Rounded to the nearest 8-bit step; -32768..32767 becomes 0..255.
        const int step = (value + 32768 + 128) >> 8;
        out.push_back(static_cast<std::uint8_t>(step > 255 ? 255 : step));
        return;
    }
    const auto word = static_cast<std::uint16_t>(static_cast<std::int16_t>(value));
    out.push_back(static_cast<std::uint8_t>(word & 0xFF));
    out.push_back(static_cast<std::uint8_t>(word >> 8));
}

}  // namespace

std::vector<std::uint8_t> convertPcm(const WavSound& sound, const PcmFormat& format) {
    std::vector<std::uint8_t> out;
    if (!valid(sound.channels, sound.bitsPerSample, sound.samplesPerSecond) ||
        !valid(format.channels, format.bitsPerSample, format.samplesPerSecond))
        return out;
    const auto frames = sound.samples.size() / static_cast<std::size_t>(sound.frameBytes());
    if (frames == 0) return out;
    const auto inRate = static_cast<unsigned long long>(sound.samplesPerSecond);
    const auto outRate = static_cast<unsigned long long>(format.samplesPerSecond);
    const auto outFrames = static_cast<std::size_t>((frames * outRate + inRate / 2) / inRate);
    out.reserve(outFrames * static_cast<std::size_t>(format.channels * format.bitsPerSample / 8));
    for (std::size_t i = 0; i < outFrames; ++i) {
        // Where the output frame falls among the input frames, in whole
        // frames and the fraction (of outRate) past that.
        const unsigned long long position = i * inRate;
        std::size_t frame = static_cast<std::size_t>(position / outRate);
        long long fraction = static_cast<long long>(position % outRate);
        if (frame >= frames - 1) {
            frame = frames - 1;
            fraction = 0;
        }
        for (int channel = 0; channel < format.channels; ++channel) {
            const long long here = mixedAt(sound, frame, channel, format.channels);
            const long long next = fraction != 0 ? mixedAt(sound, frame + 1, channel, format.channels) : here;
            const long long value = here + (next - here) * fraction / static_cast<long long>(outRate);
            put(out, static_cast<int>(value), format.bitsPerSample);
        }
    }
    return out;
}

}  // namespace vantor
