// The network service of each system against real sockets on the loopback
// interface; the tests play the client programs.

#include <gtest/gtest.h>

#include <string>

#include "loopback_client.h"
#include "support/eventually.h"
#ifdef _WIN32
#include "platform/windows/windows_network.h"
#else
#include "platform/linux/linux_network.h"
#endif

namespace vantor {
namespace {

#ifdef _WIN32
using SystemNetwork = WindowsNetwork;
#else
using SystemNetwork = LinuxNetwork;
#endif
using testing::eventually;
using testing::LoopbackClient;

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        listener = net.listen("127.0.0.1", 0);
        ASSERT_GT(listener, 0) << net.lastError();
        port = net.localPort(listener);
        ASSERT_GT(port, 0);
    }
    int acceptOne() {
        int connection = 0;
        eventually([&] { return connection != 0 || (connection = net.accept(listener)) != 0; });
        return connection;
    }
    SystemNetwork net;
    int listener = 0;
    int port = 0;
};

// Whatever a client sent before it went is read; then the connection is
// closed, and answering it does not end the panel with SIGPIPE.
TEST_F(NetworkTest, ConnectionsExchangeBytesAndSeeTheClientGo) {
    struct Case {
        bool reset;
        const char* lastWords;
    };
    for (const Case& c : {Case{false, "q\n"}, Case{true, ""}}) {
        EXPECT_EQ(net.accept(listener), 0);  // nobody waiting
        LoopbackClient client(port);
        ASSERT_TRUE(client.connected());
        const int connection = acceptOne();
        ASSERT_GT(connection, 0);
        EXPECT_NE(connection, listener);
        EXPECT_EQ(net.read(connection, 100), "");
        EXPECT_FALSE(net.isClosed(connection));
        client.send("f\nm\n");
        std::string got;
        EXPECT_TRUE(eventually([&] { return (got += net.read(connection, 3)).size() >= 4; }));
        EXPECT_EQ(got, "f\nm\n");
        net.write(connection, "14250000\n");
        EXPECT_EQ(client.receive(9), "14250000\n");

        client.send(c.lastWords);
        client.hangUp(c.reset);
        for (int i = 0; i < 5; ++i) net.write(connection, "RPRT 0\n");
        std::string last;
        EXPECT_TRUE(eventually([&] {
            last += net.read(connection, 100);
            return net.isClosed(connection);
        })) << c.reset;
        EXPECT_EQ(last, c.lastWords) << c.reset;
        net.close(connection);
        EXPECT_TRUE(net.isClosed(connection));
        EXPECT_EQ(net.read(connection, 100), "");
    }
}

// A client that ended its sending has said all, but still reads: what is
// written reaches it until it goes, and then writing to it stops.
TEST_F(NetworkTest, AClientThatEndedItsSendingStillReads) {
    LoopbackClient client(port);
    const int connection = acceptOne();
    client.send("f\n");
    client.endSending();
    std::string got;
    EXPECT_TRUE(eventually([&] {
        got += net.read(connection, 100);
        return net.isClosed(connection);
    }));
    EXPECT_EQ(got, "f\n");
    EXPECT_TRUE(net.isWritable(connection));
    net.write(connection, "14250000\n");
    EXPECT_EQ(client.receive(9), "14250000\n");
    client.hangUp(true);
    EXPECT_TRUE(eventually([&] {
        net.write(connection, "RPRT 0\n");
        return !net.isWritable(connection);
    }));
}

TEST_F(NetworkTest, AClientThatTakesNothingIsCutOff) {
    LoopbackClient client(port);
    const int connection = acceptOne();
    ASSERT_GT(connection, 0);
    const std::string block(1 << 20, 'x');
    for (int writes = 0; writes < 256 && !net.isClosed(connection); ++writes) net.write(connection, block);
    EXPECT_TRUE(net.isClosed(connection));
    EXPECT_FALSE(net.isWritable(connection));
}

// The reason is the system's own words; Linux's are known here.
TEST_F(NetworkTest, ListeningThatFailsSaysWhy) {
    struct Case {
        const char* address;
        int port;
        const char* linuxReason;  // nullptr: any
    };
    const Case cases[] = {
        {"127.0.0.1", port, "Address already in use"},
        {"192.0.2.1", 4532, "Cannot assign requested address"},  // not this machine's
        {"no.such.address.invalid", 4532, nullptr},
        {"127.0.0.1", 65536, "no such port"},
        {"127.0.0.1", -1, "no such port"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address) + ":" + std::to_string(c.port));
        EXPECT_EQ(net.listen(c.address, c.port), 0);
        EXPECT_FALSE(net.lastError().empty());
#ifndef _WIN32
        if (c.linuxReason) {
            EXPECT_EQ(net.lastError(), c.linuxReason);
        }
#endif
    }
    EXPECT_EQ(net.accept(12345), 0);
    net.close(12345);
}

// A panel restarted at once gets its port back although its last connection
// lingers.
TEST_F(NetworkTest, APortIsFreeAgainOnceClosed) {
    LoopbackClient client(port);
    const int connection = acceptOne();
    ASSERT_GT(connection, 0);
    net.close(connection);
    net.close(listener);
    EXPECT_EQ(client.receive(1), "");  // the panel's side closed first
    client.hangUp(false);
    EXPECT_GT(net.listen("127.0.0.1", port), 0) << net.lastError();
    LoopbackClient again(port);
    EXPECT_TRUE(again.connected());
}

}  // namespace
}  // namespace vantor
