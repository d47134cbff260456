#include "cat/transport.h"

#include "cat/debug_log.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using TransportTest = testing::PanelTest;

// Split sends VFO A's commands to VFO B; 8-digit radios lose the leading digit on
// the wire while lastFrequencyCommand keeps the frequency in nine, also of a
// command in their own 8-digit form; queries, other commands and anything but FA/FB with the
// digits of a frequency are sent as they are and not remembered.
TEST_F(TransportTest, FrequencyCommandsAreRewrittenForSplitAndEightDigitRadios) {
    // clang-format off
    const std::tuple<int, int, const char*, const char*, const char*> cases[] = {
        // split, digits of the radio's fields, command, on the wire, lastFrequencyCommand afterwards
        {0, 9, "FA014250000", "FA014250000;", "FA014250000;"},
        {1, 9, "FA014250000", "FB014250000;", "FB014250000;"},
        {0, 8, "FA014250000", "FA14250000;", "FA014250000;"},
        {0, 8, "FB007100000", "FB07100000;", "FB007100000;"},
        {0, 8, "FA145500000", "FA45500000;", "FA045500000;"},  // what the radio takes
        {0, 8, "FA14250000", "FA14250000;", "FA014250000;"},
        {1, 8, "FA14250000", "FB14250000;", "FB014250000;"},
        {0, 9, "FA14250000", "FA14250000;", "before"},
        {0, 9, "FAxyzxyzxyz", "FAxyzxyzxyz;", "before"},
        {0, 8, "FBxyzxyzxyz", "FBxyzxyzxyz;", "before"},
        {0, 9, "FA0142500000", "FA0142500000;", "before"},
        {0, 9, "FA 14250000", "FA 14250000;", "before"},
        {1, 9, "FA", "FB;", "before"}, {0, 8, "FA", "FA;", "before"}, {0, 9, "MD02", "MD02;", "before"}};
    // clang-format on
    for (const auto& [split, digits, command, onTheWire, remembered] : cases) {
        p.splitOn = split, p.frequencyDigits = digits, p.lastFrequencyCommand = "before";
        send(p, command);
        EXPECT_EQ(sent(), onTheWire) << command << " digits " << digits;
        EXPECT_EQ(p.lastFrequencyCommand, remembered) << command << " digits " << digits;
        EXPECT_EQ(p.commandText, onTheWire);
    }
}

// A query is answered only after the pause; no answer leaves the reply empty; a
// long reply is read at most 255 bytes at a time.
TEST_F(TransportTest, RepliesAreReadAfterThePause) {
    fake.serial.setResponder(1, [](std::string_view bytes) { return bytes == "ID;" ? "ID0670;" : ""; });
    send(p, "ID");
    receive(p);
    EXPECT_EQ(p.replyText, "");
    delay(p);
    receive(p);
    EXPECT_EQ(p.replyText, "ID0670;");
    EXPECT_EQ(p.bytesWaiting, 7);
    query(p, "ID");
    EXPECT_EQ(p.replyText, "ID0670;");
    query(p, "XX");
    EXPECT_EQ(p.replyText, "");
    // Bytes that never end in ";" are noise; answers beyond 255 bytes leave the newest.
    fake.serial.pushIncoming(1, std::string(300, 'x'));
    receive(p);
    EXPECT_EQ(p.replyText, "");
    fake.serial.pushIncoming(1, std::string(200, 'x') + ";" + std::string(99, 'y') + ";");
    receive(p);
    EXPECT_EQ(p.replyText, std::string(154, 'x') + ";" + std::string(99, 'y') + ";");
}

// Noise before an answer in the same read is dropped: the answer starts at the
// letters of the question asked, else at letters an answer may begin with, else
// it is "?;". Noise alone is left for the reader to ignore.
TEST_F(TransportTest, NoiseBeforeAnAnswerIsDropped) {
    // clang-format off
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // question on the line ("" none), bytes from the radio, replyText
        {"FA", "\x11\xff#FA007100000;", "FA007100000;"},
        {"FA", "ZZFA007100000;", "FA007100000;"},
        {"FA", "\r\nFA007100000;", "FA007100000;"},
        {"FA", "FA007100000;", "FA007100000;"},
        {"CN0", "#ACN00008;", "CN00008;"},
        {"ID", "ZZ?;", "?;"},
        {"FA", "\x11" "FA007100000;\r\nSM0120;", "FA007100000;SM0120;"},
        {"", "ZZMD02;", "MD02;"},
        {"", "\xff\xfe;", "\xff\xfe;"}};
    // clang-format on
    for (const auto& [question, bytes, reply] : cases) {
        if (*question) ask(p, question);
        fake.serial.pushIncoming(1, bytes);
        receive(p);
        EXPECT_EQ(p.replyText, reply) << question << " " << bytes;
    }
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
