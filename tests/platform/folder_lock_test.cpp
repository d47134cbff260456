// One panel per working folder: the folder's lock against a second panel.

#include "platform/folder_lock.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/panel_fixture.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

TEST(FolderLock, ASecondLockOnTheSameFolderIsRefusedUntilTheFirstIsGiven) {
    testing::TemporaryDirectory directory;
    fs::create_directory("other");
    const std::string here = utf8Of(fs::current_path());
    struct Row {
        const char* what;
        std::string second;
    };
    const Row rows[] = {
        {"the same spelling", "."},
        {"the full path", here},
        {"with a trailing separator", here + "/"},
        {"by way of a folder inside", "other/.."},
#ifdef _WIN32
        {"in other letter case", utf8Of(fs::path(here).parent_path()) + "\\" +
                                     [&] {
                                         std::string name = utf8Of(fs::path(here).filename());
                                         for (char& c : name)
                                             c = static_cast<char>(
                                                 std::toupper(static_cast<unsigned char>(c)));
                                         return name;
                                     }()},
#endif
    };
    for (const auto& [what, second] : rows) {
        SCOPED_TRACE(what);
        std::optional<FolderLock> first(".");
        ASSERT_EQ(first->state(), FolderLockState::held) << first->reason();
        {
            const FolderLock again(second);
            EXPECT_EQ(again.state(), FolderLockState::taken);
        }
        EXPECT_EQ(FolderLock(".").state(), FolderLockState::taken) << "a refused start leaves the lock held";
        first.reset();
        const FolderLock afterwards(second);
        EXPECT_EQ(afterwards.state(), FolderLockState::held) << "the lock goes with the panel";
    }
}

TEST(FolderLock, PanelsInDifferentFoldersRunSideBySide) {
    testing::TemporaryDirectory directory;
    const char* folders[] = {"a", "b", "a/b",
                             "J\xc3\xbcrgen-M\xc3\xa4\xc3\xa9-\xd0\x96\xd0\xbe\xd1\x80\xd0\xb0",
                             "J\xc3\xbcrgen-M\xc3\xa4\xc3\xa9-\xd0\x96\xd0\xbe\xd1\x80\xd0\xb1"};
    std::vector<std::unique_ptr<FolderLock>> locks;
    for (const char* folder : folders) {
        fs::create_directories(pathFromUtf8(folder));
        locks.push_back(std::make_unique<FolderLock>(folder));
        EXPECT_EQ(locks.back()->state(), FolderLockState::held) << folder << ": " << locks.back()->reason();
    }
    for (const char* folder : folders)
        EXPECT_EQ(FolderLock(folder).state(), FolderLockState::taken) << folder;
}

#ifndef _WIN32
TEST(FolderLock, AFolderWithoutRoomForTheLockFileLetsThePanelRunAndSaysWhy) {
    testing::TemporaryDirectory directory;
    const FolderLock lock("no-such-folder");
    EXPECT_EQ(lock.state(), FolderLockState::unusable);
    EXPECT_NE(lock.reason().find("vantor.lock"), std::string::npos) << lock.reason();
}
#endif

}  // namespace
}  // namespace vantor
