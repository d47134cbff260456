#include "speech/say.h"

#include <filesystem>

#include "support/panel_fixture.h"

namespace vantor {
namespace {

class SayTest : public testing::PanelTest {};

TEST_F(SayTest, ClipPathsAreFormedFromThePrefixAndLoggedWithTheirFiles) {
    std::filesystem::create_directory("wave");
    for (const char* name : {"wave/point.wav", "wave/3.wav", "xxs.wav"}) testing::writeFile(name, "RIFF");
    ASSERT_TRUE(openSpeechLog(p, "speech.log"));
    fake.screen.print("14.250000");
    say(p, "point");
    EXPECT_EQ(fake.screen.presentedPrints, 1u) << "the window shows what is printed before it is spoken";
    say(p, "3.wav");
    sayInBackground(p, "help.wav");
    p.wavePrefix = "xx";  // the muted S-meter refresh
    say(p, "s.wav");
    p.wavePrefix = "wave\\";
    say(p, "../../etc/passwd");  // logged, but never played
    say(p, "a b");
    EXPECT_EQ(fake.speaker.played,
              (std::vector<std::string>{"wave\\point", "wave\\3.wav", "&wave\\help.wav", "xxs.wav"}));
    // The second field is the file found in ./wave, joined as this system joins paths.
    const std::string folder =
        "./wave" + std::string(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(testing::readFile("speech.log"), "wave\\point\t" + folder +
                                                   "point.wav\n"
                                                   "wave\\3.wav\t" +
                                                   folder +
                                                   "3.wav\n"
                                                   "said\tpoint 3\n"
                                                   "wave\\help.wav\t\n"
                                                   "said\tHelp. B, band. F, frequency. E, enter frequency. M, mode. W, filter width. P, power. "
                                                   "A, A.F. gain. R, R F gain. S, S meter or S W R. Q, quit. H, help. F 1 to F 6: "
                                                   "preamp, attenuator, noise blanker, noise reduction, notch, speech processor.\n"
                                                   "wave\\../../etc/passwd\t\n"
                                                   "wave\\a b\t\n");
}

}  // namespace
}  // namespace vantor
