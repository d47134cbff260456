#pragma once
// A client program on this machine, for the network service's tests: plain
// blocking sockets, with a bound on every wait so a fault fails the test
// instead of hanging it.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace vantor::testing {

class LoopbackClient {
public:
    explicit LoopbackClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        timeval bound{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~LoopbackClient() { hangUp(false); }
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    bool connected() const { return connected_; }
    void send(std::string_view bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
    // Exactly count bytes, or what came before the peer closed or the bound ran out.
    std::string receive(std::size_t count) {
        std::string bytes(count, '\0');
        const ssize_t n = ::recv(fd_, bytes.data(), count, MSG_WAITALL);
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }
    // Ends the sending only, as `nc -N` does at the end of its input.
    void endSending() { ::shutdown(fd_, SHUT_WR); }
    // An orderly close, or a reset as from a program that crashed.
    void hangUp(bool reset) {
        if (fd_ < 0) return;
        if (reset) {
            linger abort{1, 0};
            ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool connected_ = false;
};

}  // namespace vantor::testing
