#include "speech/spoken_values.h"

#include "support/panel_fixture.h"

namespace vantor {
namespace {

using Clips = std::vector<std::string>;

class SpokenValuesTest : public testing::PanelTest {};

TEST_F(SpokenValuesTest, ModesAreNamedAndModeAndFrequencyAreSilentOnAMemoryChannel) {
    struct Case {
        int mode;
        Clips clips;
    } cases[] = {
        {1, {"lsb.wav"}},  {2, {"usb.wav"}}, {3, {"cw.wav"}}, {4, {"am.wav"}}, {5, {"fm.wav", "nar.wav"}},
        {6, {"c4fm.wav"}}, {7, {"fm.wav"}},  {0, {}},         {8, {}},
    };
    for (const auto& c : cases) {
        p.currentMode = c.mode;
        p.memoryChannelMode = 0;
        sayMode(p);
        EXPECT_EQ(spoken(), c.clips) << "mode " << c.mode;
        p.memoryChannelMode = 1;
        sayMode(p);
        EXPECT_EQ(spoken(), Clips{}) << "mode " << c.mode << " on a memory channel";
    }
    for (const char* text : {" 14.200000", ""}) {  // not even "nc"
        p.frequencyText = text;
        sayFrequency(p);
        EXPECT_EQ(spoken(), Clips{}) << "\"" << text << "\" on a memory channel";
    }
}

TEST_F(SpokenValuesTest, FrequencyTextsAreReadDigitByDigit) {
    struct Case {
        std::string text;
        Clips clips;
    } cases[] = {
        {" 14.200000", {"1", "4", "point", "2", "mhz"}},
        {"  7.074000", {"7", "point", "0", "7", "4", "mhz"}},
        {" 21.000000", {"2", "1", "mhz"}},
        {"145.612500", {"1", "4", "5", "point", "6", "1", "2", "5", "mhz"}},
        {" 10.100000", {"1", "0", "point", "1", "mhz"}},
        {"  3.500100", {"3", "point", "5", "0", "0", "1", "mhz"}},
        {"   .475000", {"point", "4", "7", "5", "mhz"}},
        // Texts put there by the keyboard, without the blanks.
        {"7.074000", {"7", "point", "0", "7", "4", "mhz"}},
        {"50.000000", {"5", "0", "mhz"}},
        {"014.200000", {"1", "4", "point", "2", "mhz"}},
        {"14", {"1", "4", "mhz"}},
        {"7.", {"7", "mhz"}},
        // Nothing after the eleventh column is read.
        {"  7.0740001234", {"7", "point", "0", "7", "4", "0", "0", "0", "1", "mhz"}},
        {"  7.0000000999", {"7", "mhz"}},
        {"", {"nc"}},
    };
    for (const auto& c : cases) {
        p.frequencyText = c.text;
        sayFrequency(p);
        EXPECT_EQ(spoken(), c.clips) << "\"" << c.text << "\"";
    }
}

TEST_F(SpokenValuesTest, ContextWordComesBeforeTheFrequency) {
    struct Case {
        int split, repeater, txReadout;
        Clips words;
    } cases[] = {
        {0, 0, 0, {}},           {1, 0, 0, {"vfob"}},
        {0, 1, 0, {"repeater"}}, {0, 1, 1, {"repeater", "tx"}},
        {1, 1, 1, {"tx"}},       {1, 1, 0, {}},
        {1, 0, 1, {}},           {0, 2, 1, {}},  // a pending switch-off is not "on"
        {1, 2, 0, {}},
    };
    for (const auto& c : cases) {
        p.splitOn = c.split;
        p.repeaterOn = c.repeater;
        p.txFrequencyReadout = c.txReadout;
        p.frequencyText = "145.600000";
        sayFrequency(p);
        Clips expected = c.words;
        for (const char* clip : {"1", "4", "5", "point", "6", "mhz"}) expected.push_back(clip);
        EXPECT_EQ(spoken(), expected) << c.split << c.repeater << c.txReadout;
        p.frequencyText = "";
        sayFrequency(p);
        EXPECT_EQ(spoken(), Clips{"nc"}) << "no context word without a frequency";
    }
}

TEST_F(SpokenValuesTest, WidthIsKilohertzInSidebandAndHertzOtherwise) {
    struct Case {
        int mode, width;
        Clips clips;
    } cases[] = {
        {1, 9, {"bw", "1.wav", "point", "8.wav", "khz"}},
        {1, 10, {"bw", "1.wav", "point", "9.wav", "khz"}},
        {2, 11, {"bw", "2.wav", "point", "1", "khz"}},
        {2, 15, {"bw", "2.wav", "point", "5", "khz"}},
        {1, 19, {"bw", "2.wav", "point", "9", "khz"}},
        {1, 20, {"bw", "3.wav", "point", "0.wav", "khz"}},
        {2, 21, {"bw", "3.wav", "point", "1.wav", "khz"}},
        {1, 8, {"bw", "1.wav", "point", "khz"}},
        {1, 25, {"bw", "3.wav", "point", "khz"}},
        {3, 1, {"bw", "5", "0", "hz"}},
        {3, 2, {"bw", "1", "0", "0", "hz"}},
        {3, 9, {"bw", "4", "5", "0", "hz"}},
        {3, 10, {"bw", "5", "0", "0", "hz"}},
        {3, 11, {"bw", "8", "0", "0", "hz"}},
        {3, 12, {"bw", "1", "2", "0", "0", "hz"}},
        {4, 14, {"bw", "7", "0", "0", "hz"}},
        {5, 0, {"bw", "0", "0", "hz"}},
        {7, 25, {"bw", "1", "2", "5", "0", "hz"}},
        {6, -3, {"bw", "5", "0", "hz"}},
    };
    for (const auto& c : cases) {
        p.currentMode = c.mode;
        p.widthCode = c.width;
        sayBandwidth(p);
        EXPECT_EQ(spoken(), c.clips) << "mode " << c.mode << " width " << c.width;
    }
}

TEST_F(SpokenValuesTest, NumbersAreSpokenDigitByDigitWithTheirUnit) {
    struct Case {
        int value;
        Clips power, speed;
    } cases[] = {
        {4, {"4", "watts"}, {"4", "wpm"}},
        {9, {"9", "watts"}, {"9", "wpm"}},
        {10, {"1", "0", "watts"}, {"1", "0", "wpm"}},
        {15, {"1", "5", "watts"}, {"1", "5", "wpm"}},
        {60, {"6", "0", "watts"}, {"6", "0", "wpm"}},
        {100, {"1", "0", "0", "watts"}, {"1", "0", "0", "wpm"}},
        {200, {"2", "0", "0", "watts"}, {"2", "0", "0", "wpm"}},
        {0, {"0", "watts"}, {"0", "wpm"}},
        {-5, {"5", "watts"}, {"5", "wpm"}},
    };
    for (const auto& c : cases) {
        p.powerWatts = c.value;
        sayPower(p);
        EXPECT_EQ(spoken(), c.power) << c.value << " watts";
        p.keyerSpeed = c.value;
        sayKeyerSpeed(p);
        EXPECT_EQ(spoken(), c.speed) << c.value << " wpm";
    }
}

TEST_F(SpokenValuesTest, BandsAreNamedInMetres) {
    const Clips names = {"160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6", "2", "70"};
    for (int row = 1; row <= 13; ++row) {
        p.bandIndex = row;
        sayBand(p);
        EXPECT_EQ(spoken(), (Clips{names[row - 1], "metres"})) << "row " << row;
    }
    struct Case {
        int row;
        Clips clips;
    } edges[] = {{14, {"un"}}, {0, {"metres"}}, {-1, {"metres"}}, {15, {}}};
    for (const auto& c : edges) {
        p.bandIndex = c.row;
        sayBand(p);
        EXPECT_EQ(spoken(), c.clips) << "row " << c.row;
    }
}

}  // namespace
}  // namespace vantor
