// FileDescriptor: the owner of one POSIX file descriptor.
#pragma once

#include <cstdint>

namespace vek {

// Owns one POSIX file descriptor and closes it when it goes. Move-only; -1 means none.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int32_t descriptor) : descriptor(descriptor) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor(other.Release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    bool IsValid() const { return descriptor >= 0; }
    int32_t Get() const { return descriptor; }
    // Gives the descriptor up without closing it.
    int32_t Release();
    // Closes the descriptor now; false when the system reports an error (for a file being written,
    // the last chance to learn that its bytes did not reach the disk). True when there was none.
    [[nodiscard]] bool Close();

private:
    int32_t descriptor = -1;
};

}  // namespace vek
