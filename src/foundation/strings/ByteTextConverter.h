// ByteTextConverter: bytes in an external encoding converted to UTF-8, through a character map.
#pragma once

#include <cstdint>

namespace vek {

// Converts bytes in one of the external encodings (CodePages.h) to UTF-8, optionally passing every
// character through a character map (import setups translate characters with it). UTF-8 input is
// decoded (a bad byte is U+FFFD), UTF-16 input unit by unit (a surrogate pair, or a lone surrogate or
// odd last byte, is U+FFFD), 8-bit input through a table of the 256 bytes: 0-127 themselves, 128-255
// the code page's characters (page 6 for an id without one), each then through the map.
class ByteTextConverter {
public:
    ByteTextConverter();
    ~ByteTextConverter();
    ByteTextConverter(const ByteTextConverter&) = delete;
    ByteTextConverter& operator=(const ByteTextConverter&) = delete;

    int32_t Encoding() const { return encoding; }
    void SetEncoding(int32_t id);
    // Replaces the map: both UTF-8 texts are walked in parallel until either ends, and each pair of
    // different characters maps the first to the second (null counts as empty). When memory for the
    // map runs short, no map is used.
    void SetCharMappings(const char* from, const char* to);

    // Converts the input into the output without a NUL and returns the bytes written. It stops when
    // the input is used up or fewer than 3 bytes of the capacity are left (a character takes at most
    // 3); `consumed`, when given, receives the input bytes converted, so the caller can go on from
    // there.
    int32_t Convert(char* output, int32_t capacity, const char* input, int32_t length,
                    int32_t* consumed = nullptr) const;

private:
    uint32_t Mapped(uint32_t c) const { return map != nullptr ? map[c] : c; }
    void BuildByteTable();

    int32_t encoding = 0;
    char16_t byteTable[256];
    char16_t* map = nullptr;  // allocator block of 65536 entries, owned; null for the identity
};

}  // namespace vek
