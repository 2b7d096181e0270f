// The program vek-cgi: the web gateway that a web server runs under CGI for every request to VEK's
// web service. It forwards the request to the program over TCP and writes the page it answers.
//
// Settings, from the environment the web server gives the gateway:
//   VEK_HOST, VEK_PORT        where the program's web service listens (127.0.0.1, 7412)
//   VEK_DOCUMENT_ROOT         the URL folder of the stylesheet and images (the gateway's own folder)
//   VEK_STYLESHEET, VEK_IMAGES  their names inside it ("vek.css", "images/")
//   VEK_SSO_VARIABLE          the name of a variable holding a user name the web server has
//                             authenticated (single sign-on); none unless it is set
//
// The browser session is a random client id of 128 bits in the cookie "vekid" (HttpOnly,
// SameSite=Lax); a cookie of any other form is replaced by a new id, so a made-up cookie never names
// a session the program issued to someone else.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

#include "platform/SecureRandom.h"
#include "platform/Sockets.h"
#include "platform/web/GatewayFrame.h"

namespace {

constexpr char kCookieName[] = "vekid";
constexpr size_t kClientIdBytes = 16;  // 128 bits
// A login form's post is a few hundred bytes; the frame's body holds 5999 with the rest.
constexpr long kMaxPostBytes = 4096;
constexpr int32_t kReplyTimeoutMs = 60000;

std::string Environment(const char* name, const char* fallback = "")
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

bool IsClientId(std::string_view text)
{
    if (text.size() != kClientIdBytes * 2)
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

// The value of our cookie in the Cookie header ("a=1; vekid=...; b=2"), or empty.
std::string CookieClientId(std::string_view header)
{
    while (!header.empty()) {
        size_t end = header.find(';');
        std::string_view pair = header.substr(0, end);
        while (!pair.empty() && pair.front() == ' ')
            pair.remove_prefix(1);
        std::string_view name(kCookieName);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
            std::string_view value = pair.substr(name.size() + 1);
            if (IsClientId(value))
                return std::string(value);
        }
        if (end == std::string_view::npos)
            break;
        header.remove_prefix(end + 1);
    }
    return {};
}

bool NewClientId(std::string& id)
{
    uint8_t bytes[kClientIdBytes];
    if (!vek::FillSecureRandom(bytes))
        return false;
    static constexpr char kHex[] = "0123456789abcdef";
    id.clear();
    for (uint8_t byte : bytes) {
        id.push_back(kHex[byte >> 4]);
        id.push_back(kHex[byte & 15]);
    }
    return true;
}

// A value of the environment line: in double quotes, with the characters that would end or change it
// written as entities (the program decodes them).
void AppendAttribute(std::string& line, const char* name, std::string_view value)
{
    if (!line.empty())
        line += ' ';
    line += name;
    line += "=\"";
    for (char c : value) {
        if (c == '"')
            line += "&quot;";
        else if (c == '&')
            line += "&amp;";
        else if (c == '<')
            line += "&lt;";
        else if (c == '>')
            line += "&gt;";
        else if (static_cast<unsigned char>(c) >= 32)
            line += c;
    }
    line += '"';
}

// The folder part of the gateway's URL path, with its "/".
std::string UrlFolder(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void WriteAll(const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        ssize_t n = write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (n <= 0)
            return;
        written += size_t(n);
    }
}

int Fail(const char* status, const char* text)
{
    std::string page = std::string("Status: ") + status + "\r\nContent-Type: text/html; charset=UTF-8\r\n" +
                       "Cache-Control: no-store\r\n\r\n<html><body><p>" + text + "</p></body></html>\n";
    WriteAll(page);
    return 0;
}

bool ReadPostBody(std::string& body)
{
    std::string lengthText = Environment("CONTENT_LENGTH");
    char* end = nullptr;
    long length = std::strtol(lengthText.c_str(), &end, 10);
    if (lengthText.empty())
        length = 0;
    else if (*end != '\0' || length < 0 || length > kMaxPostBytes)
        return false;
    body.resize(size_t(length));
    size_t got = 0;
    while (got < body.size()) {
        ssize_t n = read(STDIN_FILENO, body.data() + got, body.size() - got);
        if (n <= 0)
            return false;
        got += size_t(n);
    }
    return true;
}

}  // namespace

int main()
{
    std::string clientId = CookieClientId(Environment("HTTP_COOKIE"));
    bool newCookie = clientId.empty();
    if (newCookie && !NewClientId(clientId))
        return Fail("500 Internal Server Error", "No session id could be made.");

    std::string query = Environment("QUERY_STRING");
    if (Environment("REQUEST_METHOD") == "POST") {
        std::string body;
        if (!ReadPostBody(body))
            return Fail("413 Content Too Large", "The request is too large.");
        if (!body.empty())
            query = query.empty() ? body : query + "&" + body;
    }

    std::string gateway = Environment("SCRIPT_NAME", "vek.cgi");
    std::string environment;
    AppendAttribute(environment, "gateway", gateway);
    AppendAttribute(environment, "document-root", Environment("VEK_DOCUMENT_ROOT", UrlFolder(gateway).c_str()));
    AppendAttribute(environment, "stylesheet", Environment("VEK_STYLESHEET", "vek.css"));
    AppendAttribute(environment, "images", Environment("VEK_IMAGES", "images/"));
    std::string ssoVariable = Environment("VEK_SSO_VARIABLE");
    if (!ssoVariable.empty())
        AppendAttribute(environment, "shib-name", Environment(ssoVariable.c_str()));

    std::string frame = vek::EncodeRequestFrame(clientId, query, environment);
    if (frame.empty())
        return Fail("414 URI Too Long", "The request is too large.");

    std::string host = Environment("VEK_HOST", "127.0.0.1");
    long port = std::strtol(Environment("VEK_PORT", "7412").c_str(), nullptr, 10);
    if (port < 1 || port > 65535)
        return Fail("500 Internal Server Error", "The gateway's port setting is not a port.");
    vek::SocketHandle socket(vek::CreateSocket());
    (void)vek::SetSocketSendTimeout(socket.Get(), kReplyTimeoutMs);
    (void)vek::SetSocketReceiveTimeout(socket.Get(), kReplyTimeoutMs);
    std::string page;
    if (!socket.IsValid() || vek::ConnectToHost(socket.Get(), host.c_str(), int32_t(port)) != 1 ||
        vek::SocketSend(socket.Get(), frame.data(), int64_t(frame.size())) != int64_t(frame.size()) ||
        !vek::ReceiveReply(socket.Get(), page))
        return Fail("503 Service Unavailable", "VEK does not answer. Its web service may be switched off.");

    std::string headers = "Content-Type: text/html; charset=UTF-8\r\nCache-Control: no-store\r\n";
    if (newCookie)
        headers += std::string("Set-Cookie: ") + kCookieName + "=" + clientId + "; Path=/; HttpOnly; SameSite=Lax\r\n";
    WriteAll(headers + "\r\n" + page);
    return 0;
}
