// Hash: text and number hashes reduced modulo a table size, some of them stored in files.
#pragma once

#include <cstdint>

#include "foundation/strings/CharTables.h"
#include "foundation/strings/HeapText.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

// Text and number hashes, each reduced modulo a table size m. A size of 0 or below gives 0 from every
// one of them. The rules are fixed: `HashTextNoCase` values are stored (password hashes, keychain
// accounts), and the others decide where hash tables put their entries.
//
// Case-insensitive hashes read the text as UTF-8 characters and map the code points below U+0800
// through the upper-case table. They decode with the library's decoder (a byte that starts no
// well-formed sequence counts as one U+FFFD) and never read beyond the NUL, so texts that
// CStrEqualNoCase calls equal hash equally.

// Table size for n expected entries: the next prime above 2n - n/4 + 1024 (1031 for 0 entries), so
// tables start at most 57 % full; 0x7ffffd29 above 1227132500 entries.
int32_t HashTableSize(int32_t n);
// The count beyond which an owner rebuilds its table: seven eighths of the size.
constexpr int32_t HashLoadLimit(int32_t size) { return size - (size >> 3); }

// First probe of exact keys (key kind 4): the first three bytes at once, then byte by byte for large
// tables and two bytes at a time for tables of at most 65535 slots.
int32_t HashKeyExact(const char* text, int32_t m);
// First probe of case-insensitive keys: the same shape over upper-cased characters.
int32_t HashKeyNoCase(const char* text, int32_t m);
// Probe steps: the last byte (exact) or the upper-cased last character and 1023. A step that would be
// 0 (an empty key, a last character at a multiple of 1024) is 1, so that every probe advances; with a
// prime table size above 1024 every step visits every slot.
int32_t HashStepExact(const char* text);
int32_t HashStepNoCase(const char* text);
int32_t HashStepExactHeapText(ConstHeapText text);
int32_t HashStepNoCaseHeapText(ConstHeapText text);

// General text hash over upper-cased characters: h = c0 mod m, then h = (((h << 8) and 0x7fffff00)
// xor c) mod m for each further character; 0 for null or empty.
int32_t HashTextNoCase(const char* text, int32_t m);
// General byte hash over the bytes of a C string; 0 for null or empty.
int32_t HashBytes(const char* text, int32_t m);
// Hash of a double's bits (high word xor low word) and its probe step, 1..256.
int32_t HashDouble(double x, int32_t m);
int32_t HashStepDouble(double x);

