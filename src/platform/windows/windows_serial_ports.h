#pragma once
// Serial ports on Windows: port n is the device \\.\COM<n>, opened for this
// program alone.

#include <array>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/serial_complaints.h"
#include "platform/windows/wait_source.h"

namespace vantor {

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
