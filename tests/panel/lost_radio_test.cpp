// A radio whose port goes away (switched off, adapter unplugged) and comes
// back under the same name.

#include <algorithm>

#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

bool holds(const Clips& heard, const Clips& run) {
    return std::search(heard.begin(), heard.end(), run.begin(), run.end()) != heard.end();
}

class LostRadioTest : public testing::RadioTest {
  protected:
    LostRadioTest() {
        startPanel();
        fake.serial.close(1);
    }
    void start() {
        radioStartup(p);
        tick(10);
    }
    // Five seconds of ticks, time enough for several tries of the port.
    void waitAWhile() { tick(100); }
};

TEST_F(LostRadioTest, ALostRadioIsSaidOnceAndConnectedAgainWhenItAnswers) {
    struct Case {
        const char* what;
        int txState, tuneActive;
        const char* unkeyed;  // what the end of the carrier says, "" for none
    };
    const Case cases[] = {
        {"idle", 0, 0, ""}, {"transmitting", 11, 0, "tx off"}, {"tuning", 0, 1, "tune off"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.serial.plugIn(1);
        p.radioConnected = 0;
        start();
        ASSERT_TRUE(holds(heard(), words("connected")));
        p.txState = c.txState;
        p.tuneActive = c.tuneActive;
        p.tunerState = 1;  // a tune's carrier with the tuner off
        sent();

        fake.serial.unplug(1);
        tick();
        EXPECT_EQ(heard(), words("radio lost"));
        waitAWhile();
        press('F');
        press(key::letter('T'));
        EXPECT_EQ(heard(), words("nc nc")) << "said once, and keys find no radio";
        EXPECT_FALSE(fake.serial.isOpen(1));

        // Back, but the radio has not answered yet: still away, nothing said.
        radio->setSilent(true);
        fake.serial.plugIn(1);
        tick(25);
        ASSERT_TRUE(fake.serial.isOpen(1));
        press('F');
        EXPECT_EQ(heard(), words("nc"));
        // Gone again before a word from the radio: not said twice.
        fake.serial.unplug(1);
        waitAWhile();
        EXPECT_EQ(heard(), Clips{});

        radio->setSilent(false);
        fake.serial.plugIn(1);
        tick(30);
        const Clips back = heard();
        ASSERT_TRUE(holds(back, words("radio back"))) << ::testing::PrintToString(back);
        EXPECT_TRUE(holds(back, words("connected")));
        const bool unkeys = *c.unkeyed != '\0';
        EXPECT_EQ(holds(back, words(unkeys ? c.unkeyed : "tx off")), unkeys)
            << ::testing::PrintToString(back);
        EXPECT_EQ(sent().find("TX0;") != std::string::npos, unkeys);
        EXPECT_EQ(p.txState + p.tuneActive, 0);
        EXPECT_EQ(p.radioConnected, 1);
        press('F');
        EXPECT_TRUE(holds(heard(), words("7 point 1 mhz")));
    }
}

TEST_F(LostRadioTest, ALostPortIsTriedOnceASecondAndNothingIsAskedMeanwhile) {
    start();
    fake.serial.unplug(1);
    tick();
    sent();
    const int tries = fake.serial.openTries(1);
    waitAWhile();
    EXPECT_EQ(fake.serial.openTries(1) - tries, 5);
    EXPECT_EQ(sent(), "");
}

TEST_F(LostRadioTest, ARadioPortMissingAtStartIsConnectedWhenItAppears) {
    fake.serial.failOpen(1);
    start();
    waitAWhile();
    press('F');
    EXPECT_EQ(heard(), words("nc"));
    fake.serial.plugIn(1);
    tick(30);
    const Clips connection = heard();
    EXPECT_TRUE(holds(connection, words("connected")));
    EXPECT_FALSE(holds(connection, words("radio")));
}

TEST_F(LostRadioTest, QuitAndCloseEndAtOnceWhileTheRadioIsLost) {
    for (const int message : {kKeyDown, kCloseRequest}) {
        fake.serial.plugIn(1);
        p.radioConnected = 0;
        p.running = 1;
        start();
        fake.serial.unplug(1);
        tick();
        handleWindowEvent(p, message, key::letter('Q'));
        EXPECT_EQ(p.running, 0) << message;
        handleWindowEvent(p, kKeyUp, key::letter('Q'));
    }
}

TEST_F(LostRadioTest, ALostBridgePortIsReopenedWithoutAWord) {
    p.bridgePort = 2;
    start();
    ASSERT_TRUE(fake.serial.isOpen(2));
    heard();
    fake.serial.unplug(2);
    tick();
    EXPECT_FALSE(fake.serial.isOpen(2));
    fake.serial.plugIn(2);
    tick(25);
    EXPECT_TRUE(fake.serial.isOpen(2));
    fake.serial.pushIncoming(2, "FA;");
    tick(2);
    EXPECT_EQ(fake.serial.written(2), "FA007100000;") << "the bridge is served again";
    Clips said = heard();
    std::erase_if(said, [](const std::string& clip) { return clip.starts_with("xx"); });  // the muted S-meter
    EXPECT_EQ(said, Clips{});
}

}  // namespace
}  // namespace vantor
