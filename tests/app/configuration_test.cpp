#include "app/configuration.h"

#include <sstream>

#include "support/panel_fixture.h"

namespace vantor {
namespace {

using ConfigurationTest = testing::PanelTest;

const std::vector<std::string> kSample = {
    "COM=5",     "SPEED=38400", "POWER=100", "SWR=1",      "ATU=2",      "TOPBAND=7", "POWRON=1",
    "TSQ=1",     "10MOFS+100",  "6MOFS-500", "2MOFS-600",  "70MOFS-7600", "BRIDGE=12", "DEBUG=1",
};
const std::string kSampleSettings =
    "COM=5 SPEED=38400 POWER=100/100 SWR=1 ATU=2 TOPBAND=7 POWRON=1 TSQ=1 10M+100 6M-500 2M-600 70M-7600 "
    "BRIDGE=12 DEBUG=1";

// Everything the configuration sets, written much as the file writes it.
std::string settings(const Panel& p) {
    auto shift = [](int minus, const std::string& digits) { return (minus ? "-" : "+") + digits; };
    std::ostringstream out;
    out << "COM=" << p.comHandle << " SPEED=" << p.baudRate << " POWER=" << p.powerWatts << "/" << p.powerMaxWatts
        << " SWR=" << p.swrReportMode << " ATU=" << p.tunerState << " TOPBAND=" << p.topBandCode
        << " POWRON=" << p.radioPowerControl << " TSQ=" << p.toneDecodeOn
        << " 10M" << shift(p.shift10mMinus, p.shift10mDigits) << " 6M" << shift(p.shift6mMinus, p.shift6mDigits)
        << " 2M" << shift(p.shift2mMinus, p.shift2mDigits) << " 70M" << shift(p.shift70cmMinus, p.shift70cmDigits)
        << " BRIDGE=" << p.bridgePort << " DEBUG=" << p.debugLogging;
    return out.str();
}

// What missing lines 3 to 14 give: zeros, the 5 W floor and the sample's repeater shifts.
const std::string kEmptySettings =
    "POWER=5/5 SWR=0 ATU=0 TOPBAND= POWRON=0 TSQ=0 10M+100 6M-500 2M-600 70M-7600 BRIDGE=0 DEBUG=0";

// A short file leaves zeros and the 5 W floor, and no line behind in the buffer.
TEST_F(ConfigurationTest, ReadsEveryLineAtItsColumn) {
    applyConfigurationLines(p, kSample);
    EXPECT_EQ(settings(p), kSampleSettings);
    applyConfigurationLines(p, {"COM=7", "SPEED=9600"});
    EXPECT_EQ(settings(p), "COM=7 SPEED=9600 " + kEmptySettings);
    EXPECT_EQ(p.commandText, "");
}

// Ports: six characters give two digits, five one, seven the last one only. Power:
// ten characters give nothing, not a number reads 0, and 5 W is the floor. Speed:
// blanks are skipped and the number stops at a letter.
TEST_F(ConfigurationTest, LineLengthsDecideTheDigitsTaken) {
    // clang-format off
    const std::tuple<int, const char*, int Panel::*, int> cases[] = {
        {1, "COMM12", &Panel::comHandle, 12},        {1, "COM=5", &Panel::comHandle, 5},
        {1, "COM=123", &Panel::comHandle, 3},        {3, "POWER=2", &Panel::powerWatts, 5},
        {3, "POWER=100", &Panel::powerWatts, 100},   {3, "POWER=1000", &Panel::powerWatts, 5},
        {3, "POWER=x5", &Panel::powerWatts, 5},      {13, "BRIDGE=10", &Panel::bridgePort, 10},
        {13, "BRIDGE=3", &Panel::bridgePort, 3},     {12, "70MOFS+7600", &Panel::shift70cmMinus, 0},
        {2, "SPEED= 4800xyz", &Panel::baudRate, 4800}};
    // clang-format on
    for (const auto& [line, text, field, expected] : cases) {
        std::vector<std::string> lines = kSample;
        lines[static_cast<std::size_t>(line - 1)] = text;
        applyConfigurationLines(p, lines);
        EXPECT_EQ(p.*field, expected) << "line " << line << " \"" << text << "\"";
    }
}

// A shift goes to the radio inside a menu command and a bridge on the radio's
// own port would talk to the radio: such a line is refused with one line on
// standard error and gives the sample's value, sign included; nothing else changes.
TEST_F(ConfigurationTest, ShiftsOtherThanDigitsAndABridgeOnTheRadioPortAreRefused) {
    // clang-format off
    const std::tuple<int, std::string, std::string, std::string, bool> cases[] = {
        {9, "10MOFS-250", "10M+100", "10M-250", false},     {9, "10MOFS-1;0", "10M+100", "10M+100", true},
        {9, "10MOFS-10", "10M+100", "10M+100", true},       {10, std::string("6MOFS+5\0" "0", 9), "6M-500", "6M-500", true},
        {10, "6MOFS+050", "6M-500", "6M+050", false},       {11, "2MOFS+ 60", "2M-600", "2M-600", true},
        {11, "", "2M-600", "2M-600", true},                 {12, "70MOFS+760", "70M-7600", "70M+760", false},
        {12, "70MOFS+76000", "70M-7600", "70M+7600", false}, {12, "70MOFS+76x0", "70M-7600", "70M-7600", true},
        {12, "70MOFS+-760", "70M-7600", "70M-7600", true},  {13, "BRIDGE=5", "BRIDGE=12", "BRIDGE=0", true},
        {13, "BRIDGE=6", "BRIDGE=12", "BRIDGE=6", false}};
    // clang-format on
    for (const auto& [line, text, before, after, refused] : cases) {
        SCOPED_TRACE("line " + std::to_string(line) + " \"" + text + "\"");
        std::vector<std::string> lines = kSample;
        lines[static_cast<std::size_t>(line - 1)] = text;
        ::testing::internal::CaptureStderr();
        applyConfigurationLines(p, lines);
        const std::string said = ::testing::internal::GetCapturedStderr();
        std::string expected = kSampleSettings;
        expected.replace(expected.find(before), before.size(), after);
        EXPECT_EQ(settings(p), expected);
        EXPECT_EQ(said.rfind("vantor: vantor.cfg line " + std::to_string(line), 0) == 0, refused) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), refused ? 1 : 0) << said;
    }
}

