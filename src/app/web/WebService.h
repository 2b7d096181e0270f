// WebService: the built-in web service's switch, its listener thread and the gateway connections.
#pragma once

#include <cstdint>

namespace vek {

// The program publishes its open bases to browsers through a gateway (vek-cgi) that a web server runs
// under CGI; the gateway forwards each request over TCP (GatewayFrame.h). The listener runs on a
// thread of its own and serves one connection at a time; each request is answered under the worker
// side of the UI lock (DispatchWebRequest).
//
// The switch and the port are the preferences "ServeDuvODE" and "DuvodePort"; the address the
// preference "DuvodeAddress", 127.0.0.1 unless one is configured, so that only programs on this
// computer (the gateway) can send requests, whose client ids and single-sign-on names the service
// takes on trust.

// Ports the service may use. Below 81 are the ports of well-known services.
constexpr int32_t kLowestWebPort = 81;
constexpr int32_t kHighestWebPort = 65535;
// How long a connection may keep the service waiting for the rest of a request: it serves one
// connection at a time, so an idle one must not hold the others off for long.
constexpr int32_t kGatewayReceiveTimeoutMs = 2000;
constexpr int32_t kGatewaySendTimeoutMs = 10000;

// Makes the running state match the switch: a running listener whose switch went off, or whose port
// or address changed, is stopped (its accept is woken and it ends); when the switch is on and none
// runs, a new listening socket is opened and a listener thread started. A socket that cannot be had
// is reported (message 7560) and the service stays stopped; false then.
[[nodiscard]] bool RestartWebService();
// The command "webvekserver": a port in 81-65535 becomes the port (another nonzero port is refused
// with message 7561 and the old one kept); mode 1 switches the service on, 2 off, others leave the
// switch; then RestartWebService.
void ControlWebService(int32_t mode, int32_t port);
// The switch.
bool IsWebServiceEnabled();
// True while a listener thread is accepting connections.
bool IsWebServiceRunning();
// The port the running listener listens on (0 when stopped); with port 0 asked for in tests, the
// port the system chose.
int32_t WebServicePort();
// Stops the listener at program end, whatever the switch says, and waits a moment for it to end.
void StopWebService();

}  // namespace vek
