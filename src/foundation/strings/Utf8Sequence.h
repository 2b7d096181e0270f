// Utf8Sequence: the one UTF-8 decoder behind every text walk of the library.
#pragma once

#include <cstdint>

namespace vek::utf8 {

// The one UTF-8 decoder behind every text walk of the library (Utf8.h gives its public forms).
struct Sequence {
    uint32_t codePoint;  // U+FFFD for a bad byte and for a 4-byte sequence
    int32_t length;      // bytes stepped over: 1 for a bad byte or the NUL
    bool bad;            // the byte at p starts no well-formed sequence of 1 to 4 bytes
    bool cutShort;       // bad only because `end` came before the sequence was complete
};

// Decodes the sequence at p. With end null the bytes end at their NUL (which is never a continuation
// byte, so no read passes it); otherwise only bytes before end are read (p < end). Overlong forms,
// UTF-16 surrogates and code points beyond U+10FFFF are bad.
inline Sequence Decode(const uint8_t* p, const uint8_t* end)
{
    uint8_t lead = p[0];
    if (lead < 0x80)
        return {lead, 1, false, false};
    int32_t need;
    uint32_t codePoint;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        codePoint = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        codePoint = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {0xFFFD, 1, true, false};
    }
    for (int32_t i = 1; i <= need; ++i) {
        if (end != nullptr && p + i >= end)
            return {0xFFFD, 1, true, true};
        uint8_t next = p[i];
        if (next < low || next > high)
            return {0xFFFD, 1, true, false};
        low = 0x80;
        high = 0xBF;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    if (need == 3)
        return {0xFFFD, 4, false, false};
    return {codePoint, need + 1, false, false};
}

// Whether a UTF-16 unit is the first or second half of a surrogate pair.
constexpr bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace vek::utf8
