// Serial ports against a real pseudo-terminal pair: port 7 is the COM7 link
// in the working directory, its far end is the "peer" link.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/linux_serial_ports.h"
#include "work_dir.h"

extern char** environ;

namespace vantor {
namespace {

namespace fs = std::filesystem;

// Condition polling with a bound, for things that happen in another process.
template <typename Condition>
bool eventually(Condition condition) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class SerialPortsTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string com7 = "pty,raw,echo=0,link=" + (dir.path() / "COM7").string();
        const std::string peer = "pty,raw,echo=0,link=" + (dir.path() / "peer").string();
        const char* argv[] = {"socat", "-d", "-d", com7.c_str(), peer.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const int failed = posix_spawnp(&socat_, "socat", &actions, nullptr,
                                        const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ASSERT_EQ(failed, 0) << "socat cannot start";
        ASSERT_TRUE(eventually([] { return fs::exists("COM7") && fs::exists("peer"); }))
            << "socat made no pseudo-terminals";
        peer_ = ::open("peer", O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(peer_, 0);
    }
    void TearDown() override {
        if (peer_ >= 0) ::close(peer_);
        if (socat_ > 0) {
            ::kill(socat_, SIGTERM);
            ::waitpid(socat_, nullptr, 0);
        }
    }

    void peerWrites(const std::string& bytes) {
        ASSERT_EQ(::write(peer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::string peerReads(std::size_t count) {
        std::string got;
        eventually([&] {
            char buffer[256];
            const ssize_t n = ::read(peer_, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
            return got.size() >= count;
        });
        return got;
    }

    testing::WorkDir dir;
    pid_t socat_ = 0;
    int peer_ = -1;
    LinuxSerialPorts ports;
};

TEST_F(SerialPortsTest, BytesGoBothWays) {
    ASSERT_TRUE(ports.open(7, 38400));
    ports.makeReadsImmediate(7);
    ports.setFraming(7, 8, 0, 2);
    EXPECT_EQ(ports.read(7, 10), "");

    ports.write(7, "FA;IF;");
    EXPECT_EQ(peerReads(6), "FA;IF;");

    peerWrites("FA014250000;");
    EXPECT_TRUE(eventually([&] { return ports.bytesWaiting(7) == 12; }));
    EXPECT_EQ(ports.read(7, 5), "FA014");
    EXPECT_EQ(ports.bytesWaiting(7), 7);
    EXPECT_EQ(ports.read(7, 100), "250000;");
    EXPECT_EQ(ports.read(7, 100), "");

    // Opening again replaces the earlier opening.
    ASSERT_TRUE(ports.open(7, 4800));
    ports.write(7, "ID;");
    EXPECT_EQ(peerReads(3), "ID;");

    ports.close(7);
    peerWrites("late;");
    EXPECT_EQ(ports.bytesWaiting(7), 0);
    EXPECT_EQ(ports.read(7, 100), "");
}

TEST_F(SerialPortsTest, AnOpenPortIsNotSharedWithAnotherProgram) {
    ASSERT_TRUE(ports.open(7, 38400));
    LinuxSerialPorts other;
    testing::StderrCapture errors;
    EXPECT_FALSE(other.open(7, 38400));
    const std::string said = errors.text();
    EXPECT_EQ(testing::lineCount(said), 1) << said;
    EXPECT_NE(said.find("COM7"), std::string::npos) << said;
    EXPECT_NE(said.find("busy"), std::string::npos) << said;

    ports.close(7);
    EXPECT_TRUE(other.open(7, 38400));
}

TEST_F(SerialPortsTest, FailedOpensSayWhyOnOneLine) {
    ASSERT_TRUE(ports.open(7, 38400));
    fs::create_symlink(dir.path() / "gone", "COM9");
    testing::WorkDir::writeFile("COM8", "not a port");
    struct Case {
        int port, baud;
        const char* device;
        const char* reason;
    } cases[] = {
        {7, 12345, "COM7", "unsupported speed"},
        {7, 0, "COM7", "unsupported speed"},
        {7, -9600, "COM7", "unsupported speed"},
        {9, 9600, "COM9", "no such device"},
        {8, 9600, "COM8", "not a serial port"},
        {256, 9600, "/dev/ttyS255", "no such device"},
    };
    for (const Case& c : cases) {
        testing::StderrCapture errors;
        EXPECT_FALSE(ports.open(c.port, c.baud)) << c.device << " at " << c.baud;
        const std::string said = errors.text();
        EXPECT_EQ(testing::lineCount(said), 1) << said;
        EXPECT_NE(said.find(c.device), std::string::npos) << said;
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
    }
    // Opening port 7 again, even in vain, let go of it.
    LinuxSerialPorts other;
    EXPECT_TRUE(other.open(7, 38400));
}

TEST_F(SerialPortsTest, NumbersOutsideTheRangeDoNothing) {
    for (int port : {0, 257, -1, 100000}) {
        testing::StderrCapture errors;
        EXPECT_FALSE(ports.open(port, 38400)) << port;
        ports.makeReadsImmediate(port);
        ports.setFraming(port, 8, 0, 1);
        ports.write(port, "FA;");
        EXPECT_EQ(ports.bytesWaiting(port), 0) << port;
        EXPECT_EQ(ports.read(port, 10), "") << port;
        ports.close(port);
        EXPECT_EQ(errors.text(), "") << port;
    }
    EXPECT_EQ(LinuxSerialPorts::deviceFor(0), "");
    EXPECT_EQ(LinuxSerialPorts::deviceFor(7), "COM7");
    EXPECT_EQ(LinuxSerialPorts::deviceFor(3), "/dev/ttyS2");
}

// The line settings as the terminal driver reports them. Reading them means
// opening the port a second time past its exclusive hold, which only root may.
std::string lineSettings(const char* device) {
    std::string out;
    const std::string command = std::string("stty -a -F ") + device + " 2>&1";
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        for (int c; (c = std::fgetc(pipe)) != EOF;) out += c == '\n' ? ' ' : static_cast<char>(c);
        ::pclose(pipe);
    }
    return " " + out + " ";
}

TEST_F(SerialPortsTest, SpeedAndFramingReachTheLine) {
    if (::geteuid() != 0) GTEST_SKIP() << "reading the settings of a held port needs root";
    // A pseudo-terminal always carries 8 bits without parity whatever it is
    // told; the speed, the stop bits and odd against even parity stick.
    struct Case {
        int baud, dataBits, parity, stopCode;
        std::vector<const char*> settings;
    } cases[] = {
        {38400, 8, 0, 1, {"speed 38400 baud", " -cstopb ", " min = 0;", " time = 0;", " -icanon ", " clocal ", " cread "}},
        {4800, 8, 0, 2, {"speed 4800 baud", " cstopb "}},
        {9600, 7, 2, 1, {"speed 9600 baud", " -parodd ", " -cstopb "}},
        {115200, 7, 1, 0, {"speed 115200 baud", " parodd ", " cstopb "}},
        {4000000, 5, 1, 1, {"speed 4000000 baud", " parodd ", " -cstopb "}},
        // Framing that cannot be leaves the line as it was.
        {57600, 9, 1, 2, {"speed 57600 baud", " -parodd ", " -cstopb "}},
        {57600, 8, 3, 2, {"speed 57600 baud", " -parodd ", " -cstopb "}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ports.open(7, c.baud));
        testing::StderrCapture quiet;
        ports.setFraming(7, c.dataBits, c.parity, c.stopCode);
        quiet.text();
        const std::string line = lineSettings("COM7");
        for (const char* setting : c.settings)
            EXPECT_NE(line.find(setting), std::string::npos)
                << c.baud << " " << c.dataBits << c.parity << c.stopCode << ": " << setting << " in" << line;
    }
}

}  // namespace
}  // namespace vantor
