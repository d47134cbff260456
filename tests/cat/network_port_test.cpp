// Programs on the network port: each connection takes its turn with the radio,
// the panel follows what they do, and one that leaves keyed is unkeyed.

#include "cat/network_port.h"

#include "app/radio_startup.h"
#include "panel/shared_radio.h"
#include "platform/work_dir.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

std::string radioAnswer(std::string_view bytes) {
    if (bytes == "FA;") return "FA014250000;";
    if (bytes == "MD0;") return "MD02;";
    if (bytes == "SH0;") return "SH014;";
    if (bytes == "TX;") return "TX0;";
    return "";
}

class NetworkPortTest : public testing::PanelTest {
protected:
    NetworkPortTest() {
        p.radioConnected = 1;
        p.radioModel = 670;
        fillBandTable(p);
        fake.serial.setResponder(1, radioAnswer);
        p.rigctldPort = kRigctldDefaultPort;
    }
    // The event loop's part: served for a while of virtual time, news acted on.
    void serve(int forMs = 200) {
        for (int ms = 0; ms <= forMs; ms += 10) {
            serveSharingPrograms(p);
            fake.virtualClock.advance(10);
        }
        applySharedNews(p);
    }
};

TEST_F(NetworkPortTest, ClientsShareTheRadioAndOneLeavingKeyedIsUnkeyed) {
    ASSERT_TRUE(openNetworkPort(p));
    const int logger = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
    const int digital = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
    ASSERT_NE(logger * digital, 0);
    fake.network.send(logger, "f\nm\n");
    fake.network.send(digital, "f\nT 1\n");
    serve();
    EXPECT_EQ(fake.network.received(logger), "14250000\nUSB\n2400\n");
    EXPECT_EQ(fake.network.received(digital), "14250000\nRPRT 0\n");
    EXPECT_EQ(heard(), words("tx on"));
    EXPECT_GT(p.txState, 0);
    fake.network.hangUp(logger);
    serve();
    EXPECT_EQ(heard(), Clips{}) << "the logger did not key the radio";
    fake.network.hangUp(digital);
    sent();
    serve();
    EXPECT_EQ(sent(), "TX0;");
    EXPECT_EQ(std::pair(p.txState, heard()), std::pair(0, words("tx off")));
}

// A client that hangs up while its question is on the line: the answer is
// read by the panel as a late one, and the next client is served as usual.
TEST_F(NetworkPortTest, AClientLeavingMidQuestionHoldsNobodyUp) {
    ASSERT_TRUE(openNetworkPort(p));
    const int gone = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
    fake.network.send(gone, "f\n");
    serveSharingPrograms(p);
    EXPECT_EQ(sent(), "FA;");
    fake.network.hangUp(gone);
    const int next = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
    fake.network.send(next, "m\n");
    serve();
    EXPECT_EQ(sent(), "MD0;SH0;");
    EXPECT_EQ(fake.network.received(next), "USB\n2400\n");
    EXPECT_TRUE(fake.network.closedByPanel(gone));
}

// A client that sends its requests and ends its sending (`nc -N`) gets every
// answer before the panel closes the connection.
TEST_F(NetworkPortTest, AClientThatEndedItsSendingGetsItsAnswers) {
    ASSERT_TRUE(openNetworkPort(p));
    const int client = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
    fake.network.send(client, "f\nm\n");
    fake.network.finishSending(client);
    serve();
    EXPECT_EQ(fake.network.received(client), "14250000\nUSB\n2400\n");
    EXPECT_TRUE(fake.network.closedByPanel(client));
}

TEST_F(NetworkPortTest, APortThatCannotBeHadIsSaidOnStandardError) {
    fake.network.occupy("127.0.0.1", kRigctldDefaultPort);
    testing::StderrCapture errors;
    EXPECT_FALSE(openNetworkPort(p));
    EXPECT_EQ(errors.text().rfind("vantor: cannot listen on 127.0.0.1:4532: ", 0), 0u) << errors.text();
}

}  // namespace
}  // namespace vantor
