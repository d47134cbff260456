#include "memory/memory_listing.h"

#include "platform/files.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

using Lines = std::vector<std::string>;

const std::string kSeven = "       ";
const std::string kUsbLine = " A=14.25  B=14.25  USB" + kSeven;
const std::string kUsbRow = "0206A014250000B0142500009990";

// Slots start out empty ("").
class MemoryListingTest : public testing::PanelTest {
  protected:
    Lines listing() {
        writeMemoryListing(p);
        Lines lines;
        EXPECT_EQ(readLines("memory.txt", lines, 1000, 1000), ReadResult::ok);
        return lines;
    }
};

TEST_F(MemoryListingTest, EachChannelIsDescribedInWords) {
    const std::pair<std::string, std::string> cases[] = {
        {kUsbRow, kUsbLine},
        {"1206A014200000B0142500009990", " A=14.2  B=14.25  USB  split"},
        {"5712A145500000B-000006000120", " A=145.5  FMW  Repeater  -600Khz" + kSeven + "   CTCSS=012"},
        {"5512A145500000B+000006005120", " A=145.5  FMN  Repeater  +600Khz" + kSeven + "   DCS=512"},
        {"5512A145500000B+000000004990", " A=145.5  FMN  Repeater  +0Khz" + kSeven + "   CTCSS=499"},
        {"0404A007000000B0070000009990", " A=7.0  B=7.0  AM" + kSeven},
        {"0101A001838000B0018381009990", " A=1.838  B=1.8381  LSB" + kSeven},
        {"0306A014205000B0140001009990", " A=14.205  B=14.0001  CW" + kSeven},
        {"0606A430000000B4300000009990", " A=430.0  B=430.0  C4FM" + kSeven},
        {"0806A014000000B0140000009990", " A=14.0  B=14.0" + kSeven},  // no such mode
    };
    for (const auto& [row, line] : cases) {
        p.memoryTable[25] = row;
        EXPECT_EQ(listing().back(), "Slot 5" + line) << row;
    }
}

// Slots 30 to 36 hold damaged rows: listed without harm, whatever their text.
TEST_F(MemoryListingTest, OccupiedSlotsAreGroupedByBankInOrderAndDamagedOnesListedWithoutHarm) {
    for (int slot : {91, 12, 10, 19}) p.memoryTable[slot] = kUsbRow;
    p.memoryTable[51] = "9 junk";  // empty too
    int slot = 30;
    for (const char* row : {"0", "5", "1x", "02", "0abcdefghijklmnopqrstuvwxyz!!", "\xff\xfe", "0206A01425"})
        p.memoryTable[slot++] = row;
    Lines lines = listing();
    for (int i = 9; i < 16; ++i) lines.at(i).resize(i < 15 ? 9 : 17);
    EXPECT_EQ(lines,
              (Lines{"Memory Bank Information", "  ", "  ", "Bank1", "Slot 0" + kUsbLine, "Slot 2" + kUsbLine,
                     "Slot 9" + kUsbLine, "  ", "Bank3", "Slot 0 A=", "Slot 1 A=", "Slot 2 A=", "Slot 3 A=",
                     "Slot 4 A=", "Slot 5 A=", "Slot 6 A=14.25  B", "  ", "Bank9", "Slot 1" + kUsbLine}));
}

TEST_F(MemoryListingTest, EmptyMemorySaysSoInCrLfLinesAndAFailedWriteKeepsTheListingAndSaysSoOnce) {
    writeMemoryListing(p);
    std::filesystem::create_directory("memory.txt.tmp");
    p.memoryTable[0] = kUsbRow;
    ::testing::internal::CaptureStderr();
    writeMemoryListing(p);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_NE(said.find("cannot write memory.txt"), std::string::npos);
    // The first write's listing, untouched.
    EXPECT_EQ(testing::readFile("memory.txt"), "Memory Bank Information\r\n  \r\nEmpty\r\n");
}

}  // namespace
}  // namespace vantor
