#pragma once
// Serial ports on Linux. Port n is the device "COM<n>" in the working
// directory when there is one (usually a link to /dev/serial/by-id/... or to
// a pseudo-terminal), otherwise /dev/ttyS<n-1>.

#include <termios.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/descriptor_source.h"
#include "platform/platform.h"
#include "platform/serial_complaints.h"

namespace vantor {

// The line settings every port is opened with, over whatever its last user
// left: raw 8 data bits, no parity, one stop bit, no flow control (neither
// RTS/CTS nor XON/XOFF either way), reads that return at once, and DTR and RTS
// dropped when the port closes (HUPCL), even by a crash.
void catTermios(termios& settings, speed_t speed);

class LinuxSerialPorts : public SerialPorts, public DescriptorSource {
public:
    LinuxSerialPorts();
    ~LinuxSerialPorts() override;
    LinuxSerialPorts(const LinuxSerialPorts&) = delete;
    LinuxSerialPorts& operator=(const LinuxSerialPorts&) = delete;

    bool open(int port, int baud) override;
    void makeReadsImmediate(int port) override;
    void setFraming(int port, int dataBits, int parity, int stopCode) override;
    int bytesWaiting(int port) override;
    std::string read(int port, int maxBytes) override;
    void write(int port, std::string_view bytes) override;
    void close(int port) override;
    bool isLost(int port) override;
    void wakeOnInput(int port, bool wake) override;

    // The device file that port number names, "" outside 1..256.
    static std::string deviceFor(int port);

protected:
    void openDescriptors(std::vector<int>& out) const override;

private:
    static constexpr int kPortCount = 256;
    struct OpenPort {
        int fd = -1;
        bool writeFailureReported = false;
        bool wakes = true;
        bool lost = false;
        std::string device;
    };
    OpenPort* openPort(int port);
    // The device has gone: said once, and the port passes nothing from now on.
    void markLost(int port, OpenPort& p, const std::string& why);
    void reportOpenFailure(int port, const std::string& device, const std::string& reason);

    std::array<OpenPort, kPortCount + 1> ports_{};
    // The device a lost port had, which opening the port tries again (the
    // link that named it may have gone with it).
    std::array<std::string, kPortCount + 1> lostDevice_{};
    SerialComplaints complaints_;
};

}  // namespace vantor
