// ByteTextConverter: the byte table of an encoding and the character mappings of import setups.
#include "foundation/strings/ByteTextConverter.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/Utf8Sequence.h"

namespace vek {

namespace {

constexpr int32_t kMapEntries = 65536;
constexpr int32_t kMaxCharBytes = 3;

}  // namespace

ByteTextConverter::ByteTextConverter() { BuildByteTable(); }

ByteTextConverter::~ByteTextConverter() { MemFree(map); }

void ByteTextConverter::SetEncoding(int32_t id)
{
    encoding = id;
    BuildByteTable();
}

void ByteTextConverter::BuildByteTable()
{
    for (int32_t b = 0; b < 256; ++b)
        byteTable[b] = static_cast<char16_t>(Mapped(CodePageCharToUnicode(static_cast<uint8_t>(b), encoding)));
}

void ByteTextConverter::SetCharMappings(const char* from, const char* to)
{
    MemFree(map);
    map = nullptr;
    if (from != nullptr && to != nullptr) {
        const char* f = from;
        const char* t = to;
        for (;;) {
            uint32_t a = Utf8NextChar(f);
            uint32_t b = Utf8NextChar(t);
            if (a == 0 || b == 0)
                break;
            if (a == b)
                continue;
            if (map == nullptr) {
                map = static_cast<char16_t*>(MemAlloc(kMapEntries * static_cast<int32_t>(sizeof(char16_t))));
                if (map == nullptr)
                    break;
                for (int32_t c = 0; c < kMapEntries; ++c)
                    map[c] = static_cast<char16_t>(c);
            }
            map[a] = static_cast<char16_t>(b);
        }
    }
    BuildByteTable();
}

int32_t ByteTextConverter::Convert(char* output, int32_t capacity, const char* input, int32_t length,
                                   int32_t* consumed) const
{
    int32_t out = 0;
    const char* p = input;
    const char* end = input + (length > 0 ? length : 0);
    while (p < end && capacity - out >= kMaxCharBytes) {
        uint32_t c;
        if (encoding == kEncodingUtf8) {
            c = Utf8NextCharIn(p, end);
        } else if (IsUtf16Encoding(encoding)) {
            if (end - p < 2) {
                c = kReplacementChar;  // an odd byte at the end
                ++p;
            } else {
                const uint8_t* q = reinterpret_cast<const uint8_t*>(p);
                c = encoding == kEncodingUtf16Le ? NextUtf16LeUnit(q) : NextUtf16BeUnit(q);
                if (utf8::IsHighSurrogate(c) && end - reinterpret_cast<const char*>(q) >= 2) {
                    const uint8_t* r = q;
                    uint32_t next = encoding == kEncodingUtf16Le ? NextUtf16LeUnit(r) : NextUtf16BeUnit(r);
                    if (utf8::IsLowSurrogate(next))
                        q = r;
                }
                if (utf8::IsHighSurrogate(c) || utf8::IsLowSurrogate(c))
                    c = kReplacementChar;
                p = reinterpret_cast<const char*>(q);
            }
        } else {
            out += Utf8EncodeChar(output + out, byteTable[static_cast<uint8_t>(*p++)]);
            continue;
        }
        out += Utf8EncodeChar(output + out, Mapped(c));
    }
    if (consumed != nullptr)
        *consumed = static_cast<int32_t>(p - input);
    return out;
}

}  // namespace vek
