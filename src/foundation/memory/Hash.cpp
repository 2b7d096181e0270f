// Hash: the text, byte and number hashes, and the sizes of hash tables.
#include "foundation/memory/Hash.h"

#include <bit>

#include "foundation/memory/Primes.h"

namespace vek {

namespace {

constexpr int32_t kLargestTableCount = 1227132500;
constexpr int32_t kLargestTableSize = 0x7ffffd29;

// The last character of a text, upper-cased; 0 for an empty text.
uint32_t LastUpperChar(const char* text)
{
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    uint32_t last = 0;
    while (uint32_t c = detail::NextUpperChar(p))
        last = c;
    return last;
}

int32_t StepOrOne(uint32_t step)
{
    return step != 0 ? int32_t(step) : 1;
}

}  // namespace

int32_t HashTableSize(int32_t n)
{
    if (n > kLargestTableCount)
        return kLargestTableSize;
    int64_t wanted = n < 0 ? 0 : n;
    return int32_t(NextPrimeAbove(2 * wanted - (wanted >> 2) + 1024));
}

int32_t HashKeyExact(const char* text, int32_t m)
{
    if (m <= 0 || !text)
        return 0;
    return int32_t(detail::ExactProbeStart(text, detail::HashModulus(uint32_t(m))).first);
}

int32_t HashKeyNoCase(const char* text, int32_t m)
{
    if (m <= 0 || !text)
        return 0;
    return int32_t(detail::NoCaseProbeStart(text, detail::HashModulus(uint32_t(m))).first);
}

int32_t HashStepExact(const char* text)
{
    if (!text || text[0] == 0)
        return 1;
    const char* p = text;
    while (p[1] != 0)
        ++p;
    return static_cast<uint8_t>(*p);
}

int32_t HashStepNoCase(const char* text)
{
    if (!text)
        return 1;
    return StepOrOne(LastUpperChar(text) & 1023);
}

// A heap text's length is its block size - 1, so its last byte is found without a walk.
int32_t HashStepExactHeapText(ConstHeapText text)
{
    int32_t length = HeapTextLength(text);
    if (length <= 0)
        return 1;
    return StepOrOne(static_cast<uint8_t>(text[length - 1]));
}

int32_t HashStepNoCaseHeapText(ConstHeapText text)
{
    return HashStepNoCase(text);
}

int32_t HashTextNoCase(const char* text, int32_t m)
{
    if (m <= 0 || !text)
        return 0;
    detail::HashModulus modulus{uint32_t(m)};
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    uint32_t c = detail::NextUpperChar(p);
    if (c == 0)
        return 0;
    uint32_t h = modulus.Reduce(c);
    while ((c = detail::NextUpperChar(p)) != 0)
        h = modulus.Reduce(((h << 8) & 0x7fffff00u) ^ c);
    return int32_t(h);
}

int32_t HashBytes(const char* text, int32_t m)
{
    if (m <= 0 || !text || text[0] == 0)
        return 0;
    detail::HashModulus modulus{uint32_t(m)};
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    uint32_t h = *p++;
    for (; *p != 0; ++p)
        h = ((modulus.Reduce(h) << 8) & 0x7fffff00u) + *p;
    return int32_t(modulus.Reduce(h));
}

int32_t HashDouble(double x, int32_t m)
{
    if (m <= 0)
        return 0;
    auto bits = std::bit_cast<uint64_t>(x);
    uint32_t mixed = (uint32_t(bits >> 32) ^ uint32_t(bits)) & 0x7fffffffu;
    return int32_t(mixed % uint32_t(m));
}

int32_t HashStepDouble(double x)
{
    auto bits = std::bit_cast<uint64_t>(x);
    return 1 + int32_t((bits >> 40) & 0xff);
}

}  // namespace vek
