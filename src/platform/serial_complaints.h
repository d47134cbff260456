#pragma once
// The lines the serial ports write on standard error about opening a device,
// losing it and failed writes, the same on every platform. A port retried
// once a second while its device is away must not say the same thing every
// second, so each thing is said once until the port opens again.

#include <array>
#include <cstddef>
#include <string>

namespace vantor {

class SerialComplaints {
public:
    // "serial port N (DEVICE): REASON", unless it is what was said last for
    // the port or its device was said to have gone.
    void openFailed(int port, const std::string& device, const std::string& reason);
    // "serial port N (DEVICE): the device has gone (WHY)".
    void gone(int port, const std::string& device, const std::string& why);
    // The port is open: what fails next is news again.
    void opened(int port);
    // "serial port N: write failed, DONE of TOTAL bytes sent: WHY".
    static void writeFailed(int port, std::size_t done, std::size_t total, const std::string& why);
    // 5 to 8 data bits and parity 0, 1 or 2; anything else is said and refused.
    static bool framingPossible(int port, int dataBits, int parity);

private:
    static constexpr int kPortCount = 256;
    std::array<std::string, kPortCount + 1> lastSaid_{};
};

}  // namespace vantor
