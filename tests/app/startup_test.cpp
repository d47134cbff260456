#include "app/program.h"
#include "memory/band_defaults.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::PanelTest;
using testing::readFile;
using testing::writeFile;

std::string configuration(int powerControl, int debug) {
    return "COM=1\nSPEED=38400\nPOWER=100\nSWR=0\nATU=0\nTOPBAND=7\nPOWRON=" + std::to_string(powerControl) +
           "\nTSQ=0\n10MOFS+100\n6MOFS-500\n2MOFS-600\n70MOFS-7600\nBRIDGE=0\nDEBUG=" + std::to_string(debug) + "\n";
}

std::string memoryFileWithBand(char bandCharacter) {
    std::string file = std::string("VANTOR v3.2a 3.5a ") + bandCharacter + "0\r\n";
    for (int row = 1; row <= 14; ++row) file += std::string(kBuiltInBandRows[row]) + "\r\n";
    for (int slot = 0; slot < 100; ++slot) file += "9\r\n";
    return file;
}

class StartupTest : public PanelTest {
protected:
    RunResult run() { return runProgram(p); }
};

TEST_F(StartupTest, WithoutConfigurationOnlyTheVersionAndCfgnfAreHeard) {
    EXPECT_EQ(run(), RunResult::finished);
    EXPECT_EQ(spoken(), (std::vector<std::string>{"ft.wav", "3.wav", "point", "5", "cfgnf"}));
    EXPECT_EQ(fake.serial.openCount(1), 1);  // only the fixture's own open
    EXPECT_TRUE(fake.screen.timers.empty());
    EXPECT_FALSE(testing::fileExists("savmem.dat"));
}

TEST_F(StartupTest, StartBandIsTunedOnVfoAWithItsModeAndWidth) {
    writeFile("vantor.cfg", configuration(0, 0));
    run();
    // No frequency is known before the radio answers, so the mode operation
    // does not tune the radio to 0 Hz after the mode command.
    EXPECT_EQ(sent(), "FA007100000;VS0;MD01;NA0;SH014;");
    EXPECT_EQ(p.lastFrequencyCommand, "FA007100000;");
    EXPECT_EQ(p.frequencyText, "7.100000");
    EXPECT_EQ(p.currentMode, 1);
    EXPECT_EQ(p.savedMode, 1);
    EXPECT_EQ(fake.serial.framingStopCode(1), 2);
    EXPECT_EQ(fake.serial.baud(1), 38400);
}

TEST_F(StartupTest, PowerControlWakesTheRadioFirstAndSwitchesItOffLast) {
    writeFile("vantor.cfg", configuration(1, 0));
    run();
    std::string bytes = sent();
    EXPECT_EQ(bytes.rfind("Power on;PS1;FA007100000;VS0;", 0), 0u) << bytes;
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "PS0;");
    // Six pauses after the wake-up text, eleven after PS1, one after PS0.
    int delays = 0;
    for (const auto& clip : spoken()) delays += clip == "delay";
    EXPECT_EQ(delays, 6 + 11 + 1);
}

TEST_F(StartupTest, StoredStartBandIsUsedAndABadOneFallsBackToFortyMetres) {
    struct Case {
        char bandCharacter;
        std::string frequencyCommand;
        std::string frequencyText;
        int mode;
    } cases[] = {
        {'<', "FA145000000;", "145.000000", 5},  // row 12, 2 m FM narrow
        {'6', "FA014200000;", "14.200000", 2},
        {'0', "FA007100000;", "7.100000", 1},  // no band stored
        {'z', "FA007100000;", "7.100000", 1},  // hand-edited beyond the table
    };
    for (const auto& c : cases) {
        testing::TemporaryDirectory directory;
        fake::FakePlatform platform;
        Panel panel(platform.platform);
        writeFile("vantor.cfg", configuration(0, 0));
        writeFile("savmem.dat", memoryFileWithBand(c.bandCharacter));
        runProgram(panel);
        EXPECT_EQ(platform.serial.written(1).substr(0, c.frequencyCommand.size()), c.frequencyCommand) << c.bandCharacter;
        EXPECT_EQ(panel.frequencyText, c.frequencyText) << c.bandCharacter;
        EXPECT_EQ(panel.currentMode, c.mode) << c.bandCharacter;
    }
}

TEST_F(StartupTest, WindowTimerAndShutDownOrder) {
    writeFile("vantor.cfg", configuration(0, 1));
    fake.screen.events.push_back({kTimerTick, 1});
    run();
    EXPECT_EQ(fake.screen.title, "*** Yaesu Vantor v3.5a ***");
    EXPECT_EQ(fake.screen.windowX, 250);
    EXPECT_EQ(fake.screen.windowWidth, 950);
    EXPECT_EQ(fake.screen.windowHeight, 500);
    EXPECT_EQ(fake.screen.textAt(280, 10), "*** Vantor V 3.5a ***");
    EXPECT_EQ(fake.screen.textAt(50, 45), "LSB    ");
    EXPECT_TRUE(fake.screen.timers.empty());  // started, then stopped at shut-down
    EXPECT_FALSE(fake.screen.windowOpen);
    EXPECT_FALSE(fake.serial.isOpen(1));
    EXPECT_EQ(readFile("savmem.dat").rfind("VANTOR v3.2a 3.5a 40\r\n", 0), 0u);
    EXPECT_NE(readFile("memory.txt").find("Empty"), std::string::npos);
}

TEST_F(StartupTest, DebugLogHeaderAndEveryCommandSent) {
    writeFile("vantor.cfg", configuration(0, 1));
    run();
    EXPECT_EQ(readFile("debug.dat"),
              "VANTOR 3.5a  06-12-2026   09:05:07\r\n"
              "Comport= 1  Speed= 38400 Baud\r\n"
              "TX=FA007100000;\r\nTX=VS0;\r\nTX=MD01;\r\nTX=NA0;\r\nTX=SH014;\r\n");
}

TEST_F(StartupTest, NoDebugLogUnlessAskedFor) {
    writeFile("vantor.cfg", configuration(0, 0));
    run();
    EXPECT_FALSE(testing::fileExists("debug.dat"));
}

}  // namespace
}  // namespace vantor
