#include "memory/memory_file.h"

#include <functional>
#include <tuple>

#include "memory/band_defaults.h"
#include "platform/files.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kUsbRow = "0206A014250000B0142500009990";
const std::string kHeader = "VANTOR v3.2a 3.5a";

class MemoryFileTest : public testing::PanelTest {
  protected:
    MemoryFileTest() { reset(); }
    // The tables as start-up sets them before the memory file is read.
    void reset() {
        for (int row = 1; row < kBandRows; ++row) p.bandTable[row] = kBuiltInBandRows[row];
        p.memoryTable.fill("9");
        p.bandIndex = 4;
        p.memoryFileWriteFailing = 0;
    }
    static Lines linesOf(const std::string& path) {
        Lines lines;
        EXPECT_EQ(readLines(path, lines, 1000, 1000), ReadResult::ok) << path;
        return lines;
    }
    static void writeRaw(const Lines& lines, const char* ending = "\r\n", const char* path = "savmem.dat") {
        std::ofstream out(path, std::ios::binary);
        for (const auto& line : lines) out << line << ending;
    }
    // What the operation said on stderr: one line.
    template <typename Operation>
    std::string complaint(Operation operation) {
        ::testing::internal::CaptureStderr();
        operation(p);
        const std::string text = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        return text;
    }
};

// A band of -1 means the header is written by hand rather than saved.
TEST_F(MemoryFileTest, HeaderCarriesBandAndNoiseReductionAndABadBandReadsAsNone) {
    const std::tuple<int, int, std::string, int, int> cases[] = {
        {4, 0, " 40", 4, 0},  {12, 1, " <1", 12, 1}, {14, 1, " >1", 14, 1},
        {0, 1, "", 0, 0},     {15, 1, "", 0, 0},     {-1, 0, " ?1", 0, 1},
        {-1, 0, " /1", 0, 1}, {-1, 0, " 3", 3, 0},   {-1, 0, " =x", 13, 0}};
    for (const auto& [band, nr, suffix, loadedBand, loadedNr] : cases) {
        SCOPED_TRACE(kHeader + suffix);
        p.bandIndex = band, p.nrOn = nr;
        saveMemoryFile(p);
        Lines lines = linesOf("savmem.dat");
        EXPECT_TRUE(band < 0 || lines[0] == kHeader + suffix) << lines[0];
        lines[0] = kHeader + suffix;
        writeRaw(lines);
        p.bandIndex = 7, p.nrOn = 1 - loadedNr;
        loadMemoryFile(p);
        EXPECT_EQ(p.bandIndex, loadedBand);
        EXPECT_EQ(p.nrOn, loadedNr);
    }
}

TEST_F(MemoryFileTest, TablesSurviveARoundTripWhateverTheLineEndings) {
    p.memoryTable[99] = "5712A145500000B-000006000120";
    p.bandTable[6] = "02A014074000B0142000009991";
    saveMemoryFile(p);
    const Lines saved = linesOf("savmem.dat");
    for (const char* ending : {"\r\n", "\n", "\r"}) {
        writeRaw(saved, ending);
        reset();
        loadMemoryFile(p);
        saveMemoryFile(p);
        EXPECT_EQ(linesOf("savmem.dat"), saved);
    }
}

