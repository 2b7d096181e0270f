// BitSet: a set of small non-negative integers, such as the component numbers of a dimension.
#pragma once

#include <cstdint>

namespace vek {

// A set of small non-negative integers (in practice the component numbers of one dimension) kept as
// Count() bits in 32-bit words: bit i is bit i mod 32 (from the least significant) of word i / 32.
// The block holds one word for up to 32 bits, else ceil(n / 32) words, and is reallocated to exactly
// that whenever the size changes. Bits at and beyond Count() inside the last word are not kept clear:
// set-wide operations work on whole words, and counting, comparing and searching ignore them.
//
// Bit numbers are checked: a bit outside 0..Count()-1 reads as clear and is never written. Set algebra
// between sets of different counts works on the words both have.
class BitSet {
public:
    // Allocates the block for n bits (a negative n counts as 0); when that fails the set is empty
    // with no block.
    explicit BitSet(int32_t n = 0, int32_t flags = 0);
    ~BitSet();
    BitSet(BitSet&& other) noexcept;
    BitSet& operator=(BitSet&& other) noexcept;
    BitSet(const BitSet&) = delete;
    BitSet& operator=(const BitSet&) = delete;

    // Takes the other's count and bits with the given flags (BitSetCopy: with the other's flags);
    // false and empty when memory runs short.
    [[nodiscard]] bool InitCopy(const BitSet& other, int32_t newFlags);
    [[nodiscard]] bool BitSetCopy(const BitSet& other);
    // Releases the block; the set is then empty with no block.
    void Free();

    int32_t Count() const { return count; }
    int32_t Flags() const { return flags; }
    // Words in the block (0 when there is none).
    int32_t WordCount() const;
    uint32_t* Words() { return data; }
    const uint32_t* Words() const { return data; }
    // Block footprint + 12 (the record size of the set itself).
    int64_t MemorySize() const;

    // n bits; the first min(old, n) keep their values, new ones are undefined. False (count and bits
    // unchanged) when memory runs short or n is negative.
    [[nodiscard]] bool Resize(int32_t n);
    // Resize, then the bits from the old count up to n - 1 set or cleared; the result is the resize's.
    [[nodiscard]] bool ResizeFill(int32_t n, bool value);
    // Copies the other's words (those both have).
    void Assign(const BitSet& other);

    bool GetBit(int32_t i) const;
    void SetBit(int32_t i, bool value);
    void ToggleBit(int32_t i);
    // Set bits below Count().
    int32_t BitCount() const;
    // The smallest set bit greater than i, or -1; start with -1 to find the first.
    int32_t NextSet(int32_t i) const;
    // Same count and every bit below it equal.
    bool Equals(const BitSet& other) const;

    void Or(const BitSet& other);
    void And(const BitSet& other);
    void AndNot(const BitSet& other);  // this and not other
    void Xor(const BitSet& other);
    // Every word all ones when value > 0, else all zeros.
    void SetAll(int32_t value);
    void Invert();

    // Reads n component numbers stored big-endian in `width` bytes each (2, 3 or 4) from `line`; true
    // when every one is in the set (a number at or beyond Count() is not). Any other width gives true.
    bool ContainsAllComponents(const uint8_t* line, int32_t width, int32_t n) const;

private:
    static int64_t BlockBytes(int32_t n);
    bool CopyFrom(const BitSet& other, int32_t newFlags);
    // The last word's bits that lie below Count().
    uint32_t LastWordMask() const;

    int32_t count = 0;
    uint32_t* data = nullptr;
    int32_t flags = 0;
};

}  // namespace vek
