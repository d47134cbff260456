// Speech clips: bad files and a machine without sound never crash, hang or
// chatter on standard error.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/linux/sdl_speaker.h"
#include "work_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

std::string littleEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// A PCM WAV file of silence; dataBytes may claim more than is there.
std::string wave(int rate, int channels, int bits, std::uint32_t frames, std::uint32_t claimed = 0) {
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels * bits / 8);
    const std::uint32_t dataBytes = frames * blockAlign;
    const std::uint32_t said = claimed ? claimed : dataBytes;
    return "RIFF" + littleEndian(36 + said, 4) + "WAVE" + "fmt " + littleEndian(16, 4) +
           littleEndian(1, 2) + littleEndian(static_cast<std::uint32_t>(channels), 2) +
           littleEndian(static_cast<std::uint32_t>(rate), 4) +
           littleEndian(static_cast<std::uint32_t>(rate) * blockAlign, 4) + littleEndian(blockAlign, 2) +
           littleEndian(static_cast<std::uint32_t>(bits), 2) + "data" + littleEndian(said, 4) +
           std::string(dataBytes, bits == 8 ? '\x80' : '\0');
}

class SpeakerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory("wave");
        const std::pair<const char*, std::string> files[] = {
            {"word", wave(22050, 1, 16, 441)},
            {"Stereo", wave(44100, 2, 16, 441)},
            {"byte", wave(11025, 1, 8, 110)},
            {"empty", ""},
            {"garbage", "this is not a sound at all"},
            {"header", wave(8000, 1, 16, 0).substr(0, 30)},
            {"no-rate", wave(0, 1, 16, 80)},
            {"no-channels", wave(8000, 0, 16, 80)},
            {"claims-more", wave(8000, 1, 16, 80, 0x7FFFFFF0)},
        };
        for (const auto& [name, bytes] : files)
            testing::WorkDir::writeFile(fs::path("wave") / (std::string(name) + ".wav"), bytes);
    }
    void TearDown() override { ::unsetenv("SDL_AUDIODRIVER"); }

    // Every clip, in the orders the panel uses them.
    static void playAll(Speaker& speaker) {
        for (const char* clip : {"wave\\word", "wave\\stereo", "wave\\byte", "wave\\empty",
                                 "wave\\garbage", "wave\\header", "wave\\no-rate",
                                 "wave\\no-channels", "wave\\claims-more", "wave\\missing",
                                 "wave\\../word", "xxword", ""}) {
            speaker.playInBackground(clip);
            speaker.play(clip);
            speaker.playInBackground(clip);
        }
        speaker.play("wave\\word");
    }

    testing::WorkDir dir;
};

TEST_F(SpeakerTest, ClipsGoOutWithoutAWordOnStandardError) {
    // The dummy driver is a sound card that plays into nothing, at the real pace.
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::StderrCapture errors;
    {
        SdlSpeaker speaker;
        playAll(speaker);
    }
    EXPECT_EQ(errors.text(), "");
}

TEST_F(SpeakerTest, WithoutSoundOneLineSaysSpeechIsSilent) {
    // A sound system that is not there, and ALSA, which on a machine without a
    // sound card has much to say of its own.
    for (const char* driver : {"no-such-sound-system", "alsa"}) {
        ::setenv("SDL_AUDIODRIVER", driver, 1);
        testing::StderrCapture errors;
        {
            SdlSpeaker speaker;
            playAll(speaker);
        }
        const std::string said = errors.text();
        EXPECT_LE(testing::lineCount(said), 1) << driver << ": " << said;
        if (!said.empty()) {
            EXPECT_EQ(said.rfind("no audio device", 0), 0u) << driver << ": " << said;
        }
        if (std::string(driver) != "alsa") {
            EXPECT_EQ(testing::lineCount(said), 1) << said;
        }
    }
}

}  // namespace
}  // namespace vantor
