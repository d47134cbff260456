#include <algorithm>

#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

class TransmitKeysTest : public testing::RadioTest {
protected:
    TransmitKeysTest() {
        startConnectedPanel();
        p.powerWatts = 100, p.currentMode = 2;
    }
    // After a tune carrier: unkeyed, five pauses, then the power and mode of before.
    void expectCarrierEnded(const std::string& bytes) {
        EXPECT_EQ(bytes.substr(0, 15), "TX0;PC100;MD02;");
        const Clips& played = fake.speaker.played;
        EXPECT_EQ(std::count(played.begin(), played.end(), "wave\\delay"), 5);
        EXPECT_EQ(std::tuple(radio->transmitting(), radio->mode(), radio->setting("PC")),
                  std::tuple(false, '2', 100));
        EXPECT_EQ(p.tuneActive, 0);
    }
};

TEST_F(TransmitKeysTest, SpaceKeysAndUnkeysAndGivesTheSwrReportModeBack) {
    for (int mode : {0, 1, 2}) {
        p.swrReportMode = mode, p.tunerArmed = 1;
        press(key::space);
        EXPECT_EQ(std::tuple(sent(), heard(), radio->transmitting()),
                  std::tuple("TX1;", words("tx on"), true));
        EXPECT_EQ(std::tuple(p.txState, p.swrReportMode, p.swrSettleCount, p.tunerArmed),
                  std::tuple(mode + 10, 0, 2, 0));
        press(key::space);
        EXPECT_EQ(std::tuple(sent(), heard(), radio->transmitting()),
                  std::tuple("TX0;", words("tx off"), false));
        EXPECT_EQ(std::pair(p.txState, p.swrReportMode), std::pair(0, mode));
    }
}

// The tuner is switched in by the first tune only. Above 73 MHz it sits the tune
// out, and the operator's setting returns.
TEST_F(TransmitKeysTest, TuneRunsTheTunerTheCarrierOrBoth) {
    const std::string beeps = " beep beep beep beep beep beep beep beep beep beep ok";
    const std::tuple<int, int, std::string, std::string> cases[] = {
        {0, 14200000, "AC001;AC002;", "tune on" + beeps + " tune off"},
        {2, 14200000, "AC002;PC005;MD05;FA014200000;TX1;", "tune on" + beeps},
        {1, 14200000, "PC005;MD05;FA014200000;TX1;", "tune on"},
        {0, 145500000, "PC005;MD05;FA145500000;TX1;", "tune on atu na"},
        {2, 145500000, "PC005;MD05;FA145500000;TX1;", "tune on atu na"}};
    for (const auto& [tuner, hertz, commands, clips] : cases) {
        p.tunerState = tuner, p.vfoAFrequency = hertz;
        press('T');
        EXPECT_EQ(std::tuple(sent(), heard()), std::tuple(commands, words(clips))) << tuner << "/" << hertz;
        const bool carrier = tuner != 0 || hertz > 73000000;
        EXPECT_EQ(std::pair(p.tuneActive == 1, radio->transmitting()), std::pair(carrier, carrier)) << tuner;
        if (!carrier) continue;
        press('T');
        expectCarrierEnded(sent());
        EXPECT_EQ(std::pair(heard(), p.tunerState), std::pair(words("tune off"), tuner))
            << tuner << "/" << hertz;
    }
}

// Only S and T act on a carrier: S reads the SWR and goes on to the frequency resend.
TEST_F(TransmitKeysTest, DuringATuneSReadsTheSwr) {
    p.tunerState = 1, p.swrText = "060";
    press('T');
    press(key::space);
    sent(), spoken();
    press('S');
    EXPECT_EQ(std::tuple(heard(), sent()), std::tuple(words("SWR 1 point 1 21"), "FA007100000;"));
}

TEST_F(TransmitKeysTest, F12CyclesTheTunerOffOnBoth) {
    p.tunerState = 1;
    for (const auto& [command, clip, state] :
         {std::tuple{"AC001;", "on", 0}, {"AC001;", "both", 2}, {"AC000;", "off", 1}}) {
        p.tunerArmed = 1;
        press(key::f12);
        EXPECT_EQ(std::tuple(sent(), heard(), p.tunerState, p.tunerArmed),
                  std::tuple(command, Clips{"tuner", clip}, state, 0));
    }
}

}  // namespace
}  // namespace vantor
