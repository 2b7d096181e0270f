// SingleInstance: the instance socket, its request, and the listener of the running program.
#include "app/SingleInstance.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "gui/Application.h"
#include "platform/FilePath.h"
#include "platform/Sockets.h"
#include "platform/Threads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"

namespace vek {

namespace {

constexpr uint8_t kInstanceMagic[4] = {'V', 'E', 'K', 'O'};
// How long either side waits for the other: the running program answers from its own thread, so
// only a stuck machine takes longer.
constexpr int32_t kInstanceTimeoutMs = 5000;
// How often the listener looks at its stop flag while no one connects.
constexpr int32_t kInstancePollMs = 200;

void AppendNumber(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value >> 24));
    out.push_back(uint8_t(value >> 16));
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}

bool ReceiveNumber(int32_t socket, uint32_t& value)
{
    uint8_t bytes[4];
    if (SocketReceiveAll(socket, bytes, 4) != 4)
        return false;
    value = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
    return true;
}

std::string AbsolutePath(const std::string& file)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(file, error);
    return error ? file : absolute.lexically_normal().string();
}

}  // namespace

std::vector<uint8_t> EncodeInstanceRequest(std::span<const std::string> files)
{
    std::vector<uint8_t> out(std::begin(kInstanceMagic), std::end(kInstanceMagic));
    std::vector<std::string> paths;
    for (const std::string& file : files) {
        std::string path = AbsolutePath(file);
        // A path the running program would refuse is left to this start, which reports it.
        if (!path.empty() && path.size() <= size_t(kInstanceMaxPathBytes) && paths.size() < size_t(kInstanceMaxFiles))
            paths.push_back(std::move(path));
    }
    AppendNumber(out, uint32_t(paths.size()));
    for (const std::string& path : paths) {
        AppendNumber(out, uint32_t(path.size()));
        out.insert(out.end(), path.begin(), path.end());
    }
    return out;
}

bool ReceiveInstanceRequest(int32_t socket, std::vector<std::string>& files)
{
    uint8_t magic[4];
    if (SocketReceiveAll(socket, magic, 4) != 4 || !std::equal(magic, magic + 4, kInstanceMagic))
        return false;
    uint32_t count = 0;
    if (!ReceiveNumber(socket, count) || count > uint32_t(kInstanceMaxFiles))
        return false;
    std::vector<std::string> received;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (!ReceiveNumber(socket, length) || length == 0 || length > uint32_t(kInstanceMaxPathBytes))
            return false;
        std::string path(length, '\0');
        if (SocketReceiveAll(socket, path.data(), length) != int64_t(length))
            return false;
        // A path holds no zero byte; one that does is not a request of ours.
        if (path.find('\0') != std::string::npos)
            return false;
        received.push_back(std::move(path));
    }
    files = std::move(received);
    return true;
}

std::string InstanceSocketPath()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/')
        return {};
    std::string name = "vek";
    const char* display = std::getenv("DISPLAY");
    for (const char* c = display ? display : ""; *c; ++c) {
        const bool plain = (*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z');
        name += plain ? *c : '-';
    }
    return std::string(runtime) + "/" + name + ".socket";
}

bool HandFilesToRunningInstance(const std::string& socketPath, std::span<const std::string> files)
{
    if (socketPath.empty())
        return false;
    SocketHandle socket(ConnectLocalSocket(socketPath.c_str()));
    if (!socket.IsValid())
        return false;
    SetSocketSendTimeout(socket.Get(), kInstanceTimeoutMs);
    SetSocketReceiveTimeout(socket.Get(), kInstanceTimeoutMs);
    const std::vector<uint8_t> request = EncodeInstanceRequest(files);
    if (SocketSend(socket.Get(), request.data(), int64_t(request.size())) != int64_t(request.size()))
        return false;
    uint8_t answer = 0;
    return SocketReceiveAll(socket.Get(), &answer, 1) == 1 && answer == 1;
}

// What the listener thread shares with the object that started it: the thread owns its copy and
// ends when `stop` is set, so the object may go first.
struct InstanceListener::State {
    SocketHandle socket;
    InstanceListener::Delivery delivery;
    std::atomic<bool> stop{false};
};

namespace {

void ServeInstanceConnection(InstanceListener::State& state)
{
    SocketHandle connection(AcceptConnection(state.socket.Get(), nullptr));
    if (!connection.IsValid())
        return;
    SetSocketReceiveTimeout(connection.Get(), kInstanceTimeoutMs);
    SetSocketSendTimeout(connection.Get(), kInstanceTimeoutMs);
    std::vector<std::string> files;
    if (!ReceiveInstanceRequest(connection.Get(), files))
        return;
    const uint8_t taken = 1;
    (void)SocketSend(connection.Get(), &taken, 1);
    if (!state.stop.load())
        PostToMainThread([delivery = state.delivery, files = std::move(files)]() mutable { delivery(std::move(files)); });
}

void RunInstanceListener(void* argument)
{
    std::unique_ptr<std::shared_ptr<InstanceListener::State>> held(
        static_cast<std::shared_ptr<InstanceListener::State>*>(argument));
    InstanceListener::State& state = **held;
    while (!state.stop.load()) {
        const int32_t ready = WaitForConnection(state.socket.Get(), kInstancePollMs);
        if (ready < 0)
            return;
        if (ready > 0 && !state.stop.load())
            ServeInstanceConnection(state);
    }
}

}  // namespace

std::unique_ptr<InstanceListener> InstanceListener::Start(const std::string& socketPath, Delivery delivery)
{
    if (socketPath.empty())
        return nullptr;
    int32_t socket = OpenLocalListenSocket(socketPath.c_str());
    if (socket < 0) {
        // A live listener answers a connection; a file nobody listens at was left behind.
        SocketHandle probe(ConnectLocalSocket(socketPath.c_str()));
        if (probe.IsValid())
            return nullptr;
        unlink(socketPath.c_str());
        socket = OpenLocalListenSocket(socketPath.c_str());
        if (socket < 0)
            return nullptr;
    }
    auto state = std::make_shared<State>();
    state->socket.Reset(socket);
    state->delivery = std::move(delivery);
    auto* threadCopy = new std::shared_ptr<State>(state);
    if (StartDetachedThread(RunInstanceListener, threadCopy) == 0) {
        delete threadCopy;
        unlink(socketPath.c_str());
        return nullptr;
    }
    return std::unique_ptr<InstanceListener>(new InstanceListener(std::move(state), socketPath));
}

InstanceListener::InstanceListener(std::shared_ptr<State> forState, std::string forPath)
    : state(std::move(forState)), path(std::move(forPath))
{
}

InstanceListener::~InstanceListener()
{
    // The file goes first, so that a start from now on becomes the running program itself.
    unlink(path.c_str());
    state->stop.store(true);
}

bool HandOverToRunningProgram(std::span<const std::string> files)
{
    return HandFilesToRunningInstance(InstanceSocketPath(), files);
}

std::unique_ptr<InstanceListener> ListenForFurtherFiles()
{
    return InstanceListener::Start(InstanceSocketPath(), [](std::vector<std::string> files) {
        Application* application = Application::Get();
        if (!application)
            return;
        application->Activate();
        std::vector<FilePath> paths;
        for (const std::string& file : files)
            paths.emplace_back(std::string_view(file));
        (void)HandleOpenDocumentsRequest(paths, 0);
    });
}

}  // namespace vek
