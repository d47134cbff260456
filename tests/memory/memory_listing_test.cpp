#include "memory/memory_listing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "support/panel_fixture.h"
#include "platform/files.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kSeven = "       ";

class MemoryListingTest : public ::testing::Test {
  protected:
    void SetUp() override { p.memoryTable.fill("9"); }
    Lines listing() {
        writeMemoryListing(p);
        Lines lines;
        EXPECT_EQ(readLines("memory.txt", lines), ReadResult::ok);
        return lines;
    }
    testing::TemporaryDirectory directory;
    fake::FakePlatform fp;
    Panel p{fp.platform};
};

TEST_F(MemoryListingTest, EachChannelIsDescribedInWords) {
    struct Case {
        std::string row, line;
    };
    const Case cases[] = {
        {"0206A014250000B0142500009990", "Slot 5 A=14.25  B=14.25  USB" + kSeven},
        {"1206A014200000B0142500009990", "Slot 5 A=14.2  B=14.25  USB  split"},
        {"5712A145500000B-000006000120", "Slot 5 A=145.5  FMW  Repeater  -600Khz" + kSeven + "   CTCSS=012"},
        {"5512A145500000B+000006005120", "Slot 5 A=145.5  FMN  Repeater  +600Khz" + kSeven + "   DCS=512"},
        {"5512A145500000B+000000004990", "Slot 5 A=145.5  FMN  Repeater  +0Khz" + kSeven + "   CTCSS=499"},
        {"0404A007000000B0070000009990", "Slot 5 A=7.0  B=7.0  AM" + kSeven},
        {"0101A001838000B0018381009990", "Slot 5 A=1.838  B=1.8381  LSB" + kSeven},
        {"0306A014205000B0140001009990", "Slot 5 A=14.205  B=14.0001  CW" + kSeven},
        {"0606A430000000B4300000009990", "Slot 5 A=430.0  B=430.0  C4FM" + kSeven},
        {"0806A014000000B0140000009990", "Slot 5 A=14.0  B=14.0" + kSeven},
    };
    for (const auto& c : cases) {
        p.memoryTable[25] = c.row;
        EXPECT_EQ(listing(), (Lines{"Memory Bank Information", "  ", "  ", "Bank2", c.line})) << c.row;
    }
}

TEST_F(MemoryListingTest, OccupiedSlotsAreGroupedByBankInOrder) {
    const std::string row = "0206A014250000B0142500009990";
    for (int slot : {91, 12, 10, 19}) p.memoryTable[slot] = row;
    p.memoryTable[50] = "";
    p.memoryTable[51] = "9 junk";
    const std::string tail = " A=14.25  B=14.25  USB" + kSeven;
    EXPECT_EQ(listing(), (Lines{"Memory Bank Information", "  ", "  ", "Bank1", "Slot 0" + tail,
                                "Slot 2" + tail, "Slot 9" + tail, "  ", "Bank9", "Slot 1" + tail}));
}

TEST_F(MemoryListingTest, EmptyMemorySaysSoAndEveryLineEndsInCrLf) {
    listing();
    std::ifstream in("memory.txt", std::ios::binary);
    const std::string raw{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(raw, "Memory Bank Information\r\n  \r\nEmpty\r\n");
}

TEST_F(MemoryListingTest, DamagedRowsAreListedWithoutHarm) {
    const std::string rows[] = {"0",        "5",         "1x", "02", "0abcdefghijklmnopqrstuvwxyz!!",
                                "\xff\xfe", "0206A01425"};
    for (int i = 0; i < 7; ++i) p.memoryTable[i] = rows[i];
    const Lines lines = listing();
    ASSERT_EQ(lines.size(), 11u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(lines[4 + i].rfind("Slot " + std::to_string(i) + " A=", 0), 0u);
    EXPECT_EQ(lines[10].substr(0, 17), "Slot 6 A=14.25  B");
}

TEST_F(MemoryListingTest, FailedWriteKeepsTheOldListingAndSaysSoOnce) {
    const Lines before = listing();
    fs::create_directory("memory.txt.tmp");
    p.memoryTable[0] = "0206A014250000B0142500009990";
    ::testing::internal::CaptureStderr();
    writeMemoryListing(p);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_NE(said.find("cannot write memory.txt"), std::string::npos);
    Lines after;
    ASSERT_EQ(readLines("memory.txt", after), ReadResult::ok);
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace vantor
