#include "controls/tone_repeater.h"

#include "app/radio_startup.h"
#include "support/transcript.h"

namespace vantor {
namespace {

using testing::Clips;

class ToneRepeaterTest : public testing::PanelTest {
  protected:
    ToneRepeaterTest() { fillBandTable(p), p.topBandCode = "7", p.radioModel = 670; }
};

class ToneOnRadioTest : public testing::TranscriptTest {};

// The polarity goes only where menu 086 holds it; elsewhere the code is set
// without it and that menu keeps what it had.
TEST_F(ToneOnRadioTest, DcsPolarityGoesOnlyToTheRadiosThatKeepItInMenu086) {
    // clang-format off
    const std::tuple<int, const char*, const char*, const char*> cases[] = {
        // model, code, commands, menu 086 afterwards on the radios with three-digit menus
        {670, "723", "EX0863; CN01023; CT03;", "3"}, {570, "523", "EX0860; CN01023; CT03;", "0"},
        {462, "723", "CN01023; CT03;", "0100"}, {362, "523", "CN01023; CT03;", "0100"},
        {650, "523", "CN01023; CT03;", nullptr}, {681, "723", "CN01023; CT03;", nullptr}};
    // clang-format on
    for (const auto& [model, code, commands, menu] : cases) {
        useModel(model);
        radio->handle("EX0860100;");
        p.toneCodeText = code, p.dcsSelected = 1, p.memoryChannelMode = 1;
        applyToneCode(p);
        EXPECT_EQ(transcript(), commands) << model;
        if (menu) {
            EXPECT_EQ(radio->menu("086"), menu) << model;
        }
    }
}

// Stepping through memories is silent; damaged codes send nothing.
TEST_F(ToneRepeaterTest, ToneCodesGoToTheRadioAsCtcssOrDcs) {
    // clang-format off
    const std::tuple<const char*, int, int, int, const char*, Clips> cases[] = {
        {"012", 0, 1, 0, "CN00012;CT01;", {"ctcss", "on"}}, {"049", 0, 0, 1, "CN00049;CT01;", {}},
        {"012", 0, 0, 0, "CN00012;CT01;", {"ctcss", "0", "1", "2"}}, {"12", 0, 0, 0, "", {}},
        {"523", 1, 1, 0, "EX0860;CN01023;CT03;", {"dcs", "on"}}, {"5x3", 1, 0, 0, "", {}},
        {"600", 1, 0, 0, "EX0860;CN01100;CT03;", {"dcs", "on"}},
        {"702", 1, 0, 0, "EX0863;CN01102;CT03;", {"dcs", "on"}},
        {"723", 1, 0, 0, "EX0863;CN01023;CT03;", {"dcs", "on"}},
        {"845", 1, 0, 1, "EX0863;CN01145;CT03;", {}}};
    // clang-format on
    for (const auto& [code, dcs, typed, step, commands, clips] : cases) {
        p.toneCodeText = code, p.dcsSelected = dcs, p.toneFromKeyboard = typed, p.memoryChannelMode = step;
        applyToneCode(p);
        EXPECT_EQ(sent(), commands) << code;
        EXPECT_EQ(spoken(), clips) << code;
    }
}

// Each row toggles once, split on and a stale command waiting. On 10 m and 2 m the radio
// always takes the downward shift, whatever the band row's field says; 20 m has no shift and
// then nothing goes out. Switching off ends split, and tells the radio; a pending switch-off
// (2) is silent.
TEST_F(ToneRepeaterTest, RepeaterShiftFollowsTheBandAndSwitchesOffAgain) {
    // clang-format off
    const std::tuple<int, int, int, int, int, const char*, const char*, Clips, const char*> cases[] = {
        // band, minus, tone, dcs, repeater before, shift digits, commands, clips, row field
        {10, 0, 0, 0, 0, "100", "OS02;", {"repeater", "on"}, "+00000100"},
        {11, 0, 0, 0, 0, "1000", "OS01;", {"repeater", "on"}, "+00001000"},
        {11, 1, 1, 0, 0, "500", "OS02;CT01;", {"repeater", "on"}, "-00000500"},
        {12, 0, 0, 0, 0, "6x", "OS02;", {"repeater", "on"}, "+00000006"},
        {12, 1, 1, 1, 0, "600", "OS02;CT03;", {"repeater", "on"}, "-00000600"},
        {13, 0, 0, 0, 0, "5000", "OS01;", {"repeater", "on"}, "+00005000"},
        {13, 1, 0, 0, 0, "7600", "OS02;", {"repeater", "on"}, "-00007600"},
        {12, 1, 1, 0, 1, "600", "FT2;OS00;", {"repeater", "off"}, "-00000600"},
        {12, 1, 0, 0, 2, "600", "FT2;OS00;", {}, "-00000600"},
        {6, 0, 0, 0, 0, "600", "", {"repeater", "na"}, ""},
        {14, 0, 0, 0, 0, "600", "", {"repeater", "na"}, ""}};
    // clang-format on
    for (const auto& [band, minus, toneOn, dcs, before, digits, commands, clips, field] : cases) {
        p.bandIndex = band, p.toneOn = toneOn, p.dcsSelected = dcs, p.repeaterOn = before, p.splitOn = 1;
        p.shift10mMinus = p.shift6mMinus = p.shift2mMinus = p.shift70cmMinus = minus;
        p.shift10mDigits = p.shift6mDigits = p.shift2mDigits = p.shift70cmDigits = digits;
        p.commandText = "PA01";
        EXPECT_EQ(repeaterShiftField(p), field) << "band " << band;
        toggleRepeater(p);
        EXPECT_EQ(sent(), commands) << "band " << band << " before " << before;
        EXPECT_EQ(spoken(), clips) << "band " << band << " before " << before;
        EXPECT_EQ(p.repeaterOn, (clips == Clips{"repeater", "on"})) << "band " << band;
        EXPECT_EQ(p.splitOn, before ? 0 : 1) << "band " << band;
    }
}

// Split and tone end first; no tone outside FM; a damaged row (short, no mode digit, 0 Hz)
// gives way to the built-in one. Without a tone DCS stays as it was.
TEST_F(ToneRepeaterTest, BandRowsPutTheRadioOnFrequencyShiftToneAndPreamp) {
    // clang-format off
    const std::tuple<int, const char*, const char*, const char*, const char*, int> cases[] = {
        {13, "55A439000000B+000076006231", "MD0B;NA00;SQ0;FA439000000;OS01;CN01123;CT03;PA01;",
         "delay delay repeater on 70 metres dcs 6 2 3 preamp on", "623 on", 1},
        {6, "02A014200000B0142000000121", "MD02;NA00;FA014200000;SH014;PA01;", "20 metres preamp on",
         "012 off", 0},
        {4, "01A0071", "MD01;NA00;FA007100000;SH014;PA00;", "40 metres preamp off", "999 off", 1},
        {4, "08A007150000B0071500009990", "MD01;NA00;FA007100000;SH014;PA00;", "40 metres preamp off", "999 off", 1},
        {6, "02A000000000B0142000009991", "MD02;NA00;FA014200000;SH014;PA01;", "20 metres preamp on", "999 off", 1},
        {6, "02A014200000B0142000009992", "MD02;NA00;FA014200000;SH014;PA02;", "20 metres preamp on", "999 off", 1},
        {1, "01A001850000B00185000", "MD01;NA00;FA001850000;SH014;PA00;", "160 metres preamp off",
         "999 off", 0},
        {12, "57A145500000B-000006000120", "MD04;NA00;SQ0;FA145500000;OS02;CN00012;CT01;PA00;",
         "delay delay repeater on 2 metres ctcss 0 1 2 preamp off", "012 on", 0}};
    // clang-format on
    for (const auto& [band, row, commands, clips, tone, dcs] : cases) {
        p.bandTable[band] = row, p.bandIndex = band, p.tickCount = 7;
        p.splitOn = p.toneOn = 1, p.repeaterOn = 0, p.dcsSelected = 1 - dcs;
        applyBandRow(p);
        EXPECT_EQ(sent(), "FT2;CT00;" + std::string(commands)) << row;
        std::string said;
        for (const auto& clip : spoken()) said += (said.empty() ? "" : " ") + clip;
        EXPECT_EQ(said, clips) << row;
        EXPECT_EQ(p.toneCodeText + (p.toneOn ? " on" : " off"), tone) << row;
        EXPECT_EQ(p.dcsSelected, p.toneOn ? dcs : 1 - dcs) << row;
        EXPECT_EQ(p.splitOn + p.tickCount, 0) << row;
    }
    // The last, the 2 m repeater row.
    EXPECT_EQ(p.currentMode, 7);
    EXPECT_EQ(p.frequencyText + p.splitSavedText, "145.500000A145500000");
    EXPECT_EQ(p.repeaterOn, 1);
}

// Row 0 (a band step down from 160 m) is the top band; a row above the top band is general coverage.
TEST_F(ToneRepeaterTest, BandRowsBeyondTheConfiguredTopBandAreNeverApplied) {
    // clang-format off
    const std::tuple<const char*, int, int> cases[] = {
        {"1", 0, 10}, {"1", 11, 14}, {"1", 13, 14}, {"6", 0, 11}, {"6", 12, 14}, {"2", 0, 12}, {"2", 13, 14},
        {"7", 0, 13}, {"7", 13, 13}, {"7", 14, 14}, {"6", 15, 14}, {"2", 15, 14}, {"?", 0, 11}, {"6", 14, 14}};
    // clang-format on
    for (const auto& [top, index, band] : cases) {
        p.topBandCode = top, p.bandIndex = index;
        applyBandRow(p);
        EXPECT_EQ(p.bandIndex, band) << "top " << top << " row " << index;
    }
}

// Outside the bands (14) split ends as well as the tone.
TEST_F(ToneRepeaterTest, TypedMegahertzChooseTheirBandRow) {
    // clang-format off
    const std::pair<int, int> cases[] = {
        {1, 1}, {3, 2}, {5, 3}, {7, 4}, {10, 5}, {14, 6}, {18, 7}, {21, 8}, {24, 9}, {28, 10}, {29, 10},
        {50, 11}, {54, 11}, {144, 12}, {148, 12}, {430, 13}, {439, 13}, {440, 13}, {449, 13}, {2, 14}, {4, 14},
        {30, 14}, {55, 14}, {149, 14}, {429, 14}, {450, 14}, {999, 14}};
    // clang-format on
    for (const auto& [mhz, band] : cases) {
        p.enteredNumber = mhz, p.splitOn = p.toneOn = 1, p.toneCodeText = "012";
        bandForEnteredMhz(p);
        EXPECT_EQ(p.bandIndex, band) << mhz;
        EXPECT_EQ(sent(), band == 14 ? "CT00;FT2;" : "CT00;") << mhz;
        EXPECT_EQ(p.splitOn, band == 14 ? 0 : 1) << mhz;
        EXPECT_EQ(p.toneCodeText + (p.toneOn ? " on" : " off"), "999 off");
    }
}

}  // namespace
}  // namespace vantor
