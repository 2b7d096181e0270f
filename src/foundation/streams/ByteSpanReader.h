// ByteSpanReader: reading numbers of stated width and byte order from a span of bytes, never past its end.
#pragma once

#include <cstdint>
#include <span>

namespace vek {

enum class ByteOrder { bigEndian, littleEndian };

// Reads file and wire formats field by field. Every read first checks that the bytes it needs remain;
// a read that would pass the end reads nothing, gives 0 and marks the reader failed, so a parser can
// read a whole record and check Failed once. The span must outlive the reader.
class ByteSpanReader {
public:
    explicit ByteSpanReader(std::span<const uint8_t> bytes) : bytes(bytes) {}

    int64_t Position() const { return position; }
    int64_t Remaining() const { return int64_t(bytes.size()) - position; }
    bool Failed() const { return failed; }
    // True when n more bytes can be read (n below 0 never can).
    bool Has(int64_t n) const { return n >= 0 && n <= Remaining(); }

    uint8_t U8()
    {
        if (!Need(1))
            return 0;
        return bytes[size_t(position++)];
    }
    uint16_t U16(ByteOrder order)
    {
        if (!Need(2))
            return 0;
        uint16_t a = bytes[size_t(position)];
        uint16_t b = bytes[size_t(position + 1)];
        position += 2;
        return order == ByteOrder::bigEndian ? uint16_t(a << 8 | b) : uint16_t(b << 8 | a);
    }
    uint32_t U32(ByteOrder order)
    {
        if (!Need(4))
            return 0;
        uint32_t value = 0;
        for (int32_t i = 0; i < 4; ++i) {
            uint32_t byte = bytes[size_t(position + i)];
            value |= order == ByteOrder::bigEndian ? byte << (24 - 8 * i) : byte << (8 * i);
        }
        position += 4;
        return value;
    }
    // The next n bytes (empty, and the reader failed, when fewer remain).
    std::span<const uint8_t> Bytes(int64_t n)
    {
        if (!Need(n))
            return {};
        std::span<const uint8_t> part = bytes.subspan(size_t(position), size_t(n));
        position += n;
        return part;
    }
    void Skip(int64_t n) { (void)Bytes(n); }

private:
    bool Need(int64_t n)
    {
        if (failed || !Has(n)) {
            failed = true;
            return false;
        }
        return true;
    }

    std::span<const uint8_t> bytes;
    int64_t position = 0;
    bool failed = false;
};

// Writes a number in the stated width and order at p (which must have room for it).
inline void PutU16(uint8_t* p, uint16_t value, ByteOrder order)
{
    p[order == ByteOrder::bigEndian ? 0 : 1] = uint8_t(value >> 8);
    p[order == ByteOrder::bigEndian ? 1 : 0] = uint8_t(value);
}
inline void PutU32(uint8_t* p, uint32_t value, ByteOrder order)
{
    for (int32_t i = 0; i < 4; ++i)
        p[order == ByteOrder::bigEndian ? i : 3 - i] = uint8_t(value >> (24 - 8 * i));
}

}  // namespace vek
