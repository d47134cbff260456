#include "app/program.h"
#include "memory/band_defaults.h"
#include "platform/files.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::configuration;
using testing::readFile;
using testing::writeFile;
using StartupTest = testing::PanelTest;

TEST_F(StartupTest, WithoutConfigurationOnlyTheVersionAndCfgnfAreHeard) {
    EXPECT_EQ(runProgram(p), RunResult::finished);
    EXPECT_EQ(spoken(), (std::vector<std::string>{"ft.wav", "3.wav", "point", "5", "cfgnf"}));
    EXPECT_EQ(fake.serial.openCount(1), 1);  // only the fixture's own open
    EXPECT_TRUE(fake.screen.timers.empty());
    EXPECT_FALSE(testing::fileExists("savmem.dat"));
}

// Speech going to the radio's sound card by the system's default is said
// once, right after the version, whether or not the panel goes on.
TEST(StartupSpeech, SpeechOnTheRadiosSoundCardIsSaidAfterTheVersion) {
    const std::vector<std::string> version = {"ft.wav", "3.wav", "point", "5"};
    for (const bool toRadio : {false, true}) {
        for (const bool configured : {false, true}) {
            testing::TemporaryDirectory directory;
            fake::FakePlatform platform;
            Panel panel(platform.platform);
            platform.speaker.goesToRadio = toRadio;
            if (configured) writeFile("vantor.cfg", configuration(0, 0));
            runProgram(panel);
            const auto& played = platform.speaker.played;
            std::vector<std::string> expected;
            for (const auto& clip : version) expected.push_back("wave\\" + clip);
            if (toRadio) expected.push_back("wave\\sndradio");
            if (!configured) expected.push_back("wave\\cfgnf");
            ASSERT_GE(played.size(), expected.size());
            EXPECT_EQ(std::vector<std::string>(played.begin(), played.begin() + static_cast<long>(expected.size())),
                      expected)
                << "to radio " << toRadio << ", configured " << configured;
            EXPECT_EQ(std::count(played.begin(), played.end(), "wave\\sndradio"), toRadio ? 1 : 0);
        }
    }
}

// No frequency is known before the radio answers, so the mode operation does not
// tune the radio to 0 Hz after the mode command. No debug log unless asked for.
TEST_F(StartupTest, StartBandIsTunedOnVfoAWithItsModeAndWidth) {
    writeFile("vantor.cfg", configuration(0, 0));
    runProgram(p);
    EXPECT_EQ(sent(), "FA007100000;VS0;FT2;MD01;NA00;FA007100000;SH014;");
    EXPECT_EQ(p.lastFrequencyCommand, "FA007100000;");
    EXPECT_EQ(p.frequencyText, "7.100000");
    EXPECT_EQ(std::pair(p.currentMode, p.savedMode), std::pair(1, 1));
    EXPECT_EQ(std::pair(fake.serial.framingStopCode(1), fake.serial.baud(1)), std::pair(2, 38400));
    EXPECT_FALSE(testing::fileExists("debug.dat"));
}

// Six pauses after the wake-up text, eleven after PS1, one after PS0.
TEST_F(StartupTest, PowerControlWakesTheRadioFirstAndSwitchesItOffLast) {
    writeFile("vantor.cfg", configuration(1, 0));
    runProgram(p);
    std::string bytes = sent();
    EXPECT_EQ(bytes.rfind("Power on;PS1;FA007100000;VS0;", 0), 0u) << bytes;
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "PS0;");
    const auto clips = spoken();
    EXPECT_EQ(std::count(clips.begin(), clips.end(), "delay"), 6 + 11 + 1);
}

