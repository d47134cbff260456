#include "platform/linux/linux_serial_ports.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vantor {

namespace {

// A write that the port will not take within this time is given up.
constexpr int kWriteTimeoutMs = 1000;
constexpr int kReadChunk = 4096;

bool validPort(int port) { return port >= 1 && port <= 256; }

bool speedConstant(int baud, speed_t& speed) {
    struct Pair {
        int baud;
        speed_t constant;
    };
    static constexpr Pair kSpeeds[] = {
        {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200},
        {300, B300}, {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400},
        {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B500000
        {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000},
        {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000},
        {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000},
        {4000000, B4000000},
#endif
    };
    for (const Pair& pair : kSpeeds) {
        if (pair.baud == baud) {
            speed = pair.constant;
            return true;
        }
    }
    return false;
}

// Errors that mean the device itself is no more, not a passing hitch.
bool deviceGone(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

std::string reasonFor(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "no permission to open it (is the user in the dialout group?)";
    case EBUSY:
    case EWOULDBLOCK:
        return "busy: another program has it";
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return "no such device";
    default:
        return std::strerror(error);
    }
}

}  // namespace

void catTermios(termios& settings, speed_t speed) {
    ::cfmakeraw(&settings);
    // cfmakeraw leaves these: the driver would send XOFF/XON to the radio itself.
    settings.c_iflag &= ~(IXOFF | IXANY | INPCK);
    settings.c_cflag |= CLOCAL | CREAD | HUPCL;
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
    settings.c_cflag &= ~CMSPAR;
#endif
    settings.c_cflag |= CS8;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
}

void LinuxSerialPorts::reportOpenFailure(int port, const std::string& device, const std::string& reason) {
    complaints_.openFailed(port, device, reason);
}

void LinuxSerialPorts::markLost(int port, OpenPort& p, const std::string& why) {
    if (p.lost) return;
    p.lost = true;
    complaints_.gone(port, p.device, why);
}

LinuxSerialPorts::LinuxSerialPorts() = default;

LinuxSerialPorts::~LinuxSerialPorts() {
    for (int port = 1; port <= kPortCount; ++port) close(port);
}

std::string LinuxSerialPorts::deviceFor(int port) {
    if (!validPort(port)) return "";
    const std::string local = "COM" + std::to_string(port);
    // A dangling link still names the operator's choice: opening it then says
    // why, instead of quietly trying another device.
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(local, ec))) return local;
    return "/dev/ttyS" + std::to_string(port - 1);
}

LinuxSerialPorts::OpenPort* LinuxSerialPorts::openPort(int port) {
    if (!validPort(port) || ports_[port].fd < 0 || ports_[port].lost) return nullptr;
    return &ports_[port];
}

bool LinuxSerialPorts::open(int port, int baud) {
    if (!validPort(port)) return false;
    close(port);
    const std::string& lostDevice = lostDevice_[static_cast<std::size_t>(port)];
    const std::string device = lostDevice.empty() ? deviceFor(port) : lostDevice;
    speed_t speed;
    if (!speedConstant(baud, speed)) {
        reportOpenFailure(port, device, "unsupported speed " + std::to_string(baud) + " baud");
        return false;
    }
    int fd;
    do {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        reportOpenFailure(port, device, reasonFor(errno));
        return false;
    }
    auto fail = [&](const std::string& reason) {
        ::close(fd);
        reportOpenFailure(port, device, reason);
        return false;
    };
    // The lock keeps out other programs that lock too (and other instances of
    // this one); TIOCEXCL keeps out those that do not, unless run as root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(reasonFor(errno));
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) return fail("not a serial port: " + reasonFor(errno));
    ::ioctl(fd, TIOCEXCL);
    catTermios(settings, speed);
    if (::tcsetattr(fd, TCSANOW, &settings) != 0) return fail(reasonFor(errno));
    // Opening a tty raises DTR and RTS. DTR is what keying interfaces and the
    // Standard port of Yaesu's USB bridge key the transmitter or CW with, and
    // no CAT line needs it; RTS on the CAT (Enhanced) port is the radio's "CAT
    // RTS" input, which with that menu item enabled (as it leaves the factory)
    // must be high for the radio to answer. A pseudo-terminal has neither.
    const int dtr = TIOCM_DTR;
    const int rts = TIOCM_RTS;
    ::ioctl(fd, TIOCMBIC, &dtr);
    ::ioctl(fd, TIOCMBIS, &rts);
    ports_[port] = OpenPort{fd, false, true, false, device};
    lostDevice_[static_cast<std::size_t>(port)].clear();
    complaints_.opened(port);
    return true;
}