// A damaged file never reads past its lines: no port, so every serial operation
// does nothing. An endless line (a link to /dev/zero, a huge file without line
// ends) is read only so far.
TEST_F(ConfigurationTest, ReadsTheFileWithAnyLineEndsAndReportsAMissingOne) {
    EXPECT_FALSE(readConfiguration(p));
    std::string content;
    for (std::size_t i = 0; i < kSample.size(); ++i) content += kSample[i] + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    testing::writeFile("vantor.cfg", content + "ignored line 15\n");
    ASSERT_TRUE(readConfiguration(p));
    EXPECT_EQ(settings(p), kSampleSettings);
    // The file's contents and its port; no contents stands for the link.
    const std::pair<std::string, std::string> damaged[] = {
        {std::string(600, 'x') + "\n\n\n\x01\x02\xff", "COM=0"},
        {std::string(3 << 20, '7'), "COM=7"},
#ifndef _WIN32
        {"", "COM=0"},  // Windows has no /dev/zero
#endif
    };
    for (const auto& [contents, port] : damaged) {
        std::filesystem::remove("vantor.cfg");
        if (contents.empty())
            std::filesystem::create_symlink("/dev/zero", "vantor.cfg");
        else
            testing::writeFile("vantor.cfg", contents);
        ASSERT_TRUE(readConfiguration(p));
        EXPECT_EQ(settings(p), port + " SPEED=0 " + kEmptySettings);
    }
}

}  // namespace
}  // namespace vantor
