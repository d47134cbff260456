#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <filesystem>
#include <optional>

#include "memory/memory_file.h"
#include "support/radio_fixture.h"
#ifdef _WIN32
#include "support/file_holder.h"
#endif

namespace vantor {
namespace {

using testing::Clips;
using testing::words;

class ChannelsTest : public testing::RadioTest {
  protected:
    ChannelsTest() { startConnectedPanel(), p.radioModel = 670, p.shift2mDigits = "600", p.shift2mMinus = 1; }
    bool fileHolds(const char* name, const std::string& text) {
        return testing::readFile(name).find(text) != std::string::npos;
    }
};

// State: s split (VFO A kept in the band row, VFO B from the last FB reply), r repeater
// shift, p preamp, P its second amplifier; the tone is in force unless "999". Outside split
// VFO A is the working frequency, wherever the band row stands. Row 14 has no shift to store;
// a code being typed is no tone. The bank stays until an entry is abandoned.
TEST_F(ChannelsTest, StoreWritesTheRadiosStateAndBothFilesAtOnce) {
    // clang-format off
    const std::tuple<int, int, int, const char*, const char*, const char*, int, const char*> cases[] = {
        {6, 2, 14250000, "", "999", "C3", 3, "0206A014250000B0142500009990"},
        {6, 2, 14260000, "s", "999", "C3", 3, "1206A014200000B0142600009990"},
        {12, 7, 145600000, "r", "012", "C3", 3, "5712A145600000B-000006000120"},
        {14, 4, 9670000, "r", "999", "C3", 3, "0414A009670000B0096700009990"},
        {12, 7, 145000000, "", "01", "C3", 3, "0712A145000000B1450000009990"},
        {4, 1, 7100000, "p", "999", "CB25", 25, "0104A007100000B0071000009991"},
        {4, 1, 7100000, "p", "999", "C7", 27, "0104A007100000B0071000009991"},
        {4, 1, 7100000, "p", "999", "CJC7", 7, "0104A007100000B0071000009991"},
        {4, 1, 7100000, "P", "999", "C8", 8, "0104A007100000B0071000009992"},
        {1, 1, 1850000, "", "999", "C9", 9, "0101A001850000B0018500009990"}};
    // clang-format on
    p.bandTable[6] = "12A014200000B0142600009990";
    for (const auto& [band, mode, hertz, state, tone, typed, slot, row] : cases) {
        const std::string s = state;
        p.bandIndex = band, p.currentMode = mode, p.vfoAFrequency = hertz, p.toneCodeText = tone;
        p.toneOn = tone != std::string("999"), p.splitOn = s == "s", p.repeaterOn = s == "r",
        p.preampOn = s == "p" || s == "P", p.preampLevel = s == "P" ? 2 : 1;
        p.vfoBText = "B014260000";
        type(typed);
        EXPECT_EQ(heard().back(), "ok") << row;
        EXPECT_EQ(p.memoryTable[slot], row);
        EXPECT_TRUE(fileHolds("savmem.dat", std::string("\r\n") + row + "\r\n")) << row;
        EXPECT_TRUE(fileHolds("memory.txt", "Slot " + std::to_string(slot % 10))) << row;
    }
}

// Real failures of the kernel, not a fake: a directory where the temporary file
// goes, a full disk (the temporary file a link to /dev/full) and a disk that
// fills half-way (a file size limit below the file's size, so a part is written).
struct WriteBlocker {
    const char* what;
    const char* reason;  // in the one line on standard error
    bool temporaryIsOurs;
};

#ifndef _WIN32
class SizeLimit {
  public:
    explicit SizeLimit(rlim_t bytes) : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~SizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit old_{};
    void (*oldHandler_)(int);
};
#endif

TEST_F(ChannelsTest, StoreThatCannotBeSavedSaysInvalidKeepsTheFileWholeAndIsSavedNextTime) {
    namespace fs = std::filesystem;
#ifdef _WIN32
    // Windows has no /dev/full nor file size limits; a folder is refused as access denied.
    const WriteBlocker blockers[] = {{"directory", "Permission denied", false}};
#else
    const WriteBlocker blockers[] = {{"directory", "Is a directory", false},
                                     {"disk full", "No space left on device", true},
                                     {"disk fills half-way", "File too large", true}};
#endif
    for (const auto& [what, reason, temporaryIsOurs] : blockers) {
        SCOPED_TRACE(what);
        p.memoryTable.fill("9");
        saveMemoryFile(p);
        const std::string before = testing::readFile("savmem.dat"), listing = testing::readFile("memory.txt");
        const std::string blocker = what;
        if (blocker == "directory") fs::create_directory("savmem.dat.tmp");
        if (blocker == "disk full") fs::create_symlink("/dev/full", "savmem.dat.tmp");
        std::string said;
        {
#ifndef _WIN32
            std::optional<SizeLimit> limit;
            if (blocker == "disk fills half-way") limit.emplace(before.size() / 2);
#endif
            ::testing::internal::CaptureStderr();
            type("C3");
            said = ::testing::internal::GetCapturedStderr();
        }
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(std::string("vantor: cannot write savmem.dat: ") + reason), std::string::npos) << said;
        EXPECT_EQ(heard(), words("sch 3 invalid"));
        EXPECT_EQ(testing::readFile("savmem.dat"), before);
        EXPECT_EQ(testing::readFile("memory.txt"), listing);
        EXPECT_EQ(fs::exists(fs::symlink_status("savmem.dat.tmp")), !temporaryIsOurs);
        fs::remove("savmem.dat.tmp");
        type("C4");
        EXPECT_EQ(heard(), words("sch 4 ok"));
        EXPECT_TRUE(
            fileHolds("savmem.dat", "\r\n0104A007100000B0071000009990\r\n0104A007100000B0071000009990\r\n"));
    }
}

#ifdef _WIN32
// A virus scanner or the indexer holding savmem.dat for a moment does not
// make a store fail: "ok" is said once the file is saved. Held for longer
// than the save waits, the store is "invalid" and the file stays as it was;
// a read-only file is made writable and the store saved.
TEST_F(ChannelsTest, StoreWhileAnotherProgramHoldsTheFileSaysInvalidOnlyWhenItWasNotSaved) {
    struct Row {
        const char* what;
        DWORD holdMs;
        bool readOnly;
        const char* answer;
    };
    const Row rows[] = {
        {"held for a moment", 300, false, "sch 3 ok"},
        {"held for longer than the save waits", 2500, false, "sch 3 invalid"},
        {"read-only", 0, true, "sch 3 ok"},
    };
    for (const auto& [what, holdMs, readOnly, answer] : rows) {
        SCOPED_TRACE(what);
        p.memoryTable.fill("9");
        ASSERT_TRUE(saveMemoryFile(p));
        heard();
        const std::string before = testing::readFile("savmem.dat");
        if (readOnly) {
            ASSERT_TRUE(::SetFileAttributesW(L"savmem.dat", FILE_ATTRIBUTE_READONLY));
        }
        {
            std::optional<testing::FileHolder> holder;
            if (holdMs > 0) {
                holder.emplace("savmem.dat", holdMs);
                ASSERT_TRUE(holder->held());
            }
            ::testing::internal::CaptureStderr();
            type("C3");
            ::testing::internal::GetCapturedStderr();
        }
        EXPECT_EQ(heard(), words(answer));
        const bool saved = std::string(answer).find("ok") != std::string::npos;
        EXPECT_EQ(testing::readFile("savmem.dat") == before, !saved);
        ::SetFileAttributesW(L"savmem.dat", FILE_ATTRIBUTE_NORMAL);
    }
}
#endif

// Each kind with its command order (and a command it must not send). In FM 512 is DCS and
// 012 after it CTCSS again; outside FM a code sends tone off. Non-digits count as 0.
TEST_F(ChannelsTest, RecallPutsTheRadioOnTheChannelAndTheNextReplySaysWhere) {
    // clang-format off
    const std::tuple<const char*, const char*, std::vector<std::string>, const char*, int, int, char, int> cases[] = {
        {"0206A014250000B0142500009990", "", {"FT2;", "MD02;", "FA014250000;", "CT00;", "PA00;"}, "FB",
         14250000, 14250000, '2', 0},
        {"1206A014250000B0142600009991", "split", {"FT3;", "MD02;", "FA014250000;", "FB014260000;", "PA01;"}, "FT2",
         14250000, 14260000, '2', 0},
        {"5712A145600000B-000006000120", "repeater on ctcss 0 1 2",
         {"FT2;", "MD04;", "FA145600000;", "OS02;", "CN00012;", "CT01;", "PA00;"}, "FT3", 145600000, 14260000, '4', 1},
        {"0712A145500000B1455000005120", "repeater off dcs on",
         {"OS00;", "FT2;", "MD04;", "FA145500000;", "EX0860;", "CN01012;", "CT03;"}, "FT3", 145500000, 14260000, '4', 3},
        {"0712A145500000B1455000000120", "ctcss 0 1 2", {"FA145500000;", "CN00012;", "CT01;"}, "EX", 145500000,
         14260000, '4', 1},
        {"0206A01425X000B0142500000121", "", {"FA014250000;", "CT00;", "PA01;"}, "CN", 14250000, 14260000, '2', 0},
        {"0206A014250000B0142500009992", "", {"FA014250000;", "CT00;", "PA02;"}, "PA01", 14250000, 14260000, '2', 0}};
    // clang-format on
    for (const auto& [row, said, commands, never, vfoA, vfoB, mode, toneMode] : cases) {
        SCOPED_TRACE(row);
        p.memoryTable[5] = row;
        type("G5");
        EXPECT_EQ(heard(), words(std::string("gch 5 ") + said));
        expectSent(commands, never);
        EXPECT_EQ(radio->frequencyA(), vfoA);
        EXPECT_EQ(radio->frequencyB(), vfoB);
        EXPECT_EQ(radio->split(), row[0] == '1');
        EXPECT_EQ(radio->mode(), mode);
        EXPECT_EQ(radio->setting("CT0"), toneMode);
        EXPECT_EQ(radio->setting("PA0"), row[27] - '0');  // off, AMP1 or AMP2, as stored
        EXPECT_EQ(p.memoryBank, 0);
    }
    for (int i = 0; i < 10 && p.recallAnnouncePending == 1; ++i) tick();
    Clips clips = heard();
    std::erase_if(clips,
                  [](const std::string& clip) { return clip.starts_with("xx"); });  // the muted S-meter
    EXPECT_EQ(clips, words("1 4 point 2 5 mhz usb.wav preamp on"));
}

// An empty, short slot, or one with no mode digit 1..7, band 1..14 or VFO A, sends nothing and
// leaves U no bank. U wraps and skips such rows, stays quiet (no "split"), and works only
// right after a recall, a U, S or F. G ends a menu entry, so that it takes the digits.
TEST_F(ChannelsTest, UStepsThroughTheStoredChannelsOfTheBank) {
    for (const char* row :
         {"9", "", "0206A0142", "0806A014250000B0142500009990", "0215A014250000B0142500009990",
          "02xxA014250000B0142500009990", "0206A000000000B0142500009990"}) {
        p.memoryTable[36] = row;
        type("GB36U");
        EXPECT_EQ(heard(), words("gch bank 3 channel 6 invalid ncs")) << row;
        EXPECT_EQ(sent(), "") << row;
    }
    p.memoryTable[31] = p.memoryTable[38] = "0206A014250000B0142500009990";
    p.memoryTable[34] = "1206A014250000B0142600009991";
    type("NGB31");
    EXPECT_EQ(heard(), words("mn gch bank 3 channel 1"));
    for (const auto& [before, next] : {std::pair{"", "4"}, {"", "8"}, {"", "1"}, {"S", "4"}, {"F", "8"}}) {
        type(before);
        heard();
        press('U');
        EXPECT_EQ(heard(), (Clips{"channel", next})) << before;
    }
    type("JU");
    EXPECT_EQ(heard(), words("ncs"));
    p.memoryBank = 5;  // a bank with no stored channel: once round it, then "ncs"
    press('U');
    EXPECT_EQ(heard(), words("ncs"));
}

// B, then a digit: the band row of that number (0 is row 10), split off first.
TEST_F(ChannelsTest, BandDigitsPutTheRadioOnTheBandRow) {
    p.splitOn = 1;
    radio->handle("FT3;");
    for (const auto& [digit, band, hertz, said] :
         {std::tuple{'2', 2, 3600000, "80"}, {'0', 10, 28500000, "10"}, {'9', 9, 24890000, "12"}}) {
        type(std::string("B") + digit);
        const Clips clips = heard();
        EXPECT_EQ(Clips(clips.begin() + 3, clips.begin() + 5), words(std::string(said) + " metres")) << digit;
        EXPECT_EQ(p.bandIndex, band);
        EXPECT_EQ(radio->frequencyA(), hertz);
        EXPECT_FALSE(radio->split());
        EXPECT_EQ(p.keyPrefix, 0);
    }
}

}  // namespace
}  // namespace vantor