void LinuxSerialPorts::makeReadsImmediate(int port) {
    OpenPort* p = openPort(port);
    if (!p) return;
    termios settings{};
    if (::tcgetattr(p->fd, &settings) != 0) return;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    ::tcsetattr(p->fd, TCSANOW, &settings);
}

void LinuxSerialPorts::setFraming(int port, int dataBits, int parity, int stopCode) {
    OpenPort* p = openPort(port);
    if (!p) return;
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    if (!SerialComplaints::framingPossible(port, dataBits, parity)) return;
    termios settings{};
    if (::tcgetattr(p->fd, &settings) != 0) return;
    settings.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
    settings.c_cflag |= kSizes[dataBits - 5];
    if (parity == 1) settings.c_cflag |= PARENB | PARODD;
    if (parity == 2) settings.c_cflag |= PARENB;
    if (stopCode != 1) settings.c_cflag |= CSTOPB;
    ::tcsetattr(p->fd, TCSANOW, &settings);
}

int LinuxSerialPorts::bytesWaiting(int port) {
    OpenPort* p = openPort(port);
    if (!p) return 0;
    int count = 0;
    if (::ioctl(p->fd, FIONREAD, &count) != 0) {
        if (deviceGone(errno)) markLost(port, *p, std::strerror(errno));
        return 0;
    }
    return std::max(count, 0);
}

std::string LinuxSerialPorts::read(int port, int maxBytes) {
    OpenPort* p = openPort(port);
    if (!p || maxBytes <= 0) return "";
    std::string bytes;
    char chunk[kReadChunk];
    while (static_cast<int>(bytes.size()) < maxBytes) {
        const std::size_t wanted =
            std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(maxBytes) - bytes.size());
        const ssize_t n = ::read(p->fd, chunk, wanted);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && deviceGone(errno)) markLost(port, *p, std::strerror(errno));
        break;  // nothing more waiting (EAGAIN, or 0 bytes), or the device failed
    }
    if (!bytes.empty()) watchAgain(p->fd);
    return bytes;
}

void LinuxSerialPorts::write(int port, std::string_view bytes) {
    OpenPort* p = openPort(port);
    if (!p) return;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    std::size_t done = 0;
    std::string failure;
    while (done < bytes.size()) {
        const ssize_t n = ::write(p->fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && deviceGone(errno)) {
            markLost(port, *p, std::strerror(errno));
            return;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            failure = std::strerror(errno);
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - Clock::now()).count();
        if (left <= 0) {
            failure = "the port takes no more bytes";
            break;
        }
        pollfd waiting{p->fd, POLLOUT, 0};
        if (::poll(&waiting, 1, static_cast<int>(left)) > 0 &&
            (waiting.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            markLost(port, *p, "hung up");
            return;
        }
    }
    // One line per opening: a radio switched off mid-session must not flood the terminal.
    if (!failure.empty() && !p->writeFailureReported) {
        p->writeFailureReported = true;
        SerialComplaints::writeFailed(port, done, bytes.size(), failure);
    }
}

void LinuxSerialPorts::close(int port) {
    if (!validPort(port) || ports_[port].fd < 0) return;
    OpenPort* p = &ports_[port];
    if (p->lost) lostDevice_[static_cast<std::size_t>(port)] = p->device;
    ::ioctl(p->fd, TIOCNXCL);
    watchAgain(p->fd);
    ::close(p->fd);  // also releases the lock
    *p = OpenPort{};
}

bool LinuxSerialPorts::isLost(int port) {
    if (!validPort(port) || ports_[port].fd < 0) return false;
    OpenPort& p = ports_[port];
    pollfd state{p.fd, 0, 0};
    if (!p.lost && ::poll(&state, 1, 0) > 0 && (state.revents & (POLLERR | POLLHUP | POLLNVAL)))
        markLost(port, p, "hung up");
    return p.lost;
}

void LinuxSerialPorts::wakeOnInput(int port, bool wake) {
    if (OpenPort* p = openPort(port)) p->wakes = wake;
}

void LinuxSerialPorts::openDescriptors(std::vector<int>& out) const {
    for (const OpenPort& p : ports_)
        if (p.fd >= 0 && p.wakes && !p.lost) out.push_back(p.fd);
}

}  // namespace vantor
