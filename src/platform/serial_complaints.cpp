#include "platform/serial_complaints.h"

#include <cstdio>

namespace vantor {

namespace {

// Stands in lastSaid_ for a port whose device has gone and been said so.
constexpr const char* kGone = "gone";

bool validPort(int port) { return port >= 1 && port <= 256; }

}  // namespace

void SerialComplaints::openFailed(int port, const std::string& device, const std::string& reason) {
    if (!validPort(port)) return;
    std::string& last = lastSaid_[static_cast<std::size_t>(port)];
    if (last == reason || last == kGone) return;
    last = reason;
    std::fprintf(stderr, "vantor: serial port %d (%s): %s\n", port, device.c_str(), reason.c_str());
}

void SerialComplaints::gone(int port, const std::string& device, const std::string& why) {
    if (!validPort(port)) return;
    lastSaid_[static_cast<std::size_t>(port)] = kGone;
    std::fprintf(stderr, "vantor: serial port %d (%s): the device has gone (%s)\n", port, device.c_str(),
                 why.c_str());
}

void SerialComplaints::opened(int port) {
    if (validPort(port)) lastSaid_[static_cast<std::size_t>(port)].clear();
}

void SerialComplaints::writeFailed(int port, std::size_t done, std::size_t total, const std::string& why) {
    std::fprintf(stderr, "vantor: serial port %d: write failed, %zu of %zu bytes sent: %s\n", port, done, total,
                 why.c_str());
}

bool SerialComplaints::framingPossible(int port, int dataBits, int parity) {
    if (dataBits >= 5 && dataBits <= 8 && parity >= 0 && parity <= 2) return true;
    std::fprintf(stderr, "vantor: serial port %d: framing %d data bits, parity %d not possible\n", port, dataBits,
                 parity);
    return false;
}

}  // namespace vantor
