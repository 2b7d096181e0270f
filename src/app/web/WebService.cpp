// WebService: starting and stopping the listener, accepting connections and answering their requests.
#include "app/web/WebService.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>

#include "app/Preferences.h"
#include "app/web/WebDispatch.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextWriter.h"
#include "platform/Sockets.h"
#include "platform/Threads.h"
#include "platform/events/UiLock.h"
#include "platform/web/GatewayFrame.h"

namespace vek {

namespace {

// Connections waiting to be accepted. With room for one only, a burst of connections (a flood, or a
// page whose parts a browser asks for at once) made the system drop new ones, and each dropped
// gateway waited seconds for its retry while the service sat idle.
constexpr int32_t kWebListenBacklog = 64;

// One listener thread and what it shares with the thread that starts and stops it. The thread owns
// the sockets and closes them; others may only shut them down (which wakes a blocked accept or
// receive), and only under the mutex, so a descriptor is never used after its close.
struct WebListener {
    std::atomic<bool> run{true};
    std::atomic<bool> ended{false};
    std::mutex mutex;
    int32_t listenSocket = -1;
    int32_t connection = -1;  // the connection being served, or -1
    // What it was started with, to tell whether a restart must replace it.
    int32_t port = 0;
    std::string address;
    int32_t boundPort = 0;

    void Stop()
    {
        run.store(false);
        std::lock_guard lock(mutex);
        ShutdownSocket(listenSocket);
        ShutdownSocket(connection);
    }
};

// The running listener, if any; replaced only by the thread that runs the commands (the main thread).
std::mutex serviceMutex;
std::shared_ptr<WebListener> runningListener;

void AnswerConnection(WebListener& listener, int32_t connection)
{
    (void)SetSocketReceiveTimeout(connection, kGatewayReceiveTimeoutMs);
    (void)SetSocketSendTimeout(connection, kGatewaySendTimeoutMs);
    auto request = std::make_unique<ReceivedRequest>();
    while (listener.run.load() && ReceiveRequest(connection, *request) == RequestRead::Request) {
        TextWriter writer;
        writer.SetLineEndChar('\n');
        {
            WorkerUiLock lock;
            if (!listener.run.load())
                return;
            const RequestTexts& texts = request->texts;
            DispatchWebRequest(writer, texts.query, texts.clientId, texts.environment);
        }
        if (!SendReply(connection, writer.BufferedBytes()))
            return;
    }
}

// Errors of accept that pass: the connection went away before it was taken, or the process ran out
// of descriptors or memory for a moment (a flood of connections); the listener waits a little and
// goes on.
bool AcceptErrorPasses(int error)
{
    return error == ECONNABORTED || error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM ||
           error == EPROTO || error == EPERM || error == EAGAIN;
}

void RunWebListener(void* argument)
{
    std::unique_ptr<std::shared_ptr<WebListener>> held(static_cast<std::shared_ptr<WebListener>*>(argument));
    WebListener& listener = **held;
    while (listener.run.load()) {
        int32_t accepted = AcceptConnection(listener.listenSocket, nullptr);
        if (accepted < 0) {
            if (!listener.run.load() || !AcceptErrorPasses(errno))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        SocketHandle connection(accepted);
        {
            std::lock_guard lock(listener.mutex);
            listener.connection = accepted;
        }
        try {
            AnswerConnection(listener, accepted);
        } catch (const std::bad_alloc&) {
            // The request is the operation that ran out of memory: its connection ends unanswered.
        }
        std::lock_guard lock(listener.mutex);
        listener.connection = -1;
        connection.Reset();
    }
    {
        std::lock_guard lock(listener.mutex);
        CloseSocket(listener.listenSocket);
        listener.listenSocket = -1;
    }
    listener.ended.store(true);
}

void ReportNotListening(const std::string& address, int32_t port, int error)
{
    Message message;
    message.code = message::kWebServiceNotListening;
    message.AddText(address.c_str());
    message.AddText(std::to_string(port).c_str());
    message.AddText(std::strerror(error));
    (void)ReportMessage(message);
}

}  // namespace

bool RestartWebService()
{
    const ProgramSettings& settings = Settings();
    bool wanted = settings.serveWeb;
    std::string address = settings.webAddress.empty() ? "127.0.0.1" : settings.webAddress;
    if (!IsIpv4AddressText(address.c_str())) {
        Message message;
        message.code = message::kWebAddressRefused;
        message.AddText(address.c_str());
        message.AddText("127.0.0.1");
        (void)ReportMessage(message);
        address = "127.0.0.1";
    }
    int32_t port = settings.webPort;
    std::shared_ptr<WebListener> stopped;
    {
        std::lock_guard lock(serviceMutex);
        if (runningListener) {
            WebListener& old = *runningListener;
            bool same = old.port == port && old.address == address && !old.ended.load();
            if (wanted && same)
                return true;
            old.Stop();
            stopped = std::move(runningListener);
        }
    }
    if (!wanted)
        return true;
    // The old listener closes its socket as it ends; a new one on the same port waits a moment for
    // that, but never long: the old one may be waiting for the UI lock that our caller holds.
    for (int32_t waited = 0; stopped && waited < 500 && !stopped->ended.load(); waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    int32_t socket = OpenListenSocketOn(address.c_str(), port, kWebListenBacklog);
    if (socket < 0) {
        ReportNotListening(address, port, errno);
        return false;
    }
    auto listener = std::make_shared<WebListener>();
    listener->listenSocket = socket;
    listener->port = port;
    listener->address = address;
    listener->boundPort = SocketLocalPort(socket);
    auto* argument = new std::shared_ptr<WebListener>(listener);
    if (StartDetachedThread(RunWebListener, argument) == pthread_t()) {
        delete argument;
        CloseSocket(socket);
        ReportNotListening(address, port, EAGAIN);
        return false;
    }
    std::lock_guard lock(serviceMutex);
    runningListener = std::move(listener);
    return true;
}

void ControlWebService(int32_t mode, int32_t port)
{
    ProgramSettings& settings = Settings();
    if (port >= kLowestWebPort && port <= kHighestWebPort) {
        settings.webPort = port;
    } else if (port != 0) {
        Message message;
        message.code = message::kWebPortRefused;
        message.AddText(std::to_string(port).c_str());
        message.AddText(std::to_string(settings.webPort).c_str());
        (void)ReportMessage(message);
    }
    if (mode == 1)
        settings.serveWeb = true;
    else if (mode == 2)
        settings.serveWeb = false;
    (void)RestartWebService();
}

bool IsWebServiceEnabled() { return Settings().serveWeb; }

bool IsWebServiceRunning()
{
    std::lock_guard lock(serviceMutex);
    return runningListener && !runningListener->ended.load();
}

int32_t WebServicePort()
{
    std::lock_guard lock(serviceMutex);
    return runningListener && !runningListener->ended.load() ? runningListener->boundPort : 0;
}

void StopWebService()
{
    std::shared_ptr<WebListener> listener;
    {
        std::lock_guard lock(serviceMutex);
        listener = std::move(runningListener);
    }
    if (!listener)
        return;
    listener->Stop();
    // The listener may be answering a request; the program's data must outlive that answer. It ends
    // within a receive timeout at most, since its sockets were shut down.
    for (int32_t waited = 0; waited < 4 * kGatewayReceiveTimeoutMs && !listener->ended.load(); waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace vek
