// The machine never sleeps under a keyed transmitter: the panel keeps it
// awake while on the air, and a sleep that comes anyway (the lid, the power
// button) takes the carrier down first, as the shut-down would.

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "app/program.h"
#include "app/radio_startup.h"
#include "memory/memory_file.h"
#include "panel/keys.h"
#include "support/radio_fixture.h"

namespace vantor {
namespace {

constexpr int kBridge = 2;

class SleepTest : public testing::RadioTest {
  protected:
    SleepTest() {
        startPanel();
        fake.serial.close(1);
    }
    void start(int tuner) {
        useRadio(670);
        std::filesystem::remove("savmem.dat");
        p.powerWatts = 100, p.tunerState = tuner, p.topBandCode = "7";
        p.keyPrefix = p.micGainMeter = p.quitCountdown = p.vfoAFrequency = 0;
        p.running = 1;
        p.radioLink = {};
        p.bridgePort = kBridge;
        fake.serial.open(kBridge, 38400);
        fake.serial.plugIn(1);
        radioStartup(p);
        watchForSleep(p);
        tick(10);
        ASSERT_EQ(p.radioConnected, 1);
        sent(), heard();
        fake.screen.awakeRequests.clear();
    }
    // Keys, or a program on the bridge writing.
    void act(const std::string& keys, const std::string& bridge) {
        type(keys);
        if (!bridge.empty()) {
            fake.serial.pushIncoming(kBridge, bridge);
            tick(2);
        }
    }
};

struct OnAir {
    const char* what;
    int tuner;
    std::string band;            // typed first
    std::string on, onBridge;    // what keys the transmitter
    std::string off, offBridge;  // what ends it again
};

const std::string kSpace(1, static_cast<char>(key::space));

const OnAir kOnAir[] = {{"space", 1, "", kSpace, "", kSpace, ""},
                        {"tune", 1, "", "T", "", "T", ""},
                        {"tune above the tuner's range", 0, "BT", "T", "", "T", ""},
                        {"a program on the bridge", 1, "", "", "TX1;", "", "TX0;"}};

// On the air the machine is kept awake; off it, it is let sleep again.
TEST_F(SleepTest, TheMachineIsKeptAwakeExactlyWhileOnTheAir) {
    for (const OnAir& c : kOnAir) {
        SCOPED_TRACE(c.what);
        start(c.tuner);
        type(c.band);
        tick(4);  // the poll hears the band's frequency
        fake.screen.awakeRequests.clear();
        act(c.on, c.onBridge);
        ASSERT_TRUE(radio->transmitting());
        EXPECT_EQ(fake.screen.awakeRequests, std::vector<bool>{true});
        act(c.off, c.offBridge);
        ASSERT_FALSE(radio->transmitting());
        EXPECT_EQ(fake.screen.awakeRequests, (std::vector<bool>{true, false}));
        p.running = 0;
        shutDown(p);
        EXPECT_FALSE(fake.screen.keptAwake());
    }
}

// A sleep on the air: "TX0" is the first thing the radio hears, the tune gives
// back power and mode, the memories are saved, the machine may sleep, and the
// panel runs on afterwards.
TEST_F(SleepTest, ASleepOnTheAirUnkeysFirstAndLeavesTheRadioAsTheOperatorHadIt) {
    for (const OnAir& c : kOnAir) {
        SCOPED_TRACE(c.what);
        start(c.tuner);
        type(c.band);
        tick(4);
        const char mode = radio->mode();
        act(c.on, c.onBridge);
        ASSERT_TRUE(radio->transmitting());
        ASSERT_TRUE(fake.screen.keptAwake());
        sent(), heard();

        // How much had been said when the radio heard "TX0".
        std::optional<std::size_t> saidBeforeUnkey;
        fake.serial.setResponder(1, [&](std::string_view bytes) {
            if (bytes == "TX0;" && !saidBeforeUnkey) saidBeforeUnkey = fake.speaker.played.size();
            radio->advance(fake.virtualClock.nowMs() - radio->now());
            return radio->handle(bytes);
        });
        fake.screen.suspend();
        EXPECT_EQ(sent().rfind("TX0;", 0), 0u) << "the carrier goes before anything else";
        EXPECT_EQ(saidBeforeUnkey, std::optional<std::size_t>(0)) << "and before anything is said";
        EXPECT_EQ(std::tuple(radio->transmitting(), radio->mode(), radio->setting("PC")),
                  std::tuple(false, mode, 100));
        EXPECT_EQ(std::tuple(p.txState, p.tuneActive, p.keyedBySide, p.tunerState),
                  std::tuple(0, 0, -1, c.tuner));
        EXPECT_FALSE(fake.screen.keptAwake());
        EXPECT_TRUE(testing::fileExists("savmem.dat"));
        EXPECT_EQ(p.running, 1);

        type(kSpace);
        EXPECT_TRUE(radio->transmitting()) << "the keys still work after the machine wakes";
        EXPECT_TRUE(fake.screen.keptAwake());
        p.running = 0;
        shutDown(p);
        EXPECT_FALSE(radio->transmitting());
        EXPECT_EQ(fake.screen.suspendHandler, nullptr) << "no sleep reaches a panel that has shut down";
    }
}

// A sleep while receiving still leaves nothing keyed, and changes nothing else.
TEST_F(SleepTest, ASleepWhileReceivingLeavesTheRadioAlone) {
    start(1);
    const std::tuple before(radio->mode(), radio->setting("PC"), p.vfoAFrequency);
    fake.screen.suspend();
    EXPECT_EQ(sent(), "TX0;");
    EXPECT_EQ(std::tuple(radio->mode(), radio->setting("PC"), p.vfoAFrequency), before);
    EXPECT_FALSE(radio->transmitting());
    EXPECT_EQ(fake.screen.awakeRequests, std::vector<bool>{});
}

}  // namespace
}  // namespace vantor
