// Reading speech clips: the PCM files the clips are, and every way a file can
// fail to be one, without a crash and without reading past its end.

#include "platform/wav_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/panel_fixture.h"
#include "support/wav_bytes.h"

namespace vantor {
namespace {

using testing::littleEndian;
using testing::riffWave;
using testing::wavDataChunk;
using testing::wavFormatChunk;

TEST(WavFile, ReadsPcmClipsAndRefusesWhatIsNotOne) {
    const std::string samples(8000, '\x10');  // 16-bit mono at 8000 Hz: half a second
    const std::string mono16 = wavFormatChunk(1, 1, 8000, 16);
    // clang-format off
    const struct {
        const char* what;
        std::string bytes;
        bool read;
        int channels, bits;
        std::size_t sampleBytes;
        long long lengthMs;
    } cases[] = {
        {"16-bit mono", riffWave(mono16 + wavDataChunk(samples, 8000)), true, 1, 16, 8000, 500},
        {"8-bit stereo", riffWave(wavFormatChunk(1, 2, 8000, 8) + wavDataChunk(samples, 8000)), true, 2, 8, 8000, 500},
        {"extensible header", riffWave(wavFormatChunk(0xFFFE, 1, 8000, 16) + wavDataChunk(samples, 8000)), true, 1, 16, 8000, 500},
        {"a list chunk of odd size first", riffWave("LIST" + littleEndian(3, 4) + "abc" + std::string(1, '\0') + mono16 +
                                                wavDataChunk(samples, 8000)), true, 1, 16, 8000, 500},
        {"cut off recording", riffWave(mono16 + wavDataChunk(samples.substr(0, 4001), 8000)), true, 1, 16, 4000, 250},
        {"odd byte of a frame", riffWave(mono16 + wavDataChunk(samples.substr(0, 3), 3)), true, 1, 16, 2, 0},
        {"empty file", "", false, 0, 0, 0, 0},
        {"not RIFF", "RIFX" + riffWave(mono16).substr(4), false, 0, 0, 0, 0},
        {"no format", riffWave(wavDataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"no samples", riffWave(mono16), false, 0, 0, 0, 0},
        {"compressed", riffWave(wavFormatChunk(2, 1, 8000, 16) + wavDataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"24 bits", riffWave(wavFormatChunk(1, 1, 8000, 24) + wavDataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"six channels", riffWave(wavFormatChunk(1, 6, 8000, 16) + wavDataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"no sample rate", riffWave(wavFormatChunk(1, 1, 0, 16) + wavDataChunk(samples, 8000)), false, 0, 0, 0, 0},
        {"format chunk claims too much", riffWave("fmt " + littleEndian(4000, 4) + mono16.substr(8)), false, 0, 0, 0, 0},
        {"chunk claims 4 GB", riffWave("junk" + littleEndian(0xFFFFFFFF, 4) + mono16 + wavDataChunk(samples, 8000)), false, 0, 0, 0, 0},
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
    testing::writeFile("clip.wav", riffWave(wavFormatChunk(1, 1, 22050, 16) + wavDataChunk(std::string(4410, '\0'), 4410)));
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
