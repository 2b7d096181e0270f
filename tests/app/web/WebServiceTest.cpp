// WebServiceTest: the listener started and stopped by the command language, answering well-formed
// requests, and going on answering whatever hostile frames and connections come to it.
#include "app/web/WebService.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "app/Preferences.h"
#include "files/commands/CommandInterpreter.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/ByteSpanReader.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "platform/Sockets.h"
#include "platform/web/GatewayFrame.h"

namespace vek {
namespace {

SocketHandle Connect(int32_t port)
{
    SocketHandle socket(CreateSocket());
    EXPECT_EQ(ConnectToHost(socket.Get(), "127.0.0.1", port), 1);
    (void)SetSocketReceiveTimeout(socket.Get(), 20000);
    return socket;
}

// One request on a connection of its own; the page, or "(no answer)".
std::string Ask(int32_t port, std::string_view query, std::string_view client = "client-42")
{
    SocketHandle socket = Connect(port);
    std::string frame = EncodeRequestFrame(client, query, "gateway=\"/vek.cgi\"");
    if (SocketSend(socket.Get(), frame.data(), int64_t(frame.size())) != int64_t(frame.size()))
        return "(no answer)";
    std::string page;
    return ReceiveReply(socket.Get(), page) ? page : "(no answer)";
}

std::string Header(uint32_t total, uint32_t clientIdLength, uint32_t queryLength)
{
    std::string bytes(kRequestHeaderSize, '\0');
    auto* p = reinterpret_cast<uint8_t*>(bytes.data());
    PutU32(p, total, ByteOrder::bigEndian);
    PutU32(p + 4, clientIdLength, ByteOrder::bigEndian);
    PutU32(p + 8, queryLength, ByteOrder::bigEndian);
    return bytes;
}

class WebServiceTest : public testing::Test {
protected:
    void SetUp() override
    {
        Settings() = ProgramSettings();
        // Port 0: the system chooses a free one, which the running listener tells.
        Settings().webPort = 0;
        Settings().serveWeb = true;
        ASSERT_TRUE(RestartWebService());
        port = WebServicePort();
        ASSERT_GT(port, 0);
    }
    void TearDown() override
    {
        StopWebService();
        Settings() = ProgramSettings();
    }

    int32_t port = 0;
};

TEST_F(WebServiceTest, AnswersRequestsOneAfterAnotherOnOneConnection)
{
    EXPECT_TRUE(IsWebServiceRunning());
    SocketHandle socket = Connect(port);
    for (const char* query : {"version", "", "version"}) {
        std::string frame = EncodeRequestFrame("client-42", query, "");
        ASSERT_EQ(SocketSend(socket.Get(), frame.data(), int64_t(frame.size())), int64_t(frame.size()));
        std::string page;
        ASSERT_TRUE(ReceiveReply(socket.Get(), page));
        EXPECT_NE(page.find(*query ? "VEK program info" : "<!-- side panel -->"), std::string::npos) << page;
    }
}

TEST_F(WebServiceTest, HostileFramesEndTheirConnectionAndTheServiceGoesOn)
{
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"a total below the header", Header(3, 0, 0) + std::string(6000, 'x')},
        {"a total beyond the largest body", Header(20 + 9000, 1, 1) + std::string(9000, 'x')},
        {"lengths beyond the body", Header(20 + 8, 4000, 4000) + std::string(8, 'x')},
        {"lengths that wrap around", Header(20 + 8, 0xfffffffeu, 4) + std::string(8, 'x')},
        {"a body without its NULs", Header(20 + 8, 2, 2) + std::string(8, 'x')},
        {"a header cut short", Header(40, 1, 1).substr(0, 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SocketHandle socket = Connect(port);
        (void)SocketSend(socket.Get(), c.bytes.data(), int64_t(c.bytes.size()));
        std::string page;
        EXPECT_FALSE(ReceiveReply(socket.Get(), page)) << "no page for a broken frame: the connection ends";
        EXPECT_NE(Ask(port, "version").find("VEK program info"), std::string::npos);
    }
}

// Regression: without a receive timeout one connection that never sent anything kept every other
// request waiting for ever.
TEST_F(WebServiceTest, IdleConnectionsTimeOut)
{
    std::vector<SocketHandle> idle;
    for (int32_t i = 0; i < 2; ++i)
        idle.push_back(Connect(port));
    // Each idle connection holds the service for one receive timeout at most.
    EXPECT_NE(Ask(port, "version").find("VEK program info"), std::string::npos);
    char byte = 0;
    EXPECT_EQ(SocketReceive(idle[0].Get(), &byte, 1), 0) << "the service closed the idle connection";
}

TEST_F(WebServiceTest, ThousandsOfRapidConnectionsLeaveItAnswering)
{
    for (int32_t i = 0; i < 10000; ++i) {
        SocketHandle socket(CreateSocket());
        // A connect the system drops must not hold the flood up for its retries.
        (void)SetSocketSendTimeout(socket.Get(), 100);
        (void)ConnectToHost(socket.Get(), "127.0.0.1", port);
    }
    EXPECT_NE(Ask(port, "version").find("VEK program info"), std::string::npos);
}

// Regression: a failed bind was reported as a running service, and ports above 65535 were taken.
TEST(WebServiceControl, TheCommandStartsAndStopsItAndRefusesWhatItCannotUse)
{
    Settings() = ProgramSettings();
    Base base(FilePath(), 1);
    // A port that another socket holds cannot be listened on.
    SocketHandle holder(OpenListenSocketOn("127.0.0.1", 0));
    ASSERT_TRUE(holder.IsValid());
    int32_t taken = SocketLocalPort(holder.Get());
    MessageCatcher catcher;
    RunCommandText(base, "webvekserver -start -port " + std::to_string(taken));
    EXPECT_EQ(catcher.Code(), message::kWebServiceNotListening);
    EXPECT_TRUE(IsWebServiceEnabled());
    EXPECT_FALSE(IsWebServiceRunning());
    holder.Reset();

    RunCommandText(base, "webvekserver -port 70000");
    EXPECT_EQ(catcher.Code(), message::kWebPortRefused);
    EXPECT_EQ(Settings().webPort, taken) << "the port before is kept";
    RunCommandText(base, "webvekserver -port eighty");
    EXPECT_EQ(catcher.Code(), message::kCommandWordRefused);
    EXPECT_EQ(Settings().webPort, taken);

    // Now free, the port is taken by a restart; the service listens on loopback only.
    RunCommandText(base, "webvekserver -start");
    ASSERT_TRUE(IsWebServiceRunning());
    EXPECT_EQ(WebServicePort(), taken);
    EXPECT_NE(Ask(taken, "version").find("VEK program info"), std::string::npos);

    // Stopping wakes the listener in its accept and frees the port at once.
    RunCommandText(base, "webvekserver -stop");
    EXPECT_FALSE(IsWebServiceEnabled());
    EXPECT_FALSE(IsWebServiceRunning());
    SocketHandle again(OpenListenSocketOn("127.0.0.1", taken));
    int32_t tries = 0;
    while (!again.IsValid() && ++tries < 100) {
        usleep(10000);
        again.Reset(OpenListenSocketOn("127.0.0.1", taken));
    }
    EXPECT_TRUE(again.IsValid()) << "the stopped listener's port is free";
    Settings() = ProgramSettings();
}

}  // namespace
}  // namespace vek
