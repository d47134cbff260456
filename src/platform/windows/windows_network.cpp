#include "platform/windows/windows_network.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

#include "platform/windows/windows_errors.h"

namespace vantor {

namespace {

// A peer that takes nothing more for this long is cut off: the panel must
// keep answering the operator and the other programs.
constexpr int kWriteTimeoutMs = 200;
constexpr int kBacklog = 16;
constexpr int kReadChunk = 4096;

SOCKET socketOf(unsigned long long handle) { return static_cast<SOCKET>(handle); }

}  // namespace

WindowsNetwork::WindowsNetwork() {
    WSADATA data{};
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (started_) event_ = ::WSACreateEvent();
}

WindowsNetwork::~WindowsNetwork() {
    for (auto& [id, socket] : sockets_) ::closesocket(socketOf(socket.handle));
    if (event_) ::WSACloseEvent(static_cast<WSAEVENT>(event_));
    if (started_) ::WSACleanup();
}

WindowsNetwork::Socket* WindowsNetwork::find(int id, bool listening) {
    auto it = sockets_.find(id);
    return it != sockets_.end() && it->second.listening == listening ? &it->second : nullptr;
}

int WindowsNetwork::add(Socket socket) {
    const int id = nextId_++;
    sockets_[id] = socket;
    return id;
}

int WindowsNetwork::listen(const std::string& address, int port) {
    if (!started_ || !event_) {
        lastError_ = "no network (Winsock did not start)";
        return 0;
    }
    if (port < 0 || port > 65535) {
        lastError_ = "no such port";
        return 0;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int failure =
            ::getaddrinfo(address.empty() ? nullptr : address.c_str(), service.c_str(), &hints, &found)) {
        lastError_ = systemMessage(static_cast<unsigned long>(failure));
        return 0;
    }
    SOCKET handle = INVALID_SOCKET;
    for (addrinfo* candidate = found; candidate && handle == INVALID_SOCKET; candidate = candidate->ai_next) {
        handle = ::WSASocketW(candidate->ai_family, candidate->ai_socktype, candidate->ai_protocol, nullptr, 0,
                              WSA_FLAG_NO_HANDLE_INHERIT);
        if (handle == INVALID_SOCKET) {
            lastError_ = systemMessage(static_cast<unsigned long>(::WSAGetLastError()));
            continue;
        }
        if (::bind(handle, candidate->ai_addr, static_cast<int>(candidate->ai_addrlen)) != 0 ||
            ::listen(handle, kBacklog) != 0 ||
            ::WSAEventSelect(handle, static_cast<WSAEVENT>(event_), FD_ACCEPT) != 0) {
            lastError_ = systemMessage(static_cast<unsigned long>(::WSAGetLastError()));
            ::closesocket(handle);
            handle = INVALID_SOCKET;
        }
    }
    ::freeaddrinfo(found);
    if (handle == INVALID_SOCKET) return 0;
    lastError_.clear();
    return add({static_cast<unsigned long long>(handle), true, false});
}

int WindowsNetwork::localPort(int listener) {
    Socket* s = find(listener, true);
    sockaddr_storage address{};
    int length = sizeof address;
    if (!s || ::getsockname(socketOf(s->handle), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
    return 0;
}

int WindowsNetwork::accept(int listener) {
    Socket* s = find(listener, true);
    if (!s) return 0;
    for (;;) {
        const SOCKET handle = ::accept(socketOf(s->handle), nullptr, nullptr);
        if (handle != INVALID_SOCKET) {
            // Non-blocking, and its input sets the event (WSAEventSelect does both).
            ::WSAEventSelect(handle, static_cast<WSAEVENT>(event_), FD_READ | FD_CLOSE);
            ::SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
            // Answers are short lines that should leave at once.
            const BOOL on = TRUE;
            ::setsockopt(handle, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
            return add({static_cast<unsigned long long>(handle), false, false});
        }
        // A client that gave up while waiting is no reason to stop looking.
        if (::WSAGetLastError() == WSAECONNRESET) continue;
        return 0;
    }
}

std::string WindowsNetwork::read(int connection, int maxBytes) {
    Socket* s = find(connection, false);
    if (!s || maxBytes <= 0) return "";
    std::string bytes;
    char chunk[kReadChunk];
    while (static_cast<int>(bytes.size()) < maxBytes) {
        const int wanted = static_cast<int>(
            std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(maxBytes) - bytes.size()));
        const int n = ::recv(socketOf(s->handle), chunk, wanted, 0);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n == 0) s->inputEnded = true;
        if (n < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) s->peerGone = true;
        break;
    }
    return bytes;
}

bool WindowsNetwork::isClosed(int connection) {
    Socket* s = find(connection, false);
    if (!s) return true;
    if (s->peerGone || s->inputEnded) return true;
    // Whatever the peer sent before it went is still to be read.
    char next;
    const int n = ::recv(socketOf(s->handle), &next, 1, MSG_PEEK);
    if (n == 0) s->inputEnded = true;
    if (n < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK) s->peerGone = true;
    return s->peerGone || s->inputEnded;
}

bool WindowsNetwork::isWritable(int connection) {
    const Socket* s = find(connection, false);
    return s && !s->peerGone;
}

void WindowsNetwork::write(int connection, std::string_view bytes) {
    Socket* s = find(connection, false);
    if (!s || s->peerGone) return;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    std::size_t done = 0;
    const SOCKET handle = socketOf(s->handle);
    while (done < bytes.size()) {
        const int piece = static_cast<int>(std::min<std::size_t>(bytes.size() - done, 1 << 16));
        const int n = ::send(handle, bytes.data() + done, piece, 0);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK && left > 0) {
            fd_set writable;
            FD_ZERO(&writable);
            FD_SET(handle, &writable);
            timeval wait{0, static_cast<long>(left * 1000)};
            ::select(0, nullptr, &writable, nullptr, &wait);
            continue;
        }
        // Gone, or not reading: the connection is over, and the event wakes
        // the panel's wait, which then finds it closed. Only the sending is
        // shut: Windows refuses every read after the receiving is shut, and
        // what the client sent before it went (its last "T 0") is still to
        // be read.
        s->peerGone = true;
        ::shutdown(handle, SD_SEND);
        ::SetEvent(static_cast<WSAEVENT>(event_));
        return;
    }
}

void WindowsNetwork::close(int id) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    ::closesocket(socketOf(it->second.handle));
    sockets_.erase(it);
}

bool WindowsNetwork::takeInput() {
    if (!event_ || ::WaitForSingleObject(static_cast<WSAEVENT>(event_), 0) != WAIT_OBJECT_0) return false;
    // Taking each socket's record clears it; the event is cleared with the first.
    for (auto& [id, socket] : sockets_) {
        WSANETWORKEVENTS happened{};
        ::WSAEnumNetworkEvents(socketOf(socket.handle), static_cast<WSAEVENT>(event_), &happened);
    }
    ::ResetEvent(static_cast<WSAEVENT>(event_));
    return true;
}

}  // namespace vantor
