// Fuzzes the block container. The input is a text and a damage: the text is written as a container
// (compressed or stored, with or without a password) into an in-memory file and must read back line
// for line; then one byte of the container is changed or the container is cut short where the input
// says, and reading it must end in an error or in text, never outside a buffer. The input itself is
// also read as a container, for the header checks.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "files/format/BlockContainer.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Service.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/streams/MemoryByteFile.h"

namespace {

using namespace vek;

constexpr const char* kPath = "/fuzz.vek";

std::vector<std::string> ReadLines(std::string_view password, int32_t& error)
{
    std::vector<std::string> lines;
    BlockContainerReader reader;
    if (reader.Open(kPath, password)) {
        while (reader.ReadLine())
            lines.emplace_back(reader.LineStart(), size_t(reader.LineLength()));
    }
    error = reader.Error();
    ClearError();
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScopedService<ByteFileMaker> memory(MakeMemoryByteFile);
    ClearError();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    int32_t error = 0;
    MemoryFiles().Put(kPath, input);
    (void)ReadLines("pw", error);
    if (size < 4)
        return 0;

    bool compress = (data[0] & 1) != 0;
    std::string_view password = (data[0] & 2) != 0 ? "Secret" : "";
    bool truncate = (data[0] & 4) != 0;
    size_t where = size_t(data[1]) << 8 | data[2];
    uint8_t flip = data[3];
    std::string text(input.substr(4));
    {
        BlockContainerWriter writer;
        if (!writer.Open(kPath, 'N', compress, password, 0))
            std::abort();
        writer.PutTextBytes(text.data(), int32_t(text.size()));
        if (!writer.Close())
            std::abort();
    }
    // What was written reads back: after the check line (which Open reads), the text's lines.
    std::vector<std::string> lines = ReadLines(password, error);
    if (error != 0)
        std::abort();
    bool plain = true;
    for (char c : text)
        plain = plain && ((c >= 0x20 && c <= 0x7e) || c == '\t' || c == '\r');
    if (plain) {
        std::vector<std::string> expected;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\r', start);
            if (end == std::string::npos)
                end = text.size();
            expected.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        if (lines != expected)
            std::abort();
    }

    std::string container = *MemoryFiles().Get(kPath);
    if (container.empty())
        return 0;
    where %= container.size();
    if (truncate)
        container.resize(where);
    else
        container[where] = char(container[where] ^ (flip | 1));
    MemoryFiles().Put(kPath, container);
    (void)ReadLines(password, error);
    (void)ReadLines("wrong", error);
    MemoryFiles().Remove(kPath);
    return 0;
}
