// A program sharing the radio through the bridge port: its commands go to the
// radio at once, in turn with the panel's own, and each answer goes back to
// the side that asked.

#include "cat/bridge.h"

#include "app/radio_startup.h"
#include "cat/conversation.h"
#include "cat/transport.h"
#include "panel/keys.h"
#include "panel/shared_radio.h"
#include "panel/window_events.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

constexpr int kBridge = 3;

// A radio that answers the queries a client program asks.
std::string radioAnswer(std::string_view bytes) {
    if (bytes == "FA;") return "FA014250000;";
    if (bytes == "ID;") return "ID0670;";
    if (bytes == "IF;") return "IF001014250000+000000200000;";
    if (bytes == "MD0;") return "MD02;";
    if (bytes == "EX032;") return "EX0321;";
    if (bytes == "SM0;") return "SM0070;";
    if (bytes == "XX;" || bytes == "FA000100000;") return "?;";
    return "";
}

class BridgeTest : public testing::PanelTest {
  protected:
    BridgeTest() {
        p.bridgePort = kBridge;
        p.radioConnected = 1;
        p.radioModel = 670;
        fillBandTable(p);
        p.debugLogging = 1;  // asked for, but no log could be opened
        fake.serial.open(kBridge, 38400);
        fake.serial.setResponder(1, radioAnswer);
    }
    // The client writes; the panel serves it as the event loop does, for a
    // while of virtual time, and acts on what it learnt.
    void fromClient(const std::string& bytes, int forMs = 100) {
        if (!bytes.empty()) fake.serial.pushIncoming(kBridge, bytes);
        for (int ms = 0; ms <= forMs; ms += 10) {
            serveSharingPrograms(p);
            fake.virtualClock.advance(10);
        }
        applySharedNews(p);
    }
};

// Every command of a write goes at once (a question when the line is free),
// and each answer goes back. A command split across reads waits for its ";";
// a flood without ";" is discarded and the bridge recovers; "?;" answers the
// question it belongs to; a set and an unanswered question forward nothing.
TEST_F(BridgeTest, EveryCommandIsRelayedAndEachAnswerGoesBack) {
    // clang-format off
    const std::tuple<std::string, const char*, const char*> steps[] = {  // from the client, to the radio, to the client
        {"MD03;", "MD03;ID;", ""},             {"MD0;", "MD0;", "MD02;"},
        {"FA;IF;", "FA;IF;", "FA014250000;IF001014250000+000000200000;"},
        {"EX0321;EX032;", "EX0321;ID;EX032;", "EX0321;"},
        {"F", "", ""},                      {"A;", "FA;", "FA014250000;"},
        {std::string(254, 'x'), "", ""},    {"FA;", "FA;", "FA014250000;"},
        {"XX;", "XX;", "?;"},               {"ZZ;", "ZZ;", ""},
        {"BI;", "BI;", ""},                 {"", "", ""}};
    // clang-format on
    for (const auto& [bytes, toRadio, toClient] : steps) {
        fromClient(bytes, 400);
        EXPECT_EQ(sent(), toRadio) << bytes.substr(0, 14);
        EXPECT_EQ(sent(kBridge), toClient) << bytes.substr(0, 14);
        if (bytes == "MD03;") {
            EXPECT_EQ(std::pair(p.currentMode, p.externalCommand), std::pair(3, 1));
        }
    }
}

// A frequency and then a mode set by the client: the panel follows both and
// answers with no command of its own (no frequency, narrow or width); split set
// by the client is followed too, and in split the client's VFO A commands go
// to VFO A as it sent them. A frequency the client reads is the panel's too.
TEST_F(BridgeTest, ThePanelFollowsTheClientsFrequencyModeAndSplit) {
    p.vfoAFrequency = 7100000;
    fromClient("FA014074000;MD02;FT3;");
    EXPECT_EQ(sent(), "FA014074000;ID;MD02;ID;FT3;ID;");
    EXPECT_EQ(std::tuple(p.picture.vfoA, p.currentMode, p.splitOn), std::tuple(14074000, 2, 1));
    fromClient("FA014075000;FB014076000;");
    EXPECT_EQ(sent(), "FA014075000;ID;FB014076000;ID;");
    EXPECT_EQ(std::tuple(p.picture.vfoA, p.picture.vfoB, p.vfoAFrequency),
              std::tuple(14075000, 14076000, 14076000));
    fromClient("FT2;");
    EXPECT_EQ(std::pair(p.splitOn, p.vfoAFrequency), std::pair(0, 14075000));
    fromClient("FA;");
    EXPECT_EQ(p.vfoAFrequency, 14250000);
}

// The client's mode digit is the radio's: "MD04" is FM, "MD05" AM. A mode the
// panel has no name for is none of its modes: F must not name the one before.
TEST_F(BridgeTest, ClientModesAreReadThroughTheRadiosModeCommands) {
    const std::pair<const char*, int> modes[] = {{"MD01;", 1}, {"MD02;", 2}, {"MD03;", 3}, {"MD05;", 4},
                                                 {"MD0B;", 5}, {"MD0E;", 6}, {"MD04;", 7}, {"MD0C;", 0},
                                                 {"MD06;", 0}, {"MD07;", 0}, {"MD08;", 0}, {"MD0A;", 0},
                                                 {"MD02;", 2}};
    for (const auto& [command, mode] : modes) {
        fromClient(command);
        EXPECT_EQ(p.currentMode, mode) << command;
    }
}

