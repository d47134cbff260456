#include "controls/toggles.h"

#include "display/status_window.h"
#include "panel/level_keys.h"
#include "support/panel_fixture.h"
#include "support/transcript.h"

namespace vantor {
namespace {

class TogglesTest : public testing::PanelTest {};

TEST_F(TogglesTest, PreampSwitchesWithTheChosenAmplifierAndReleasesItsLevelKeys) {
    struct Case {
        int on, level, target;
        std::string command, state;
        int levelAfter, targetAfter;
    } cases[] = {
        {0, 1, 0, "PA01;", "on", 1, 1},   // F1
        {0, 2, 3, "PA02;", "on", 2, 1},   // level-up forces the second amplifier
        {1, 2, 1, "PA00;", "off", 0, 0},  //
        {1, 1, 3, "PA00;", "off", 0, 3},  // the level keys stay with another feature
    };
    for (const auto& c : cases) {
        p.preampOn = c.on, p.preampLevel = c.level, p.levelTarget = c.target;
        togglePreamp(p);
        EXPECT_EQ(sent(), c.command);
        EXPECT_EQ(spoken(), (std::vector<std::string>{"preamp", c.state}));
        EXPECT_EQ(p.preampOn, 1 - c.on);
        EXPECT_EQ(p.preampLevel, c.levelAfter);
        EXPECT_EQ(p.levelTarget, c.targetAfter);
        EXPECT_EQ(fake.screen.textAt(40, kFeatureY), c.on ? std::string(12, ' ') : "preamp ");
    }
}

class FeatureTogglesTest : public testing::TranscriptTest {};

// The operator hears the feature and its new state before the radio is told. The level keys go
// to the feature switched on last and come back only from that one; the processor has no
// command on model 241 and a short one on 251 and 362; nrOn 9 (the radio never said) is
// switched off without a word.
TEST_F(FeatureTogglesTest, FeaturesSwitchAfterTheirWordsAndHandOverTheLevelKeys) {
    struct Case {
        void (*toggle)(Panel&);
        int model, band;
        int Panel::*flag;
        int before, targetBefore;
        const char* transcript;
        int after, targetAfter;
        const char* setting;  // the radio's record of the switch
    };
    using P = Panel;
    // clang-format off
    const Case cases[] = {
        {toggleAttenuator, 670, 11, &P::attOn, 0, 3, "at on RA01;", 1, 3, "RA0"},
        {toggleAttenuator, 670, 12, &P::attOn, 0, 3, "at na", 0, 3, "RA0"},
        {toggleNoiseBlanker, 670, 4, &P::nbOn, 0, 3, "nb on NB01; NL0;", 1, 2, "NB0"},
        {toggleNoiseBlanker, 670, 4, &P::nbOn, 1, 3, "nb off NB00;", 0, 3, "NB0"},
        {toggleNoiseBlanker, 670, 4, &P::nbOn, 1, 2, "nb off NB00;", 0, 0, "NB0"},
        {toggleNoiseReduction, 670, 4, &P::nrOn, 0, 2, "nr on NR01; RL0;", 1, 3, "NR0"},
        {toggleNoiseReduction, 670, 4, &P::nrOn, 1, 3, "nr off NR00;", 0, 0, "NR0"},
        {toggleNoiseReduction, 670, 4, &P::nrOn, 9, 5, "NR00;", 0, 5, "NR0"},
        {toggleProcessor, 670, 4, &P::processorOn, 0, 2, "spc on PR01; PL;", 1, 5, "PR0"},
        {toggleProcessor, 670, 4, &P::processorOn, 1, 5, "spc off PR00;", 0, 0, "PR0"},
        {toggleProcessor, 670, 4, &P::processorOn, 1, 3, "spc off PR00;", 0, 3, "PR0"},
        {toggleProcessor, 362, 4, &P::processorOn, 0, 0, "spc on PR1; PL;", 1, 5, "PR"},
        {toggleProcessor, 251, 4, &P::processorOn, 1, 5, "spc off PR0;", 0, 0, "PR"},
        {toggleProcessor, 241, 4, &P::processorOn, 0, 2, "spc na", 0, 2, "PR0"},
        {preampKey, 670, 4, &P::preampOn, 0, 2, "preamp on PA01;", 1, 1, "PA0"},
        {preampKey, 670, 4, &P::preampOn, 1, 1, "preamp off PA00;", 0, 0, "PA0"},
        {preampKey, 670, 4, &P::preampOn, 1, 2, "preamp off PA00;", 0, 2, "PA0"},
        {preampKey, 670, 4, &P::preampOn, 1, 5, "preamp off PA00;", 0, 5, "PA0"},
        {toggleBreakIn, 670, 4, &P::breakInOn, 0, 1, "bkin on BI1;", 1, 1, "BI"},
        {toggleVox, 670, 4, &P::voxOn, 1, 1, "vox off VX0;", 0, 1, "VX"},
        {toggleNotch, 670, 4, &P::notchOn, 0, 1, "notch on BC01;", 1, 1, "BC0"}};
    // clang-format on
    for (const auto& c : cases) {
        useModel(c.model);
        p.bandIndex = c.band, p.*c.flag = c.before, p.levelTarget = c.targetBefore;
        c.toggle(p);
        EXPECT_EQ(transcript(), c.transcript) << c.model << " " << c.transcript;
        EXPECT_EQ(p.*c.flag, c.after) << c.transcript;
        EXPECT_EQ(p.levelTarget, c.targetAfter) << c.transcript;
        EXPECT_EQ(radio->setting(c.setting), c.after) << c.transcript;
    }
    // The levels switched on were read back from the radio (it holds 5, 8 and 50).
    EXPECT_EQ(std::tuple(p.nbLevel, p.nrLevel, p.processorLevel), std::tuple(5, 8, 50));
}

}  // namespace
}  // namespace vantor
