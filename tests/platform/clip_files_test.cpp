// Finding speech clips: the working directory's wave/ folder, letter case,
// and names that must never reach the file system.

#include "platform/clip_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "support/panel_fixture.h"

namespace vantor {
namespace {

// The same file, however the system spells its path (Windows: "\\", any letter case).
bool sameFile(const std::string& found, const std::string& expected) {
    std::error_code ec;
    return found.empty() ? expected.empty() : std::filesystem::equivalent(found, expected, ec);
}

// Sets the variable, or removes it when value is empty.
void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    if (*value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

class ClipFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories("wave/folder.wav");
        for (const char* name : {"wave/point.wav", "wave/SWR.wav", "wave/3.wav", "wave/Power.wav",
                                 "wave/tune.raw", "xxpoint.wav", "secret.wav"})
            testing::writeFile(name, "RIFF");
    }
    testing::TemporaryDirectory dir;
};

TEST_F(ClipFiles, ClipPathsNameTheirFiles) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"wave\\point", "./wave/point.wav"}, {"wave\\point.wav", "./wave/point.wav"},
        {"wave\\3", "./wave/3.wav"}, {"wave\\3.wav", "./wave/3.wav"}, {"wave\\swr", "./wave/SWR.wav"},
        {"wave\\POWER", "./wave/Power.wav"}, {"wave\\tune.raw", "./wave/tune.raw"}, {"wave\\missing", ""},
        {"wave\\folder", ""}, {"wave\\", ""}, {"wave\\..", ""}, {"wave\\../secret", ""}, {"wave\\a/b", ""},
        {"wave\\a\\b", ""}, {"wave\\x y", ""}, {"wave\\/etc/passwd", ""}, {"wave/point", ""},
        // Muted clips and other prefixes name files in the working directory.
        {"xxSWR", ""}, {"xxpoint", "xxpoint.wav"}, {"xxpoint.wav", "xxpoint.wav"}, {"xx../secret", ""},
        {"../secret", ""}, {"a/b", ""}, {"", ""},
    };
    // clang-format on
    for (const auto& [clipPath, file] : cases)
        EXPECT_PRED2(sameFile, clipFileFor(clipPath), file) << clipPath;
    EXPECT_EQ(clipDirectory(), "./wave");
}

TEST_F(ClipFiles, OnlyPlainNamesAreSafe) {
    const std::pair<const char*, bool> cases[] = {
        {"point", true}, {"Power-2_b.wav", true}, {"", false},  {"x y", false},       {"a/b", false},
        {"a\\b", false}, {"ab;", false},          {"*", false}, {"\xe9t\xe9", false}, {"a\nb", false},
    };
    for (const auto& [name, safe] : cases) EXPECT_EQ(isSafeClipName(name), safe) << name;
}

TEST_F(ClipFiles, WithoutWaveFolderTheBundledClipsAreUsed) {
    std::filesystem::remove_all("wave");
    EXPECT_NE(clipDirectory(), "./wave");
    EXPECT_EQ(clipFileFor("wave\\no-such-clip-anywhere"), "");
}

// A folder named in VANTOR_CLIPS is the only one looked at, even when it is missing.
TEST_F(ClipFiles, VantorClipsNamesTheOnlyFolder) {
    std::filesystem::create_directories("mine");
    testing::writeFile("mine/point.wav", "RIFF");
    const std::pair<const char*, const char*> cases[] = {{"mine", "mine/point.wav"}, {"missing", ""}};
    for (const auto& [folder, file] : cases) {
        setEnvironment("VANTOR_CLIPS", folder);
        EXPECT_PRED2(sameFile, clipFileFor("wave\\point"), file) << folder;
        EXPECT_EQ(clipDirectory(), *file ? folder : "") << folder;
    }
    setEnvironment("VANTOR_CLIPS", "");
}

}  // namespace
}  // namespace vantor
