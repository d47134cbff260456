// Speech clips: bad files and a machine without sound never crash, hang or
// chatter on standard error.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "platform/linux/sdl_speaker.h"
#include "support/panel_fixture.h"
#include "support/wav_bytes.h"
#include "work_dir.h"

namespace vantor {
namespace {

// A PCM WAV file of silence; its header may claim more data than there is.
std::string wave(int rate, int channels, int bits, std::size_t frames, std::uint32_t claimed = 0) {
    const std::string silence(frames * static_cast<std::size_t>(channels * bits / 8), bits == 8 ? '\x80' : '\0');
    return testing::wavBytes(channels, bits, rate, silence, claimed ? std::optional(claimed) : std::nullopt);
}

TEST(SpeakerTest, BadClipsAndMissingSoundSayAtMostOneLine) {
    testing::TemporaryDirectory dir;
    std::filesystem::create_directory("wave");
    // clang-format off
    const std::pair<const char*, std::string> files[] = {
        {"word", wave(22050, 1, 16, 441)}, {"Stereo", wave(44100, 2, 16, 441)},
        {"byte", wave(11025, 1, 8, 110)}, {"empty", ""}, {"garbage", "this is not a sound at all"},
        {"header", wave(8000, 1, 16, 0).substr(0, 30)}, {"no-rate", wave(0, 1, 16, 80)},
        {"no-channels", wave(8000, 0, 16, 80)}, {"claims-more", wave(8000, 1, 16, 80, 0x7FFFFFF0)},
    };
    // clang-format on
    for (const auto& [name, bytes] : files) testing::writeFile("wave/" + std::string(name) + ".wav", bytes);
    // The dummy driver is a sound card that plays into nothing, at the real pace.
    // ALSA on a machine without a sound card has much to say of its own.
    const std::tuple<const char*, int, int> drivers[] = {
        {"dummy", 0, 0}, {"no-such-sound-system", 1, 1}, {"alsa", 0, 1}};
    for (const auto& [driver, fewest, most] : drivers) {
        ::setenv("SDL_AUDIODRIVER", driver, 1);
        testing::StderrCapture errors;
        {
            SdlSpeaker speaker;
            for (const char* clip : {"wave\\word", "wave\\stereo", "wave\\byte", "wave\\empty",
                                     "wave\\garbage", "wave\\header", "wave\\no-rate", "wave\\no-channels",
                                     "wave\\claims-more", "wave\\missing", "wave\\../word", "xxword", ""}) {
                speaker.playInBackground(clip);
                speaker.play(clip);
                speaker.playInBackground(clip);
            }
            speaker.play("wave\\word");
        }
        const std::string said = errors.text();
        const auto lines = std::count(said.begin(), said.end(), '\n');
        EXPECT_TRUE(lines >= fewest && lines <= most) << driver << ": " << said;
        EXPECT_TRUE(said.empty() || said.rfind("vantor: no audio device", 0) == 0) << driver << ": " << said;
    }
    ::unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
}  // namespace vantor
