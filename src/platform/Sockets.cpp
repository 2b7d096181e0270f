// Sockets: creating, listening, accepting, connecting, sending and receiving on TCP sockets.
#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include "foundation/strings/String.h"
#include "platform/ProcessLauncher.h"

namespace vek {

SocketHandle::~SocketHandle()
{
    CloseSocket(fd);
}

SocketHandle& SocketHandle::operator=(SocketHandle&& other) noexcept
{
    if (this != &other)
        Reset(other.Release());
    return *this;
}

int32_t SocketHandle::Release()
{
    int32_t socket = fd;
    fd = -1;
    return socket;
}

void SocketHandle::Reset(int32_t socket)
{
    if (fd != socket)
        CloseSocket(fd);
    fd = socket;
}

int32_t SocketLocalPort(int32_t socket)
{
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (socket < 0 || getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0 ||
        address.sin_family != AF_INET)
        return 0;
    return ntohs(address.sin_port);
}

void ShutdownSocket(int32_t socket)
{
    if (socket >= 0)
        (void)shutdown(socket, SHUT_RDWR);
}

void CloseSocket(int32_t socket)
{
    // close() is not retried on EINTR: on Linux the descriptor is gone either way.
    if (socket >= 0)
        close(socket);
}

int32_t CreateSocket()
{
    int32_t socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return socket < 0 ? -1 : socket;
}

namespace {

// The socket address of a path; false when the path (with its ending zero) does not fit.
bool LocalSocketAddress(const char* path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    const size_t length = path ? std::strlen(path) : 0;
    if (length == 0 || length >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path, length);
    return true;
}

}  // namespace

int32_t OpenLocalListenSocket(const char* path)
{
    sockaddr_un address;
    if (!LocalSocketAddress(path, address))
        return -1;
    SocketHandle listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!listener.IsValid())
        return -1;
    if (bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return -1;
    // Others must not hand this user's program files to open. The folder it lives in (the user's
    // runtime folder) is the owner's alone already; the mode says so of the socket itself (the
    // umask is left alone, as other threads may be making files).
    if (chmod(path, S_IRUSR | S_IWUSR) != 0 || listen(listener.Get(), 4) != 0) {
        unlink(path);
        return -1;
    }
    return listener.Release();
}

int32_t ConnectLocalSocket(const char* path)
{
    sockaddr_un address;
    if (!LocalSocketAddress(path, address))
        return -1;
    SocketHandle socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.IsValid())
        return -1;
    int result;
    do {
        result = connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? socket.Release() : -1;
}

int32_t WaitForConnection(int32_t listenSocket, int32_t milliseconds)
{
    pollfd entry{listenSocket, POLLIN, 0};
    const int ready = poll(&entry, 1, milliseconds);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    if (ready == 0)
        return 0;
    return (entry.revents & POLLIN) != 0 ? 1 : -1;
}

int32_t OpenListenSocket(int32_t port)
{
    return OpenListenSocketOn("0.0.0.0", port);
}

bool IsIpv4AddressText(const char* address)
{
    in_addr parsed{};
    return address != nullptr && inet_pton(AF_INET, address, &parsed) == 1;
}

int32_t OpenListenSocketOn(const char* addressText, int32_t port, int32_t backlog)
{
    in_addr host{};
    if (port < 0 || port > 65535 || addressText == nullptr || inet_pton(AF_INET, addressText, &host) != 1) {
        errno = EINVAL;
        return -1;
    }
    SocketHandle listener(CreateSocket());
    if (!listener.IsValid())
        return -1;
    // The caller reports why it failed: errno must survive the close.
    auto fail = [&listener] {
        int error = errno;
        listener.Reset();
        errno = error;
        return -1;
    };
    int on = 1;
    if (setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
        return fail();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = host;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return fail();
    if (listen(listener.Get(), backlog < 1 ? 1 : backlog) != 0)
        return fail();
    return listener.Release();
}

int32_t AcceptConnection(int32_t listenSocket, String* clientAddress)
{
    if (clientAddress)
        clientAddress->Truncate(0);
    sockaddr_in address{};
    socklen_t size = sizeof address;
    int32_t connection;
    do {
        size = sizeof address;
        connection = accept4(listenSocket, reinterpret_cast<sockaddr*>(&address), &size, SOCK_CLOEXEC);
    } while (connection < 0 && errno == EINTR);
    if (connection < 0)
        return -1;
    if (clientAddress && address.sin_family == AF_INET) {
        char text[INET_ADDRSTRLEN] = {};
        if (inet_ntop(AF_INET, &address.sin_addr, text, sizeof text))
            clientAddress->AssignCStr(text);
    }
    return connection;
}

// Waits for a connect that a signal interrupted to finish, and tells whether it succeeded.
static bool FinishInterruptedConnect(int32_t socket)
{
    pollfd entry{socket, POLLOUT, 0};
    int ready;
    do {
        ready = poll(&entry, 1, -1);
    } while (ready < 0 && errno == EINTR);
    if (ready != 1)
        return false;
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

int32_t ConnectToHost(int32_t socket, const char* host, int32_t port)
{
    if (socket < 0 || !host || !*host || port < 0 || port > 65535)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    // A dotted address (the gateway's usual 127.0.0.1) needs no lookup, which costs more than the
    // rest of a request to the web service.
    if (inet_pton(AF_INET, host, &address.sin_addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found)
            return 0;
        address = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
        freeaddrinfo(found);
    }
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return 1;
    if (errno == EINTR)
        return FinishInterruptedConnect(socket) ? 1 : 0;
    return 0;
}

int64_t SocketSend(int32_t socket, const void* bytes, int64_t length)
{
    if (length <= 0)
        return 0;
    if (!bytes)
        return -1;
    const char* next = static_cast<const char*>(bytes);
    int64_t left = length;
    while (left > 0) {
        ssize_t sent = send(socket, next, static_cast<size_t>(left), MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (sent == 0)
            return -1;
        next += sent;
        left -= sent;
    }
    return length;
}

int64_t SocketReceive(int32_t socket, void* buffer, int64_t length)
{
    if (length <= 0)
        return 0;
    if (!buffer)
        return -1;
    while (true) {
        ssize_t received = recv(socket, buffer, static_cast<size_t>(length), 0);
        if (received >= 0)
            return received;
        if (errno != EINTR)
            return -1;
    }
}

int64_t SocketReceiveAll(int32_t socket, void* buffer, int64_t length)
{
    char* next = static_cast<char*>(buffer);
    int64_t total = 0;
    while (total < length) {
        int64_t received = SocketReceive(socket, next + total, length - total);
        if (received < 0)
            return -1;
        if (received == 0)
            break;
        total += received;
    }
    return total;
}

static int32_t SetSocketTimeout(int32_t socket, int option, int32_t milliseconds)
{
    if (milliseconds < 0)
        milliseconds = 0;
    timeval limit{};
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    return setsockopt(socket, SOL_SOCKET, option, &limit, sizeof limit) == 0 ? 1 : 0;
}

int32_t SetSocketReceiveTimeout(int32_t socket, int32_t milliseconds)
{
    return SetSocketTimeout(socket, SO_RCVTIMEO, milliseconds);
}

int32_t SetSocketSendTimeout(int32_t socket, int32_t milliseconds)
{
    return SetSocketTimeout(socket, SO_SNDTIMEO, milliseconds);
}

int32_t OpenUrlInBrowser(const char* url)
{
    if (!url || !*url)
        return -1;
    return LaunchDefaultOpener(url);
}

}  // namespace vek
