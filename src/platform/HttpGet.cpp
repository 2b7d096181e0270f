// HttpGet: a plain HTTP GET request over a socket transport, and its result text.
#include "platform/HttpGet.h"

#include <cstring>
#include <utility>

#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"

namespace vek {

static constexpr int32_t kDefaultHttpPort = 80;
static constexpr int32_t kReceiveChunk = 4096;
static constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2)";

HttpTransport::~HttpTransport() = default;

SocketHttpTransport::~SocketHttpTransport() = default;

bool SocketHttpTransport::Connect(const char* host, int32_t port)
{
    Close();
    if (host == nullptr || host[0] == 0 || port < 1 || port > 65535)
        return false;
    SocketHandle fresh(CreateSocket());
    if (!fresh.IsValid())
        return false;
    // The send time-out bounds the connect as well.
    if (timeoutMs > 0 &&
        (SetSocketReceiveTimeout(fresh.Get(), timeoutMs) != 1 || SetSocketSendTimeout(fresh.Get(), timeoutMs) != 1))
        return false;
    if (ConnectToHost(fresh.Get(), host, port) != 1)
        return false;
    socket = std::move(fresh);
    return true;
}

bool SocketHttpTransport::SendAll(const char* bytes, int64_t n)
{
    return socket.IsValid() && SocketSend(socket.Get(), bytes, n) == n;
}

int64_t SocketHttpTransport::Receive(char* buffer, int64_t n)
{
    return socket.IsValid() ? SocketReceive(socket.Get(), buffer, n) : -1;
}

void SocketHttpTransport::Close()
{
    socket.Reset();
}

void AppendHeaderLine(String& request, const char* name, const char* value)
{
    request.AppendCStr(name);
    request.AppendCStr(": ");
    request.AppendCStr(value);
    request.AppendCStr("\r\n");
}

bool BuildHttpGetRequest(const char* url, String& request, String& host, int32_t& port)
{
    request.AssignCStr("");
    host.AssignCStr("");
    port = kDefaultHttpPort;
    if (url == nullptr)
        return false;
    // A blank or line break in the URL would end the request line early or add headers of its own.
    for (const char* p = url; *p != 0; ++p) {
        if (uint8_t(*p) <= 32 || *p == 127)
            return false;
    }
    if (CStrStartsWithNoCase(url, "http:"))
        url += 5;
    if (url[0] == '/' && url[1] == '/')
        url += 2;
    if (url[0] == 0)
        return false;
    const char* slash = std::strchr(url + 1, '/');
    const char* path = slash != nullptr ? slash : url;
    int32_t hostLength = slash != nullptr ? int32_t(slash - url) : CStrLength(url);
    const char* colon = static_cast<const char*>(std::memchr(url + 1, ':', size_t(hostLength - 1)));
    if (colon != nullptr) {
        int64_t number = 0;
        const char* digits = colon + 1;
        const char* hostEnd = url + hostLength;
        if (digits == hostEnd)
            return false;
        for (const char* p = digits; p < hostEnd; ++p) {
            if (*p < '0' || *p > '9' || (number = number * 10 + (*p - '0')) > 65535)
                return false;
        }
        if (number < 1)
            return false;
        port = int32_t(number);
        hostLength = int32_t(colon - url);
    }
    host.AssignBytes(url, hostLength);
    request.AssignCStr("GET ");
    request.AppendCStr(path);
    request.AppendCStr(" HTTP/1.0\r\n");
    AppendHeaderLine(request, "HOST", host.CStr());
    AppendHeaderLine(request, "User-Agent", kUserAgent);
    request.AppendCStr("\r\n");
    // A request the length cap cut short is not sent.
    return request.Length() >= 4 && std::strcmp(request.CStr() + request.Length() - 4, "\r\n\r\n") == 0;
}

void HttpGet(String& result, const char* url, HttpTransport& transport)
{
    result.AssignCStr("");
    String request;
    String host;
    int32_t port = kDefaultHttpPort;
    if (!BuildHttpGetRequest(url, request, host, port))
        return;
    if (!transport.Connect(host.CStr(), port))
        return;
    if (!transport.SendAll(request.CStr(), request.Length())) {
        transport.Close();
        return;
    }
    char chunk[kReceiveChunk];
    // Once the string is full the rest of the answer could not be kept; reading stops there.
    while (result.Length() < String::kGrowthLimit) {
        int64_t got = transport.Receive(chunk, kReceiveChunk);
        if (got <= 0)
            break;
        int32_t before = result.Length();
        result.AppendBytes(chunk, int32_t(got));
        if (result.Length() == before)
            break;
    }
    transport.Close();
    int32_t headerEnd = result.Find(1, "\r\n\r\n");
    if (headerEnd >= 1)
        result.Delete(0, headerEnd + 4);
}

void HttpGet(String& result, const char* url)
{
    SocketHttpTransport transport;
    HttpGet(result, url, transport);
}

}  // namespace vek
