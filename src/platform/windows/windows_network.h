#pragma once
// TCP on Windows: non-blocking Winsock sockets whose input sets one event,
// which the screen's wait watches.

#include <map>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/windows/wait_source.h"

namespace vantor {

class WindowsNetwork : public Network, public WaitSource {
public:
    WindowsNetwork();
    ~WindowsNetwork() override;
    WindowsNetwork(const WindowsNetwork&) = delete;
    WindowsNetwork& operator=(const WindowsNetwork&) = delete;

    int listen(const std::string& address, int port) override;
    std::string lastError() const override { return lastError_; }
    int localPort(int listener) override;
    int accept(int listener) override;
    std::string read(int connection, int maxBytes) override;
    bool isClosed(int connection) override;
    bool isWritable(int connection) override;
    void write(int connection, std::string_view bytes) override;
    void close(int id) override;

    void* inputEvent() override { return event_; }
    int lookAgainMs() const override { return -1; }
    bool takeInput() override;
    // Winsock announces each kind of input once until it is taken, which
    // already keeps unread input from waking the wait again.
    void watchAll() override {}

private:
    struct Socket {
        unsigned long long handle = 0;
        bool listening = false;
        bool inputEnded = false;  // the peer hung up or ended its sending
        bool peerGone = false;    // reset, or shut out for not reading
    };
    Socket* find(int id, bool listening);
    int add(Socket socket);

    bool started_ = false;
    void* event_ = nullptr;
    std::map<int, Socket> sockets_;
    int nextId_ = 1;
    std::string lastError_;
};

}  // namespace vantor
