// DescriptorTextWriter: text written to an open file descriptor (a pipe or a standard stream).
#pragma once

#include <cstdint>

#include "foundation/streams/BufferedTextWriter.h"
#include "platform/FileDescriptor.h"

namespace vek {

// Writes text to a file descriptor it owns: a pipe, a copy of a standard stream, or a file the caller
// opened. Saving a file in place of another goes through the text file streams instead, which write
// a temporary file and rename it.
class DescriptorTextWriter final : public BufferedTextWriter {
public:
    DescriptorTextWriter() = default;
    // Closes (a failure is then only visible through HasFailed before the end).
    ~DescriptorTextWriter() override;

    // Starts writing to the descriptor, which the writer owns from now on. Set the encoding first: the
    // byte-order mark is written here unless `mark` is omit. An invalid descriptor leaves the writer
    // closed (its output is dropped).
    void Open(FileDescriptor file, ByteOrderMarkChoice mark);
    // Writes what is buffered and closes the descriptor; false when a write or the close failed.
    [[nodiscard]] bool Close();

private:
    [[nodiscard]] bool WriteOut(const char* bytes, int64_t n) override;

    FileDescriptor descriptor;
};

}  // namespace vek
