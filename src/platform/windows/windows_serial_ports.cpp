#include "platform/windows/windows_serial_ports.h"

#include <windows.h>

#include <algorithm>

#include "platform/windows/windows_errors.h"

namespace vantor {

namespace {

// A write that the port will not take within this time is given up.
constexpr DWORD kWriteTimeoutMs = 1000;
// How often ports that wake the panel are looked at: USB serial drivers
// differ in how (and whether) they signal arriving characters, while every
// one of them counts what is queued.
constexpr int kLookPeriodMs = 10;
constexpr int kReadChunk = 4096;

bool validPort(int port) { return port >= 1 && port <= 256; }

HANDLE handleOf(void* handle) { return static_cast<HANDLE>(handle); }

// Errors that mean the device itself is no more (unplugged, its driver
// stopped), not a passing hitch.
bool deviceGone(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
    case ERROR_INVALID_HANDLE:
    case ERROR_FILE_NOT_FOUND:
        return true;
    default:
        return false;
    }
}

std::string openFailureReason(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return "busy: another program has it";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such device";
    default:
        return systemMessage(error);
    }
}

}  // namespace

void catLineSettings(DCB& settings, unsigned long baud) {
    settings.BaudRate = baud;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_DISABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fErrorChar = FALSE;
    settings.fNull = FALSE;
    settings.fAbortOnError = FALSE;
}

void WindowsSerialPorts::reportOpenFailure(int port, const std::string& reason) {
    complaints_.openFailed(port, deviceFor(port), reason);
}

void WindowsSerialPorts::markLost(int port, OpenPort& p, const std::string& why) {
    if (p.lost) return;
    p.lost = true;
    complaints_.gone(port, deviceFor(port), why);
}

WindowsSerialPorts::~WindowsSerialPorts() {
    for (int port = 1; port <= kPortCount; ++port) close(port);
}

std::string WindowsSerialPorts::deviceFor(int port) {
    return validPort(port) ? "\\\\.\\COM" + std::to_string(port) : "";
}

WindowsSerialPorts::OpenPort* WindowsSerialPorts::openPort(int port) {
    if (!validPort(port) || !ports_[port].handle || ports_[port].lost) return nullptr;
    return &ports_[port];
}

bool WindowsSerialPorts::open(int port, int baud) {
    if (!validPort(port)) return false;
    close(port);
    if (baud <= 0) {
        reportOpenFailure(port, "unsupported speed " + std::to_string(baud) + " baud");
        return false;
    }
    const std::wstring device = L"\\\\.\\COM" + std::to_wstring(port);
    // No sharing: the port is this program's alone while it is open.
    const HANDLE handle =
        ::CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reportOpenFailure(port, openFailureReason(::GetLastError()));
        return false;
    }
    auto fail = [&](const std::string& reason) {
        ::CloseHandle(handle);
        reportOpenFailure(port, reason);
        return false;
    };
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!::GetCommState(handle, &settings)) return fail("not a serial port: " + systemMessage(::GetLastError()));
    catLineSettings(settings, static_cast<DWORD>(baud));
    if (!::SetCommState(handle, &settings)) return fail("unsupported speed " + std::to_string(baud) + " baud");
    // The driver sets the lines from the settings; saying so again covers
    // one that left them as the last user had them.
    ::EscapeCommFunction(handle, CLRDTR);
    ::EscapeCommFunction(handle, SETRTS);
    // Reads return at once with what is there; writes give up after a while.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = kWriteTimeoutMs;
    if (!::SetCommTimeouts(handle, &timeouts)) return fail(systemMessage(::GetLastError()));
    ::PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    ports_[port] = OpenPort{handle, false, true, false, false};
    complaints_.opened(port);
    return true;
}

void WindowsSerialPorts::makeReadsImmediate(int port) {
    OpenPort* p = openPort(port);
    if (!p) return;
    COMMTIMEOUTS timeouts{};
    if (!::GetCommTimeouts(handleOf(p->handle), &timeouts)) return;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    ::SetCommTimeouts(handleOf(p->handle), &timeouts);
}

