// Reads arbitrary bytes as a number, and writes what it read back in every format: neither may read
// outside the bytes or write beyond the writer's documented bound.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/numbers/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size > 4096)
        return 0;
    // An exact-size copy, so that any read past the n bytes is caught.
    std::vector<char> bytes(data, data + size);
    double value = BytesToDouble(bytes.data(), int32_t(size));

    std::vector<char> text(bytes);
    text.push_back('\0');
    double again = TextToDouble(text.data());
    if (std::memchr(data, 0, size) == nullptr && !(value == again || (std::isnan(value) && std::isnan(again))))
        std::abort();

    // The first bytes choose a format; the separators take three-byte characters.
    NumberFormat format;
    format.Parse(bytes.data(), int32_t(size));
    if (size > 0) {
        format.thousandsSeparator = data[0] & 1 ? char16_t(0x2009) : char16_t(0);
        format.decimalSeparator = data[0] & 2 ? char16_t(0x2396) : kProcessSeparator;
        format.fixedLimit = data[0] >> 4;
    }
    char buffer[kMaxNumberTextBytes + 16];
    std::memset(buffer, 0x55, sizeof buffer);
    char* cursor = buffer;
    CursorPutDouble(cursor, value, format);
    if (cursor - buffer > kMaxNumberTextBytes)
        std::abort();
    for (size_t i = kMaxNumberTextBytes; i < sizeof buffer; ++i) {
        if (buffer[i] != 0x55)
            std::abort();
    }
    char formatText[kMaxNumberFormatTextBytes + 1];
    format.Format(formatText);
    return 0;
}
