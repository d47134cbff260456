// The panel's picture of the radio against the simulated radio, for the ways
// they used to drift apart: keys typed ahead of the speech, a radio that
// answers late, the dial turned, split and the repeater shift together.

#include <functional>

#include "core/text.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

class PictureTest : public testing::RadioTest {
  public:  // the table's rows act on the fixture
    using RadioTest::fake, RadioTest::p, RadioTest::radio, RadioTest::tick, RadioTest::type;
    PictureTest() {
        p.powerWatts = p.powerMaxWatts = 100, p.topBandCode = "7";
        p.shift10mDigits = "100", p.shift6mDigits = "500", p.shift2mDigits = "600", p.shift70cmDigits = "7600";
        p.shift2mMinus = 1;
        startPanel();
        radioStartup(p);
        connect();
        tick(10);
    }
    // Every answer of the radio comes this late.
    void answerAfter(int ms) {
        fake.serial.setResponder(
            1,
            [this](std::string_view bytes) {
                radio->advance(fake.virtualClock.nowMs() - radio->now());
                return radio->handle(bytes);
            },
            ms);
    }
    // Keys typed with a gap of timer ticks between them; '^' and 'v' are up and down.
    void keys(const std::string& typed, int gapMs) {
        for (char c : typed) {
            press(c == '^' ? key::up : c == 'v' ? key::down : c == '=' ? key::plus : c);
            tick(gapMs / 50);
        }
    }
};

struct Fault {
    const char* what;
    int latencyMs;
    std::function<void(PictureTest&)> act;
    std::function<void(PictureTest&)> check;
};

TEST_F(PictureTest, ThePanelStaysWhereTheRadioIs) {
    const Fault faults[] = {
        {"a band key typed during the band's speech", 20, [](PictureTest& t) { t.keys("BXS", 0); },
         [](PictureTest& t) {
             EXPECT_EQ(t.radio->frequencyA(), 50150000);
             EXPECT_EQ(t.radio->mode(), '2');
         }},
        {"a second band step typed ahead", 20, [](PictureTest& t) { t.keys("B^^", 0); },
         [](PictureTest& t) {
             EXPECT_EQ(t.p.bandTable[4][1], '1') << "40 m stays LSB";
             EXPECT_EQ(t.p.bandTable[5][1], '3') << "30 m stays CW";
             EXPECT_EQ(t.radio->frequencyA(), 14200000);
         }},
        {"quick MHz steps", 120,
         [](PictureTest& t) {
             for (int gapMs : {150, 200, 250}) t.keys("===", gapMs);
         },
         [](PictureTest& t) { EXPECT_EQ(t.radio->frequencyA(), 16100000); }},
        {"a late meter answer and the frequency answer in one read", 20,
         [](PictureTest& t) {
             t.radio->handle("FA007150000;");  // the operator turns the dial
             t.radio->setSilent(true);
             t.tick(10);
             t.fake.serial.pushIncoming(1, "SM0111;FA007150000;");
             t.tick(2);
             EXPECT_EQ(t.p.vfoAFrequency, 7150000);
             EXPECT_EQ(t.p.sMeterValue, 111);
             t.radio->setSilent(false);
         },
         [](PictureTest&) {}},
        {"split after the dial moved VFO A", 20,
         [](PictureTest& t) {
             t.radio->handle("FA007170000;");
             t.tick(20);
             t.keys("V", 0);
         },
         [](PictureTest& t) {
             EXPECT_TRUE(t.radio->split());
             EXPECT_EQ(t.radio->frequencyB(), 7170000);
         }},
        {"split stored at normal speed and recalled", 20,
         [](PictureTest& t) {
             t.radio->handle("FA007100000;");
             t.tick(20);
             t.keys("V", 0);
             t.keys("=C3", 300);
             t.keys("V", 300);
             t.keys("G3", 300);
         },
         [](PictureTest& t) {
             EXPECT_TRUE(t.radio->split());
             EXPECT_EQ(t.radio->frequencyB(), 8100000);
             EXPECT_EQ(t.radio->frequencyA(), 7100000);
         }},
        {"a split channel recalled with the shift on", 20,
         [](PictureTest& t) {
             t.p.memoryTable[3] = "1512A145500000B145100000" "9990";
             t.keys("BT", 300);
             t.keys("V", 300);  // 2 m FM: the repeater shift
             ASSERT_EQ(t.p.repeaterOn, 1);
             t.keys("G3", 300);
         },
         [](PictureTest& t) {
             EXPECT_TRUE(t.radio->split());
             EXPECT_EQ(t.radio->frequencyB(), 145100000);
             EXPECT_EQ(t.radio->setting("OS0"), 0);
         }},
        {"a typed frequency onto a split band row with the shift on", 20,
         [](PictureTest& t) {
             t.p.bandTable[12] = "15A145500000B145100000" "9990";
             t.keys("BS", 300);
             t.keys("V", 300);  // 70 cm FM: the repeater shift
             ASSERT_EQ(t.p.repeaterOn, 1);
             t.type("E145.2\n");
         },
         [](PictureTest& t) {
             EXPECT_TRUE(t.radio->split());
             EXPECT_EQ(t.radio->frequencyA(), 145500000);
             EXPECT_EQ(t.radio->frequencyB(), 145200000);
         }},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        answerAfter(fault.latencyMs);
        fault.act(*this);
        tick(20);
        fault.check(*this);
        EXPECT_EQ(p.splitOn == 1, radio->split());
        const std::int64_t working = radio->split() ? radio->frequencyB() : radio->frequencyA();
        EXPECT_EQ(p.vfoAFrequency, working);
        // Back to where each case starts: 40 m LSB, no split.
        keys("B4", 300);
        if (p.splitOn == 1) keys("V", 300);
        if (p.repeaterOn == 1) p.repeaterOn = 0;
        tick(20);
        sent();
        spoken();
    }
}

}  // namespace
}  // namespace vantor
