#include "platform/linux/linux_network.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vantor {

namespace {

// A peer that takes nothing more for this long is cut off: the panel must
// keep answering the operator and the other programs.
constexpr int kWriteTimeoutMs = 200;
constexpr int kBacklog = 16;
constexpr int kReadChunk = 4096;

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

LinuxNetwork::~LinuxNetwork() {
    for (auto& [id, socket] : sockets_) ::close(socket.fd);
}

LinuxNetwork::Socket* LinuxNetwork::find(int id, bool listening) {
    auto it = sockets_.find(id);
    return it != sockets_.end() && it->second.listening == listening ? &it->second : nullptr;
}

int LinuxNetwork::add(Socket socket) {
    const int id = nextId_++;
    sockets_[id] = socket;
    return id;
}

int LinuxNetwork::listen(const std::string& address, int port) {
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
    if (const int failure = ::getaddrinfo(address.empty() ? nullptr : address.c_str(), service.c_str(), &hints, &found)) {
        lastError_ = failure == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(failure);
        return 0;
    }
    int fd = -1;
    for (addrinfo* candidate = found; candidate && fd < 0; candidate = candidate->ai_next) {
        fd = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                      candidate->ai_protocol);
        if (fd < 0) {
            lastError_ = std::strerror(errno);
            continue;
        }
        // A panel restarted at once must get its port back, whatever
        // connections of the last run linger in TIME_WAIT.
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, candidate->ai_addr, candidate->ai_addrlen) != 0 || ::listen(fd, kBacklog) != 0) {
            lastError_ = std::strerror(errno);
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    if (fd < 0) return 0;
    lastError_.clear();
    return add({fd, true, false});
}

int LinuxNetwork::localPort(int listener) {
    Socket* s = find(listener, true);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (!s || ::getsockname(s->fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6&>(address).sin6_port);
    return 0;
}

int LinuxNetwork::accept(int listener) {
    Socket* s = find(listener, true);
    if (!s) return 0;
    for (;;) {
        const int fd = ::accept4(s->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            watchAgain(s->fd);
            // Answers are short lines that should leave at once.
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            return add({fd, false, false});
        }
        // A client that gave up while waiting is no reason to stop looking.
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return 0;
    }
}

std::string LinuxNetwork::read(int connection, int maxBytes) {
    Socket* s = find(connection, false);
    if (!s || maxBytes <= 0) return "";
    std::string bytes;
    char chunk[kReadChunk];
    while (static_cast<int>(bytes.size()) < maxBytes) {
        const std::size_t wanted =
            std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(maxBytes) - bytes.size());
        const ssize_t n = ::recv(s->fd, chunk, wanted, 0);
        if (n > 0) {
            bytes.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) s->inputEnded = true;
        if (n < 0 && !wouldBlock(errno)) s->peerGone = true;
        break;
    }
    if (!bytes.empty()) watchAgain(s->fd);
    return bytes;
}

bool LinuxNetwork::isClosed(int connection) {
    Socket* s = find(connection, false);
    if (!s) return true;
    if (s->peerGone || s->inputEnded) return true;
    // Whatever the peer sent before it went is still to be read.
    char next;
    const ssize_t n = ::recv(s->fd, &next, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n == 0) s->inputEnded = true;
    if (n < 0 && errno != EINTR && !wouldBlock(errno)) s->peerGone = true;
    return s->peerGone || s->inputEnded;
}

bool LinuxNetwork::isWritable(int connection) {
    const Socket* s = find(connection, false);
    return s && !s->peerGone;
}

void LinuxNetwork::write(int connection, std::string_view bytes) {
    Socket* s = find(connection, false);
    if (!s || s->peerGone) return;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMs);
    std::size_t done = 0;
    while (done < bytes.size()) {
        // MSG_NOSIGNAL: a peer that went away must not end the panel with SIGPIPE.
        const ssize_t n = ::send(s->fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (n < 0 && wouldBlock(errno) && left > 0) {
            pollfd writable{s->fd, POLLOUT, 0};
            ::poll(&writable, 1, static_cast<int>(left));
            continue;
        }
        // Gone, or not reading: the connection is over. Shutting it down
        // wakes the panel's wait, which then finds it closed.
        s->peerGone = true;
        ::shutdown(s->fd, SHUT_RDWR);
        return;
    }
}

void LinuxNetwork::close(int id) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return;
    watchAgain(it->second.fd);
    ::close(it->second.fd);
    sockets_.erase(it);
}

void LinuxNetwork::openDescriptors(std::vector<int>& out) const {
    // A socket whose peer has ended its input reads as ready for good: it
    // would wake the wait at every turn while its last answers are due.
    for (const auto& [id, socket] : sockets_)
        if (!socket.inputEnded && !socket.peerGone) out.push_back(socket.fd);
}

}  // namespace vantor
