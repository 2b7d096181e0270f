// Tests of Sockets and ProcessLauncher: listening, a loopback exchange, and opening URLs.
#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <vector>

#include "TestFolder.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

// A port that was free a moment ago.
int32_t FreePort()
{
    SocketHandle probe(CreateSocket());
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    socklen_t size = sizeof address;
    getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
}

TEST(SocketsTest, LoopbackExchangeOfALargeBufferInPieces)
{
    int32_t port = FreePort();
    SocketHandle listener(OpenListenSocket(port));
    ASSERT_TRUE(listener.IsValid());

    std::vector<char> sent(8 << 20);
    for (size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>((i * 131) ^ (i >> 11));
    std::vector<char> echoed(sent.size());
    int64_t echoedCount = -1;
    std::thread client([&] {
        SocketHandle socket(CreateSocket());
        if (ConnectToHost(socket.Get(), "127.0.0.1", port) != 1)
            return;
        // Sent in uneven pieces; each send goes out whole.
        size_t at = 0;
        for (size_t piece = 1; at < sent.size(); piece = piece * 3 + 7) {
            size_t n = std::min(piece, sent.size() - at);
            if (SocketSend(socket.Get(), sent.data() + at, static_cast<int64_t>(n)) != static_cast<int64_t>(n))
                return;
            at += n;
        }
        shutdown(socket.Get(), SHUT_WR);
        echoedCount = SocketReceiveAll(socket.Get(), echoed.data(), static_cast<int64_t>(echoed.size()));
    });

    String clientAddress;
    clientAddress.AssignCStr("stale");
    SocketHandle connection(AcceptConnection(listener.Get(), &clientAddress));
    ASSERT_TRUE(connection.IsValid());
    EXPECT_STREQ(clientAddress.CStr(), "127.0.0.1");
    ASSERT_EQ(SetSocketReceiveTimeout(connection.Get(), 20000), 1);
    std::vector<char> received(sent.size() + 10);
    int64_t total = SocketReceiveAll(connection.Get(), received.data(), static_cast<int64_t>(received.size()));
    ASSERT_EQ(total, static_cast<int64_t>(sent.size()));  // short only because the client stopped sending
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), received.begin()));
    EXPECT_EQ(SocketSend(connection.Get(), received.data(), total), total);
    connection.Reset();
    client.join();
    EXPECT_EQ(echoedCount, static_cast<int64_t>(sent.size()));
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), echoed.begin()));
}

TEST(SocketsTest, ListeningPortsAndFailures)
{
    int32_t port = FreePort();
    int32_t first = OpenListenSocket(port);
    ASSERT_GE(first, 0);
    // A port another socket listens on is refused, and nothing stays open.
    EXPECT_EQ(OpenListenSocket(port), -1);
    CloseSocket(first);
    // Closed and opened again at once: the address is reused.
    SocketHandle again(OpenListenSocket(port));
    EXPECT_TRUE(again.IsValid());
    EXPECT_EQ(OpenListenSocket(70000), -1);

    SocketHandle socket(CreateSocket());
    EXPECT_EQ(ConnectToHost(socket.Get(), "no-such-host.invalid", port), 0);
    EXPECT_EQ(ConnectToHost(socket.Get(), nullptr, port), 0);

    // Accepting without an address buffer, then sending to a peer that has gone: -1, no signal.
    std::thread client([port] {
        SocketHandle peer(CreateSocket());
        ConnectToHost(peer.Get(), "localhost", port);
    });
    SocketHandle connection(AcceptConnection(again.Get(), nullptr));
    client.join();
    ASSERT_TRUE(connection.IsValid());
    std::vector<char> bytes(1 << 20, 'x');
    int64_t result = 0;
    for (int i = 0; i < 20 && result >= 0; ++i)
        result = SocketSend(connection.Get(), bytes.data(), static_cast<int64_t>(bytes.size()));
    EXPECT_EQ(result, -1);
    char byte = 0;
    EXPECT_LE(SocketReceive(connection.Get(), &byte, 1), 0);
}

// The opener is found on PATH; a stand-in records the arguments it was given.
TEST(SocketsTest, OpensUrlsWithoutAShell)
{
    TestFolder folder;
    std::string record = folder.Path("arguments");
    std::string script = folder.Write("bin/xdg-open", "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '" +
                                                           record + "'\nexit 0\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::string path = folder.Path("bin") + ":" + (getenv("PATH") ? getenv("PATH") : "");
    setenv("PATH", path.c_str(), 1);

    EXPECT_EQ(OpenUrlInBrowser("http://example.invalid/a b?x=1;touch pwned&y=$(id)"), 0);
    EXPECT_EQ(folder.Read("arguments"), "[http://example.invalid/a b?x=1;touch pwned&y=$(id)]");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("pwned")));
    EXPECT_NE(OpenUrlInBrowser("--help"), 0);
    EXPECT_NE(OpenUrlInBrowser(""), 0);

    folder.Write("bin/xdg-open", "#!/bin/sh\nexit 4\n");
    EXPECT_EQ(OpenUrlInBrowser("http://example.invalid/"), 4);
}

}  // namespace
}  // namespace vek
