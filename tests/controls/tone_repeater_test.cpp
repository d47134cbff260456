#include "controls/tone_repeater.h"

#include "app/radio_startup.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using Clips = std::vector<std::string>;

class ToneRepeaterTest : public testing::PanelTest {
  protected:
    ToneRepeaterTest() { fillBandTable(p), p.topBandCode = "7"; }
};

TEST_F(ToneRepeaterTest, ToneCodesGoToTheRadioAsCtcssOrDcs) {
    struct Case {
        std::string code;
        int dcs, fromKeyboard, stepping;
        std::string commands;
        Clips clips;
    } cases[] = {
        {"012", 0, 1, 0, "CN00012;CT01;", {"ctcss", "on"}},
        {"012", 0, 0, 0, "CN00012;CT01;", {"ctcss", "0", "1", "2"}},
        {"049", 0, 0, 1, "CN00049;CT01;", {}},  // stepping through memories is silent
        {"523", 1, 1, 0, "EX0860;CN01023;CT03;", {"dcs", "on"}},
        {"600", 1, 0, 0, "EX0860;CN01100;CT03;", {"dcs", "on"}},
        {"603", 1, 0, 0, "EX0860;CN01103;CT03;", {"dcs", "on"}},
        {"702", 1, 0, 0, "EX0863;CN01102;CT03;", {"dcs", "on"}},
        {"723", 1, 0, 0, "EX0863;CN01023;CT03;", {"dcs", "on"}},
        {"845", 1, 0, 1, "EX0863;CN01145;CT03;", {}},
        {"12", 0, 0, 0, "", {}},
        {"5x3", 1, 0, 0, "", {}},  // damaged codes send nothing
    };
    for (const auto& c : cases) {
        p.toneCodeText = c.code, p.dcsSelected = c.dcs, p.toneFromKeyboard = c.fromKeyboard;
        p.memoryChannelMode = c.stepping;
        applyToneCode(p);
        EXPECT_EQ(sent(), c.commands) << c.code;
        EXPECT_EQ(spoken(), c.clips) << c.code;
    }
}

TEST_F(ToneRepeaterTest, RepeaterShiftFollowsTheBandAndSwitchesOffAgain) {
    struct Case {
        int band, minus, toneOn, dcs;
        std::string onCommands;
    } cases[] = {
        {10, 1, 0, 0, "OS02;"}, {11, 0, 0, 0, "OS01;"},      {11, 1, 1, 0, "OS02;CT01;"},
        {12, 0, 0, 0, "OS02;"}, {12, 1, 1, 1, "OS02;CT03;"}, {13, 0, 0, 0, "OS01;"},
        {13, 1, 0, 0, "OS02;"},
    };
    for (const auto& c : cases) {
        p.bandIndex = c.band, p.toneOn = c.toneOn, p.dcsSelected = c.dcs, p.repeaterOn = 0;
        p.shift10mMinus = p.shift6mMinus = p.shift2mMinus = p.shift70cmMinus = c.minus;
        toggleRepeater(p);
        EXPECT_EQ(sent(), c.onCommands) << "band " << c.band;
        EXPECT_EQ(spoken(), (Clips{"repeater", "on"}));
        EXPECT_EQ(p.repeaterOn, 1);
        p.splitOn = 1;
        toggleRepeater(p);
        EXPECT_EQ(sent(), "OS00;");
        EXPECT_EQ(spoken(), (Clips{"repeater", "off"}));
        EXPECT_EQ(p.repeaterOn + p.splitOn, 0);
    }
    p.repeaterOn = 2;  // the silent switch-off at connection
    toggleRepeater(p);
    EXPECT_EQ(sent(), "OS00;");
    EXPECT_EQ(spoken(), Clips{});
    p.bandIndex = 6,
    p.commandText = "PA01";  // 20 m has no shift: nothing, not even a stale command, goes out
    toggleRepeater(p);
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(spoken(), (Clips{"repeater", "na"}));
    EXPECT_EQ(p.repeaterOn, 0);
}

TEST_F(ToneRepeaterTest, ShiftFieldCarriesSignAndEightDigits) {
    struct Case {
        int band, minus;
        std::string digits, field;
    } cases[] = {{10, 0, "100", "+00000100"}, {11, 1, "500", "-00000500"}, {13, 1, "7600", "-00007600"},
                 {12, 0, "6x", "+00000006"},  {6, 1, "600", ""},           {14, 0, "600", ""}};
    for (const auto& c : cases) {
        p.bandIndex = c.band, p.shift10mMinus = p.shift6mMinus = p.shift2mMinus = p.shift70cmMinus = c.minus;
        p.shift10mDigits = p.shift6mDigits = p.shift2mDigits = p.shift70cmDigits = c.digits;
        EXPECT_EQ(repeaterShiftField(p), c.field) << c.band << " " << c.digits;
    }
}

