#include "cat/bridge.h"

#include "app/radio_startup.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

constexpr int kBridge = 3;

// A radio that answers the queries a client program asks.
std::string radioAnswer(std::string_view bytes) {
    if (bytes == "FA;") return "FA014250000;";
    if (bytes == "IF;") return "IF001014250000+000000200000;";
    if (bytes == "MD0;") return "MD02;";
    if (bytes == "EX032;") return "EX0321;";
    return "";
}

class BridgeTest : public testing::PanelTest {
protected:
    BridgeTest() {
        p.bridgePort = kBridge;
        p.radioConnected = 1;
        fillBandTable(p);
        p.debugLogging = 1;  // asked for, but no log could be opened
        fake.serial.open(kBridge, 38400);
        fake.serial.setResponder(1, radioAnswer);
    }
    void fromClient(const std::string& bytes) {
        if (!bytes.empty()) fake.serial.pushIncoming(kBridge, bytes);
        serveBridge(p);
    }
};

// No frequency is known yet, so a mode set from the client sends no frequency.
// One service relays one command: what follows the first ";" waits, and a set
// command and the query that checks it come in one write. A command split across
// reads waits for its ";". A mode set is applied without reading a reply, and the
// mode operation does not send the client's command twice. A flood without ";" is
// discarded and the bridge recovers. An unanswered query forwards nothing.
TEST_F(BridgeTest, EachServiceRelaysOneCommandAndItsAnswer) {
    // clang-format off
    const std::tuple<std::string, const char*, const char*> steps[] = {  // from the client, to the radio, to the client
        {"MD03;", "MD03;NA0;SH011;", ""},  {"MD0;", "MD0;", "MD02;"},
        {"FA;IF;", "FA;", "FA014250000;"}, {"", "IF;", "IF001014250000+000000200000;"}, {"", "", ""},
        {"EX0321;EX032;", "EX0321;", ""},  {"", "EX032;", "EX0321;"},
        {"F", "", ""},                     {"A;", "FA;", "FA014250000;"},
        {std::string(254, 'x'), "", ""},   {"FA;", "FA;", "FA014250000;"},
        {"ZZ;", "ZZ;", ""},                {"", "", ""}};
    // clang-format on
    for (const auto& [bytes, toRadio, toClient] : steps) {
        fromClient(bytes);
        EXPECT_EQ(sent(), toRadio) << bytes.substr(0, 14);
        EXPECT_EQ(sent(kBridge), toClient) << bytes.substr(0, 14);
        if (bytes == "MD03;") {
            EXPECT_EQ(std::pair(p.currentMode, p.externalCommand), std::pair(3, 1));
        }
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
        fake.serial.setResponder(1,
                                 [answer](std::string_view bytes) { return bytes == "FA;" ? answer : ""; });
        fromClient(set);
        fromClient("FA;");
        EXPECT_EQ(sent(kBridge), answer) << set;
        EXPECT_EQ(p.lastFrequencyCommand, remembered) << set;
        EXPECT_EQ(p.vfoAFrequency, hertz) << set;
    }
}

// The late answer must not reach the client in front of the answer it waits for.
TEST_F(BridgeTest, ALateAnswerToThePollIsNotPassedToTheClient) {
    fake.serial.pushIncoming(1, "SM0070;");
    fromClient("FA;");
    EXPECT_EQ(sent(kBridge), "FA014250000;");
}

TEST_F(BridgeTest, TransfersAreLogged) {
    EXPECT_EQ(logged([&] { fromClient("FA;"); }),
              "***VRX1=FA;\r\nTX=FA;\r\nRX=FA014250000;\r\n***VTX1=FA014250000;\r\n");
}

}  // namespace
}  // namespace vantor
