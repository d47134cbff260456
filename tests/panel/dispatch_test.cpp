#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;

class DispatchTest : public testing::RadioTest {
protected:
    DispatchTest() { startConnectedPanel(); }
};

// Help plays in the background, and like any key ends an unfinished tone code.
TEST_F(DispatchTest, AHeldKeyActsOnceUntilReleased) {
    p.toneOn = p.toneEntryOpen = 1, p.toneCodeText = "";  // I typed, no digit yet
    for (int i = 0; i < 3; ++i) handleWindowEvent(p, kKeyDown, 'H');  // auto-repeat
    EXPECT_EQ(spoken(), Clips{"&wave\\help.wav"});
    EXPECT_EQ(p.toneOn, 0);
    handleWindowEvent(p, kKeyUp, 'H');
    handleWindowEvent(p, kKeyDown, 'H');
    EXPECT_EQ(spoken().size(), 1u);
}

// Q unkeys a connected radio and starts the countdown. Before the radio answers
// every other key says "nc", and Q ends at once with nothing to unkey.
TEST_F(DispatchTest, QIsTakenWithOrWithoutARadioAndOtherKeysWaitForIt) {
    press('Q');
    EXPECT_EQ(spoken(), Clips{"quit"});
    EXPECT_EQ(sent(), "TX0;");
    EXPECT_EQ(p.quitCountdown, 1);
    EXPECT_EQ(p.running, 1);
    p.vfoAFrequency = p.radioConnected = 0;
    for (int code : {int{'H'}, int{'F'}, key::f9, key::up, key::keypad0 + 5}) {
        press(code);
        EXPECT_EQ(spoken(), Clips{"nc"}) << code;
    }
    press('Q');
    EXPECT_EQ(spoken(), Clips{"quit"});
    EXPECT_EQ(p.running, 0);
    EXPECT_EQ(sent(), "");
}

// F10 goes on under the width prefix; the power prefix waits for up and down;
// modifier keys do nothing; the extended prefix swallows a foreign key and ends;
// while tuning only S and T are taken.
TEST_F(DispatchTest, KeysWithoutARowResendTheFrequencyUnlessAPrefixHoldsThem) {
    const std::tuple<int, int, const char*> cases[] = {{0, 'J', "FA007100000;"}, {2, key::f1 + 9, "FA007100000;"},
                                                       {3, 'J', ""}, {0, key::shift, ""}, {0, key::ctrl, ""},
                                                       {14, 'J', ""}};
    for (const auto& [prefix, code, expected] : cases) {
        p.keyPrefix = prefix;
        press(code);
        EXPECT_EQ(sent(), expected) << prefix << "/" << code;
    }
    EXPECT_EQ(p.keyPrefix, 0);
    EXPECT_EQ(heard(), testing::words("extcm na"));  // the foreign key after X
    p.tuneActive = 1;
    press('J');
    EXPECT_EQ(spoken(), Clips{"ton"});
    EXPECT_EQ(sent(), "");
}

// A key that can do nothing where the panel stands says so, and changes nothing.
TEST_F(DispatchTest, KeysThatCannotActSaySo) {
    struct Case {
        int model, mode, repeater, prefix;
        std::vector<int> keys;
        const char* said;
    };
    // clang-format off
    const Case cases[] = {
        {670, 4, 0, 0, {'W'}, "bw na"}, {670, 5, 0, 0, {'W'}, "bw na"}, {670, 7, 0, 0, {'W'}, "bw na"},
        {241, 2, 0, 0, {key::f7}, "spc na"}, {670, 7, 1, 0, {'X', 'S'}, "extcm on swop na"},
        {670, 2, 0, 0, {'X', 'J'}, "extcm on extcm na"}, {670, 2, 0, 0, {'X', key::up}, "extcm on rate na"},
        {670, 2, 0, 0, {'X', 'A', 'J'}, "extcm on agc mid extcm na"},
        {670, 2, 0, 10, {key::up}, "lev na"}, {670, 2, 0, 10, {key::down}, "lev na"},
        {670, 2, 0, 0, {key::f3, 'L', key::f3, key::up}, "nb on nb lev nb off lev na"}};
    // clang-format on
    for (const auto& c : cases) {
        p.radioModel = c.model, p.currentMode = c.mode, p.repeaterOn = c.repeater, p.keyPrefix = c.prefix;
        p.bandIndex = c.repeater ? 12 : 4, p.levelTarget = p.nbOn = 0, p.agcStep = 2;
        // The row holds where the radio is, so only a key's own change would show.
        p.bandTable[static_cast<std::size_t>(p.bandIndex)][1] = static_cast<char>('0' + c.mode);
        const std::string row = p.bandTable[static_cast<std::size_t>(p.bandIndex)];
        sent();
        for (int code : c.keys) press(code);
        EXPECT_EQ(testing::words(c.said), heard()) << c.said;
        EXPECT_EQ(sent().find("PR"), std::string::npos) << c.said;
        EXPECT_EQ(p.bandTable[static_cast<std::size_t>(p.bandIndex)], row) << c.said;
    }
}

TEST_F(DispatchTest, MonitorKeySwitchesWithItsLevelAndGoesOn) {
    p.monitorLevelText = "070";
    press(key::f9);
    EXPECT_EQ(sent(), "ML1070;ML0001;FA007100000;");
    EXPECT_EQ(spoken(), (Clips{"mon", "on"}));
    press(key::f9);
    EXPECT_EQ(sent(), "ML0000;FA007100000;");
    EXPECT_EQ(p.monitorOn, 0);
}

TEST_F(DispatchTest, KeypadDigitsAreFoldedAndEveryKeyIsLogged) {
    const std::string log = logged([&] {
        for (int code : {key::keypad0 + 1, key::keypadPoint, key::enter, int{'J'}, key::f1}) press(code);
    });
    EXPECT_EQ(p.keyCode, key::f1);
    for (const char* line : {"*a (1)\r\n", "*.\r\n", "*C/R\r\n", "*J\r\n", "*p\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace vantor
