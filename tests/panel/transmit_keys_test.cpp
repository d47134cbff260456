#include <algorithm>

#include "app/program.h"
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

// S speaks only what the radio has metered: no S-meter reading since it connected, or no SWR
// reading since this carrier went up, is said as none, whatever an earlier carrier read.
TEST_F(TransmitKeysTest, SSaysThereIsNoReadingUntilTheRadioHasGivenOne) {
    p.swrText = "060";
    // clang-format off
    const std::tuple<int, int, const char*> steps[] = {
        // key before S (0: none), poll ticks before S, what S says first
        {0, 0, "s.wav na"}, {0, 6, "s.wav 9.wav"}, {key::space, 0, "SWR na"}, {0, 6, "SWR 1 point"},
        {key::space, 0, "s.wav 9.wav"}, {key::space, 0, "SWR na"}, {key::space, 0, "s.wav 9.wav"},
        {'T', 0, "SWR na"}, {0, 6, "SWR 1 point"}};
    // clang-format on
    p.tunerState = 1;
    for (const auto& [code, ticks, said] : steps) {
        if (code) press(code);
        tick(ticks);
        heard();
        press('S');
        const Clips expected = words(said), clips = heard();
        EXPECT_EQ(Clips(clips.begin(), clips.begin() + std::min(clips.size(), expected.size())), expected)
            << said;
    }
}

// Only S, T and Q act on a carrier: S reads the SWR, Q ends the tune as T would, then quits.
TEST_F(TransmitKeysTest, DuringATuneSReadsTheSwrAndQEndsTheTuneBeforeQuitting) {
    p.tunerState = 1;
    press('T');
    sent(), spoken();
    p.swrText = "060";  // as the poll reads it
    press(key::space);
    EXPECT_EQ(std::tuple(heard(), sent()), std::tuple(words("ton"), ""));
    press('S');
    EXPECT_EQ(std::tuple(heard(), sent()), std::tuple(words("SWR 1 point 1 21"), "FA007100000;"));
    press('Q');
    const std::string bytes = sent();
    EXPECT_EQ(bytes.substr(bytes.size() - 4), "TX0;");
    expectCarrierEnded(bytes);
    press(key::space);
    EXPECT_EQ(heard(), words("tune off quit tx on"));
    EXPECT_EQ(p.quitCountdown, 1);
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

// The close request (also what SIGTERM and SIGINT become) and Q leave the radio
// receiving, on the power and mode it had before a tune.
TEST_F(TransmitKeysTest, TheRunNeverEndsWithTheTransmitterKeyed) {
    const std::pair<int, std::vector<int>> cases[] = {
        {0, {key::space}}, {1, {'T'}}, {1, {'T', 'Q'}}, {0, {key::space, 'Q', key::space}}};
    for (const auto& [tuner, keys] : cases) {
        useRadio(670);
        fake.serial.setResponder(
            1, [this](std::string_view bytes) { return radio->handle(bytes); }, 0);
        p.radioConnected = p.vfoAFrequency = p.quitCountdown = 0;
        testing::writeFile("vantor.cfg", testing::configuration(0, 0, tuner));
        for (int i = 0; i < 8; ++i) fake.screen.events.push_back({kTimerTick, 1});
        for (int code : keys)
            fake.screen.events.insert(fake.screen.events.end(), {{kKeyDown, code}, {kKeyUp, code}});
        fake.screen.events.push_back({kCloseRequest, 0});
        runProgram(p);
        EXPECT_NE(sent().find("TX1;"), std::string::npos) << keys.size();
        EXPECT_EQ(std::tuple(radio->transmitting(), radio->mode(), radio->setting("PC")),
                  std::tuple(false, '1', 100))
            << keys.size();
    }
}

}  // namespace
}  // namespace vantor
