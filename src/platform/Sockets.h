// Sockets: IPv4 TCP stream sockets for the web service's listener and the HTTP client.
#pragma once

#include <cstdint>

namespace vek {

class String;

// IPv4 TCP stream sockets for the web service's listener and the outgoing HTTP client. Sockets are
// plain descriptors at this interface (−1 for none); `SocketHandle` owns one and closes it.
//
// Failures are answered as −1 or 0 and never reported as messages. Sends never raise SIGPIPE
// (MSG_NOSIGNAL), and every call is repeated when a signal interrupts it.

// Owns one socket descriptor; closes it when destroyed or reset. Moves, never copies.
class SocketHandle {
public:
    SocketHandle() = default;
    explicit SocketHandle(int32_t socket) : fd(socket) {}
    ~SocketHandle();
    SocketHandle(SocketHandle&& other) noexcept : fd(other.Release()) {}
    SocketHandle& operator=(SocketHandle&& other) noexcept;
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;

    int32_t Get() const { return fd; }
    bool IsValid() const { return fd >= 0; }
    // Gives the descriptor up without closing it.
    int32_t Release();
    // Closes the descriptor held (if any) and takes the new one.
    void Reset(int32_t socket = -1);

private:
    int32_t fd = -1;
};

// A listening socket on the port on every local IPv4 address (address reuse on, backlog 1), or −1;
// nothing stays open on failure (the port is taken, no permission).
int32_t OpenListenSocket(int32_t port);
// The same on one local IPv4 address given as dotted text ("127.0.0.1"; "0.0.0.0" for every address),
// with room for `backlog` connections waiting to be accepted. −1 also for a text that is not a dotted
// IPv4 address, with errno EINVAL; otherwise errno tells why the socket could not be had.
int32_t OpenListenSocketOn(const char* address, int32_t port, int32_t backlog = 1);
// True when the text is a dotted IPv4 address.
[[nodiscard]] bool IsIpv4AddressText(const char* address);
// The local port a socket is bound to, or 0.
int32_t SocketLocalPort(int32_t socket);
// Ends both directions of a socket without closing its descriptor: a thread blocked in accept or
// receive on it returns. Safe to call from another thread while the owner still holds the descriptor.
void ShutdownSocket(int32_t socket);
// The next connection of a listening socket, or −1. When `clientAddress` is given it is cleared first
// and receives the client's dotted IPv4 address.
int32_t AcceptConnection(int32_t listenSocket, String* clientAddress);
// A new TCP socket, or −1.
int32_t CreateSocket();
// Looks the host name up (IPv4) and connects to its first address on the port: 1 when connected, 0
// when the name is unknown or the connection fails. The socket stays open either way.
int32_t ConnectToHost(int32_t socket, const char* host, int32_t port);
// Sends all `length` bytes, looping over partial sends: `length` when all went out, −1 on failure
// (the peer closed, the connection broke). A length of 0 or below sends nothing and gives 0.
int64_t SocketSend(int32_t socket, const void* bytes, int64_t length);
// One receive of up to `length` bytes: the count received, 0 when the peer closed the connection, −1
// on an error or when the receive timeout ran out.
int64_t SocketReceive(int32_t socket, void* buffer, int64_t length);
// Receives until `length` bytes arrived or the connection ended: the count received (less than
// `length` only at the end of the stream), −1 on an error or timeout.
int64_t SocketReceiveAll(int32_t socket, void* buffer, int64_t length);
// Makes every receive on the socket give up after `milliseconds` (0: wait for ever). 1 on success.
int32_t SetSocketReceiveTimeout(int32_t socket, int32_t milliseconds);
// Makes every send, and a connect, on the socket give up after `milliseconds` (0: wait for ever). 1 on
// success.
int32_t SetSocketSendTimeout(int32_t socket, int32_t milliseconds);
// Closes a socket descriptor (ignores −1).
void CloseSocket(int32_t socket);

// Local (Unix-domain) stream sockets, by which a second start of the program hands its files to the
// one already running. The same send, receive and timeout calls serve them.
// A listening socket bound to the path (backlog 4, the file made readable and writable by its owner
// only), or −1: the path is too long for a socket address, a file is already there, no permission.
int32_t OpenLocalListenSocket(const char* path);
// A socket connected to the listener at the path, or −1 when nobody listens there (no file, a file
// left behind by a program that ended, not a socket).
int32_t ConnectLocalSocket(const char* path);
// Waits up to `milliseconds` for a connection on a listening socket: 1 when one is ready to be
// accepted, 0 when the time ran out (or a signal came), −1 on an error.
int32_t WaitForConnection(int32_t listenSocket, int32_t milliseconds);

// Opens a URL in the user's web browser, without a shell (the text reaches the opener as one
// argument). 0 when the opener was started and did not report a failure, else a nonzero status.
// Failures are not reported as messages.
int32_t OpenUrlInBrowser(const char* url);

}  // namespace vek
