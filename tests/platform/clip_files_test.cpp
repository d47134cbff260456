// Finding speech clips: the working directory's wave/ folder, letter case,
// and names that must never reach the file system.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clip_files.h"
#include "work_dir.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

class ClipFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory("wave");
        for (const char* name : {"point.wav", "SWR.wav", "3.wav", "Power.wav", "tune.raw"})
            testing::WorkDir::writeFile(fs::path("wave") / name, "RIFF");
        fs::create_directory("wave/folder.wav");
        testing::WorkDir::writeFile("xxpoint.wav", "RIFF");
        testing::WorkDir::writeFile("secret.wav", "RIFF");
    }
    testing::WorkDir dir;
};

TEST_F(ClipFiles, ClipPathsNameTheirFiles) {
    struct Case {
        const char* clipPath;
        const char* file;
    } cases[] = {
        {"wave\\point", "./wave/point.wav"},
        {"wave\\point.wav", "./wave/point.wav"},
        {"wave\\3", "./wave/3.wav"},
        {"wave\\3.wav", "./wave/3.wav"},
        {"wave\\swr", "./wave/SWR.wav"},
        {"wave\\POWER", "./wave/Power.wav"},
        {"wave\\tune.raw", "./wave/tune.raw"},
        {"wave\\missing", ""},
        {"wave\\folder", ""},
        {"wave\\", ""},
        {"wave\\..", ""},
        {"wave\\../secret", ""},
        {"wave\\a/b", ""},
        {"wave\\a\\b", ""},
        {"wave\\x y", ""},
        {"wave\\/etc/passwd", ""},
        {"wave/point", ""},
        // Muted clips and other prefixes name files in the working directory.
        {"xxSWR", ""},
        {"xxpoint", "xxpoint.wav"},
        {"xxpoint.wav", "xxpoint.wav"},
        {"xx../secret", ""},
        {"../secret", ""},
        {"a/b", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(clipFileFor(c.clipPath), c.file) << c.clipPath;
    EXPECT_EQ(clipDirectory(), "./wave");
}

TEST_F(ClipFiles, OnlyPlainNamesAreSafe) {
    struct Case {
        const char* name;
        bool safe;
    } cases[] = {
        {"point", true}, {"Power-2_b.wav", true}, {"", false},     {"x y", false},
        {"a/b", false},  {"a\\b", false},         {"ab;", false},  {"\xe9t\xe9", false},
        {"*", false},    {"a\nb", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isSafeClipName(c.name), c.safe) << c.name;
}

TEST_F(ClipFiles, WithoutWaveFolderTheBundledClipsAreUsed) {
    fs::remove_all("wave");
    EXPECT_NE(clipDirectory(), "./wave");
    EXPECT_EQ(clipFileFor("wave\\no-such-clip-anywhere"), "");
}

}  // namespace
}  // namespace vantor
