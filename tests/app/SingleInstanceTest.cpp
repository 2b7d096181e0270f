// SingleInstanceTest: a second start hands its files to the running program over the instance
// socket; damaged requests are refused whole; a socket file left behind does not stop a new start.
#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "platform/Sockets.h"
#include "platform/events/EventLoop.h"

namespace vek {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int value : values)
        out.push_back(uint8_t(value));
    return out;
}

// Sends the bytes through a socket pair and reads them back as a request.
bool Receive(const std::vector<uint8_t>& bytes, std::vector<std::string>& files)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        return false;
    SocketHandle writer(ends[0]);
    SocketHandle reader(ends[1]);
    SetSocketReceiveTimeout(reader.Get(), 1000);
    if (!bytes.empty())
        (void)SocketSend(writer.Get(), bytes.data(), int64_t(bytes.size()));
    writer.Reset();  // the end of the stream: a cut-off request must not wait
    return ReceiveInstanceRequest(reader.Get(), files);
}

TEST(SingleInstance, RequestsRoundTripAndDamagedOnesAreRefusedWhole)
{
    std::vector<std::string> files;
    ASSERT_TRUE(Receive(EncodeInstanceRequest(std::vector<std::string>{"/a/b.vkx", "/c d/é.vek"}), files));
    EXPECT_EQ(files, (std::vector<std::string>{"/a/b.vkx", "/c d/é.vek"}));
    ASSERT_TRUE(Receive(EncodeInstanceRequest({}), files));
    EXPECT_TRUE(files.empty()) << "no files: only to the front";

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"not ours", Bytes({'H', 'T', 'T', 'P', 0, 0, 0, 0})},
        {"cut off in the count", Bytes({'V', 'E', 'K', 'O', 0, 0})},
        {"too many files", Bytes({'V', 'E', 'K', 'O', 0, 0, 1, 1})},
        {"a file cut off", Bytes({'V', 'E', 'K', 'O', 0, 0, 0, 1, 0, 0, 0, 5, '/', 'a'})},
        {"an empty path", Bytes({'V', 'E', 'K', 'O', 0, 0, 0, 1, 0, 0, 0, 0})},
        {"a path longer than the limit", Bytes({'V', 'E', 'K', 'O', 0, 0, 0, 1, 0, 0, 0x10, 1})},
        {"a zero byte in a path", Bytes({'V', 'E', 'K', 'O', 0, 0, 0, 1, 0, 0, 0, 2, '/', 0})},
        {"a second file missing", Bytes({'V', 'E', 'K', 'O', 0, 0, 0, 2, 0, 0, 0, 2, '/', 'a'})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        files = {"kept"};
        EXPECT_FALSE(Receive(c.bytes, files));
        EXPECT_EQ(files, std::vector<std::string>{"kept"});
    }
    // Relative paths are made absolute against the working folder of the start that sends them.
    ASSERT_TRUE(Receive(EncodeInstanceRequest(std::vector<std::string>{"x/../base.vkx"}), files));
    ASSERT_EQ(files.size(), 1u);
    char* here = getcwd(nullptr, 0);
    EXPECT_EQ(files[0], std::string(here) + "/base.vkx");
    std::free(here);
}

class SingleInstanceSocket : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vek-instance-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        path = folder + "/vek.socket";
    }
    void TearDown() override
    {
        unlink(path.c_str());
        rmdir(folder.c_str());
    }

    std::string folder;
    std::string path;
};

TEST_F(SingleInstanceSocket, ASecondStartHandsItsFilesToTheRunningOne)
{
    std::vector<std::vector<std::string>> delivered;
    auto listener = InstanceListener::Start(path, [&](std::vector<std::string> files) { delivered.push_back(files); });
    ASSERT_NE(listener, nullptr);
    EXPECT_EQ(InstanceListener::Start(path, [](std::vector<std::string>) {}), nullptr)
        << "a live listener keeps its socket";

    EXPECT_TRUE(HandFilesToRunningInstance(path, std::vector<std::string>{"/b/one.vkx"}));
    EXPECT_TRUE(HandFilesToRunningInstance(path, std::vector<std::string>{"/b/two.vkx", "/b/three.vek"}));
    ASSERT_TRUE(RunEventLoopUntil([&] { return delivered.size() == 2; }, 5000));
    EXPECT_EQ(delivered[0], std::vector<std::string>{"/b/one.vkx"});
    EXPECT_EQ(delivered[1], (std::vector<std::string>{"/b/two.vkx", "/b/three.vek"}));

    // A damaged request is not answered as taken, and the listener goes on serving.
    {
        SocketHandle socket(ConnectLocalSocket(path.c_str()));
        ASSERT_TRUE(socket.IsValid());
        SetSocketReceiveTimeout(socket.Get(), 5000);
        const char junk[] = "GET / HTTP/1.0\r\n\r\n";
        (void)SocketSend(socket.Get(), junk, sizeof junk - 1);
        uint8_t answer = 0;
        EXPECT_LE(SocketReceive(socket.Get(), &answer, 1), 0);
    }
    EXPECT_TRUE(HandFilesToRunningInstance(path, std::vector<std::string>{"/b/four.vkx"}));
    ASSERT_TRUE(RunEventLoopUntil([&] { return delivered.size() == 3; }, 5000));

    listener.reset();
    EXPECT_FALSE(HandFilesToRunningInstance(path, std::vector<std::string>{"/b/five.vkx"}))
        << "once the running program ends, a start runs on its own";
}

TEST_F(SingleInstanceSocket, ASocketLeftBehindIsReplaced)
{
    // A program that ended without removing its socket leaves a file nobody listens at.
    int32_t stale = OpenLocalListenSocket(path.c_str());
    ASSERT_GE(stale, 0);
    CloseSocket(stale);
    ASSERT_EQ(access(path.c_str(), F_OK), 0);
    EXPECT_FALSE(HandFilesToRunningInstance(path, std::vector<std::string>{"/b/one.vkx"}));

    int delivered = 0;
    auto listener = InstanceListener::Start(path, [&](std::vector<std::string>) { ++delivered; });
    ASSERT_NE(listener, nullptr);
    EXPECT_TRUE(HandFilesToRunningInstance(path, std::vector<std::string>{"/b/one.vkx"}));
    EXPECT_TRUE(RunEventLoopUntil([&] { return delivered == 1; }, 5000));
}

TEST(SingleInstance, TheSocketIsPerUserAndDisplay)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const char* display = std::getenv("DISPLAY");
    const std::string savedRuntime = runtime ? runtime : "";
    const std::string savedDisplay = display ? display : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    setenv("DISPLAY", ":12.0", 1);
    EXPECT_EQ(InstanceSocketPath(), "/run/user/1000/vek-12-0.socket");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceSocketPath(), "") << "no runtime folder: no single instance";
    if (runtime)
        setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    if (display)
        setenv("DISPLAY", savedDisplay.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

}  // namespace
}  // namespace vek
