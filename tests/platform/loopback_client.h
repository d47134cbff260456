#pragma once
// A client program on this machine, for the network service's tests: plain
// blocking sockets, with a bound on every wait so a fault fails the test
// instead of hanging it. (On Windows the service under test has started
// Winsock before a client is made.)

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <string>
#include <string_view>

namespace vantor::testing {

class LoopbackClient {
public:
    explicit LoopbackClient(int port) : fd_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
#ifdef _WIN32
        const DWORD bound = 5000;
#else
        const timeval bound{5, 0};
#endif
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&bound), sizeof bound);
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
    void send(std::string_view bytes) { ::send(fd_, bytes.data(), static_cast<int>(bytes.size()), kNoSignal); }
    // Exactly count bytes, or what came before the peer closed or the bound ran out.
    std::string receive(std::size_t count) {
        std::string bytes(count, '\0');
        const auto n = ::recv(fd_, bytes.data(), static_cast<int>(count), MSG_WAITALL);
        bytes.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return bytes;
    }
    // Ends the sending only, as `nc -N` does at the end of its input.
    void endSending() { ::shutdown(fd_, kSendingEnd); }
    // An orderly close, or a reset as from a program that crashed.
    void hangUp(bool reset) {
        if (fd_ == kNone) return;
        if (reset) {
            const linger abort{1, 0};
            ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        }
#ifdef _WIN32
        ::closesocket(fd_);
#else
        ::close(fd_);
#endif
        fd_ = kNone;
    }

private:
#ifdef _WIN32
    using Handle = SOCKET;
    static constexpr Handle kNone = INVALID_SOCKET;
    static constexpr int kNoSignal = 0;
    static constexpr int kSendingEnd = SD_SEND;
#else
    using Handle = int;
    static constexpr Handle kNone = -1;
    static constexpr int kNoSignal = MSG_NOSIGNAL;
    static constexpr int kSendingEnd = SHUT_WR;
#endif
    Handle fd_;
    bool connected_ = false;
};

}  // namespace vantor::testing
