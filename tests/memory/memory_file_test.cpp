#include "memory/memory_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "memory/band_defaults.h"
#include "platform/fake/fake_platform.h"
#include "support/panel_fixture.h"
#include "platform/files.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kUsbRow = "0206A014250000B0142500009990";

// Each test works in a fresh directory of its own.
class MemoryFileTest : public ::testing::Test {
  protected:
    // The tables as start-up sets them before the memory file is read.
    static void fillDefaults(Panel& p) {
        for (int row = 1; row < kBandRows; ++row) p.bandTable[row] = kBuiltInBandRows[row];
        p.memoryTable.fill("9");
        p.bandIndex = 4;
        p.versionText = "3.5a";
    }
    static Lines linesOf(const std::string& path) {
        Lines lines;
        EXPECT_EQ(readLines(path, lines), ReadResult::ok) << path;
        return lines;
    }
    static void writeRaw(const std::string& path, const Lines& lines, const std::string& ending = "\r\n") {
        std::ofstream out(path, std::ios::binary);
        for (const auto& line : lines) out << line << ending;
    }
    static int stderrLines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }
    testing::TemporaryDirectory directory;
    fake::FakePlatform fp;
};

TEST_F(MemoryFileTest, HeaderCarriesBandAndNoiseReductionAndReadsBack) {
    struct Case {
        int band, nr;
        std::string header;
        int loadedBand, loadedNr;
    };
    const Case cases[] = {
        {4, 0, "VANTOR v3.2a 3.5a 40", 4, 0},   {12, 1, "VANTOR v3.2a 3.5a <1", 12, 1},
        {14, 1, "VANTOR v3.2a 3.5a >1", 14, 1}, {1, 9, "VANTOR v3.2a 3.5a 19", 1, 0},
        {0, 1, "VANTOR v3.2a 3.5a", 0, 0},      {15, 1, "VANTOR v3.2a 3.5a", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        Panel saved(fp.platform);
        fillDefaults(saved);
        saved.bandIndex = c.band;
        saved.nrOn = c.nr;
        saveMemoryFile(saved);
        const Lines lines = linesOf("savmem.dat");
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[0], c.header);

        Panel loaded(fp.platform);
        fillDefaults(loaded);
        loaded.bandIndex = 7;
        loaded.nrOn = 1 - c.loadedNr;
        loadMemoryFile(loaded);
        EXPECT_EQ(loaded.bandIndex, c.loadedBand);
        EXPECT_EQ(loaded.nrOn, c.loadedNr);
    }
}

