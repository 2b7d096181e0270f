#include "foundation/HttpGet.h"

#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "foundation/CString.h"
#include "foundation/String.h"

namespace vek {

namespace {

constexpr int32_t kDefaultHttpPort = 80;
constexpr int32_t kReceiveChunk = 4096;
constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.2)";

void SetTimeouts(int32_t socket, int32_t milliseconds)
{
    timeval limit{};
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    (void)setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    (void)setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

int32_t ConnectWithTimeout(const char* host, int32_t port, int32_t timeoutMs)
{
    if (host == nullptr || host[0] == 0 || port < 1 || port > 65535)
        return -1;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr)
        return -1;
    int32_t connected = -1;
    for (addrinfo* entry = found; entry != nullptr && connected < 0; entry = entry->ai_next) {
        int32_t socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0)
            break;
        if (timeoutMs > 0)
            SetTimeouts(socket, timeoutMs);
        sockaddr_in address;
        std::memcpy(&address, entry->ai_addr, sizeof address);
        address.sin_port = htons(uint16_t(port));
        int result;
        do
            result = connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        while (result != 0 && errno == EINTR);
        if (result == 0)
            connected = socket;
        else
            close(socket);
    }
    freeaddrinfo(found);
    return connected;
}

}  // namespace

HttpTransport::~HttpTransport() = default;

PosixHttpTransport::~PosixHttpTransport()
{
    Close();
}

bool PosixHttpTransport::Connect(const char* host, int32_t port)
{
    Close();
    socket = ConnectWithTimeout(host, port, timeoutMs);
    return socket >= 0;
}

bool PosixHttpTransport::SendAll(const char* bytes, int64_t n)
{
    if (socket < 0)
        return false;
    int64_t done = 0;
    while (done < n) {
        ssize_t sent = send(socket, bytes + done, size_t(n - done), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        done += sent;
    }
    return true;
}

int64_t PosixHttpTransport::Receive(char* buffer, int64_t n)
{
    if (socket < 0)
        return -1;
    for (;;) {
        ssize_t got = recv(socket, buffer, size_t(n), 0);
        if (got < 0 && errno == EINTR)
            continue;
        return got;
    }
}

void PosixHttpTransport::Close()
{
    if (socket >= 0)
        close(socket);
    socket = -1;
}

int32_t ConnectTcp(const char* host, int32_t port)
{
    return ConnectWithTimeout(host, port, 0);
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
    PosixHttpTransport transport;
    HttpGet(result, url, transport);
}

}  // namespace vek
