// DescriptorTextWriter: a text writer that writes its output to an open file descriptor.
#include "platform/DescriptorTextWriter.h"

#include <cerrno>
#include <unistd.h>

#include <utility>

namespace vek {

DescriptorTextWriter::~DescriptorTextWriter() { (void)Close(); }

void DescriptorTextWriter::Open(FileDescriptor file, ByteOrderMarkChoice mark)
{
    (void)Close();
    descriptor = std::move(file);
    if (descriptor.IsValid())
        StartOutput(mark);
}

bool DescriptorTextWriter::Close()
{
    if (!IsOpen())
        return !HasFailed();
    bool written = FinishOutput();
    bool closed = descriptor.Close();
    return written && closed;
}

bool DescriptorTextWriter::WriteOut(const char* bytes, int64_t n)
{
    while (n > 0) {
        ssize_t done = ::write(descriptor.Get(), bytes, static_cast<std::size_t>(n));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        n -= done;
    }
    return true;
}

}  // namespace vek
