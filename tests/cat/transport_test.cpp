#include "cat/transport.h"

#include "cat/debug_log.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using testing::PanelTest;

class TransportTest : public PanelTest {};

TEST_F(TransportTest, FrequencyCommandsAreRewrittenForSplitAndEightDigitRadios) {
    struct Case {
        int split;
        int model;
        std::string command;
        std::string onTheWire;
        std::string remembered;  // lastFrequencyCommand afterwards
    } cases[] = {
        {0, 0, "FA014250000", "FA014250000;", "FA014250000;"},
        {1, 0, "FA014250000", "FB014250000;", "FB014250000;"},
        {1, 0, "FA", "FB;", "before"},  // a query is not a frequency command
        {0, 462, "FA014250000", "FA14250000;", "FA014250000;"},
        {0, 462, "FB007100000", "FB07100000;", "FB007100000;"},
        {0, 241, "FA145500000", "FA45500000;", "FA145500000;"},
        {0, 251, "FA014250000", "FA14250000;", "FA014250000;"},
        {0, 362, "FA", "FA;", "before"},
        {0, 670, "FA014250000", "FA014250000;", "FA014250000;"},
        {0, 0, "MD02", "MD02;", "before"},
    };
    for (const auto& c : cases) {
        p.splitOn = c.split;
        p.radioModel = c.model;
        p.lastFrequencyCommand = "before";
        send(p, c.command);
        EXPECT_EQ(sent(), c.onTheWire) << c.command << " model " << c.model;
        EXPECT_EQ(p.lastFrequencyCommand, c.remembered) << c.command << " model " << c.model;
        EXPECT_EQ(p.commandText, c.onTheWire);
    }
}

TEST_F(TransportTest, AQueryIsAnsweredOnlyAfterThePause) {
    fake.serial.setResponder(1, [](std::string_view bytes) { return bytes == "ID;" ? "ID0670;" : ""; });
    send(p, "ID");
    receive(p);
    EXPECT_EQ(p.replyText, "");  // the radio has not answered yet
    delay(p);
    receive(p);
    EXPECT_EQ(p.replyText, "ID0670;");
    EXPECT_EQ(p.bytesWaiting, 7);
    query(p, "ID");
    EXPECT_EQ(p.replyText, "ID0670;");
    query(p, "XX");
    EXPECT_EQ(p.replyText, "");  // no answer leaves the reply empty
}

TEST_F(TransportTest, LongRepliesAreReadAtMost255BytesAtATime) {
    fake.serial.pushIncoming(1, std::string(300, 'x'));
    receive(p);
    EXPECT_EQ(p.replyText.size(), 255u);
    receive(p);
    EXPECT_EQ(p.replyText.size(), 45u);
}

TEST_F(TransportTest, PortsOutsideTheRangeOrClosedDoNothing) {
    for (int port : {0, 257, 2}) {
        p.comHandle = port;
        send(p, "FA014250000");
        receive(p);
        EXPECT_EQ(p.replyText, "");
    }
    EXPECT_EQ(fake.serial.written(2), "");
}

TEST_F(TransportTest, DebugLogLines) {
    p.debugLogging = 1;
    p.comHandle = 1;
    openDebugLog(p);
    fake.serial.setResponder(1, [](std::string_view) { return "FA007074000;"; });
    query(p, "FA");
    closeDebugLog(p);
    EXPECT_EQ(testing::readFile("debug.dat"),
              "VANTOR 3.5a  06-12-2026   09:05:07\r\nComport= 1  Speed= 38400 Baud\r\n"
              "TX=FA;\r\nRX=FA007074000;\r\n");
}

}  // namespace
}  // namespace vantor