void WindowsSerialPorts::setFraming(int port, int dataBits, int parity, int stopCode) {
    OpenPort* p = openPort(port);
    if (!p) return;
    if (!SerialComplaints::framingPossible(port, dataBits, parity)) return;
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!::GetCommState(handleOf(p->handle), &settings)) return;
    static constexpr BYTE kParities[] = {NOPARITY, ODDPARITY, EVENPARITY};
    settings.ByteSize = static_cast<BYTE>(dataBits);
    settings.Parity = kParities[parity];
    settings.fParity = parity != 0;
    settings.StopBits = stopCode == 1 ? ONESTOPBIT : TWOSTOPBITS;
    ::SetCommState(handleOf(p->handle), &settings);
}

int WindowsSerialPorts::queued(int port, OpenPort& p) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!::ClearCommError(handleOf(p.handle), &errors, &status)) {
        const DWORD error = ::GetLastError();
        if (deviceGone(error)) markLost(port, p, systemMessage(error));
        return -1;
    }
    return static_cast<int>(std::min<DWORD>(status.cbInQue, 0x7fffffff));
}

int WindowsSerialPorts::bytesWaiting(int port) {
    OpenPort* p = openPort(port);
    if (!p) return 0;
    return std::max(queued(port, *p), 0);
}

std::string WindowsSerialPorts::read(int port, int maxBytes) {
    OpenPort* p = openPort(port);
    if (!p || maxBytes <= 0) return "";
    std::string bytes;
    char chunk[kReadChunk];
    while (static_cast<int>(bytes.size()) < maxBytes) {
        const DWORD wanted =
            static_cast<DWORD>(std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(maxBytes) - bytes.size()));
        DWORD got = 0;
        if (!::ReadFile(handleOf(p->handle), chunk, wanted, &got, nullptr)) {
            const DWORD error = ::GetLastError();
            if (deviceGone(error)) markLost(port, *p, systemMessage(error));
            break;
        }
        if (got == 0) break;  // nothing more waiting
        bytes.append(chunk, got);
    }
    if (!bytes.empty()) p->quiet = false;
    return bytes;
}

void WindowsSerialPorts::write(int port, std::string_view bytes) {
    OpenPort* p = openPort(port);
    if (!p) return;
    std::size_t done = 0;
    std::string failure;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 16));
        if (!::WriteFile(handleOf(p->handle), bytes.data() + done, piece, &written, nullptr)) {
            const DWORD error = ::GetLastError();
            if (deviceGone(error)) {
                markLost(port, *p, systemMessage(error));
                return;
            }
            failure = systemMessage(error);
            break;
        }
        done += written;
        // The write timed out with the port still holding bytes.
        if (written < piece) {
            failure = "the port takes no more bytes";
            break;
        }
    }
    // One line per opening: a radio switched off mid-session must not flood the log.
    if (!failure.empty() && !p->writeFailureReported) {
        p->writeFailureReported = true;
        SerialComplaints::writeFailed(port, done, bytes.size(), failure);
    }
}

void WindowsSerialPorts::close(int port) {
    if (!validPort(port) || !ports_[port].handle) return;
    ::CloseHandle(handleOf(ports_[port].handle));
    ports_[port] = OpenPort{};
}

bool WindowsSerialPorts::isLost(int port) {
    if (!validPort(port) || !ports_[port].handle) return false;
    OpenPort& p = ports_[port];
    if (!p.lost) queued(port, p);
    return p.lost;
}

void WindowsSerialPorts::wakeOnInput(int port, bool wake) {
    if (OpenPort* p = openPort(port)) p->wakes = wake;
}

int WindowsSerialPorts::lookAgainMs() const {
    const bool watching = std::any_of(ports_.begin(), ports_.end(), [](const OpenPort& p) {
        return p.handle && p.wakes && !p.lost && !p.quiet;
    });
    return watching ? kLookPeriodMs : -1;
}

bool WindowsSerialPorts::takeInput() {
    bool ready = false;
    for (int port = 1; port <= kPortCount; ++port) {
        OpenPort& p = ports_[port];
        if (!p.handle || !p.wakes || p.lost || p.quiet) continue;
        // A device that went away wakes the panel too, once, so it hears of it soon.
        if (queued(port, p) != 0) {
            p.quiet = true;
            ready = true;
        }
    }
    return ready;
}

void WindowsSerialPorts::watchAll() {
    for (OpenPort& p : ports_) p.quiet = false;
}

}  // namespace vantor
