#include "display/status_window.h"

#include "app/radio_startup.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

class StatusWindowTest : public testing::PanelTest {
protected:
    StatusWindowTest() {
        fillBandTable(p);
        p.vfoAFrequency = 7100000;
    }
    std::string featureAt(int x) { return fake.screen.textAt(x, kFeatureY); }
};

// Each mode is sent, shown and learnt by the 40 m row; CW sends its own width.
TEST_F(StatusWindowTest, EachModeSendsItsCommandsAndShowsItsName) {
    // clang-format off
    const std::tuple<int, int, const char*, const char*> cases[] = {  // mode, CW width, sent, shown
        {1, 11, "MD01;NA00;FA007100000;SH014;", "LSB    "}, {2, 11, "MD02;NA00;FA007100000;SH014;", "USB    "},
        {3, 11, "MD03;NA00;FA007100000;SH011;", "CW      "}, {3, 10, "MD03;NA01;FA007100000;SH010;", "CW      "},
        {3, 12, "MD03;NA00;FA007100000;SH012;", "CW      "}, {4, 11, "MD05;NA00;FA007100000;", "AM     "},
        {6, 11, "MD0E;NA00;FA007100000;", "C4FM  "}};
    // clang-format on
    for (const auto& [mode, cwWidth, commands, shown] : cases) {
        p.currentMode = mode, p.cwWidthCode = cwWidth;
        showMode(p);
        EXPECT_EQ(sent(), commands) << "mode " << mode;
        EXPECT_EQ(fake.screen.textAt(kModeX, kModeY), shown);
        EXPECT_EQ(p.bandTable[4][1], static_cast<char>('0' + mode));
    }
}

// A stale reply is read and dropped first; no answer, or one without the three
// digits the squelch command needs, keeps the last value.
TEST_F(StatusWindowTest, FmModesReadTheSquelchBackInsteadOfResendingTheFrequency) {
    // clang-format off
    const std::tuple<int, const char*, const char*, const char*, int> cases[] = {
        // mode, the radio's answer to SQ0;, sent, shown, squelch afterwards
        {7, "SQ0012;", "MD04;NA00;SQ0;", "FM      ", 12}, {5, "?;", "MD0B;NA00;SQ0;", "FMN     ", 12},
        {7, "SQ0;;;;", "MD04;NA00;SQ0;", "FM      ", 12}, {5, "SQ00x5;", "MD0B;NA00;SQ0;", "FMN     ", 12},
        {7, "SQ01;", "MD04;NA00;SQ0;", "FM      ", 12},   {5, "SQ0020;", "MD0B;NA00;SQ0;", "FMN     ", 20}};
    // clang-format on
    for (const auto& [mode, answer, commands, shown, squelch] : cases) {
        fake.serial.setResponder(1,
                                 [answer](std::string_view bytes) { return bytes == "SQ0;" ? answer : ""; });
        fake.serial.pushIncoming(1, "FA007100000;");
        p.currentMode = mode;
        showMode(p);
        EXPECT_EQ(sent(), commands) << answer;
        EXPECT_EQ(p.squelchLevel, squelch) << answer;
        EXPECT_EQ(fake.screen.textAt(kModeX, kModeY), shown);
    }
}

// A tone is switched off first; modes from the bridge are neither sent back nor
// learnt; without a known frequency the radio is not tuned to 0 Hz; an unknown
// mode sends nothing.
TEST_F(StatusWindowTest, WhatGoesWithAModeDependsOnToneBridgeAndFrequency) {
    p.toneOn = 1, p.toneCodeText = "012", p.currentMode = 2;
    showMode(p);
    EXPECT_EQ(sent(), "CT00;MD02;NA00;FA007100000;SH014;");
    EXPECT_EQ(p.toneOn, 0);
    EXPECT_EQ(p.toneCodeText, "999");
    p.bandTable[4][1] = '1', p.externalCommand = 1;
    showModeName(p);
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(p.bandTable[4][1], '1');
    EXPECT_EQ(fake.screen.textAt(kModeX, kModeY), "USB    ");
    p.externalCommand = 0, p.vfoAFrequency = 0;
    showMode(p);
    EXPECT_EQ(sent(), "MD02;NA00;SH014;");
    p.currentMode = 0;
    showMode(p);
    EXPECT_EQ(sent(), "");
}

// In CW break-in takes VOX's place and there is no processor; the tone field
// shows a CTCSS tone, or a DCS code once one is selected.
TEST_F(StatusWindowTest, FeatureRowShowsEachSwitchAtItsPlace) {
    showFeatures(p);
    EXPECT_EQ(featureAt(40), std::string(12, ' '));
    EXPECT_EQ(featureAt(780), std::string(30, ' '));
    p.preampOn = p.attOn = p.nbOn = p.nrOn = p.notchOn = p.contourState = p.processorOn = p.voxOn = 1;
    p.monitorOn = 1, p.currentMode = 2, p.toneCodeText = "088";
    showFeatures(p);
    for (auto [x, text] : std::vector<std::pair<int, std::string>>{
             {40, "preamp "}, {170, "att"}, {240, "nb"}, {310, "nr"}, {360, "notch"}, {460, "Cont."},
             {550, "spc"}, {620, "vox"}, {690, "mon"}, {780, "ctcss=088" + std::string(13, ' ')}})
        EXPECT_EQ(featureAt(x), text) << x;
    EXPECT_EQ(fake.screen.prints.back().points, 20);
    p.currentMode = 3, p.breakInOn = 0, p.toneCodeText = "512";
    showFeatures(p);
    EXPECT_EQ(featureAt(620), std::string(5, ' '));
    EXPECT_EQ(featureAt(550), std::string(7, ' '));
    EXPECT_EQ(featureAt(780), std::string(28, ' '));
    p.dcsSelected = 1;
    showFeatures(p);
    EXPECT_EQ(featureAt(780), "dcs=512" + std::string(14, ' '));
}

}  // namespace
}  // namespace vantor
