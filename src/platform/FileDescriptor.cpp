// FileDescriptor: owning, releasing and closing a POSIX file descriptor.
#include "platform/FileDescriptor.h"

#include <unistd.h>

namespace vek {

FileDescriptor::~FileDescriptor()
{
    if (descriptor >= 0)
        ::close(descriptor);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = other.Release();
    }
    return *this;
}

int32_t FileDescriptor::Release()
{
    int32_t released = descriptor;
    descriptor = -1;
    return released;
}

bool FileDescriptor::Close()
{
    if (descriptor < 0)
        return true;
    // close is not retried after EINTR: on Linux the descriptor is gone either way.
    int result = ::close(Release());
    return result == 0;
}

}  // namespace vek
