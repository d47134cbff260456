// Reading and copying the panel's text files: whatever stands under the name,
// a read ends soon with a bounded result, and a copy is never endless.

#include "platform/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "support/panel_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::function<void()> fileOf(const std::string& contents) {
    return [contents] { testing::writeFile("file", contents); };
}

// Three lines at most, of five characters at most.
TEST(FilesTest, ReadingStopsAtTheLinesAndCharactersAskedForAndAtTheByteBound) {
    const std::string huge(kMaxFileBytes + 10, 'x');
    // clang-format off
    const std::tuple<const char*, std::function<void()>, ReadResult, Lines> cases[] = {
        {"line ends", fileOf("a\r\nb\nc\r\nd"), ReadResult::ok, {"a", "b", "c"}},
        {"lone carriage returns", fileOf("a\r\rb"), ReadResult::ok, {"a", "", "b"}},
        {"long lines", fileOf("abcdefgh\nijklmnopq"), ReadResult::ok, {"abcde", "ijklm"}},
        {"huge file", fileOf(huge), ReadResult::ok, {"xxxxx"}},
        {"empty", fileOf(""), ReadResult::ok, {}},
        {"link to /dev/zero", [] { fs::create_symlink("/dev/zero", "file"); }, ReadResult::ok, {std::string(5, '\0')}},
        {"pipe", [] { ::mkfifo("file", 0600); }, ReadResult::unreadable, {}},
        {"directory", [] { fs::create_directory("file"); }, ReadResult::unreadable, {}},
        {"dangling link", [] { fs::create_symlink("nowhere", "file"); }, ReadResult::missing, {}},
        {"missing", [] {}, ReadResult::missing, {}}};
    // clang-format on
    for (const auto& [what, make, result, lines] : cases) {
        SCOPED_TRACE(what);
        testing::TemporaryDirectory directory;
        make();
        Lines read{"left over"};
        EXPECT_EQ(readLines("file", read, 3, 5), result);
        EXPECT_EQ(read, lines);
    }
    // Short lines without end stop at the byte bound too.
    testing::TemporaryDirectory directory;
    std::string lines;
    while (lines.size() <= kMaxFileBytes) lines += "0123456789\n";
    testing::writeFile("file", lines);
    Lines read;
    EXPECT_EQ(readLines("file", read, kMaxFileBytes, 5), ReadResult::ok);
    EXPECT_EQ(read.size(), kMaxFileBytes / 11 + 1);
}

// Only a regular file of a size the panel could have written is copied, beside it.
TEST(FilesTest, BackupCopiesOnlyARegularFileOfBoundedSize) {
    const std::tuple<const char*, std::function<void()>, bool> cases[] = {
        {"small file", fileOf("a\r\nb"), true},
        {"file at the bound", fileOf(std::string(kMaxFileBytes, 'x')), true},
        {"link to a file",
         [] {
             testing::writeFile("target", "t");
             fs::create_symlink("target", "file");
         },
         true},
        {"file beyond the bound", fileOf(std::string(kMaxFileBytes + 1, 'x')), false},
        {"link to /dev/zero", [] { fs::create_symlink("/dev/zero", "file"); }, false},
        {"pipe", [] { ::mkfifo("file", 0600); }, false},
        {"directory", [] { fs::create_directory("file"); }, false},
        {"missing", [] {}, false}};
    for (const auto& [what, make, copied] : cases) {
        SCOPED_TRACE(what);
        testing::TemporaryDirectory directory;
        make();
        testing::writeFile("file.bak", "an earlier copy");
        EXPECT_EQ(keepBackupCopy("file"), copied ? "file.bak1" : "");
        EXPECT_EQ(testing::readFile("file.bak"), "an earlier copy");
        EXPECT_EQ(fs::exists("file.bak1"), copied);
        if (copied) {
            EXPECT_EQ(testing::readFile("file.bak1"), testing::readFile("file"));
        }
    }
}

}  // namespace
}  // namespace vantor
