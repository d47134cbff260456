#pragma once
// Serial ports on Windows: port n is the device \\.\COM<n>, opened for this
// program alone.

#include <array>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/serial_complaints.h"
#include "platform/windows/wait_source.h"

struct _DCB;

namespace vantor {

// The settings every port is opened with, over whatever its last user left:
// 8 data bits, no parity, one stop bit, no flow control or translation, DTR
// held low and RTS held high. DTR is what keying interfaces and the Standard
// COM Port of Yaesu's USB bridge key the transmitter or CW with, and no CAT
// line needs it; RTS on the CAT (Enhanced) port is the radio's "CAT RTS"
// input, which with that menu item enabled (as it leaves the factory) must be
// high for the radio to answer.
void catLineSettings(_DCB& settings, unsigned long baud);

class WindowsSerialPorts : public SerialPorts, public WaitSource {
public:
    WindowsSerialPorts() = default;
    ~WindowsSerialPorts() override;
    WindowsSerialPorts(const WindowsSerialPorts&) = delete;
    WindowsSerialPorts& operator=(const WindowsSerialPorts&) = delete;

    bool open(int port, int baud) override;
    void makeReadsImmediate(int port) override;
    void setFraming(int port, int dataBits, int parity, int stopCode) override;
    int bytesWaiting(int port) override;
    std::string read(int port, int maxBytes) override;
    void write(int port, std::string_view bytes) override;
    void close(int port) override;
    bool isLost(int port) override;
    void wakeOnInput(int port, bool wake) override;

    // The device name that port number names, "" outside 1..256.
    static std::string deviceFor(int port);

    void* inputEvent() override { return nullptr; }
    int lookAgainMs() const override;
    bool takeInput() override;
    void watchAll() override;

private:
    static constexpr int kPortCount = 256;
    struct OpenPort {
        void* handle = nullptr;
        bool writeFailureReported = false;
        bool wakes = true;
        bool quiet = false;  // its input was reported and is not yet read
        bool lost = false;
    };
    OpenPort* openPort(int port);
    // Bytes in the driver's queue; -1 (and the port lost) when the device has gone.
    int queued(int port, OpenPort& p);
    void markLost(int port, OpenPort& p, const std::string& why);
    void reportOpenFailure(int port, const std::string& reason);

    std::array<OpenPort, kPortCount + 1> ports_{};
    SerialComplaints complaints_;
};

}  // namespace vantor
