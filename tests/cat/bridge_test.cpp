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
        p.debugLogging = 1;
        fake.serial.open(kBridge, 38400);
        fake.serial.setResponder(1, radioAnswer);
    }
    std::string toClient() {
        std::string bytes = fake.serial.written(kBridge);
        fake.serial.clearWritten(kBridge);
        return bytes;
    }
};

TEST_F(BridgeTest, CommandsWrittenTogetherAreRelayedOnePerService) {
    fake.serial.pushIncoming(kBridge, "FA;IF;");
    serveBridge(p);
    EXPECT_EQ(sent(), "FA;");
    EXPECT_EQ(toClient(), "FA014250000;");
    EXPECT_EQ(p.externalCommand, 1);
    serveBridge(p);  // nothing new on the port: the kept query goes now
    EXPECT_EQ(sent(), "IF;");
    EXPECT_EQ(toClient(), "IF001014250000+000000200000;");
    serveBridge(p);
    EXPECT_EQ(sent(), "");
}

TEST_F(BridgeTest, ASetAndItsCheckQueryInOneWrite) {
    fake.serial.pushIncoming(kBridge, "EX0321;EX032;");
    serveBridge(p);
    EXPECT_EQ(sent(), "EX0321;");
    EXPECT_EQ(toClient(), "");  // a set command gets no answer
    serveBridge(p);
    EXPECT_EQ(sent(), "EX032;");
    EXPECT_EQ(toClient(), "EX0321;");
}

TEST_F(BridgeTest, ACommandSplitAcrossReadsWaitsForItsSemicolon) {
    fake.serial.pushIncoming(kBridge, "F");
    serveBridge(p);
    EXPECT_EQ(sent(), "");
    fake.serial.pushIncoming(kBridge, "A;");
    serveBridge(p);
    EXPECT_EQ(sent(), "FA;");
    EXPECT_EQ(toClient(), "FA014250000;");
}

TEST_F(BridgeTest, ModeSetIsAppliedWithoutReadingAReply) {
    fake.serial.pushIncoming(kBridge, "MD03;");
    serveBridge(p);
    EXPECT_EQ(p.currentMode, 3);
    // The client's own command went to the radio; the mode operation does not send it twice.
    EXPECT_EQ(sent(), "MD03;NA0;SH011;");
    EXPECT_EQ(toClient(), "");
    fake.serial.pushIncoming(kBridge, "MD0;");
    serveBridge(p);
    EXPECT_EQ(sent(), "MD0;");
    EXPECT_EQ(toClient(), "MD02;");
}

TEST_F(BridgeTest, AFloodWithoutSemicolonIsDiscardedAndTheBridgeRecovers) {
    fake.serial.pushIncoming(kBridge, std::string(254, 'x'));
    serveBridge(p);
    EXPECT_EQ(sent(), "");
    EXPECT_EQ(p.bridgeBuffer, "");
    fake.serial.pushIncoming(kBridge, "FA;");
    serveBridge(p);
    EXPECT_EQ(sent(), "FA;");
    EXPECT_EQ(toClient(), "FA014250000;");
}

TEST_F(BridgeTest, ALateAnswerToThePollIsNotPassedToTheClient) {
    fake.serial.pushIncoming(1, "SM0070;");
    fake.serial.pushIncoming(kBridge, "FA;");
    serveBridge(p);
    EXPECT_EQ(toClient(), "FA014250000;");
}

TEST_F(BridgeTest, UnansweredQueriesForwardNothing) {
    fake.serial.pushIncoming(kBridge, "ZZ;");
    serveBridge(p);
    EXPECT_EQ(sent(), "ZZ;");
    EXPECT_EQ(toClient(), "");
    EXPECT_EQ(p.bridgeBuffer, "");
}

TEST_F(BridgeTest, TransfersAreLogged) {
    p.debugFileHandle = std::make_unique<std::ofstream>("debug.dat", std::ios::binary);
    fake.serial.pushIncoming(kBridge, "FA;");
    serveBridge(p);
    p.debugFileHandle.reset();
    EXPECT_EQ(testing::readFile("debug.dat"), "***VRX1=FA;\r\nTX=FA;\r\nRX=FA014250000;\r\n***VTX1=FA014250000;\r\n");
}

}  // namespace
}  // namespace vantor
