// The Windows clock, speaker, sockets, serial ports and the crash-safe save
// against the real system (Wine's, which has no sound device here).

#include <gtest/gtest.h>
#include <winsock2.h>

#include <io.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/clip_files.h"
#include "platform/files.h"
#include "platform/folder_lock.h"
#include "platform/wav_file.h"
#include "platform/windows/windows_clock.h"
#include "platform/windows/windows_network.h"
#include "platform/windows/windows_process.h"
#include "platform/windows/windows_screen.h"
#include "platform/windows/windows_serial_ports.h"
#include "platform/windows/windows_speaker.h"
#include "support/file_holder.h"
#include "../loopback_client.h"
#include "support/eventually.h"
#include "support/panel_fixture.h"
#include "support/wav_bytes.h"

namespace vantor {
namespace {

using testing::eventually;

TEST(WindowsClock, TellsTheLocalTimeAndAMonotonicCount) {
    WindowsClock clock;
    const std::time_t seconds = std::time(nullptr);
    const std::tm* local = std::localtime(&seconds);
    ASSERT_NE(local, nullptr);
    const LocalTime now = clock.now();
    EXPECT_EQ(now.year, local->tm_year + 1900);
    EXPECT_EQ(now.month, local->tm_mon + 1);
    EXPECT_EQ(now.day, local->tm_mday);
    EXPECT_EQ(now.hour, local->tm_hour);
    // It moves on, and never back.
    const long long first = clock.monotonicMs();
    long long last = first;
    bool backwards = false;
    for (int tries = 0; tries < 500 && last == first; ++tries) {
        ::Sleep(10);
        const long long next = clock.monotonicMs();
        backwards = backwards || next < last;
        last = next;
    }
    EXPECT_GT(last, first);
    EXPECT_FALSE(backwards);
}

// Without a sound device each clip still takes its length, and the panel's
// work goes on meanwhile; an unplayable clip is not waited for.
TEST(WindowsSpeaker, WithoutADeviceAClipTakesItsLengthWhileTheWorkGoesOn) {
    testing::TemporaryDirectory directory;
    std::filesystem::create_directory("wave");
    // 300 ms of 16-bit mono silence at 22050 Hz.
    testing::writeFile("wave/point.wav", testing::wavBytes(1, 16, 22050, std::string(13230, '\0')));
    testing::writeFile("wave/broken.wav", "RIFF....WAVE");
    WindowsSpeaker speaker;
    int works = 0;
    speaker.setWorkWhileWaiting([&works] { ++works; });
    using Clock = std::chrono::steady_clock;
    const auto timed = [&](const char* clip) {
        const auto start = Clock::now();
        speaker.play(clip);
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    EXPECT_GE(timed("wave\\point"), 250);
    EXPECT_GE(works, 10);
    works = 0;
    speaker.play("wave\\broken");
    speaker.play("wave\\missing");
    EXPECT_EQ(works, 0) << "nothing was waited for";
}

// Each kind of network input sets the one event the panel's wait watches;
// the rest of the service is the shared network test's.
TEST(WindowsNetwork, ConnectionsDataAndHangingUpWakeTheWait) {
    WindowsNetwork network;
    const int listener = network.listen("127.0.0.1", 0);
    ASSERT_NE(listener, 0) << network.lastError();
    EXPECT_FALSE(network.takeInput());
    const int port = network.localPort(listener);
    std::optional<testing::LoopbackClient> client(std::in_place, port);
    ASSERT_TRUE(client->connected());
    EXPECT_TRUE(eventually([&] { return network.takeInput(); })) << "a new connection";
    const int connection = network.accept(listener);
    ASSERT_NE(connection, 0);
    client->send("f\n");
    EXPECT_TRUE(eventually([&] { return network.takeInput(); })) << "data";
    EXPECT_EQ(network.read(connection, 100), "f\n");
    client.reset();
    EXPECT_TRUE(eventually([&] { return network.takeInput(); })) << "hanging up";
    EXPECT_TRUE(eventually([&] { return network.isClosed(connection); }));
    const std::string answer(1 << 16, 'x');
    testing::LoopbackClient deaf(port);
    int cut = 0;
    ASSERT_TRUE(eventually([&] { return (cut = network.accept(listener)) != 0; }));
    network.takeInput();
    for (int writes = 0; writes < 1000 && !network.isClosed(cut); ++writes) network.write(cut, answer);
    EXPECT_TRUE(network.takeInput()) << "the cut of a client that takes nothing";
    network.close(listener);
    EXPECT_FALSE(testing::LoopbackClient(port).connected());
}

TEST(WindowsSerialPorts, APortThatCannotOpenSaysWhyOnceAndPassesNothing) {
    WindowsSerialPorts serial;
    EXPECT_EQ(WindowsSerialPorts::deviceFor(3), "\\\\.\\COM3");
    EXPECT_EQ(WindowsSerialPorts::deviceFor(0), "");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(serial.open(250, 38400));
    EXPECT_FALSE(serial.open(250, 38400));
    EXPECT_FALSE(serial.open(0, 38400));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "vantor: serial port 250 (\\\\.\\COM250): no such device\n");
    EXPECT_EQ(serial.bytesWaiting(250), 0);
    EXPECT_EQ(serial.read(250, 10), "");
    EXPECT_FALSE(serial.isLost(250));
    EXPECT_EQ(serial.lookAgainMs(), -1) << "no port to look at";
}

// The installer puts the clips beside the program; the working folder's own
// wave folder still comes first.
TEST(WindowsClipFiles, WithoutAWaveFolderHereTheClipsBesideTheProgramAreUsed) {
    testing::TemporaryDirectory directory;
    wchar_t program[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    const std::filesystem::path installed = std::filesystem::path(program).parent_path() / "wave";
    if (std::filesystem::exists(installed)) GTEST_SKIP() << "clips beside the test program are not ours to touch";
    struct Removed {
        std::filesystem::path folder;
        ~Removed() { std::filesystem::remove_all(folder); }
    } removedAtTheEnd{installed};
    std::filesystem::create_directory(installed);
    testing::writeFile((installed / "Connected.wav").string(), "RIFF");
    EXPECT_TRUE(std::filesystem::equivalent(clipDirectory(), installed));
    const std::string found = clipFileFor("wave\\connected");
    EXPECT_TRUE(!found.empty() && std::filesystem::equivalent(found, installed / "Connected.wav")) << found;
    std::filesystem::create_directory("wave");
    EXPECT_EQ(clipDirectory(), "./wave");
    EXPECT_EQ(clipFileFor("wave\\connected"), "");
}

// scripts/test-windows links COM<VANTOR_ECHO_PORT> to a pseudo-terminal that
// sends back what it is sent (socat and cat).
TEST(WindowsSerialPorts, AnEchoingDeviceSendsBackWhatIsWrittenAndWakesTheWait) {
    const char* echoPort = std::getenv("VANTOR_ECHO_PORT");
    if (!echoPort || !*echoPort) GTEST_SKIP() << "no echoing port (run by scripts/test-windows)";
    const int port = std::atoi(echoPort);
    WindowsSerialPorts serial;
    ASSERT_TRUE(serial.open(port, 38400));
    serial.setFraming(port, 8, 0, 2);
    serial.makeReadsImmediate(port);
    EXPECT_EQ(serial.read(port, 100), "") << "reads return at once";
    EXPECT_GE(serial.lookAgainMs(), 0) << "a port that wakes the wait is looked at";
    serial.write(port, "FA;IF;");
    EXPECT_TRUE(eventually([&] { return serial.takeInput(); }));
    EXPECT_EQ(serial.lookAgainMs(), -1) << "input reported and not yet read wakes no more";
    EXPECT_TRUE(eventually([&] { return serial.bytesWaiting(port) == 6; }));
    EXPECT_EQ(serial.read(port, 4), "FA;I");
    EXPECT_EQ(serial.read(port, 100), "F;");
    EXPECT_FALSE(serial.isLost(port));
    serial.wakeOnInput(port, false);
    EXPECT_EQ(serial.lookAgainMs(), -1);
    // Wine does not keep a second opening out, so exclusivity is not shown here.
    serial.close(port);
    EXPECT_EQ(serial.read(port, 100), "");
}

// The new file replaces the old whole, and a failed write leaves the old one.
TEST(WindowsFiles, TheSaveReplacesTheFileWholeOrNotAtAll) {
    testing::TemporaryDirectory directory;
    testing::writeFile("savmem.dat", "old\r\n");
    ASSERT_TRUE(writeLinesSafely("savmem.dat", {"a", "b"}));
    EXPECT_EQ(testing::readFile("savmem.dat"), "a\r\nb\r\n");
    EXPECT_FALSE(std::filesystem::exists("savmem.dat.tmp"));
    std::filesystem::create_directory("savmem.dat.tmp");
    errno = 0;
    EXPECT_FALSE(writeLinesSafely("savmem.dat", {"c"}));
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(testing::readFile("savmem.dat"), "a\r\nb\r\n");
    EXPECT_FALSE(writeLinesSafely("no-such-folder/savmem.dat", {"c"}));
    EXPECT_EQ(errno, ENOENT);
}

// A file another program holds (share mode 0) for a moment is saved once it is
// let go; one held for longer than the save waits is not, and the old file
// stays. A read-only file is made writable and saved.
TEST(WindowsFiles, TheSaveWaitsForAFileHeldForAMomentAndMakesAReadOnlyOneWritable) {
    struct Row {
        const char* what;
        const char* held;  // the file held; nullptr for none
        DWORD holdMs;
        bool readOnly;
        bool saved;
    };
    const Row rows[] = {
        {"savmem.dat held for a moment", "savmem.dat", 300, false, true},
        {"the temporary file held for a moment", "savmem.dat.tmp", 300, false, true},
        {"savmem.dat held for longer than the save waits", "savmem.dat", 2500, false, false},
        {"savmem.dat read-only", nullptr, 0, true, true},
    };
    for (const auto& [what, held, holdMs, readOnly, saved] : rows) {
        SCOPED_TRACE(what);
        testing::TemporaryDirectory directory;
        testing::writeFile("savmem.dat", "old\r\n");
        if (held) testing::writeFile(held, "old\r\n");
        if (readOnly) {
            ASSERT_TRUE(::SetFileAttributesW(L"savmem.dat", FILE_ATTRIBUTE_READONLY));
        }
        bool written = false;
        errno = 0;
        std::string said;
        {
            std::optional<testing::FileHolder> holder;
            if (held) {
                holder.emplace(held, holdMs);
                ASSERT_TRUE(holder->held());
            }
            ::testing::internal::CaptureStderr();
            written = writeLinesSafely("savmem.dat", {"new"});
            said = ::testing::internal::GetCapturedStderr();
        }
        EXPECT_EQ(written, saved);
        EXPECT_EQ(testing::readFile("savmem.dat"), saved ? "new\r\n" : "old\r\n");
        if (!saved) {
            EXPECT_EQ(errno, EACCES);
        }
        EXPECT_EQ(said.find("read-only") != std::string::npos, readOnly) << said;
        EXPECT_FALSE(std::filesystem::exists("savmem.dat.tmp"));
        ::SetFileAttributesW(L"savmem.dat", FILE_ATTRIBUTE_NORMAL);
    }
}

// Reading waits the same way: the panel starting while the indexer looks at
// savmem.dat still finds its memories.
TEST(WindowsFiles, AFileHeldForAMomentIsStillRead) {
    testing::TemporaryDirectory directory;
    testing::writeFile("savmem.dat", "a\r\nb\r\n");
    std::vector<std::string> lines;
    ReadResult read;
    {
        testing::FileHolder holder("savmem.dat", 300);
        ASSERT_TRUE(holder.held());
        read = readLines("savmem.dat", lines, 10, 100);
    }
    EXPECT_EQ(read, ReadResult::ok);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
}

// A user folder such as C:\Users\Jürgen, or one in Cyrillic: letters the
// code page has and letters it lacks. The clips are found and read, the
// files written and read back, the lock names the folder.
TEST(WindowsFiles, FolderNamesWithLettersOutsideTheCodePageWork) {
    testing::TemporaryDirectory directory;
    const std::string names[] = {"J\xc3\xbcrgen", "M\xc3\xa4\xc3\xa9", "\xd0\x96\xd0\xbe\xd1\x80\xd0\xb0",
                                 "J\xc3\xbcrgen-M\xc3\xa4\xc3\xa9-\xd0\x96\xd0\xbe\xd1\x80\xd0\xb0"};
    const std::string clip = testing::wavBytes(1, 16, 22050, std::string(4, '\0'));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::filesystem::path folder = std::filesystem::current_path() / pathFromUtf8(name);
        EXPECT_EQ(utf8Of(pathFromUtf8(name)), name) << "UTF-8 and back";
        std::filesystem::create_directories(folder / "wave");
        std::ofstream(folder / "wave" / "Connected.wav", std::ios::binary) << clip;
        ASSERT_EQ(::_wputenv_s(L"VANTOR_CLIPS", (folder / "wave").c_str()), 0);
        const std::string found = clipFileFor("wave\\connected");
        ::_wputenv_s(L"VANTOR_CLIPS", L"");
        ASSERT_FALSE(found.empty());
        EXPECT_TRUE(std::filesystem::equivalent(pathFromUtf8(found), folder / "wave" / "Connected.wav")) << found;
        WavSound sound;
        std::string why;
        EXPECT_TRUE(readWavFile(found, sound, why)) << why;

        const std::string file = utf8Of(folder / "savmem.dat");
        ASSERT_TRUE(writeLinesSafely(file, {"a"}));
        std::vector<std::string> lines;
        EXPECT_EQ(readLines(file, lines, 10, 100), ReadResult::ok);
        EXPECT_EQ(lines, std::vector<std::string>{"a"});
        EXPECT_NE(keepBackupCopy(file), "");
        EXPECT_TRUE(std::filesystem::exists(folder / "savmem.dat.bak"));

        const FolderLock lock(utf8Of(folder));
        EXPECT_EQ(lock.state(), FolderLockState::held) << lock.reason();
        EXPECT_EQ(FolderLock(utf8Of(folder)).state(), FolderLockState::taken);
    }
}

// What the program writes to standard error in any of its ways lands in
// the log, each line stamped, and the program's own standard error is as it
// was afterwards.
TEST(WindowsStandardErrorLog, EveryWayOfWritingToStandardErrorReachesTheLog) {
    testing::TemporaryDirectory directory;
    {
        StandardErrorLog log("vantor.log");
        std::cerr << "vantor: through std::cerr\n";
        std::fprintf(stderr, "vantor: through %s\n", "fprintf");
        std::fputs("vantor: in two ", stderr);
        std::fputs("pieces\n", stderr);
        const char direct[] = "vantor: through descriptor 2\r\n";
        _write(2, direct, sizeof direct - 1);
        std::cerr << "vantor: the last line without its end";
    }
    const std::string log = testing::readFile("vantor.log");
    const char* lines[] = {"vantor: through std::cerr", "vantor: through fprintf", "vantor: in two pieces",
                           "vantor: through descriptor 2", "vantor: the last line without its end"};
    std::size_t at = 0;
    for (const char* line : lines) {
        // "YYYY-MM-DD HH:MM:SS " in front, CR LF behind.
        const std::size_t found = log.find(std::string(line) + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << log;
        ASSERT_GE(found, at + 20);
        const std::string stamp = log.substr(found - 20, 20);
        EXPECT_TRUE(stamp[4] == '-' && stamp[7] == '-' && stamp[10] == ' ' && stamp[13] == ':' && stamp[16] == ':' &&
                    stamp[19] == ' ')
            << stamp;
        at = found + 1;
    }
    // gtest's own capture works on descriptor 2 again.
    ::testing::internal::CaptureStderr();
    std::fprintf(stderr, "after\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "after\n");
    EXPECT_EQ(testing::readFile("vantor.log"), log) << "nothing more reaches the log";
}

// A second start finds the running panel's window by the folder's lock.
TEST(WindowsFolderLock, ASecondStartFindsThePanelHoldingTheFolder) {
    testing::TemporaryDirectory directory;
    std::filesystem::create_directory("elsewhere");
    EXPECT_FALSE(bringPanelForward(".")) << "no panel runs here";
    const FolderLock lock(".");
    ASSERT_EQ(lock.state(), FolderLockState::held);
    WindowsScreen screen;
    ASSERT_TRUE(screen.openWindow(10, 10, 300, 200, "Vantor"));
    EXPECT_TRUE(bringPanelForward("."));
    EXPECT_TRUE(bringPanelForward(directory.path()));
    EXPECT_FALSE(bringPanelForward("elsewhere"));
    screen.closeWindow();
}

}  // namespace
}  // namespace vantor
