// Tests of HttpGet against a loopback server: requests, bodies, time-outs and failures.
#include "platform/HttpGet.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "foundation/strings/String.h"

namespace vek {
namespace {

// A server on a loopback port that answers one connection: it reads the request up to its empty line,
// sends the reply (unless told to stay silent for a while) and closes.
class LoopbackServer {
public:
    explicit LoopbackServer(std::string replyBytes, int silentMs = 0) : reply(std::move(replyBytes)), silence(silentMs)
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port = ntohs(address.sin_port);
        worker = std::thread([this] { Serve(); });
    }
    ~LoopbackServer()
    {
        if (worker.joinable())
            worker.join();
        close(listener);
    }

    int port = 0;
    std::string request;

private:
    void Serve()
    {
        int connection = accept(listener, nullptr, nullptr);
        if (connection < 0)
            return;
        char chunk[512];
        while (request.find("\r\n\r\n") == std::string::npos) {
            ssize_t got = recv(connection, chunk, sizeof chunk, 0);
            if (got <= 0)
                break;
            request.append(chunk, size_t(got));
        }
        if (silence > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(silence));
        else
            (void)send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        close(connection);
    }

    std::string reply;
    int silence;
    int listener = -1;
    std::thread worker;
};

TEST(HttpGetTest, FetchesTheBodyAndSendsTheRequest)
{
    LoopbackServer server("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nthe body\r\nline two");
    ASSERT_NE(server.port, 0);
    String result;
    std::string url = "http://127.0.0.1:" + std::to_string(server.port) + "/a/b?x=1";
    HttpGet(result, url.c_str());
    EXPECT_STREQ(result.CStr(), "the body\r\nline two");
    EXPECT_EQ(server.request, "GET /a/b?x=1 HTTP/1.0\r\nHOST: 127.0.0.1\r\n"
                              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2)\r\n\r\n");
}

TEST(HttpGetTest, AnAnswerWithoutEmptyLineComesWhole)
{
    LoopbackServer server("no headers at all\r\n");
    String result;
    std::string url = "127.0.0.1:" + std::to_string(server.port) + "/";
    HttpGet(result, url.c_str());
    EXPECT_STREQ(result.CStr(), "no headers at all\r\n");
}

TEST(HttpGetTest, ALongAnswerIsCutAtTheStringCap)
{
    std::string body(100000, 'b');
    LoopbackServer server("HTTP/1.0 200 OK\r\n\r\n" + body);
    String result;
    std::string url = "127.0.0.1:" + std::to_string(server.port) + "/big";
    HttpGet(result, url.c_str());
    EXPECT_EQ(result.Length(), String::kGrowthLimit - 19);
}

TEST(HttpGetTest, FailuresGiveAnEmptyResult)
{
    // A port nobody listens on: taken and given back.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(probe);
    String result;
    result.AssignCStr("stale");
    HttpGet(result, ("127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/").c_str());
    EXPECT_STREQ(result.CStr(), "");
    SocketHttpTransport transport;
    EXPECT_FALSE(transport.Connect("127.0.0.1", ntohs(address.sin_port)));
    result.AssignCStr("stale");
    HttpGet(result, "http://bad host/");
    EXPECT_STREQ(result.CStr(), "");
}

TEST(HttpGetTest, ASilentServerTimesOut)
{
    LoopbackServer server("", 3000);
    SocketHttpTransport transport(200);
    String result;
    auto start = std::chrono::steady_clock::now();
    HttpGet(result, ("127.0.0.1:" + std::to_string(server.port) + "/").c_str(), transport);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_STREQ(result.CStr(), "");
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
}

TEST(HttpGetTest, RequestsFromUrls)
{
    struct Case {
        const char* url;
        bool usable;
        const char* host;
        int32_t port;
        const char* requestLine;
    };
    const Case cases[] = {
        {"http://host:8080/a/b?x=1", true, "host", 8080, "GET /a/b?x=1 HTTP/1.0"},
        {"host", true, "host", 80, "GET host HTTP/1.0"},
        {"HTTP://example.org/", true, "example.org", 80, "GET / HTTP/1.0"},
        {"//h:1/", true, "h", 1, "GET / HTTP/1.0"},
        {"h:65536/", false, "", 80, ""},
        {"h:0/", false, "", 80, ""},
        {"h:/x", false, "", 80, ""},
        {"h:8x/", false, "", 80, ""},
        {"h/a b", false, "", 80, ""},
        {"h/a\r\nX-Injected: 1", false, "", 80, ""},
        {"http://", false, "", 80, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        String request;
        String host;
        int32_t port = -1;
        EXPECT_EQ(BuildHttpGetRequest(c.url, request, host, port), c.usable);
        if (!c.usable)
            continue;
        EXPECT_STREQ(host.CStr(), c.host);
        EXPECT_EQ(port, c.port);
        EXPECT_EQ(std::string(request.CStr()).rfind(std::string(c.requestLine) + "\r\nHOST: " + c.host + "\r\n", 0), 0u);
    }
    String header;
    AppendHeaderLine(header, "Name", "value");
    EXPECT_STREQ(header.CStr(), "Name: value\r\n");
}

}  // namespace
}  // namespace vek
