// SingleInstance: one running program per user and display; a second start hands its files to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vek {

// The request a second start sends over the instance socket, and the answer (all numbers big-endian):
//
//   offset  size  field
//   0       4     "VEKO"
//   4       4     file count, 0..kInstanceMaxFiles
//   8       ...   per file: length (4 bytes, 1..kInstanceMaxPathBytes), then the absolute path, UTF-8
//
//   answer: one byte, 1 when the running program took the files.
//
// Zero files only bring the running program to the front.
constexpr int32_t kInstanceMaxFiles = 256;
constexpr int32_t kInstanceMaxPathBytes = 4096;

// The request for the files (made absolute against the working folder first).
std::vector<uint8_t> EncodeInstanceRequest(std::span<const std::string> files);
// Reads one request from a connected socket, within its bounds: false (and nothing taken) for a
// request that is cut off, too large, or not ours.
[[nodiscard]] bool ReceiveInstanceRequest(int32_t socket, std::vector<std::string>& files);

// The socket of this user's program on this display: a file in the user's runtime folder
// ($XDG_RUNTIME_DIR), named after the display. Empty when there is no runtime folder: the program
// then runs on its own.
std::string InstanceSocketPath();

// Hands the files to the program listening at the path; true when it took them. False when nobody
// listens there or the running program did not answer within a few seconds.
[[nodiscard]] bool HandFilesToRunningInstance(const std::string& socketPath, std::span<const std::string> files);

// Listens at the path for the files later starts hand over, on a thread of its own; each request's
// files are delivered on the main thread (PostToMainThread), in the order they came. Destroying it
// removes the socket file at once; the thread ends within a fraction of a second.
class InstanceListener {
public:
    using Delivery = std::function<void(std::vector<std::string> files)>;

    // Null when the socket cannot be made (a live listener is there, the path is not usable). A
    // socket file left behind by a program that ended is replaced.
    static std::unique_ptr<InstanceListener> Start(const std::string& socketPath, Delivery delivery);
    ~InstanceListener();
    InstanceListener(const InstanceListener&) = delete;
    InstanceListener& operator=(const InstanceListener&) = delete;

    struct State;

private:
    InstanceListener(std::shared_ptr<State> state, std::string path);

    std::shared_ptr<State> state;
    std::string path;
};

// vek's use of the above for a windowed run: hands the files to the running program (true: this
// start has nothing more to do), else becomes the running program, whose listener opens the files
// it is handed as documents and brings the application to the front.
[[nodiscard]] bool HandOverToRunningProgram(std::span<const std::string> files);
std::unique_ptr<InstanceListener> ListenForFurtherFiles();

}  // namespace vek
