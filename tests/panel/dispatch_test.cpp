#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

class DispatchTest : public testing::RadioTest {
protected:
    DispatchTest() { startConnectedPanel(); }
};

TEST_F(DispatchTest, AHeldKeyActsOnceUntilReleased) {
    handleWindowEvent(p, kKeyDown, 'H');
    handleWindowEvent(p, kKeyDown, 'H');  // auto-repeat
    handleWindowEvent(p, kKeyDown, 'H');
    EXPECT_EQ(spoken(), (std::vector<std::string>{"&wave\\help.wav"}));
    handleWindowEvent(p, kKeyUp, 'H');
    handleWindowEvent(p, kKeyDown, 'H');
    EXPECT_EQ(spoken().size(), 1u);
}

TEST_F(DispatchTest, BeforeTheRadioAnswersEveryKeyButQSaysNc) {
    p.vfoAFrequency = 0;
    p.radioConnected = 0;
    for (int code : {int{'H'}, int{'F'}, key::f9, key::up, key::keypad0 + 5}) {
        press(code);
        EXPECT_EQ(spoken(), std::vector<std::string>{"nc"}) << code;
    }
    EXPECT_EQ(sent(), "");
    press('Q');
    EXPECT_EQ(spoken(), std::vector<std::string>{"quit"});
    EXPECT_EQ(p.running, 0);
    EXPECT_EQ(sent(), "");  // nothing to unkey: the radio never answered
}

TEST_F(DispatchTest, QWithARadioUnkeysAndStartsTheCountdown) {
    press('Q');
    EXPECT_EQ(spoken(), std::vector<std::string>{"quit"});
    EXPECT_EQ(sent(), "TX0;");
    EXPECT_EQ(p.quitCountdown, 1);
    EXPECT_EQ(p.running, 1);
}

TEST_F(DispatchTest, KeysWithoutARowResendTheFrequencyUnlessAPrefixHoldsThem) {
    struct Case {
        int prefix;
        int code;
        std::string expected;
    } cases[] = {
        {0, 'J', "FA007100000;"},
        {2, key::f1 + 9, "FA007100000;"},  // F10 under the width prefix
        {3, 'J', ""},                      // the power prefix waits for up and down
        {0, key::shift, ""},               // modifier keys do nothing at all
        {0, key::ctrl, ""},
        {14, 'J', ""},  // the extended prefix swallows a foreign key and ends
    };
    for (const auto& c : cases) {
        p.keyPrefix = c.prefix;
        press(c.code);
        EXPECT_EQ(sent(), c.expected) << c.prefix << "/" << c.code;
    }
    EXPECT_EQ(p.keyPrefix, 0);
}

TEST_F(DispatchTest, MonitorKeySwitchesWithItsLevelAndGoesOn) {
    p.monitorLevelText = "070";
    press(key::f9);
    EXPECT_EQ(sent(), "ML1070;ML0001;FA007100000;");
    EXPECT_EQ(spoken(), (std::vector<std::string>{"mon", "on"}));
    press(key::f9);
    EXPECT_EQ(sent(), "ML0000;FA007100000;");
    EXPECT_EQ(p.monitorOn, 0);
}

TEST_F(DispatchTest, WhileTuningOnlySAndTAreTaken) {
    p.tuneActive = 1;
    press('J');
    EXPECT_EQ(spoken(), std::vector<std::string>{"ton"});
    EXPECT_EQ(sent(), "");
}

TEST_F(DispatchTest, KeypadDigitsAreFoldedAndEveryKeyIsLogged) {
    p.debugLogging = 1;
    p.debugFileHandle = std::make_unique<std::ofstream>("debug.dat", std::ios::binary);
    for (int code : {key::keypad0 + 1, key::keypadPoint, key::enter, int{'J'}, key::f1}) press(code);
    p.debugFileHandle.reset();
    EXPECT_EQ(p.keyCode, key::f1);
    const std::string log = testing::readFile("debug.dat");
    for (const char* line : {"*a (1)\r\n", "*.\r\n", "*C/R\r\n", "*J\r\n", "*p\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

TEST_F(DispatchTest, HelpPlaysInTheBackgroundAndAnyKeyEndsTheUnfinishedTone) {
    p.toneOn = 1;
    p.toneCodeText = "999";
    press('H');
    EXPECT_EQ(p.toneOn, 0);
    EXPECT_EQ(spoken(), std::vector<std::string>{"&wave\\help.wav"});
}

}  // namespace
}  // namespace vantor
