// The line settings a COM port is opened with, whatever the program before
// left: no handshake, DTR low (it keys transmitters), RTS high (the CAT RTS
// input of Yaesu radios).

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/windows/windows_serial_ports.h"

namespace vantor {
namespace {

struct LeftOver {
    const char* what;
    void (*leave)(DCB&);
};

// What other programs leave in a port's settings.
const LeftOver kLeftOvers[] = {
    {"nothing changed", [](DCB&) {}},
    {"hardware handshake",
     [](DCB& d) {
         d.fOutxCtsFlow = TRUE;
         d.fRtsControl = RTS_CONTROL_HANDSHAKE;
     }},
    {"RTS toggled around each write (PTT by RTS)", [](DCB& d) { d.fRtsControl = RTS_CONTROL_TOGGLE; }},
    {"RTS held low", [](DCB& d) { d.fRtsControl = RTS_CONTROL_DISABLE; }},
    {"DTR held high (CW keying by DTR)", [](DCB& d) { d.fDtrControl = DTR_CONTROL_ENABLE; }},
    {"DTR/DSR handshake",
     [](DCB& d) {
         d.fDtrControl = DTR_CONTROL_HANDSHAKE;
         d.fOutxDsrFlow = TRUE;
         d.fDsrSensitivity = TRUE;
     }},
    {"XON/XOFF",
     [](DCB& d) {
         d.fOutX = TRUE;
         d.fInX = TRUE;
     }},
    {"7 bits, even parity, two stop bits, parity checked",
     [](DCB& d) {
         d.ByteSize = 7;
         d.Parity = EVENPARITY;
         d.StopBits = TWOSTOPBITS;
         d.fParity = TRUE;
         d.fErrorChar = TRUE;
     }},
    {"stop on errors, strip NULs",
     [](DCB& d) {
         d.fAbortOnError = TRUE;
         d.fNull = TRUE;
     }},
};

TEST(WindowsSerialLines, WhateverTheLastProgramLeftThePortOpensWithoutKeyingLines) {
    for (const LeftOver& row : kLeftOvers) {
        SCOPED_TRACE(row.what);
        DCB settings{};
        settings.DCBlength = sizeof settings;
        settings.BaudRate = CBR_4800;
        settings.ByteSize = 8;
        settings.fDtrControl = DTR_CONTROL_ENABLE;
        settings.fRtsControl = RTS_CONTROL_ENABLE;
        row.leave(settings);
        catLineSettings(settings, 38400);
        EXPECT_EQ(settings.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
        EXPECT_EQ(settings.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE));
        EXPECT_FALSE(settings.fOutxCtsFlow);
        EXPECT_FALSE(settings.fOutxDsrFlow);
        EXPECT_FALSE(settings.fDsrSensitivity);
        EXPECT_FALSE(settings.fOutX);
        EXPECT_FALSE(settings.fInX);
        EXPECT_EQ(settings.BaudRate, 38400u);
        EXPECT_EQ(settings.ByteSize, 8);
        EXPECT_EQ(settings.Parity, NOPARITY);
        EXPECT_EQ(settings.StopBits, ONESTOPBIT);
        EXPECT_FALSE(settings.fParity);
        EXPECT_TRUE(settings.fBinary);
        EXPECT_FALSE(settings.fErrorChar);
        EXPECT_FALSE(settings.fNull);
        EXPECT_FALSE(settings.fAbortOnError);
    }
}

// Under Wine the echoing pseudo-terminal of scripts/test-windows keeps the
// handshake and framing in its termios, so what open() leaves there can be read
// back through a second handle (Wine lets one in). A pseudo-terminal has no
// modem lines, so DTR itself is seen only on a real port.
TEST(WindowsSerialLines, AnOpenedPortHasNoHandshakeAndPlainFramingWhateverWasLeft) {
    const char* echoPort = std::getenv("VANTOR_ECHO_PORT");
    if (!echoPort || !*echoPort) GTEST_SKIP() << "no echoing port (run by scripts/test-windows)";
    const int port = std::atoi(echoPort);
    const std::wstring device = L"\\\\.\\COM" + std::to_wstring(port);
    auto settingsNow = [&](DCB& settings) {
        const HANDLE other =
            ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (other == INVALID_HANDLE_VALUE) return false;
        settings = DCB{};
        settings.DCBlength = sizeof settings;
        const bool read = ::GetCommState(other, &settings);
        ::CloseHandle(other);
        return read;
    };
    for (const LeftOver& row : kLeftOvers) {
        SCOPED_TRACE(row.what);
        DCB left{};
        ASSERT_TRUE(settingsNow(left));
        row.leave(left);
        {
            const HANDLE before =
                ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(before, INVALID_HANDLE_VALUE);
            // Wine refuses some (DTR handshake); the others stay for the next opening.
            ::SetCommState(before, &left);
            ::CloseHandle(before);
        }
        WindowsSerialPorts serial;
        ASSERT_TRUE(serial.open(port, 38400));
        DCB now{};
        ASSERT_TRUE(settingsNow(now));
        EXPECT_FALSE(now.fOutxCtsFlow);
        EXPECT_NE(now.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
        EXPECT_FALSE(now.fOutX);
        EXPECT_FALSE(now.fInX);
        EXPECT_EQ(now.BaudRate, 38400u);
        EXPECT_EQ(now.ByteSize, 8);
        EXPECT_EQ(now.Parity, NOPARITY);
        EXPECT_EQ(now.StopBits, ONESTOPBIT);
        serial.close(port);
    }
}

}  // namespace
}  // namespace vantor
