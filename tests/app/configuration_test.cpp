#include "app/configuration.h"

#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::PanelTest;

const std::vector<std::string> kSample = {
    "COM=5",     "SPEED=38400", "POWER=100", "SWR=1",      "ATU=2",      "TOPBAND=7", "POWRON=1",
    "TSQ=1",     "10MOFS+100",  "6MOFS-500", "2MOFS-600",  "70MOFS-7600", "BRIDGE=12", "DEBUG=1",
};

class ConfigurationTest : public PanelTest {};

TEST_F(ConfigurationTest, ReadsEveryLineAtItsColumn) {
    applyConfigurationLines(p, kSample);
    EXPECT_EQ(p.comHandle, 5);
    EXPECT_EQ(p.baudRate, 38400);
    EXPECT_EQ(p.powerWatts, 100);
    EXPECT_EQ(p.powerMaxWatts, 100);
    EXPECT_EQ(p.swrReportMode, 1);
    EXPECT_EQ(p.tunerState, 2);
    EXPECT_EQ(p.topBandCode, "7");
    EXPECT_EQ(p.radioPowerControl, 1);
    EXPECT_EQ(p.toneDecodeOn, 1);
    EXPECT_EQ(p.shift10mMinus, 0);
    EXPECT_EQ(p.shift10mDigits, "100");
    EXPECT_EQ(p.shift6mMinus, 1);
    EXPECT_EQ(p.shift6mDigits, "500");
    EXPECT_EQ(p.shift2mMinus, 1);
    EXPECT_EQ(p.shift2mDigits, "600");
    EXPECT_EQ(p.shift70cmMinus, 1);
    EXPECT_EQ(p.shift70cmDigits, "7600");
    EXPECT_EQ(p.bridgePort, 12);
    EXPECT_EQ(p.debugLogging, 1);
}

TEST_F(ConfigurationTest, LineLengthsDecideTheDigitsTaken) {
    struct Case {
        int line;
        std::string text;
        int Panel::*field;
        int expected;
    } cases[] = {
        {1, "COMM12", &Panel::comHandle, 12},   // six characters: two digits
        {1, "COM=5", &Panel::comHandle, 5},     // five: one
        {1, "COM=123", &Panel::comHandle, 3},   // seven: the last one only
        {3, "POWER=2", &Panel::powerWatts, 5},  // raised to the 5 W floor
        {3, "POWER=100", &Panel::powerWatts, 100},
        {3, "POWER=1000", &Panel::powerWatts, 5},  // ten characters: nothing taken
        {3, "POWER=x5", &Panel::powerWatts, 5},    // not a number reads 0
        {13, "BRIDGE=10", &Panel::bridgePort, 10},
        {13, "BRIDGE=3", &Panel::bridgePort, 3},
        {12, "70MOFS+7600", &Panel::shift70cmMinus, 0},
        {2, "SPEED= 4800xyz", &Panel::baudRate, 4800},  // blanks skipped, stops at a letter
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines = kSample;
        lines[static_cast<std::size_t>(c.line - 1)] = c.text;
        applyConfigurationLines(p, lines);
        EXPECT_EQ(p.*c.field, c.expected) << "line " << c.line << " \"" << c.text << "\"";
    }
}

TEST_F(ConfigurationTest, ShortOrEmptyFileLeavesZerosAndTheFiveWattFloor) {
    applyConfigurationLines(p, {"COM=7", "SPEED=9600"});
    EXPECT_EQ(p.comHandle, 7);
    EXPECT_EQ(p.baudRate, 9600);
    EXPECT_EQ(p.powerWatts, 5);
    EXPECT_EQ(p.topBandCode, "");
    EXPECT_EQ(p.shift70cmDigits, "");
    EXPECT_EQ(p.bridgePort, 0);
    EXPECT_EQ(p.debugLogging, 0);
    EXPECT_EQ(p.commandText, "");  // the line buffer is not left holding a line
}

TEST_F(ConfigurationTest, ReadsTheFileWithAnyLineEndsAndReportsAMissingOne) {
    EXPECT_FALSE(readConfiguration(p));
    std::string content;
    for (std::size_t i = 0; i < kSample.size(); ++i) content += kSample[i] + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    testing::writeFile("vantor.cfg", content + "ignored line 15\n");
    ASSERT_TRUE(readConfiguration(p));
    EXPECT_EQ(p.comHandle, 5);
    EXPECT_EQ(p.shift70cmDigits, "7600");
    EXPECT_EQ(p.debugLogging, 1);
}

TEST_F(ConfigurationTest, DamagedFileNeverReadsPastItsLines) {
    testing::writeFile("vantor.cfg", std::string(600, 'x') + "\n\n\n\x01\x02\xff");
    ASSERT_TRUE(readConfiguration(p));
    EXPECT_EQ(p.comHandle, 0);  // no port: every serial operation does nothing
    EXPECT_EQ(p.powerWatts, 5);
}

}  // namespace
}  // namespace vantor
