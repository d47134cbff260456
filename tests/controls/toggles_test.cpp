#include "controls/toggles.h"

#include "display/status_window.h"
#include "support/panel_fixture.h"

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

}  // namespace
}  // namespace vantor
