// Clips of another format in the speaker's one format: the samples keep
// their values and the clip keeps its length.

#include "platform/pcm_convert.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vantor {
namespace {

WavSound sound(int channels, int bits, int rate, std::vector<std::uint8_t> samples) {
    WavSound s;
    s.channels = channels;
    s.bitsPerSample = bits;
    s.samplesPerSecond = rate;
    s.samples = std::move(samples);
    return s;
}

// 16-bit little-endian bytes of the values.
std::vector<std::uint8_t> words(std::vector<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) {
        const auto w = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
        out.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return out;
}

TEST(PcmConvert, SamplesKeepTheirValuesInTheDevicesFormat) {
    const PcmFormat mono16{1, 16, 22050};
    // clang-format off
    const struct {
        const char* what;
        WavSound in;
        PcmFormat to;
        std::vector<std::uint8_t> out;
    } cases[] = {
        {"same format unchanged", sound(1, 16, 22050, words({0, 1000, -1000, 32767, -32768})), mono16,
         words({0, 1000, -1000, 32767, -32768})},
        {"8-bit to 16-bit: 128 is silence", sound(1, 8, 22050, {128, 255, 0, 129}), mono16,
         words({0, 32512, -32768, 256})},
        {"16-bit to 8-bit, rounded", sound(1, 16, 22050, words({0, 32767, -32768, 256, 127})), {1, 8, 22050},
         {128, 255, 0, 129, 128}},
        {"stereo to mono: the mean", sound(2, 16, 22050, words({1000, 3000, -2000, 2000, 32767, 32767})), mono16,
         words({2000, 0, 32767})},
        {"8-bit stereo to 16-bit mono", sound(2, 8, 22050, {128, 192, 0, 0}), mono16,
         words({8192, -32768})},
        {"mono to stereo: both channels", sound(1, 16, 22050, words({5, -7})), {2, 16, 22050},
         words({5, 5, -7, -7})},
        {"44100 to 22050: every other frame", sound(1, 16, 44100, words({0, 10, 20, 30, 40, 50})), mono16,
         words({0, 20, 40})},
        {"11025 to 22050: the midpoints between", sound(1, 16, 11025, words({0, 100, -100})), mono16,
         words({0, 50, 100, 0, -100, -100})},
        {"48000 to 22050 falls between frames", sound(1, 16, 48000, words({0, 480, 960, 1440, 1920})), mono16,
         words({0, 1044})},
        {"nothing from nothing", sound(1, 16, 44100, {}), mono16, {}},
        {"no output for a sound that is none", sound(3, 16, 22050, words({1, 2, 3})), mono16, {}},
        {"no output for a format that is none", sound(1, 16, 22050, words({1})), {1, 12, 22050}, {}},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(convertPcm(c.in, c.to), c.out) << c.what;
}

TEST(PcmConvert, AClipKeepsItsLengthAtAnyRate) {
    const struct {
        int channels, bits, rate;
    } formats[] = {{1, 16, 44100}, {2, 16, 44100}, {2, 8, 8000},
                   {1, 8, 11025},  {1, 16, 48000}, {2, 16, 96000}};
    for (const auto& f : formats) {
        WavSound in = sound(f.channels, f.bits, f.rate, {});
        in.samples.assign(
            static_cast<std::size_t>(f.rate) * 3 / 2 * static_cast<std::size_t>(in.frameBytes()), 0x40);
        WavSound out = sound(1, 16, 22050, convertPcm(in, PcmFormat{}));
        EXPECT_EQ(out.lengthMs(), in.lengthMs())
            << f.channels << " channels, " << f.bits << " bits, " << f.rate;
    }
}

}  // namespace
}  // namespace vantor