// Lines kept from a full file, one line blanked (0: none), band rows and slots then read from it.
TEST_F(MemoryFileTest, ShortOrDamagedFileLeavesNoGarbageChannels) {
    p.memoryTable.fill(kUsbRow);
    for (int row = 1; row < kBandRows; ++row) p.bandTable[row] = "01A003500000B0035000009990";
    saveMemoryFile(p);
    const auto fullBands = p.bandTable;
    const Lines lines = linesOf("savmem.dat");
    const std::tuple<int, int, int, int> cases[] = {
        {21, 0, 14, 6}, {6, 0, 5, 0}, {115, 20, 14, 100}, {115, 3, 14, 100}};
    for (const auto& [kept, blanked, bandRowsRead, slotsRead] : cases) {
        SCOPED_TRACE(std::to_string(kept) + " lines, blanked " + std::to_string(blanked));
        Lines damaged(lines.begin(), lines.begin() + kept);
        if (blanked) damaged[blanked] = "";
        writeRaw(damaged);
        reset();
        loadMemoryFile(p);
        for (int row = 1; row < kBandRows; ++row)
            EXPECT_EQ(p.bandTable[row],
                      row <= bandRowsRead && row != blanked ? fullBands[row] : kBuiltInBandRows[row]);
        for (int slot = 0; slot < kMemorySlots; ++slot)
            EXPECT_EQ(p.memoryTable[slot], slot < slotsRead && 15 + slot != blanked ? kUsbRow : "9") << slot;
    }
}

// Missing (beside the earlier release's file), older or unknown: kept, then written from the tables.
TEST_F(MemoryFileTest, AnyButACurrentFileIsBackedUpAndRewritten) {
    Lines older(14, "skipped");  // the header and 13 band rows of the older format
    older[0] = "VANTOR v2.3c 2.1";
    older.insert(older.end(), {"206A014250000B0142500009990", "9", "", "5712A145500000B-00000600012"});
    Lines converted(100, "9"), inForce(100, "9");  // the older file's other 96 slots are missing
    converted[0] = inForce[7] = kUsbRow;
    converted[3] = "05712A145500000B-00000600012";
    const std::tuple<const char*, Lines, std::string, Lines> cases[] = {
        {"memory.dat", {"old"}, "memory.dat.bak", inForce},
        {"savmem.dat", older, "savmem.dat.bak", converted},
        {"savmem.dat", {"garbage", "more"}, "savmem.dat.bak1", inForce},
        {"savmem.dat", {}, "savmem.dat.bak2", inForce}};
    for (const auto& [file, contents, backup, slots] : cases) {
        SCOPED_TRACE(backup);
        writeRaw(contents, "\r\n", file);
        reset();
        p.memoryTable[7] = kUsbRow;
        loadMemoryFile(p);
        EXPECT_EQ(linesOf(backup), contents);
        EXPECT_FALSE(fs::exists("memory.dat"));
        EXPECT_EQ(linesOf("memory.txt")[3], "Bank0");
        const Lines lines = linesOf("savmem.dat");
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[0], kHeader + " 40");
        EXPECT_EQ(Lines(lines.begin() + 15, lines.end()), slots);
        EXPECT_EQ(Lines(p.memoryTable.begin(), p.memoryTable.end()), slots);
        EXPECT_EQ(p.bandTable[1], kBuiltInBandRows[1]);
    }
}

// What stands under a name, for comparing before and after.
std::string fileState(const char* path) {
    const fs::file_status status = fs::symlink_status(path);
    if (fs::is_symlink(status)) return "link to " + fs::read_symlink(path).string();
    if (fs::is_directory(status)) return "directory";
    return fs::exists(status) ? testing::readFile(path) : "missing";
}