// Row 12 is 2 m FM narrow; "0" is no band stored, "z" is hand-edited beyond the table.
// A stored row at 0 Hz or with no mode digit gives way to the built-in row of its band.
TEST_F(StartupTest, StoredStartBandIsUsedAndABadOneFallsBackToFortyMetres) {
    // clang-format off
    const std::tuple<char, std::string, std::string, int, std::string> cases[] = {
        {'<', "FA145000000;", "145.000000", 5, ""}, {'6', "FA014250000;", "14.250000", 3, "03A014250000B0142500009990"},
        {'0', "FA007100000;", "7.100000", 1, ""}, {'z', "FA007100000;", "7.100000", 1, ""},
        {'6', "FA014200000;", "14.200000", 2, "02A000000000B0142000009991"},
        {'6', "FA014200000;", "14.200000", 2, "0xA014250000B0142500009991"}};
    // clang-format on
    for (const auto& [band, command, text, mode, row6] : cases) {
        testing::TemporaryDirectory directory;
        fake::FakePlatform platform;
        Panel panel(platform.platform);
        writeFile("vantor.cfg", configuration(0, 0));
        std::string memories = std::string("VANTOR v3.2a 3.5a ") + band + "0\r\n";
        for (int row = 1; row <= 14; ++row)
            memories += (row == 6 && !row6.empty() ? row6 : std::string(kBuiltInBandRows[row])) + "\r\n";
        for (int slot = 0; slot < 100; ++slot) memories += "9\r\n";
        writeFile("savmem.dat", memories);
        runProgram(panel);
        EXPECT_EQ(platform.serial.written(1).substr(0, command.size()), command) << band;
        EXPECT_EQ(panel.frequencyText, text) << band;
        EXPECT_EQ(panel.currentMode, mode) << band;
    }
}

// A memory file the panel could not take in (a link to /dev/zero: read only so
// far, never copied) is still there after the run: the start says so, and the
// shut-down says once that it is not replaced.
TEST_F(StartupTest, MemoryFileNotTakenInSurvivesTheRun) {
    writeFile("vantor.cfg", configuration(0, 0));
#ifdef _WIN32
    // No /dev/zero here: a file beyond the size bound is read only so far too.
    const std::string huge(kMaxFileBytes + 1, 'x');
    writeFile("savmem.dat", huge);
#else
    std::filesystem::create_symlink("/dev/zero", "savmem.dat");
#endif
    ::testing::internal::CaptureStderr();
    runProgram(p);
    const std::string said = ::testing::internal::GetCapturedStderr();
#ifdef _WIN32
    EXPECT_EQ(testing::readFile("savmem.dat"), huge);
#else
    EXPECT_EQ(std::filesystem::read_symlink("savmem.dat"), "/dev/zero");
#endif
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find("savmem.dat is not replaced"), std::string::npos) << said;
    EXPECT_FALSE(testing::fileExists("memory.txt"));
}

// The timer is started, then stopped at shut-down; the log has its header and
// every command sent, the poll's first query included.
TEST_F(StartupTest, WindowTimerShutDownAndDebugLog) {
    writeFile("vantor.cfg", configuration(0, 1));
    fake.screen.events.push_back({kTimerTick, 1});
    runProgram(p);
    EXPECT_EQ(fake.screen.title, "*** Yaesu Vantor v3.5a ***");
    EXPECT_EQ(std::tuple(fake.screen.windowX, fake.screen.windowWidth, fake.screen.windowHeight),
              std::tuple(250, 950, 500));
    EXPECT_EQ(fake.screen.textAt(280, 10), "*** Vantor V 3.5a ***");
    EXPECT_EQ(fake.screen.textAt(50, 45), "LSB    ");
    EXPECT_TRUE(fake.screen.timers.empty());
    EXPECT_FALSE(fake.screen.windowOpen || fake.serial.isOpen(1));
    EXPECT_EQ(readFile("savmem.dat").rfind("VANTOR v3.2a 3.5a 40\r\n", 0), 0u);
    EXPECT_NE(readFile("memory.txt").find("Empty"), std::string::npos);
    EXPECT_EQ(readFile("debug.dat"),
              "VANTOR 3.5a  06-12-2026   09:05:07\r\n"
              "Comport= 1  Speed= 38400 Baud\r\n"
              "TX=FA007100000;\r\nTX=VS0;\r\nTX=FT2;\r\nTX=MD01;\r\nTX=NA00;\r\nTX=FA007100000;\r\nTX=SH014;\r\nTX=FA;\r\n");
}

}  // namespace
}  // namespace vantor
