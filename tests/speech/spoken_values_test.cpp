#include "speech/spoken_values.h"

#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::Clips;

using testing::words;

class SpokenValuesTest : public testing::PanelTest {};

TEST_F(SpokenValuesTest, ModesAreNamedAndModeAndFrequencyAreSilentOnAMemoryChannel) {
    const std::pair<int, const char*> cases[] = {
        {1, "lsb.wav"},  {2, "usb.wav"}, {3, "cw.wav"}, {4, "am.wav"}, {5, "fm.wav nar.wav"},
        {6, "c4fm.wav"}, {7, "fm.wav"},  {0, ""},       {8, ""}};
    for (const auto& [mode, clips] : cases) {
        p.currentMode = mode;
        sayMode(p);
        EXPECT_EQ(spoken(), words(clips)) << "mode " << mode;
    }
    p.memoryChannelMode = 1, p.currentMode = 2;
    sayMode(p);
    for (const char* text : {" 14.200000", ""}) {  // not even "nc"
        p.frequencyText = text;
        sayFrequency(p);
    }
    EXPECT_EQ(spoken(), Clips{});
}

// Texts from the radio have blanks for leading zeros, typed ones need not; nothing after the
// eleventh column is read.
TEST_F(SpokenValuesTest, FrequencyTextsAreReadDigitByDigit) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {" 14.200000", "1 4 point 2 mhz"}, {"  7.074000", "7 point 0 7 4 mhz"}, {" 21.000000", "2 1 mhz"},
        {"145.612500", "1 4 5 point 6 1 2 5 mhz"}, {" 10.100000", "1 0 point 1 mhz"},
        {"  3.500100", "3 point 5 0 0 1 mhz"}, {"   .475000", "point 4 7 5 mhz"},
        {"7.074000", "7 point 0 7 4 mhz"}, {"014.200000", "1 4 point 2 mhz"}, {"14", "1 4 mhz"}, {"", "nc"},
        {"7.", "7 mhz"}, {"  7.0740001234", "7 point 0 7 4 0 0 0 1 mhz"}, {"  7.0000000999", "7 mhz"}};
    // clang-format on
    for (const auto& [text, clips] : cases) {
        p.frequencyText = text;
        sayFrequency(p);
        EXPECT_EQ(spoken(), words(clips)) << "\"" << text << "\"";
    }
}

// A pending switch-off (repeater 2) is not "on"; split (a program may set it with the shift
// on) is VFO B; without a frequency there is no context word.
TEST_F(SpokenValuesTest, ContextWordComesBeforeTheFrequency) {
    const std::tuple<int, int, int, const char*> cases[] = {
        {0, 0, 0, ""},   {1, 0, 0, "vfob"}, {0, 1, 0, "repeater"}, {0, 1, 1, "repeater tx"},
        {1, 1, 1, "tx"}, {1, 1, 0, "vfob"}, {1, 0, 1, ""},         {0, 2, 1, ""},
        {1, 2, 0, "vfob"}};
    for (const auto& [split, repeater, txReadout, context] : cases) {
        p.splitOn = split, p.repeaterOn = repeater, p.txFrequencyReadout = txReadout;
        for (const char* text : {"145.600000", ""}) {
            p.frequencyText = text;
            sayFrequency(p);
        }
        EXPECT_EQ(spoken(), words(context + std::string(" 1 4 5 point 6 mhz nc")))
            << split << repeater << txReadout;
    }
}

TEST_F(SpokenValuesTest, WidthIsKilohertzInSidebandAndHertzOtherwise) {
    // clang-format off
    const std::tuple<int, int, const char*> cases[] = {
        {1, 9, "1.wav point 8.wav khz"}, {1, 10, "1.wav point 9.wav khz"}, {2, 11, "2.wav point 1 khz"},
        {2, 15, "2.wav point 5 khz"}, {1, 19, "2.wav point 9 khz"}, {1, 20, "3.wav point 0.wav khz"},
        {2, 21, "3.wav point 1.wav khz"}, {1, 8, "1.wav point khz"}, {1, 25, "3.wav point khz"},
        {3, 1, "5 0 hz"}, {3, 2, "1 0 0 hz"}, {3, 9, "4 5 0 hz"}, {3, 10, "5 0 0 hz"}, {3, 11, "8 0 0 hz"},
        {3, 12, "1 2 0 0 hz"}, {4, 14, "7 0 0 hz"}, {5, 0, "0 0 hz"}, {7, 25, "1 2 5 0 hz"},
        {6, -3, "5 0 hz"}};
    // clang-format on
    for (const auto& [mode, width, clips] : cases) {
        p.currentMode = mode, p.widthCode = width;
        sayBandwidth(p);
        EXPECT_EQ(spoken(), words("bw " + std::string(clips))) << "mode " << mode << " width " << width;
    }
}

TEST_F(SpokenValuesTest, PowerAndKeyerSpeedAreSpokenDigitByDigitWithTheirUnit) {
    const std::pair<int, const char*> cases[] = {{4, "4"},       {10, "1 0"}, {15, "1 5"},
                                                 {100, "1 0 0"}, {0, "0"},    {-5, "5"}};
    for (const auto& [value, digits] : cases) {
        p.powerWatts = p.keyerSpeed = value;
        sayPower(p);
        sayKeyerSpeed(p);
        EXPECT_EQ(spoken(), words(std::string(digits) + " watts " + digits + " wpm")) << value;
    }
}

TEST_F(SpokenValuesTest, BandsAreNamedInMetres) {
    const char* const expected[] = {"metres",    "metres",    "160 metres", "80 metres", "60 metres",
                                    "40 metres", "30 metres", "20 metres",  "17 metres", "15 metres",
                                    "12 metres", "10 metres", "6 metres",   "2 metres",  "70 metres",
                                    "un",        ""};
    for (int row = -1; row <= 15; ++row) {
        p.bandIndex = row;
        sayBand(p);
        EXPECT_EQ(spoken(), words(expected[row + 1])) << "row " << row;
    }
}

}  // namespace
}  // namespace vantor
