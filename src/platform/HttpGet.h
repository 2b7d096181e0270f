// HttpGet: fetching a URL over HTTP/1.0, through the platform's sockets.
#pragma once

#include <cstdint>

#include "platform/Sockets.h"

namespace vek {

class String;

// The connection an HTTP GET runs over; SocketHttpTransport below is the TCP one, tests give their own.
class HttpTransport {
public:
    virtual ~HttpTransport();
    // Connects to the host and port; false when the name is unknown or the connection fails.
    [[nodiscard]] virtual bool Connect(const char* host, int32_t port) = 0;
    // Sends all n bytes; false when the connection broke.
    [[nodiscard]] virtual bool SendAll(const char* bytes, int64_t n) = 0;
    // One receive of up to n bytes: the count, 0 at the end of the stream, -1 on an error or timeout.
    virtual int64_t Receive(char* buffer, int64_t n) = 0;
    virtual void Close() = 0;
};

// IPv4 TCP through the platform's sockets (Sockets.h). Sends never raise SIGPIPE. Connecting, every
// receive and every send give up after the time-out, so a server that stops answering cannot hold the
// caller for ever.
class SocketHttpTransport final : public HttpTransport {
public:
    static constexpr int32_t kDefaultTimeoutMs = 30000;

    explicit SocketHttpTransport(int32_t timeoutMs = kDefaultTimeoutMs) : timeoutMs(timeoutMs) {}
    ~SocketHttpTransport() override;
    SocketHttpTransport(const SocketHttpTransport&) = delete;
    SocketHttpTransport& operator=(const SocketHttpTransport&) = delete;

    [[nodiscard]] bool Connect(const char* host, int32_t port) override;
    [[nodiscard]] bool SendAll(const char* bytes, int64_t n) override;
    int64_t Receive(char* buffer, int64_t n) override;
    void Close() override;

private:
    SocketHandle socket;
    int32_t timeoutMs;
};

// Appends the name, ": ", the value and CR LF.
void AppendHeaderLine(String& request, const char* name, const char* value);

// The request line and headers of a GET of the URL: "http:" and "//" are dropped from its front; the
// path starts at the first "/" after the first character (without one, the whole text is both host
// and path); a ":" after the host's first character gives the port (80 otherwise). False for a URL
// that cannot be asked for: a control byte or blank in it, or a port outside 1..65535.
[[nodiscard]] bool BuildHttpGetRequest(const char* url, String& request, String& host, int32_t& port);

// Fetches the URL over HTTP/1.0 into result: the body, or empty when the URL is unusable or the
// connection or the request failed. The answer's status line and headers, up to the first empty line,
// are removed; an answer without an empty line is returned whole. The status code is not looked at;
// there are no redirects and no chunked decoding. The answer is cut at the length cap of String.
void HttpGet(String& result, const char* url);
void HttpGet(String& result, const char* url, HttpTransport& transport);

}  // namespace vek
