// Reading speech clips: the PCM files the clips are, and every way a file can
// fail to be one, without a crash and without reading past its end.

#include "platform/wav_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/panel_fixture.h"

namespace vantor {
namespace {

std::string little(std::uint32_t value, int width) {
    std::string out;
    for (int i = 0; i < width; ++i) out += static_cast<char>(value >> (8 * i) & 0xFF);
    return out;
}

std::string formatChunk(int format, int channels, int rate, int bits) {
    const int frame = channels * bits / 8;
    return "fmt " + little(16, 4) + little(static_cast<std::uint32_t>(format), 2) +
           little(static_cast<std::uint32_t>(channels), 2) + little(static_cast<std::uint32_t>(rate), 4) +
           little(static_cast<std::uint32_t>(rate * frame), 4) + little(static_cast<std::uint32_t>(frame), 2) +
           little(static_cast<std::uint32_t>(bits), 2);
}

std::string dataChunk(const std::string& samples, std::uint32_t claimed) {
    return "data" + little(claimed, 4) + samples;
}

std::string riff(const std::string& chunks) { return "RIFF" + little(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks; }

TEST(WavFile, ReadsPcmClipsAndRefusesWhatIsNotOne) {
    const std::string samples(8000, '\x10');  // 16-bit mono at 8000 Hz: half a second
    const std::string mono16 = formatChunk(1, 1, 8000, 16);
    // clang-format off
    const struct {
        const char* what;
        std::string bytes;
        bool read;
        int channels, bits;
        std::size_t sampleBytes;
        long long lengthMs;
    } cases[] = {
        {"16-bit mono", riff(mono16 + dataChunk(samples, 8000)), true, 1, 16, 8000, 500},
        {"8-bit stereo", riff(formatChunk(1, 2, 8000, 8) + dataChunk(samples, 8000)), true, 2, 8, 8000, 500},
        {"extensible header", riff(formatChunk(0xFFFE, 1, 8000, 16) + dataChunk(samples, 8000)), true, 1, 16, 8000, 500},
        {"a list chunk of odd size first", riff("LIST" + little(3, 4) + "abc" + std::string(1, '\0') + mono16 +
                                                dataChunk(samples, 8000)), true, 1, 16, 8000, 500},
        {"cut off recording", riff(mono16 + dataChunk(samples.substr(0, 4001), 8000)), true, 1, 16, 4000, 250},
        {"odd byte of a frame", riff(mono16 + dataChunk(samples.substr(0, 3), 3)), true, 1, 16, 2, 0},
        {"empty file", "", false, 0, 0, 0, 0},
        {"not RIFF", "RIFX" + riff(mono16).substr(4), false, 0, 0, 0, 0},
        {"no format", riff(dataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"no samples", riff(mono16), false, 0, 0, 0, 0},
        {"compressed", riff(formatChunk(2, 1, 8000, 16) + dataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"24 bits", riff(formatChunk(1, 1, 8000, 24) + dataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"six channels", riff(formatChunk(1, 6, 8000, 16) + dataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"no sample rate", riff(formatChunk(1, 1, 0, 16) + dataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"format chunk claims too much", riff("fmt " + little(4000, 4) + mono16.substr(8)), false, 0, 0, 0, 0},
        {"chunk claims 4 GB", riff("junk" + little(0xFFFFFFFF, 4) + mono16 + dataChunk(samples, 8000)), false, 0, 0, 0, 0},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WavSound sound;
        std::string why;
        EXPECT_EQ(parseWav(c.bytes, sound, why), c.read);
        EXPECT_EQ(why.empty(), c.read) << why;
        if (!c.read) continue;
        EXPECT_EQ(sound.channels, c.channels);
        EXPECT_EQ(sound.bitsPerSample, c.bits);
        EXPECT_EQ(sound.samples.size(), c.sampleBytes);
        EXPECT_EQ(sound.lengthMs(), c.lengthMs);
    }
}

TEST(WavFile, ReadsFilesAndNotFolders) {
    testing::TemporaryDirectory directory;
    testing::writeFile("clip.wav", riff(formatChunk(1, 1, 22050, 16) + dataChunk(std::string(4410, '\0'), 4410)));
    std::filesystem::create_directory("folder.wav");
    WavSound sound;
    std::string why;
    EXPECT_TRUE(readWavFile("clip.wav", sound, why));
    EXPECT_EQ(sound.lengthMs(), 100);
    EXPECT_FALSE(readWavFile("folder.wav", sound, why));
    EXPECT_FALSE(readWavFile("missing.wav", sound, why));
}

}  // namespace
}  // namespace vantor