namespace detail {

// Reduction modulo a table size m (1 <= m < 2^31) without a division: m is fixed per table, and the
// first probe reduces once per key character. Exact for every 32-bit dividend (Lemire's fastmod).
class HashModulus {
public:
    explicit HashModulus(uint32_t m) : divisor(m), inverse(UINT64_MAX / m + 1) {}
    uint32_t Divisor() const { return divisor; }
    uint32_t Reduce(uint32_t a) const
    {
        uint64_t fraction = inverse * a;
        return uint32_t((static_cast<unsigned __int128>(fraction) * divisor) >> 64);
    }

private:
    uint32_t divisor;
    uint64_t inverse;
};

// The upper case of an ASCII byte: what the upper-case table gives for it (only a-z change), without
// the table.
[[gnu::always_inline]] inline uint32_t AsciiUpper(uint8_t byte)
{
    return byte - (uint32_t(uint8_t(byte - 'a') < 26) << 5);
}

// The next upper-cased character of a text and the pointer past it; 0 at the NUL, where the pointer
// stays. ASCII is mapped without decoding; everything else goes through the library's decoder, which
// steps through a text exactly as the comparisons do.
[[gnu::always_inline]] inline uint32_t NextUpperChar(const uint8_t*& p)
{
    uint8_t byte = *p;
    if (byte < 0x80) {
        p += byte != 0;
        return AsciiUpper(byte);
    }
    utf8::Sequence sequence = utf8::Decode(p, nullptr);
    p += sequence.length;
    return ToUpperChar(sequence.codePoint);
}

// First probe, step and tag of a key, in one pass over its bytes. The tag is an 8-bit digest of the
// same characters, independent of the probe: a table keeps it beside each slot so that a probe
// compares keys only when the tags agree.
struct ProbeStart {
    uint32_t first;
    uint32_t step;
    uint8_t tag;
    uint32_t length;  // bytes of the text (case-insensitive keys only)
};

class TagMixer {
public:
    void Add(uint32_t c) { mix = (mix ^ c) * 0x9E3779B1u; }
    uint8_t Tag() const { return uint8_t(mix >> 24); }

private:
    uint32_t mix = 0x811C9DC5u;
};

[[gnu::always_inline]] inline ProbeStart ExactProbeStart(const char* text, const HashModulus& modulus)
{
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    uint32_t m = modulus.Divisor();
    TagMixer mixer;
    if (p[0] == 0)
        return {0, 1, mixer.Tag(), 0};
    mixer.Add(p[0]);
    if (p[1] == 0)
        return {modulus.Reduce(p[0]), p[0], mixer.Tag(), 0};
    mixer.Add(p[1]);
    if (p[2] == 0)
        return {modulus.Reduce(uint32_t(p[0]) << 8 | p[1]), p[1], mixer.Tag(), 0};
    mixer.Add(p[2]);
    uint32_t h = modulus.Reduce(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    uint8_t last = p[2];
    p += 3;
    if (m > 65535) {
        for (; *p != 0; ++p) {
            h = modulus.Reduce(((h << 8) & 0x7fffff00u) | *p);
            mixer.Add(*p);
            last = *p;
        }
    } else {
        // Pairs of bytes; a pair that starts at the NUL is not read.
        while (p[0] != 0) {
            uint8_t b = p[0];
            uint8_t c = p[1];
            h = modulus.Reduce(h << 15 | uint32_t(b) << 8 | c);
            mixer.Add(b);
            if (c == 0) {
                last = b;
                break;
            }
            mixer.Add(c);
            last = c;
            p += 2;
        }
    }
    return {h, last, mixer.Tag(), 0};  // the step is never 0: the last byte of a non-empty text
}

[[gnu::always_inline]] inline ProbeStart NoCaseProbeStart(const char* text, const HashModulus& modulus)
{
    const auto* start = reinterpret_cast<const uint8_t*>(text);
    const auto* p = start;
    uint32_t m = modulus.Divisor();
    TagMixer mixer;
    uint32_t c0 = NextUpperChar(p);
    if (c0 == 0)
        return {0, 1, mixer.Tag(), 0};
    mixer.Add(c0);
    uint32_t c1 = NextUpperChar(p);
    if (c1 == 0)
        return {modulus.Reduce(c0), (c0 & 1023) != 0 ? (c0 & 1023) : 1, mixer.Tag(), uint32_t(p - start)};
    mixer.Add(c1);
    uint32_t h = modulus.Reduce((c0 << 8) ^ c1);
    uint32_t last = c1;
    if (m > 65535) {
        while (uint32_t c = NextUpperChar(p)) {
            h = modulus.Reduce(((h << 8) & 0x7fffff00u) ^ c);
            mixer.Add(c);
            last = c;
        }
    } else {
        // Pairs of characters; a pair that starts at the end is not read.
        while (uint32_t c = NextUpperChar(p)) {
            uint32_t d = NextUpperChar(p);
            h = modulus.Reduce((h << 15) ^ (c << 8) ^ d);
            mixer.Add(c);
            if (d == 0) {
                last = c;
                break;
            }
            mixer.Add(d);
            last = d;
        }
    }
    return {h, (last & 1023) != 0 ? (last & 1023) : 1, mixer.Tag(), uint32_t(p - start)};
}

}  // namespace detail

}  // namespace vek
