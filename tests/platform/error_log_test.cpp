// The log that keeps standard error's lines on Windows: each line stamped with
// the local time, lines put together from the pieces a pipe hands over, and
// the file kept within its size.

#include "platform/error_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/panel_fixture.h"

namespace vantor {
namespace {

TEST(ErrorLog, EachLineCarriesTheLocalTimeAndEndsAsNotepadExpects) {
    struct Row {
        LocalTime time;
        const char* line;
        const char* expected;
    };
    const Row rows[] = {
        {{2024, 5, 1, 14, 3, 22},
         "vantor: vantor.cfg was not found in the working directory",
         "2024-05-01 14:03:22 vantor: vantor.cfg was not found in the working directory\r\n"},
        {{1999, 12, 31, 23, 59, 59}, "x", "1999-12-31 23:59:59 x\r\n"},
        {{2031, 1, 9, 0, 0, 0}, "", "2031-01-09 00:00:00 \r\n"},
        {{2024, 2, 3, 4, 5, 6},
         "vantor: K\xc3\xb6ln \xd0\x96",
         "2024-02-03 04:05:06 vantor: K\xc3\xb6ln \xd0\x96\r\n"},
    };
    for (const auto& [time, line, expected] : rows) EXPECT_EQ(stampedLine(time, line), expected) << line;
}

TEST(ErrorLog, LinesArePutTogetherFromThePiecesThatArrive) {
    struct Row {
        const char* what;
        std::vector<std::string> pieces;
        std::vector<std::string> lines;
        std::string rest;
    };
    const std::string runaway(kErrorLogLineLength + 10, 'a');
    const Row rows[] = {
        {"one line in one piece", {"vantor: a\n"}, {"vantor: a"}, ""},
        {"a line in three pieces", {"van", "tor: ", "b\n"}, {"vantor: b"}, ""},
        {"two lines in one piece and a part", {"a\nb\nc"}, {"a", "b"}, "c"},
        {"CR LF, a CR split from its LF, an empty line", {"a\r\n", "b\r", "\n", "\n"}, {"a", "b", ""}, ""},
        {"a CR alone stays", {"a\rb\n"}, {"a\rb"}, ""},
        {"a runaway line is cut", {runaway}, {runaway.substr(0, kErrorLogLineLength)}, "aaaaaaaaaa"},
        {"nothing", {}, {}, ""},
        {"the last line without its end", {"x\r"}, {}, "x"},
    };
    for (const auto& [what, pieces, lines, rest] : rows) {
        SCOPED_TRACE(what);
        LineCollector collector;
        std::vector<std::string> got;
        for (const auto& piece : pieces)
            for (auto& line : collector.add(piece)) got.push_back(line);
        EXPECT_EQ(got, lines);
        EXPECT_EQ(collector.rest(), rest);
        EXPECT_EQ(collector.rest(), "") << "the rest is handed over once";
    }
}

TEST(ErrorLog, TheFileMakesWayForNewLinesAtItsCap) {
    struct Row {
        const char* what;
        const char* before;     // the log as it was; nullptr when there is none
        const char* oldBefore;  // vantor.log.old as it was; nullptr when none
        const char* text;
        std::uintmax_t cap;
        const char* after;
        const char* oldAfter;  // nullptr when there is none
    };
    const Row rows[] = {
        {"a new log", nullptr, nullptr, "abc\r\n", 10, "abc\r\n", nullptr},
        {"room left", "12345", nullptr, "abc\r\n", 10, "12345abc\r\n", nullptr},
        {"just past the cap", "123456", nullptr, "abc\r\n", 10, "abc\r\n", "123456"},
        {"the older log goes", "123456", "old", "abc\r\n", 10, "abc\r\n", "123456"},
        {"a line larger than the cap in an empty log", "", nullptr, "abcdefghijkl", 10, "abcdefghijkl",
         nullptr},
    };
    for (const auto& [what, before, oldBefore, text, cap, after, oldAfter] : rows) {
        SCOPED_TRACE(what);
        testing::TemporaryDirectory directory;
        if (before) testing::writeFile("vantor.log", before);
        if (oldBefore) testing::writeFile("vantor.log.old", oldBefore);
        EXPECT_TRUE(appendCapped("vantor.log", text, cap));
        EXPECT_EQ(testing::readFile("vantor.log"), after);
        EXPECT_EQ(std::filesystem::exists("vantor.log.old"), oldAfter != nullptr);
        if (oldAfter) {
            EXPECT_EQ(testing::readFile("vantor.log.old"), oldAfter);
        }
    }
}

TEST(ErrorLog, ManyLinesStayWithinTwiceTheCapAndTheNewestAreKept) {
    testing::TemporaryDirectory directory;
    for (int n = 0; n < 1000; ++n)
        ASSERT_TRUE(appendCapped("vantor.log", "line " + std::to_string(n) + "\r\n", 200));
    const std::string log = testing::readFile("vantor.log"), old = testing::readFile("vantor.log.old");
    EXPECT_LE(log.size(), 200u);
    EXPECT_LE(old.size(), 200u);
    EXPECT_NE(log.find("line 999\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 10), "line 999\r\n");
}

TEST(ErrorLog, AFileThatCannotBeWrittenSaysSo) {
    testing::TemporaryDirectory directory;
    std::filesystem::create_directory("vantor.log");
    EXPECT_FALSE(appendCapped("vantor.log", "a\r\n", 100));
    EXPECT_FALSE(appendCapped("no-such-folder/vantor.log", "a\r\n", 100));
}

}  // namespace
}  // namespace vantor
