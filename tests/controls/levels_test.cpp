#include "controls/levels.h"

#include "core/text.h"
#include "support/transcript.h"

namespace vantor {
namespace {

class LevelsTest : public testing::TranscriptTest {};

// Every stepped value is kept within its range before it is sent, the radio takes it, and
// "max"/"min" come where the operator needs them (after the command for power down and RF gain).
TEST_F(LevelsTest, EveryLevelKeepsToItsRangeAndSaysItsEnds) {
    struct Case {
        int prefix, target, model, mode;
        int Panel::*field;
        int before, up, after;
        const char* transcript;
        const char* setting;  // the radio's record of the value
    };
    using P = Panel;
    // clang-format off
    const Case cases[] = {
        {0, 0, 670, 2, &P::vfoAFrequency, 1000, 0, 1000, "", nullptr},
        {3, 0, 670, 2, &P::powerWatts, 5, 1, 10, "PC010;", "PC"},
        {3, 0, 670, 2, &P::powerWatts, 100, 1, 100, "max PC100;", "PC"},
        {3, 0, 670, 2, &P::powerWatts, 10, 0, 5, "PC005; min", "PC"},
        {3, 0, 670, 2, &P::powerWatts, 5, 0, 5, "PC005; min", "PC"},
        {3, 0, 670, 2, &P::powerWatts, 12, 0, 5, "PC005; min", "PC"},
        {3, 0, 670, 2, &P::powerWatts, 999, 0, 100, "PC100;", "PC"},
        {4, 0, 670, 2, &P::rfGain, 20, 0, 0, "RG0000; min", "RG0"},
        {4, 0, 670, 2, &P::rfGain, 240, 1, 255, "RG0255; max", "RG0"},
        {4, 0, 670, 2, &P::rfGain, 40, 0, 20, "RG0020;", "RG0"},
        {4, 0, 670, 2, &P::rfGain, 255, 0, 235, "RG0235;", "RG0"},
        {7, 0, 670, 2, &P::afGain, 0, 0, 0, "AG0000;", "AG0"},
        {7, 0, 670, 2, &P::afGain, 255, 1, 250, "max AG0250;", "AG0"},
        {10, 2, 670, 2, &P::nbLevel, 9, 1, 10, "NL0010;", "NL0"},
        {10, 2, 670, 2, &P::nbLevel, 10, 1, 10, "max NL0010;", "NL0"},
        {10, 2, 670, 2, &P::nbLevel, 1, 0, 0, "min NL0000;", "NL0"},
        {10, 3, 241, 2, &P::nrLevel, 10, 1, 11, "max RL011;", "RL0"},
        {10, 3, 241, 2, &P::nrLevel, 11, 1, 11, "max RL011;", "RL0"},
        {10, 3, 670, 2, &P::nrLevel, 14, 1, 15, "max RL015;", "RL0"},
        {10, 3, 670, 2, &P::nrLevel, 2, 0, 1, "RL001;", "RL0"},
        {10, 3, 670, 2, &P::nrLevel, 1, 0, 1, "min RL001;", "RL0"},
        {10, 4, 670, 2, &P::contourFrequency, 100, 0, 10, "min CO010010;", "CO01"},
        {10, 4, 670, 2, &P::contourFrequency, 10, 1, 110, "CO010110;", "CO01"},
        {10, 4, 670, 2, &P::contourFrequency, 3100, 1, 3200, "max CO013200;", "CO01"},
        {10, 5, 670, 2, &P::processorLevel, 90, 1, 100, "PL100;", "PL"},
        {10, 5, 670, 2, &P::processorLevel, 100, 1, 100, "max PL100;", "PL"},
        {10, 5, 362, 2, &P::processorLevel, 240, 1, 250, "max PL250;", "PL"},
        {10, 5, 670, 2, &P::processorLevel, 10, 0, 0, "min PL000;", "PL"},
        {10, 0, 670, 2, &P::nbLevel, 5, 1, 5, "lev na", nullptr},
        {10, 0, 670, 2, &P::nbLevel, 5, 0, 5, "lev na", nullptr},
        {8, 0, 670, 2, &P::nbLevel, 5, 1, 5, "", nullptr},
        {11, 0, 670, 2, &P::keyerSpeed, 60, 1, 60, "max KS060;", "KS"},
        {11, 0, 670, 2, &P::keyerSpeed, 20, 1, 21, "KS021;", "KS"},
        {11, 0, 670, 2, &P::keyerSpeed, 20, 0, 19, "KS019;", "KS"},
        {11, 0, 670, 2, &P::keyerSpeed, 4, 0, 4, "min KS004;", "KS"},
        {12, 0, 670, 2, &P::micGainValue, 99, 1, 100, "MG100;", "MG"},
        {12, 0, 670, 2, &P::micGainValue, 100, 1, 100, "max MG100;", "MG"},
        {12, 0, 670, 2, &P::micGainValue, 0, 0, 0, "min MG000;", "MG"},
        {2, 0, 670, 2, &P::widthCode, 21, 1, 21, "max SH021;", "SH0"},
        {2, 0, 670, 1, &P::widthCode, 9, 0, 9, "min SH009;", "SH0"},
        {2, 0, 670, 3, &P::widthCode, 10, 1, 11, "NA00; SH011;", "SH0"},
        {2, 0, 670, 3, &P::widthCode, 11, 0, 10, "NA01; SH010;", "SH0"},
        {2, 0, 670, 3, &P::widthCode, 12, 1, 12, "max SH012;", "SH0"},
        {2, 0, 670, 3, &P::widthCode, 1, 0, 1, "min SH001;", "SH0"},
        {2, 0, 670, 4, &P::widthCode, 21, 1, 21, "SH021;", "SH0"},
        {2, 0, 681, 2, &P::widthCode, 14, 1, 15, "SH0015;", "SH00"},
        {2, 0, 682, 3, &P::widthCode, 11, 0, 10, "NA01; SH0010;", "SH00"},
        {2, 0, 761, 1, &P::widthCode, 9, 0, 9, "min SH0009;", "SH00"},
        {2, 0, 800, 2, &P::widthCode, 20, 1, 21, "max SH0021;", "SH00"},
        {2, 0, 840, 3, &P::widthCode, 10, 1, 11, "NA00; SH0011;", "SH00"},
        {2, 0, 462, 2, &P::widthCode, 14, 0, 13, "SH013;", "SH0"},
        {2, 0, 241, 3, &P::widthCode, 5, 1, 6, "SH006;", "SH0"}};
    // clang-format on
    for (const auto& c : cases) {
        useModel(c.model);
        p.keyPrefix = c.prefix, p.levelTarget = c.target, p.currentMode = c.mode, p.*c.field = c.before;
        p.powerMaxWatts = 100, p.contourState = 1, p.alcPeak = 7;
        c.up ? levelUp(p) : levelDown(p);
        EXPECT_EQ(transcript(), c.transcript) << c.prefix << "/" << c.target << " from " << c.before;
        EXPECT_EQ(p.*c.field, c.after) << c.prefix << "/" << c.target << " from " << c.before;
        if (c.setting) {
            EXPECT_EQ(radio->setting(c.setting), c.after) << c.setting;
        }
        // The narrow filter follows the CW width across code 11.
        if (std::string(c.transcript).find("NA0") != std::string::npos) {
            EXPECT_EQ(radio->setting("NA0"), c.after < 11 ? 1 : 0) << c.transcript;
        }
        if (c.prefix == 2 && c.mode < 4) {
            EXPECT_EQ(c.mode == 3 ? p.cwWidthCode : p.ssbWidthCode, c.after);
        }
        EXPECT_EQ(p.alcPeak, c.prefix == 12 ? 0 : 7);
    }
    // Peak instead of contour; a 200-watt radio.
    p.keyPrefix = 10, p.levelTarget = 4, p.contourState = 2, p.contourFrequency = 800;
    levelUp(p);
    EXPECT_EQ(transcript(), "CO030900;");
    p.keyPrefix = 3, p.powerMaxWatts = 200;
    const std::pair<int, const char*> twoHundredWatts[] = {
        {100, "PC110;"}, {190, "max PC200;"}, {200, "max PC200;"}};
    for (const auto& [watts, said] : twoHundredWatts) {
        p.powerWatts = watts;
        levelUp(p);
        EXPECT_EQ(transcript(), said) << watts;
    }
}

// Band steps never reach a band above the radio's top band; band up passes general
// coverage (row 14) on its way round and says so before the band.
TEST_F(LevelsTest, BandStepsKeepToTheRadiosBands) {
    // clang-format off
    const std::tuple<const char*, int, bool, int> cases[] = {
        {"1", 10, true, 14}, {"6", 11, true, 14}, {"2", 12, true, 14}, {"7", 13, true, 14},
        {"6", 9, true, 10}, {"1", 14, true, 1}, {"1", 12, true, 14}, {"1", 1, false, 10},
        {"6", 1, false, 11}, {"2", 1, false, 12}, {"7", 1, false, 13}, {"1", 14, false, 10},
        {"7", 14, false, 13}, {"?", 14, false, 11}, {"1", 12, false, 10}};
    // clang-format on
    for (const auto& [top, from, up, to] : cases) {
        p.topBandCode = top, p.bandIndex = from, p.keyPrefix = 1;
        up ? levelUp(p) : levelDown(p);
        const std::string said = transcript();
        EXPECT_EQ(p.bandIndex, to) << top << " from " << from;
        EXPECT_EQ(said.rfind("band un ", 0) == 0, up && to == 14) << said;
        const std::string row = p.bandTable[static_cast<std::size_t>(to)];
        EXPECT_NE(said.find("FA" + mid(row, 4, 9) + ";"), std::string::npos) << said;
    }
    // The band left keeps the operator's frequency; a tone in force goes off at the radio too.
    p.bandIndex = 4, p.currentMode = 1, p.vfoAFrequency = 7123000;
    p.toneOn = 1, p.toneCodeText = "012";
    levelUp(p);
    EXPECT_EQ(mid(p.bandTable[4], 4, 9), "007123000");
    EXPECT_NE(transcript().find("CT00;"), std::string::npos);
    EXPECT_EQ(p.toneOn, 0);
}

}  // namespace
}  // namespace vantor
