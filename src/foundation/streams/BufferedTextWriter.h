// BufferedTextWriter: a TextWriter that passes its output on from a buffer, with or without a byte-order mark.
#pragma once

#include <cstdint>

#include "foundation/streams/TextWriter.h"

namespace vek {

// Whether a text file starts with the byte-order mark of its encoding (UTF-8 and UTF-16 files do
// unless told otherwise; the 8-bit pages have none).
enum class ByteOrderMarkChoice { write, omit };

// A TextWriter that passes its output on through WriteOut from a buffer of 10240 bytes. The buffer
// grows when one operation needs more room than it has, so a single large write is still written
// whole. Separators at the end of the buffer are kept back at a flush, so that EndRow can
// still trim a row's trailing empty fields that reach across a flush.
//
// Output starts with StartOutput (the byte-order mark) and ends with FinishOutput; before the start
// and after the end, flushed bytes are dropped. After a failed WriteOut nothing more is written, and
// FinishOutput reports the failure. Subclasses finish in their destructors: the base cannot, since
// WriteOut is theirs.
class BufferedTextWriter : public TextWriter {
public:
    static constexpr int32_t kBufferSize = 10240;

    ~BufferedTextWriter() override;

    void Flush(int64_t room) override;

    bool IsOpen() const { return open; }
    bool HasFailed() const { return failed; }

protected:
    BufferedTextWriter();

    // Opens the output: the mark of the current encoding goes out first, unless `mark` is omit. A
    // failed mark counts as a failed write.
    void StartOutput(ByteOrderMarkChoice mark);
    // Passes on what is buffered and closes the output; false when any write failed.
    [[nodiscard]] bool FinishOutput();
    // Writes all n bytes; false when they could not be written.
    [[nodiscard]] virtual bool WriteOut(const char* bytes, int64_t n) = 0;

private:
    bool Grow(int64_t size, int64_t kept);

    char* buffer = nullptr;  // allocator block, owned
    bool open = false;
    bool failed = false;
};

}  // namespace vek