// A client's frequency set is remembered only when well formed, and then with nine
// digits; the answer to its query is taken in the radio's own width, and one of
// the other width moves nothing.
TEST_F(BridgeTest, ClientFrequenciesReachThePanelOnlyWellFormed) {
    // clang-format off
    const std::tuple<int, const char*, std::string, const char*, int> cases[] = {
        // digits, client's set, the radio's answer to FA;, lastFrequencyCommand afterwards, vfoAFrequency
        {9, "FAxyzxyzxyz;", "FA014250000;", "FA007100000;", 14250000},
        {9, "FA014074000;", "FA014074000;", "FA014074000;", 14074000},
        {9, "FA14074000;",  "FA14074000;",  "FA007100000;", 7100000},
        {8, "FA14074000;",  "FA14074000;",  "FA014074000;", 14074000},
        {8, "FAxyzxyzx;",   "FA014250000;", "FA007100000;", 7100000}};
    // clang-format on
    for (const auto& [digits, set, answer, remembered, hertz] : cases) {
        p.frequencyDigits = digits, p.lastFrequencyCommand = "FA007100000;", p.vfoAFrequency = 7100000;
        fake.serial.setResponder(
            1, [answer](std::string_view bytes) { return bytes == "FA;" ? answer : radioAnswer(bytes); });
        fromClient(set);
        fromClient("FA;");
        EXPECT_EQ(sent(kBridge), answer) << set;
        EXPECT_EQ(p.lastFrequencyCommand, remembered) << set;
        EXPECT_EQ(p.vfoAFrequency, hertz) << set;
    }
}

// The panel's question on the line keeps its answer: the client's question
// waits for it and gets only its own, whatever arrives late or unasked.
TEST_F(BridgeTest, AnswersGoToTheSideThatAsked) {
    ask(p, "SM0");
    fake.serial.pushIncoming(kBridge, "MD0;");
    serveSharingPrograms(p);
    EXPECT_EQ(sent(), "SM0;") << "the client's question waits for the line";
    EXPECT_TRUE(fake.serial.wakesOnInput(1)) << "the radio's answers wake the panel while a client waits";
    fake.serial.pushIncoming(1, "FB007000000;");  // nobody asked: the panel reads it as a late answer
    fromClient("");
    EXPECT_EQ(sent(), "MD0;");
    EXPECT_EQ(sent(kBridge), "MD02;");
    EXPECT_FALSE(fake.serial.wakesOnInput(1)) << "the panel reads its own answers at its ticks";
    receive(p);
    EXPECT_EQ(p.replyText, "SM0070;FB007000000;");
    // A question nobody answers is given up, and the one behind it goes.
    fake.serial.setResponder(1, [](std::string_view bytes) { return bytes == "FA;" ? "FA014250000;" : ""; });
    fromClient("MD0;FA;", 400);
    EXPECT_EQ(sent(), "MD0;FA;");
    EXPECT_EQ(sent(kBridge), "FA014250000;");
}

// A set the radio refuses: its "?;" goes back to the client, and the panel
// neither reads it nor follows the set. A set without a parameter is no
// question: the client's next question goes at once, not after the wait for
// an answer that never comes.
TEST_F(BridgeTest, RefusalsGoBackAndParameterlessSetsHoldNothingUp) {
    const char* const sets[] = {"FA000100000;", "AB;", "AM;", "BA;", "DN;", "MA;",
                                "QI;",          "QR;", "QS;", "SV;", "UP;", "ZI;"};
    for (const std::string set : sets) {
        fromClient(set + "FA;", 50);
        EXPECT_EQ(sent(), set + "ID;FA;");
        EXPECT_EQ(sent(kBridge), (set == "FA000100000;" ? "?;" : "") + std::string("FA014250000;")) << set;
        receive(p);
        EXPECT_EQ(std::pair(p.replyText, p.vfoAFrequency), std::pair(std::string(), 14250000)) << set;
    }
}

TEST_F(BridgeTest, TransfersAreLogged) {
    EXPECT_EQ(logged([&] { fromClient("FA;"); }),
              "***VRX1=FA;\r\nTX=FA;\r\nRX=FA014250000;\r\n***VTX1=FA014250000;\r\n");
}

// The transmitter keyed by a client (TX1 or TX2) is followed and announced;
// S then reads the SWR. While the panel speaks, the client is still answered.
TEST_F(BridgeTest, KeyingByAClientIsAnnouncedAndSpeechDoesNotHoldTheClient) {
    for (const std::string keying : {"TX1;", "TX2;"}) {
        fromClient(keying);
        EXPECT_EQ(heard(), words("tx on")) << keying;
        EXPECT_GT(p.txState, 0) << keying;
        fromClient(keying + "TX;", 400);
        EXPECT_EQ(heard(), Clips{}) << "no news, nothing said";
        fromClient("TX0;");
        EXPECT_EQ(std::pair(p.txState, heard()), std::pair(0, words("tx off"))) << keying;
    }

    fake.speaker.setWorkWhileWaiting([this] { serveSharingPrograms(p); });
    p.vfoAFrequency = 14250000, p.frequencyText = " 14.250000";
    fake.serial.pushIncoming(kBridge, "FA;");
    handleWindowEvent(p, kKeyDown, key::letter('F'));
    EXPECT_EQ(sent(kBridge), "FA014250000;") << "answered while the readout played";
}

}  // namespace
}  // namespace vantor
