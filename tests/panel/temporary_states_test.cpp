// What the panel has the radio do for a moment (the keyer, a tune, the
// microphone-gain metering, a transmission) ends however the moment ends, and
// leaves the radio, and the next run, as the operator had them.

#include <algorithm>
#include <filesystem>

#include "app/program.h"
#include "app/radio_startup.h"
#include "core/text.h"
#include "memory/memory_file.h"
#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

bool holds(const Clips& heard, const Clips& run) {
    return run.empty() || std::search(heard.begin(), heard.end(), run.begin(), run.end()) != heard.end();
}

class TemporaryStatesTest : public testing::RadioTest {
  protected:
    TemporaryStatesTest() {
        startPanel();
        fake.serial.close(1);
    }
    // A fresh radio with break-in on, and a run from start-up on 40 m at 100 W
    // until the radio is connected.
    void start(int tuner) {
        useRadio(670);
        radio->handle("BI1;");
        std::filesystem::remove("savmem.dat");
        p.powerWatts = 100, p.tunerState = tuner, p.topBandCode = "7";
        p.keyPrefix = p.micGainMeter = p.quitCountdown = p.vfoAFrequency = 0;
        p.running = 1;
        p.radioLink = {};
        fake.serial.plugIn(1);
        radioStartup(p);
        tick(10);
        ASSERT_EQ(p.radioConnected, 1);
        sent(), heard();
    }
    char bandRowMode() const { return charAt(p.bandTable[static_cast<std::size_t>(p.bandIndex)], 2); }
    // The band row the next run starts from.
    char savedBandRowMode() {
        Panel next{fake.platform};
        fillBandTable(next);
        next.memoryTable.fill("9");
        loadMemoryFile(next);
        EXPECT_EQ(next.bandIndex, p.bandIndex);
        return charAt(next.bandTable[static_cast<std::size_t>(next.bandIndex)], 2);
    }
    void loseAndRegainTheRadio() {
        fake.serial.unplug(1);
        tick(100);
        fake.serial.plugIn(1);
        tick(30);
    }
};

enum class Ending { quit, close, portBack };

// Q, the close request (what SIGTERM and SIGINT become) and the radio's port
// going and coming back each end the keyer, a tune (also one that set the tuner
// aside above its range), the metering and a transmission as their own keys
// would: the radio ends receiving on the operator's mode, power, break-in and
// tuner setting, and the band row keeps the operator's mode.
TEST_F(TemporaryStatesTest, EveryWayOutEndsWhatThePanelWasDoingForAMoment) {
    struct Moment {
        const char* what;
        int tuner;
        std::string band, keys;  // typed after the connection, then to begin the moment
        const char* said;        // what its ending says
    };
    const std::string micGain(1, static_cast<char>(key::f11)), space(1, static_cast<char>(key::space));
    const Moment moments[] = {{"keyer", 1, "", "K", ""},
                              {"tune", 1, "", "T", "tune off"},
                              {"tune without the tuner", 0, "BT", "T", "tune off"},
                              {"metering", 1, "", micGain, "micgain lev 5 0 off"},
                              {"transmission", 1, "", space, "tx off"}};
    const std::pair<Ending, const char*> endings[] = {
        {Ending::quit, "Q"}, {Ending::close, "close"}, {Ending::portBack, "port lost and back"}};

    for (const auto& [ending, how] : endings)
        for (const Moment& c : moments) {
            SCOPED_TRACE(std::string(how) + ", " + c.what);
            start(c.tuner);
            type(c.band);
            tick(4);  // the poll hears the band's frequency
            const char radioMode = radio->mode(), rowMode = bandRowMode();
            type(c.keys);
            ASSERT_TRUE(p.keyPrefix == 11 || p.tuneActive == 1 || p.micGainMeter > 0 || p.txState > 0);
            heard();

            if (ending == Ending::quit) {
                press(key::letter('Q'));
                for (int i = 0; i < 40 && p.running == 1; ++i) tick();
                ASSERT_EQ(p.running, 0);
            }
            if (ending == Ending::close) {
                handleWindowEvent(p, kCloseRequest, 0);
                shutDown(p);  // as the program does once its loop has ended
            }
            if (ending == Ending::portBack) loseAndRegainTheRadio();
            const Clips said = heard();
            EXPECT_TRUE(holds(said, words(c.said))) << ::testing::PrintToString(said);

            EXPECT_EQ(
                std::tuple(radio->transmitting(), radio->mode(), radio->setting("PC"), radio->setting("BI")),
                std::tuple(false, radioMode, 100, 1));
            EXPECT_EQ(std::tuple(p.tunerState, p.keyPrefix == 11, p.micGainMeter),
                      std::tuple(c.tuner, false, 0));
            // Q saves the memories before the shut-down does.
            EXPECT_EQ(ending == Ending::portBack ? bandRowMode() : savedBandRowMode(), rowMode);
            if (ending == Ending::portBack) {
                sent();
                tick(4);
                const std::string asked = sent();
                EXPECT_NE(asked.find("SM0;"), std::string::npos) << asked;
                EXPECT_EQ(asked.find("RM4;"), std::string::npos) << asked;
            }
            if (ending != Ending::close) shutDown(p);
            EXPECT_EQ(savedBandRowMode(), rowMode);
        }
}

// K K (or K and another key) and the end of a tune on 2 m FM bring back the
// tone (CTCSS or DCS) and the repeater shift that the CW or AM of the moment ended.
TEST_F(TemporaryStatesTest, TheToneAndShiftComeBackWithTheMode) {
    struct Case {
        const char* what;
        bool shift;
        int decode;
        const char* tone;  // typed after I, "" for none
        const char* keys;
        int toneSwitch;  // CT0 at the radio: 0 off, 1 CTCSS, 3 DCS
        const char* codeSetting;
        int code;
    };
    const Case cases[] = {{"K K, CTCSS and shift", true, 0, "12", "KK", 1, "CN00", 12},
                          {"K K, DCS", false, 1, "523", "KK", 3, "CN01", 23},
                          {"K K, shift alone", true, 0, "", "KK", 0, "CN00", 8},
                          {"K then F, DCS and shift", true, 1, "523", "KF", 3, "CN01", 23},
                          {"tune, CTCSS and shift", true, 0, "12", "TT", 1, "CN00", 12},
                          {"tune, DCS and shift", true, 1, "523", "TT", 3, "CN01", 23},
                          {"tune, neither", false, 0, "", "TT", 0, "CN00", 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        start(1);
        p.toneDecodeOn = c.decode;
        type("BT");
        tick(4);
        if (c.shift) type("V");
        if (*c.tone) type(std::string("I") + c.tone + "\n");
        const char radioMode = radio->mode();
        ASSERT_EQ(std::tuple(radio->setting("OS0"), radio->setting("CT0")),
                  std::tuple(c.shift ? 2 : 0, c.toneSwitch));
        type(c.keys);
        EXPECT_EQ(std::tuple(radio->mode(), radio->transmitting(), radio->setting("OS0"),
                             radio->setting("CT0"), radio->setting(c.codeSetting)),
                  std::tuple(radioMode, false, c.shift ? 2 : 0, c.toneSwitch, c.code));
        EXPECT_EQ(std::tuple(p.repeaterOn, p.toneOn), std::tuple(c.shift ? 1 : 0, *c.tone ? 1 : 0));
        p.running = 0;
        shutDown(p);
    }
}

}  // namespace
}  // namespace vantor