TEST_F(ToneRepeaterTest, RepeaterBandRowPutsTheRadioOnFrequencyShiftAndTone) {
    p.bandTable[12] = std::string("57A145500000B-00000600") + "012" + "0";
    p.bandIndex = 12, p.splitOn = p.toneOn = 1, p.tickCount = 7;
    applyBandRow(p);
    EXPECT_EQ(sent(), "FT2;CT00;MD04;NA0;SQ0;FA145500000;OS02;CN00012;CT01;PA00;");
    EXPECT_EQ(spoken(), (Clips{"delay", "delay", "repeater", "on", "2", "metres", "ctcss", "0", "1", "2",
                               "preamp", "off"}));
    EXPECT_EQ(p.currentMode, 7);
    EXPECT_EQ(p.frequencyText + p.splitSavedText + p.toneCodeText, "145.500000A145500000012");
    EXPECT_EQ(p.repeaterOn + p.toneOn, 2);
    EXPECT_EQ(p.splitOn + p.tickCount, 0);
}

TEST_F(ToneRepeaterTest, BandRowsSetToneAndPreampAndSurviveDamage) {
    struct Case {
        int band;
        std::string row, commands, tone;
        int toneOn, dcs;
    } cases[] = {
        {13, "55A439000000B+000076006231", "MD0B;NA0;SQ0;FA439000000;OS01;CN01123;CT03;PA01;", "623", 1, 1},
        {6, "02A014200000B0142000000121", "MD02;NA0;SH014;FA014200000;PA01;", "012", 0,
         1},                                                              // no tone outside FM
        {4, "01A0071", "MD01;NA0;SH014;FA007100000;PA00;", "999", 0, 1},  // the built-in row stands in
        {1, "01A001850000B00185000", "MD01;NA0;SH014;FA001850000;PA00;", "999", 0, 1},
    };
    for (const auto& c : cases) {
        p.bandTable[static_cast<std::size_t>(c.band)] = c.row;
        p.bandIndex = c.band, p.vfoAFrequency = 0, p.toneOn = p.repeaterOn = 0, p.dcsSelected = 1 - c.dcs;
        applyBandRow(p);
        EXPECT_EQ(sent(), c.commands) << c.row;
        EXPECT_EQ(p.toneOn, c.toneOn) << c.row;
        EXPECT_EQ(p.toneCodeText, c.tone) << c.row;
        if (c.toneOn == 1) {
            EXPECT_EQ(p.dcsSelected, c.dcs) << c.row;
        }
        spoken();
    }
}

TEST_F(ToneRepeaterTest, BandStepsWrapAtTheConfiguredTopBand) {
    struct Case {
        std::string top;
        int index, band;
    } cases[] = {{"1", 0, 10}, {"1", 11, 1}, {"6", 0, 11},  {"6", 12, 1},  {"2", 0, 12}, {"2", 13, 1},
                 {"7", 0, 13}, {"7", 14, 1}, {"6", 15, 14}, {"2", 15, 14}, {"?", 0, 11}, {"6", 14, 14}};
    for (const auto& c : cases) {
        p.topBandCode = c.top, p.bandIndex = c.index;
        applyBandRow(p);
        EXPECT_EQ(p.bandIndex, c.band) << "top " << c.top << " row " << c.index;
    }
}

TEST_F(ToneRepeaterTest, TypedMegahertzChooseTheirBandRow) {
    struct Case {
        int mhz, band;
    } cases[] = {{1, 1},    {3, 2},   {5, 3},   {7, 4},   {10, 5},  {14, 6},   {18, 7},   {21, 8},
                 {24, 9},   {28, 10}, {29, 10}, {50, 11}, {54, 11}, {144, 12}, {148, 12}, {430, 13},
                 {439, 13}, {2, 14},  {4, 14},  {30, 14}, {55, 14}, {149, 14}, {429, 14}};
    for (const auto& c : cases) {
        p.enteredNumber = c.mhz, p.splitOn = p.toneOn = 1, p.toneCodeText = "012";
        bandForEnteredMhz(p);
        EXPECT_EQ(p.bandIndex, c.band) << c.mhz;
        EXPECT_EQ(p.toneOn, 0);
        EXPECT_EQ(p.toneCodeText, "999");
        EXPECT_EQ(p.splitOn, c.band == 14 ? 0 : 1) << c.mhz;
        EXPECT_EQ(sent(), c.band == 14 ? "CT00;FT2;" : "CT00;") << c.mhz;
    }
}

}  // namespace
}  // namespace vantor
