// Serial ports against a real pseudo-terminal pair: ports 7 and 8 are the
// COM7 and COM8 links in the working directory, each the far end of the other.

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/linux/linux_serial_ports.h"
#include "support/panel_fixture.h"
#include "work_dir.h"

extern char** environ;

namespace vantor {
namespace {

using testing::eventually;

class SerialPortsTest : public ::testing::Test {
protected:
    void SetUp() override { startSocat(); }
    void TearDown() override { stopSocat(); }
    void startSocat() {
        const char* argv[] = {"socat", "pty,raw,echo=0,link=COM7", "pty,raw,echo=0,link=COM8", nullptr};
        ASSERT_EQ(posix_spawnp(&socat_, "socat", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
        ASSERT_TRUE(eventually([] { return testing::fileExists("COM7") && testing::fileExists("COM8"); }));
    }
    void stopSocat() {
        if (socat_ > 0 && ::kill(socat_, SIGTERM) == 0) ::waitpid(socat_, nullptr, 0);
        socat_ = 0;
    }

    testing::TemporaryDirectory dir;
    pid_t socat_ = 0;
    LinuxSerialPorts ports, peer;
};

TEST_F(SerialPortsTest, BytesGoBothWays) {
    ASSERT_TRUE(ports.open(7, 38400) && peer.open(8, 38400));
    ports.makeReadsImmediate(7);
    ports.setFraming(7, 8, 0, 2);
    EXPECT_EQ(ports.read(7, 10), "");
    ports.write(7, "FA;IF;");
    EXPECT_TRUE(eventually([&] { return peer.bytesWaiting(8) == 6; }));
    EXPECT_EQ(peer.read(8, 100), "FA;IF;");
    peer.write(8, "FA014250000;");
    EXPECT_TRUE(eventually([&] { return ports.bytesWaiting(7) == 12; }));
    EXPECT_EQ(ports.read(7, 5), "FA014");
    EXPECT_EQ(ports.bytesWaiting(7), 7);
    EXPECT_EQ(ports.read(7, 100) + ports.read(7, 100), "250000;");
    ASSERT_TRUE(ports.open(7, 4800));  // replaces the earlier opening
    ports.write(7, "ID;");
    EXPECT_TRUE(eventually([&] { return peer.bytesWaiting(8) == 3; }));
    EXPECT_EQ(peer.read(8, 100), "ID;");
    ports.close(7);
    peer.write(8, "late;");
    EXPECT_EQ(ports.bytesWaiting(7), 0);
    EXPECT_EQ(ports.read(7, 100), "");
}

// A port that fails to open says why on one line (numbers outside 1..256
// quietly), does nothing afterwards, and lets go of what it held.
TEST_F(SerialPortsTest, FailedOpensSayWhyAndLetThePortGo) {
    ASSERT_TRUE(ports.open(7, 38400));
    LinuxSerialPorts other;
    std::filesystem::create_symlink("gone", "COM9");
    testing::writeFile("COM6", "not a port");
    // clang-format off
    const std::vector<std::tuple<LinuxSerialPorts*, int, int, const char*>> cases = {
        {&other, 7, 38400, "(COM7): busy"},  // an open port is not shared with another program
        {&ports, 7, 12345, "(COM7): unsupported speed"}, {&ports, 7, 0, "(COM7): unsupported speed"},
        {&ports, 9, 9600, "(COM9): no such device"}, {&ports, 6, 9600, "(COM6): not a serial port"},
        {&ports, 256, 9600, "(/dev/ttyS255): no such device"}, {&ports, 0, 38400, ""}, {&ports, 257, 38400, ""},
    };
    // clang-format on
    for (const auto& [opener, port, baud, reason] : cases) {
        testing::StderrCapture errors;
        EXPECT_FALSE(opener->open(port, baud)) << port << " " << baud;
        opener->makeReadsImmediate(port);
        opener->setFraming(port, 8, 0, 1);
        opener->write(port, "FA;");
        EXPECT_EQ(opener->bytesWaiting(port), 0) << port;
        EXPECT_EQ(opener->read(port, 10), "") << port;
        opener->close(port);
        const std::string said = errors.text();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), *reason ? 1 : 0) << said;
        EXPECT_NE(said.find(reason), std::string::npos) << said;
    }
    EXPECT_EQ(LinuxSerialPorts::deviceFor(0) + LinuxSerialPorts::deviceFor(257), "");
    EXPECT_TRUE(other.open(7, 38400)) << "opening port 7 again, even in vain, let go of it";
    other.close(7);
    EXPECT_TRUE(ports.open(7, 38400)) << "closing lets go of it";
}

// The far end going away is what an unplugged adapter looks like: the port is
// lost, passes nothing, says so once however often it is tried again, and
// opens the same device when it is back, although its link went with it.
TEST_F(SerialPortsTest, ALostDeviceIsSaidOnceAndOpenedAgainUnderItsName) {
    ASSERT_TRUE(ports.open(7, 38400));
    EXPECT_FALSE(ports.isLost(7));
    testing::StderrCapture errors;
    stopSocat();
    EXPECT_TRUE(eventually([&] { return ports.isLost(7); }));
    ports.write(7, "FA;");
    EXPECT_EQ(ports.bytesWaiting(7) + static_cast<int>(ports.read(7, 10).size()), 0);
    ports.close(7);
    EXPECT_FALSE(ports.isLost(7)) << "a closed port is not lost";
    for (int tries = 0; tries < 3; ++tries) EXPECT_FALSE(ports.open(7, 38400));
    const std::string said = errors.text();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("(COM7): the device has gone"), std::string::npos) << said;
    startSocat();
    ASSERT_TRUE(ports.open(7, 38400) && peer.open(8, 38400));
    ports.write(7, "ID;");
    EXPECT_TRUE(eventually([&] { return peer.bytesWaiting(8) == 3; }));
    EXPECT_FALSE(ports.isLost(7));
}

TEST_F(SerialPortsTest, SpeedAndFramingReachTheLine) {
    // Reading the settings of a held port means opening it past its exclusive hold.
    if (::geteuid() != 0) GTEST_SKIP() << "reading the settings of a held port needs root";
    // A pseudo-terminal always carries 8 bits without parity whatever it is
    // told; the speed, the stop bits and odd against even parity stick.
    // clang-format off
    const std::vector<std::tuple<int, int, int, int, std::vector<const char*>>> cases = {
        {38400, 8, 0, 1, {"speed 38400 baud", " -cstopb ", " min = 0;", " time = 0;", " -icanon ", " clocal ",
                          " cread "}},
        {4800, 8, 0, 2, {"speed 4800 baud", " cstopb "}},
        {9600, 7, 2, 1, {"speed 9600 baud", " -parodd ", " -cstopb "}},
        {115200, 7, 1, 0, {"speed 115200 baud", " parodd ", " cstopb "}},
        {4000000, 5, 1, 1, {"speed 4000000 baud", " parodd ", " -cstopb "}},
        // Framing that cannot be leaves the line as it was.
        {57600, 9, 1, 2, {"speed 57600 baud", " -parodd ", " -cstopb "}},
        {57600, 8, 3, 2, {"speed 57600 baud", " -parodd ", " -cstopb "}},
    };
    // clang-format on
    for (const auto& [baud, dataBits, parity, stopCode, settings] : cases) {
        ASSERT_TRUE(ports.open(7, baud));
        testing::StderrCapture quiet;
        ports.setFraming(7, dataBits, parity, stopCode);
        ASSERT_EQ(std::system("stty -a -F COM7 > stty.txt 2>&1"), 0);
        std::string line = " " + testing::readFile("stty.txt") + " ";
        std::replace(line.begin(), line.end(), '\n', ' ');
        for (const char* setting : settings)
            EXPECT_NE(line.find(setting), std::string::npos)
                << baud << dataBits << parity << stopCode << line;
    }
}

// What other programs leave in a port's termios, and the panel's settings over it.
TEST(SerialLines, WhateverTheLastProgramLeftThePortOpensRawWithoutHandshake) {
    struct LeftOver {
        const char* what;
        void (*leave)(termios&);
    };
    // clang-format off
    const LeftOver leftOvers[] = {
        {"a raw line", [](termios& t) { ::cfmakeraw(&t); }},
        {"hardware handshake", [](termios& t) { t.c_cflag |= CRTSCTS; }},
        {"XON/XOFF both ways", [](termios& t) { t.c_iflag |= IXON | IXOFF | IXANY; }},
        {"7 bits, odd parity checked, two stop bits",
         [](termios& t) {
             t.c_cflag = (t.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB;
             t.c_iflag |= INPCK | ISTRIP;
         }},
        {"a terminal: echo, lines, CR/LF translation",
         [](termios& t) {
             t.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
             t.c_iflag |= ICRNL;
             t.c_oflag |= OPOST | ONLCR;
         }},
        {"modem control, no hang-up on close", [](termios& t) { t.c_cflag &= ~(CLOCAL | HUPCL); }},
        {"blocking reads", [](termios& t) { t.c_cc[VMIN] = 5; t.c_cc[VTIME] = 10; }},
    };
    // clang-format on
    for (const LeftOver& row : leftOvers) {
        SCOPED_TRACE(row.what);
        termios settings{};
        ::cfsetispeed(&settings, B4800);
        ::cfsetospeed(&settings, B4800);
        row.leave(settings);
        catTermios(settings, B38400);
        EXPECT_EQ(::cfgetispeed(&settings), static_cast<speed_t>(B38400));
        EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B38400));
        EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(settings.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD | HUPCL), static_cast<tcflag_t>(CLOCAL | CREAD | HUPCL));
        EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | IXANY | INPCK | ISTRIP | ICRNL), 0u);
        EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
        EXPECT_EQ(settings.c_oflag & OPOST, 0u);
        EXPECT_EQ(settings.c_cc[VMIN], 0);
        EXPECT_EQ(settings.c_cc[VTIME], 0);
    }
}

}  // namespace
}  // namespace vantor
