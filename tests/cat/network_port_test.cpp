// Programs on the network port: each connection takes its turn with the radio,
// the panel follows what they do, and one that leaves keyed is unkeyed.

#include "cat/network_port.h"

#include "app/radio_startup.h"
#include "panel/shared_radio.h"
#include "platform/work_dir.h"
#include "radiosim/radio_engine.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

std::string radioAnswer(std::string_view bytes) {
    if (bytes == "FA;") return "FA014250000;";
    if (bytes == "ID;") return "ID0670;";
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

// A program that goes while its keying is on the line leaves no carrier: the
// radio takes it after the program has gone, and the panel unkeys it at once,
// also while a sentence holds back the news (serve() applies it at its end).
TEST_F(NetworkPortTest, AProgramGoneWhileItsKeyingIsOnTheLineLeavesTheRadioUnkeyed) {
    ASSERT_TRUE(openNetworkPort(p));
    radiosim::RadioEngine radio(670);
    fake.serial.setResponder(1, [&](std::string_view bytes) { return radio.handle(bytes); });
    fake.serial.setLatency(1, [] { return 100; });
    const int client = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
    fake.network.send(client, "T 1\n");
    serveSharingPrograms(p);
    ASSERT_TRUE(radio.transmitting());
    fake.network.hangUp(client);
    serve(800);
    EXPECT_FALSE(radio.transmitting());
    EXPECT_EQ(p.txState, 0);
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

// A set the radio refuses is answered as rigctld answers the radio's "?;",
// one it gives no verdict on in time as a time-out, and keying without a
// verdict is taken back with TX0. The picture and the speech follow only what
// the radio took, also when its verdict comes after the time-out, and a late
// "?;" refuses its own set, not the one after it.
TEST_F(NetworkPortTest, OnlyWhatTheRadioTookIsDoneAndFollowed) {
    struct Row {
        const char* request;
        const char* refused;  // the commands the radio refuses
        int lateWrites;       // the first writes answered after the time-out
        bool silent;
        const char* reply;
        const char* lastSent;
    };
    // clang-format off
    const Row rows[] = {
        {"F 7074000\n",          "FA",  0, false, "RPRT -9\n",          "ID;"},
        {"M CW 0\n",             "MD",  0, false, "RPRT -9\n",          "ID;"},
        {"T 1\n",                "TX1", 0, false, "RPRT -9\n",          "ID;"},
        {"T 1\n",                "",    0, true,  "RPRT -5\n",          "TX0;"},
        {"+F 7074000\n",         "",    0, true,  "set_freq: 7074000\nRPRT -5\n", "ID;"},
        {"F 7074000\nM CW 0\n", "FA",  2, false, "RPRT -5\nRPRT 0\n", "MD03;AI;NA00;ID;SH016;ID;"},
        {"F 7074000\n",          "",    2, false, "RPRT -5\n",          "ID;"},
        {"T 1\n",                "",    2, false, "RPRT -5\n",          "TX0;"},
    };
    // clang-format on
    ASSERT_TRUE(openNetworkPort(p));
    for (const Row& row : rows) {
        radiosim::RadioEngine radio(670);
        radio.setRefused(row.refused);
        radio.setSilent(row.silent);
        fake.serial.setResponder(1, [&](std::string_view bytes) { return radio.handle(bytes); });
        int writes = 0;
        fake.serial.setLatency(1, [&, late = row.lateWrites] { return ++writes <= late ? 300 : 0; });
        p.picture = {static_cast<int>(radio.frequencyA()), static_cast<int>(radio.frequencyB()),
                     radio.mode()};
        p.vfoAFrequency = p.picture.vfoA;
        const int client = fake.network.connect("127.0.0.1", kRigctldDefaultPort);
        fake.network.send(client, row.request);
        serve(800);
        EXPECT_EQ(fake.network.received(client), row.reply) << row.request;
        const std::string written = sent();
        EXPECT_TRUE(written.ends_with(row.lastSent)) << row.request << written;
        EXPECT_EQ(std::tuple(p.picture.vfoA, p.vfoAFrequency, p.picture.mode, p.txState > 0),
                  std::tuple(static_cast<int>(radio.frequencyA()), static_cast<int>(radio.frequencyA()),
                             radio.mode(), radio.transmitting()))
            << row.request;
        EXPECT_EQ(heard(), Clips{}) << row.request;
        fake.network.hangUp(client);
        serve(2500);  // past the wait for any late answer
    }
}

TEST_F(NetworkPortTest, APortThatCannotBeHadIsSaidOnStandardError) {
    fake.network.occupy("127.0.0.1", kRigctldDefaultPort);
    testing::StderrCapture errors;
    EXPECT_FALSE(openNetworkPort(p));
    EXPECT_EQ(errors.text().rfind("vantor: cannot listen on 127.0.0.1:4532: ", 0), 0u) << errors.text();
}

}  // namespace
}  // namespace vantor