TEST_F(MemoryFileTest, HandEditedHeaderNeverGivesABandOutsideTheTable) {
    struct Case {
        std::string header;
        int band, nr;
    };
    const Case cases[] = {
        {"VANTOR v3.2a 3.5a ?1", 0, 1},
        {"VANTOR v3.2a 3.5a z0", 0, 0},
        {"VANTOR v3.2a 3.5a /1", 0, 1},
        {"VANTOR v3.2a 3.5a \xff"
         "1",
         0, 1},
        {"VANTOR v3.2a 3.5a 3", 3, 0},
        {"VANTOR v3.2a 3.5a =x", 13, 0},
        {"VANTOR v3.2a", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        Panel p(fp.platform);
        fillDefaults(p);
        saveMemoryFile(p);
        Lines lines = linesOf("savmem.dat");
        lines[0] = c.header;
        writeRaw("savmem.dat", lines);
        p.nrOn = 1 - c.nr;
        loadMemoryFile(p);
        EXPECT_EQ(p.bandIndex, c.band);
        EXPECT_EQ(p.nrOn, c.nr);
    }
}

TEST_F(MemoryFileTest, TablesSurviveARoundTripWhateverTheLineEndings) {
    Panel saved(fp.platform);
    fillDefaults(saved);
    saved.memoryTable[0] = kUsbRow;
    saved.memoryTable[99] = "5712A145500000B-000006000120";
    saved.bandTable[6] = "02A014074000B0142000009991";
    saveMemoryFile(saved);
    const Lines lines = linesOf("savmem.dat");
    for (const std::string ending : {"\r\n", "\n", "\r"}) {
        writeRaw("savmem.dat", lines, ending);
        Panel loaded(fp.platform);
        fillDefaults(loaded);
        loadMemoryFile(loaded);
        EXPECT_EQ(loaded.memoryTable, saved.memoryTable);
        EXPECT_EQ(loaded.bandTable, saved.bandTable);
    }
}

TEST_F(MemoryFileTest, MissingFileIsCreatedFromTheTablesAndTheEarlierFileRemoved) {
    writeRaw("memory.dat", {"old"});
    Panel p(fp.platform);
    fillDefaults(p);
    loadMemoryFile(p);
    EXPECT_FALSE(fileExists("memory.dat"));
    EXPECT_EQ(linesOf("memory.dat.bak"), Lines{"old"});
    const Lines lines = linesOf("savmem.dat");
    ASSERT_EQ(lines.size(), 115u);
    EXPECT_EQ(lines[0], "VANTOR v3.2a 3.5a 40");
    EXPECT_EQ(lines[12], kBuiltInBandRows[12]);
    EXPECT_EQ(Lines(lines.begin() + 15, lines.end()), Lines(100, "9"));
    EXPECT_EQ(linesOf("memory.txt").back(), "Empty");
    EXPECT_EQ(p.bandIndex, 4);
}

TEST_F(MemoryFileTest, ShortOrDamagedFileLeavesNoGarbageChannels) {
    Panel full(fp.platform);
    fillDefaults(full);
    full.memoryTable.fill(kUsbRow);
    for (int row = 1; row < kBandRows; ++row) full.bandTable[row] = "01A003500000B0035000009990";
    saveMemoryFile(full);
    const Lines lines = linesOf("savmem.dat");
    struct Case {
        std::size_t kept;
        std::size_t blanked;
        int bandRowsRead, slotsRead;
    };
    const Case cases[] = {{21, 0, 14, 6}, {6, 0, 5, 0}, {115, 20, 14, 100}, {115, 3, 14, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kept);
        Lines damaged(lines.begin(), lines.begin() + static_cast<long>(c.kept));
        if (c.blanked) damaged[c.blanked] = "";
        writeRaw("savmem.dat", damaged);
        Panel p(fp.platform);
        fillDefaults(p);
        loadMemoryFile(p);
        for (int row = 1; row < kBandRows; ++row) {
            const bool read = row <= c.bandRowsRead && static_cast<std::size_t>(row) != c.blanked;
            EXPECT_EQ(p.bandTable[row], read ? full.bandTable[row] : kBuiltInBandRows[row]) << row;
        }
        for (int slot = 0; slot < kMemorySlots; ++slot) {
            const bool read = slot < c.slotsRead && 15u + static_cast<std::size_t>(slot) != c.blanked;
            EXPECT_EQ(p.memoryTable[slot], read ? kUsbRow : "9") << slot;
        }
    }
}

TEST_F(MemoryFileTest, OlderFormatIsConvertedAfterABackupCopy) {
    Lines old{"VANTOR v2.3c 2.1"};
    for (int i = 0; i < 13; ++i) old.push_back("skipped " + std::to_string(i));
    old.push_back(kUsbRow.substr(1));
    old.push_back("9");
    old.push_back("");
    old.push_back("5712A145500000B-00000600012");  // and the other 97 slots missing
    writeRaw("savmem.dat", old);
    Panel p(fp.platform);
    fillDefaults(p);
    loadMemoryFile(p);
    EXPECT_EQ(linesOf("savmem.dat.bak"), old);
    EXPECT_EQ(linesOf("savmem.dat")[0], "VANTOR v3.2a 3.5a 40");
    Lines expected(100, "9");
    expected[0] = kUsbRow;
    expected[3] = "05712A145500000B-00000600012";
    EXPECT_EQ(Lines(p.memoryTable.begin(), p.memoryTable.end()), expected);
    EXPECT_EQ(p.bandTable[4], kBuiltInBandRows[4]);
}

TEST_F(MemoryFileTest, UnknownFileIsBackedUpAndReplacedFromTheTablesInForce) {
    const Lines contents[] = {{"garbage", "more"}, {}};
    const std::string backups[] = {"savmem.dat.bak", "savmem.dat.bak1"};
    for (int i = 0; i < 2; ++i) {
        writeRaw("savmem.dat", contents[i]);
        Panel p(fp.platform);
        fillDefaults(p);
        p.memoryTable[7] = kUsbRow;
        loadMemoryFile(p);
        EXPECT_EQ(linesOf(backups[i]), contents[i]);
        const Lines lines = linesOf("savmem.dat");
        ASSERT_EQ(lines.size(), 115u);
        EXPECT_EQ(lines[0], "VANTOR v3.2a 3.5a 40");
        EXPECT_EQ(lines[15 + 7], kUsbRow);
        EXPECT_EQ(p.memoryTable[7], kUsbRow);
    }
}

// As root, permissions stop nothing: a directory stands in for a file that
// cannot be read, or for the temporary file the safe write must create.
TEST_F(MemoryFileTest, FileThatCannotBeReadOrWrittenLeavesTheTablesAndSaysSoOnce) {
    struct Case {
        std::string name;
        std::string blocker;
        Lines before;
    };
    const Case cases[] = {
        {"unreadable", "savmem.dat", {}},
        {"missing, cannot create", "savmem.dat.tmp", {}},
        {"unknown, cannot replace", "savmem.dat.tmp", {"garbage"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all("savmem.dat");
        fs::remove_all("savmem.dat.tmp");
        fs::create_directory(c.blocker);
        if (!c.before.empty()) writeRaw("savmem.dat", c.before);
        Panel p(fp.platform);
        fillDefaults(p);
        ::testing::internal::CaptureStderr();
        loadMemoryFile(p);
        EXPECT_EQ(stderrLines(::testing::internal::GetCapturedStderr()), 1);
        EXPECT_EQ(p.bandIndex, 4);
        EXPECT_EQ(p.memoryTable[0], "9");
        EXPECT_EQ(p.bandTable[1], kBuiltInBandRows[1]);
        EXPECT_EQ(fs::exists("savmem.dat"), c.blocker == "savmem.dat" || !c.before.empty());
        if (c.blocker == "savmem.dat") {
            EXPECT_TRUE(fs::is_directory("savmem.dat"));
        }
        if (!c.before.empty()) {
            EXPECT_EQ(linesOf("savmem.dat"), c.before);
        }
    }
}

TEST_F(MemoryFileTest, FailedSaveKeepsThePreviousFileAndListing) {
    Panel p(fp.platform);
    fillDefaults(p);
    saveMemoryFile(p);
    const Lines file = linesOf("savmem.dat"), listing = linesOf("memory.txt");
    fs::create_directory("savmem.dat.tmp");
    p.memoryTable[0] = kUsbRow;
    ::testing::internal::CaptureStderr();
    saveMemoryFile(p);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(stderrLines(said), 1);
    EXPECT_NE(said.find("cannot write savmem.dat"), std::string::npos);
    EXPECT_EQ(linesOf("savmem.dat"), file);
    EXPECT_EQ(linesOf("memory.txt"), listing);
}

}  // namespace
}  // namespace vantor
