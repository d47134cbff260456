#pragma once
// TCP on Linux: non-blocking BSD sockets that a child process never inherits.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/descriptor_source.h"
#include "platform/platform.h"

namespace vantor {

class LinuxNetwork : public Network, public DescriptorSource {
public:
    LinuxNetwork() = default;
    ~LinuxNetwork() override;
    LinuxNetwork(const LinuxNetwork&) = delete;
    LinuxNetwork& operator=(const LinuxNetwork&) = delete;

    int listen(const std::string& address, int port) override;
    std::string lastError() const override { return lastError_; }
    int localPort(int listener) override;
    int accept(int listener) override;
    std::string read(int connection, int maxBytes) override;
    bool isClosed(int connection) override;
    bool isWritable(int connection) override;
    void write(int connection, std::string_view bytes) override;
    void close(int id) override;

protected:
    void openDescriptors(std::vector<int>& out) const override;

private:
    struct Socket {
        int fd = -1;
        bool listening = false;
        bool inputEnded = false;  // the peer hung up or ended its sending
        bool peerGone = false;    // reset, or shut out for not reading
    };
    Socket* find(int id, bool listening);
    int add(Socket socket);

    std::map<int, Socket> sockets_;
    int nextId_ = 1;
    std::string lastError_;
};

}  // namespace vantor
