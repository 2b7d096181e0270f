// WebGatewayBench: page requests through the gateway as a web server makes them: one vek-cgi process
// per request, forwarding to the web service of this process, which serves a small base. The goal is
// 100 sequential requests a second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/Preferences.h"
#include "app/web/WebRequest.h"
#include "app/web/WebService.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"
#include "platform/Sockets.h"
#include "platform/web/GatewayFrame.h"

extern char** environ;

namespace {

// Runs the gateway as a CGI request for the query and answers its whole output.
std::string RunGateway(const std::string& query, int32_t port)
{
    std::vector<std::string> variables = {"REQUEST_METHOD=GET", "SCRIPT_NAME=/vek.cgi", "QUERY_STRING=" + query,
                                          "VEK_PORT=" + std::to_string(port),
                                          "HTTP_COOKIE=vekid=0123456789abcdef0123456789abcdef"};
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    char program[] = VEK_CGI_PATH;
    char* arguments[] = {program, nullptr};
    pid_t child = 0;
    int spawned = posix_spawn(&child, program, &actions, nullptr, arguments, environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string output;
    char buffer[65536];
    ssize_t n;
    while (spawned == 0 && (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, size_t(n));
    close(pipeEnds[0]);
    if (spawned == 0)
        waitpid(child, nullptr, 0);
    return output;
}

// The fixture shop served on a free loopback port for one benchmark run, and stopped after it.
class ServedShop {
public:
    ServedShop()
    {
        base.reset(vek::OpenBaseFile(
            vek::FilePath::FromCommandLine(VEK_SOURCE_DIR "/tests/fixtures/web/web-shop.vkx"), nullptr, 0));
        vek::Settings().webPort = 0;
        vek::Settings().serveWeb = true;
        served = base && vek::RestartWebService();
        if (served) {
            vek::String code;
            vek::GetBaseLinkCode(*base, code);
            query = std::string("templates=") + code.CStr();
        }
    }
    ~ServedShop()
    {
        if (served)
            vek::StopWebService();
    }

    std::unique_ptr<vek::Base> base;
    bool served = false;
    std::string query;  // the shop's template menu
};

void GatewayPageRequests(benchmark::State& state)
{
    ServedShop shop;
    if (!shop.served) {
        state.SkipWithError("the base or the service could not be had");
        return;
    }
    const int32_t port = vek::WebServicePort();
    for (auto _ : state) {
        std::string page = RunGateway(shop.query, port);
        if (page.find("loginform") == std::string::npos) {
            state.SkipWithError("the gateway answered no page");
            break;
        }
        benchmark::DoNotOptimize(page);
    }
    state.counters["requests_per_second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(GatewayPageRequests)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same requests without the gateway's process: a connection and a frame each, so that the
// service's own share of a request shows apart from the start of a process.
void ServicePageRequests(benchmark::State& state)
{
    ServedShop shop;
    if (!shop.served) {
        state.SkipWithError("the base or the service could not be had");
        return;
    }
    const std::string frame =
        vek::EncodeRequestFrame("0123456789abcdef0123456789abcdef", shop.query, "gateway=\"/vek.cgi\"");
    const int32_t port = vek::WebServicePort();
    for (auto _ : state) {
        vek::SocketHandle socket(vek::CreateSocket());
        std::string page;
        if (vek::ConnectToHost(socket.Get(), "127.0.0.1", port) != 1 ||
            vek::SocketSend(socket.Get(), frame.data(), int64_t(frame.size())) != int64_t(frame.size()) ||
            !vek::ReceiveReply(socket.Get(), page)) {
            state.SkipWithError("the service answered no page");
            break;
        }
        benchmark::DoNotOptimize(page);
    }
    state.counters["requests_per_second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(ServicePageRequests)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
