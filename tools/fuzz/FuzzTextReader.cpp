// Text files from outside: line cutting and decoding in every encoding, fields, the tokenizer and the
// file reader's refills. Every delivered line must be well-formed UTF-8 of 1-3 byte characters, and
// nothing may be read or written outside its buffer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/HeapText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/strings/Utf8Sequence.h"

namespace {

using namespace vek;

const uint8_t* fileBytes = nullptr;
int64_t fileSize = 0;

// A file served from the fuzzer's input, in reads of a length the input chooses.
class MemoryFile final : public ByteFile {
public:
    explicit MemoryFile(int64_t step) : step(step) {}
    bool OpenForRead(const char*) override { return open = true; }
    bool OpenForWrite(const char*) override { return false; }
    bool OpenForAppend(const char*) override { return false; }
    void Close() override { open = false; }
    void Discard() override { open = false; }
    bool IsOpen() const override { return open; }
    bool HasFailed() const override { return false; }
    int64_t Read(void* buffer, int64_t n) override
    {
        if (!open || position >= fileSize)
            return 0;
        int64_t count = n < step ? n : step;
        if (count > fileSize - position)
            count = fileSize - position;
        std::memcpy(buffer, fileBytes + position, size_t(count));
        position += count;
        return count;
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t GetSize() const override { return fileSize; }
    int64_t GetPosition() const override { return position; }
    void SetPosition(int64_t offset) override { position = offset < 0 ? 0 : offset; }
    void SetSize() override {}
    ByteFileStatus StatusOf(const char*) const override { return {ByteFileKind::regular, fileSize}; }

private:
    int64_t step;
    int64_t position = 0;
    bool open = false;
};

int64_t readStep = 1;

std::unique_ptr<ByteFile> MakeMemoryFile()
{
    return std::unique_ptr<ByteFile>(new (std::nothrow) MemoryFile(readStep));
}

void CheckLine(const TextReader& reader)
{
    const auto* p = reinterpret_cast<const uint8_t*>(reader.LineStart());
    const auto* end = reinterpret_cast<const uint8_t*>(reader.LineEnd());
    if (p == nullptr || end < p)
        std::abort();
    while (p < end) {
        utf8::Sequence sequence = utf8::Decode(p, end);
        if (sequence.bad || sequence.length == 4)
            std::abort();
        p += sequence.length;
    }
}

void Consume(TextReader& reader, uint8_t mode)
{
    String text;
    int32_t lines = 0;
    while (reader.ReadLine() && ++lines < 5000) {
        CheckLine(reader);
        switch (mode % 4) {
        case 0:
            while (reader.NextFieldToString(text)) {
            }
            break;
        case 1: {
            HeapText field = nullptr;
            (void)reader.NextLongTextField(field);
            SetHeapText(field, nullptr);
            void* block = nullptr;
            (void)reader.NextBinaryField(block);
            MemFree(block);
            break;
        }
        case 2: {
            String value;
            while (reader.NextLineAttribute(text, value)) {
            }
            break;
        }
        default:
            for (int32_t i = 0; i < 1000 && reader.NextToken(); ++i) {
                if (reader.TokenLength() < 0)
                    std::abort();
                (void)reader.CompareToken("Open");
            }
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > 200000)
        return 0;
    int32_t encoding = data[0] % 9;
    uint8_t options = data[1];
    uint32_t flags = (uint32_t(data[2]) << 10) ^ uint32_t(data[3]) ^ (uint32_t(data[3] & 3) << 16);
    const char* bytes = reinterpret_cast<const char*>(data + 4);
    int64_t n = int64_t(size - 4);

    int32_t markLength = 0;
    int32_t detected = DetectCharSet(bytes, int32_t(n > 4000 ? 4000 : n), markLength);
    if (detected < -1 || detected > 8 || markLength < 0 || markLength > 3)
        std::abort();

    // A copy of exactly the input's size, so that a read past it is seen.
    std::unique_ptr<char[]> copy(new char[size_t(n)]);
    std::memcpy(copy.get(), bytes, size_t(n));
    TextReader reader(copy.get(), n);
    reader.SetEncoding(encoding);
    reader.SetCheckUtf8((options & 1) != 0);
    reader.SetComposeMarks((options & 2) != 0);
    if ((options & 4) != 0)
        reader.SetCharMappings("a\xC3\xA9\xE2\x82\xAC", "\xCC\x81" "e\xEF\xBF\xBF");
    reader.SetTokenizerFlags(flags);
    Consume(reader, options >> 3);

    // The same bytes as a file, read in steps the input chooses, through the growing buffer.
    fileBytes = data + 4;
    fileSize = n;
    // Mostly whole reads, as files give them; sometimes short ones, so refills meet cut lines.
    static const int64_t kSteps[] = {1 << 20, 4096, 10240, 1 << 20, 1 << 20, 3, 97, 1 << 20};
    readStep = kSteps[(options >> 4) & 7];
    {
        ScopedService<ByteFileMaker> memoryFiles(MakeMemoryFile);
        FileTextReader file;
        if ((options & 8) != 0)
            file.SetEncoding(encoding);
        if (file.Open("memory"))
            Consume(file, options >> 5);
    }
    ClearError();
    return 0;
}