// As root, permissions stop nothing: a directory stands in for a file that
// cannot be read, or for the temporary file the safe write must create. A link
// to /dev/zero and a huge file are read only so far and cannot be copied. The
// load says so once; the two saves of the way out (quit and shut-down) say
// once that the file is left alone, or nothing when the load already said
// that writes fail; they do not touch the file either, and copy nothing.
TEST_F(MemoryFileTest, FileThatCannotBeReadCopiedOrWrittenIsLeftAsItIsWithTheTables) {
    // clang-format off
    const std::tuple<const char*, std::function<void()>, bool, int, bool> cases[] = {
        // savmem.dat, the temporary file blocked, lines the saves say, a copy kept by the load
        {"directory", [] { fs::create_directory("savmem.dat"); }, false, 1, false},
#ifndef _WIN32
        {"link to /dev/zero", [] { fs::create_symlink("/dev/zero", "savmem.dat"); }, false, 1, false},
#endif
        {"huge", [] { testing::writeFile("savmem.dat", std::string(kMaxFileBytes + 1, 'x')); }, false, 1, false},
        {"missing", [] {}, true, 0, false},
        {"unknown", [] { testing::writeFile("savmem.dat", "garbage\r\n"); }, true, 0, true}};
    // clang-format on
    for (const auto& [what, make, blocked, linesSaid, copied] : cases) {
        SCOPED_TRACE(what);
        for (const char* path : {"savmem.dat", "savmem.dat.tmp", "savmem.dat.bak"}) fs::remove_all(path);
        make();
        if (blocked) fs::create_directory("savmem.dat.tmp");
        const std::string before = fileState("savmem.dat");
        reset();
        complaint(loadMemoryFile);
        EXPECT_EQ(p.bandIndex, 4);
        EXPECT_EQ(p.memoryTable[0], "9");
        EXPECT_EQ(p.bandTable[1], kBuiltInBandRows[1]);
        p.memoryTable[0] = kUsbRow;
        ::testing::internal::CaptureStderr();
        saveMemoryFile(p);
        saveMemoryFile(p);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), linesSaid) << said;
        EXPECT_EQ(fileState("savmem.dat"), before);
        EXPECT_EQ(fs::exists("savmem.dat.bak"), copied);
        EXPECT_FALSE(fs::exists("savmem.dat.bak1") || fs::exists("memory.txt"));
    }
}

// Once the file can be copied (here made readable during the run), the first
// save keeps one copy and replaces it; the second save replaces only its own file.
TEST_F(MemoryFileTest, FileNotTakenInIsCopiedOnceBeforeItIsReplaced) {
    for (auto [what, make] :
         {std::pair{"unreadable", +[] { fs::create_directory("savmem.dat"); }},
          {"unknown", +[] { testing::writeFile("savmem.dat", std::string(kMaxFileBytes + 1, 'x')); }}}) {
        SCOPED_TRACE(what);
        for (const char* path : {"savmem.dat", "savmem.dat.bak"}) fs::remove_all(path);
        make();
        reset();
        complaint(loadMemoryFile);
        fs::remove_all("savmem.dat");
        writeRaw({"an operator's channels"});
        p.memoryTable[0] = kUsbRow;
        saveMemoryFile(p);
        saveMemoryFile(p);
        EXPECT_EQ(linesOf("savmem.dat.bak"), Lines{"an operator's channels"});
        EXPECT_FALSE(fs::exists("savmem.dat.bak1"));
        EXPECT_EQ(linesOf("savmem.dat")[15], kUsbRow);
    }
}

TEST_F(MemoryFileTest, FailedSaveKeepsThePreviousFileAndListingAndIsSaidOnce) {
    saveMemoryFile(p);
    const Lines file = linesOf("savmem.dat"), listing = linesOf("memory.txt");
    fs::create_directory("savmem.dat.tmp");
    p.memoryTable[0] = kUsbRow;
    bool saved = true;
    EXPECT_NE(complaint([&](Panel& q) { saved = saveMemoryFile(q); }).find("cannot write savmem.dat"),
              std::string::npos);
    EXPECT_FALSE(saved);
    EXPECT_EQ(linesOf("savmem.dat"), file);
    EXPECT_EQ(linesOf("memory.txt"), listing);
    // Said once while the writes keep failing, and again once they failed anew.
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(saveMemoryFile(p));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    fs::remove("savmem.dat.tmp");
    EXPECT_TRUE(saveMemoryFile(p));
    fs::create_directory("savmem.dat.tmp");
    EXPECT_NE(complaint([&](Panel& q) { saveMemoryFile(q); }).find("cannot write savmem.dat"), std::string::npos);
}

}  // namespace
}  // namespace vantor
