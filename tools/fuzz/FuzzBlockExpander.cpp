// Bad blocks for the block expanders: nothing may be read or written outside the buffers, whatever the
// bytes. The first input byte picks the output room, so that both the end of the input and the end
// of the output are reached. Any input that is compressed and expanded again must come back whole.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/streams/BlockCompressor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size == 0)
        return 0;
    size_t room = size_t(data[0]) * 64;
    std::span<const uint8_t> stream(data + 1, size - 1);

    // Exactly sized heap buffers, so that the address sanitizer sees every byte beyond them.
    std::vector<uint8_t> output(room);
    ExpandResult t = ExpandBlock(output, stream);
    ExpandResult z = ExpandBlockZ(output, stream);
    if (t.length < 0 || size_t(t.length) > room || z.length < 0 || size_t(z.length) > room)
        std::abort();

    std::vector<uint8_t> compressed(size_t(CompressBlockBound(int64_t(stream.size()))));
    int32_t length = CompressBlock(compressed, stream);
    if (stream.empty()) {
        if (length != 0)
            std::abort();
        return 0;
    }
    if (length <= 0)
        std::abort();
    compressed.resize(size_t(length));
    std::vector<uint8_t> expanded(stream.size());
    ExpandResult back = ExpandBlock(expanded, compressed);
    if (back.status != ExpandStatus::Complete || size_t(back.length) != stream.size() ||
        std::memcmp(expanded.data(), stream.data(), stream.size()) != 0)
        std::abort();
    return 0;
}
