// LinkCode: encoding and decoding the link symbols of numbers, hashes and ranges.
#include "foundation/streams/LinkCode.h"

#include <algorithm>
#include <limits>

#include "foundation/memory/Hash.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

constexpr char kLinkAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz*-";
constexpr int32_t kBitsPerSymbol = 6;
constexpr int32_t kSymbolMask = 63;
constexpr int32_t kDateSymbols = 3;
// The long link code: the byte hash modulo 16777213 in 4 symbols, then modulo 262139 in 3.
constexpr int32_t kLongLinkCodeWideSymbols = 4;
constexpr int32_t kLongLinkCodeShortSymbols = kLongLinkCodeLength - kLongLinkCodeWideSymbols;

uint32_t LinkSymbolValue(char symbol)
{
    int32_t c = static_cast<signed char>(symbol);
    if (c > 96)
        return uint32_t(c - 61);
    if (c > 64)
        return uint32_t(c - 55);
    if (c > 47)
        return uint32_t(c - 48);
    if (c == '*')
        return 62;
    if (c == '-')
        return 63;
    return 0;
}

// Symbols a positive card number needs; one for every 6 bits up to its highest set bit. (Writing
// (number >> 6) + 1 symbols, as older links do, gives 79 symbols for 5000 and millions for large card
// numbers; the extra high-order "0" symbols add nothing when read, so both forms read back alike.)
int32_t CardNumberSymbols(int32_t number)
{
    int32_t symbols = 1;
    for (uint32_t rest = uint32_t(number) >> kBitsPerSymbol; rest != 0; rest >>= kBitsPerSymbol)
        ++symbols;
    return symbols;
}

}  // namespace

void EncodeLinkDigits(std::span<char> output, int32_t number, int32_t count)
{
    if (output.empty())
        return;
    int32_t room = static_cast<int32_t>(std::min<size_t>(output.size() - 1, size_t(std::numeric_limits<int32_t>::max())));
    int32_t symbols = count < room ? count : room;
    int32_t i = 0;
    for (; i < symbols; ++i) {
        output[size_t(i)] = kLinkAlphabet[number & kSymbolMask];
        number >>= kBitsPerSymbol;
    }
    output[size_t(i)] = 0;
}

int32_t DecodeLinkDigits(std::string_view text, int32_t count)
{
    uint32_t value = 0;
    for (int32_t i = count - 1; i >= 0; --i) {
        value <<= kBitsPerSymbol;
        if (size_t(i) < text.size())
            value += LinkSymbolValue(text[size_t(i)]);
    }
    return static_cast<int32_t>(value);
}

void MakeLinkCode(String& text)
{
    char code[kLinkCodeLength + 1];
    EncodeLinkDigits(code, HashTextNoCase(text.CStr(), kLinkCodeModulus), kLinkCodeLength);
    text.AssignCStr(code);
}

void MakeLongLinkCode(String& text)
{
    char code[kLongLinkCodeLength + 1];
    std::span<char> output(code);
    EncodeLinkDigits(output, HashBytes(text.CStr(), kLinkCodeModulus), kLongLinkCodeWideSymbols);
    EncodeLinkDigits(output.subspan(kLongLinkCodeWideSymbols), HashBytes(text.CStr(), kLongLinkCodeShortModulus),
                     kLongLinkCodeShortSymbols);
    text.AssignCStr(code);
}

void EncodeLinkRange(std::span<char> output, int32_t first, int32_t second, LinkRangeSide side)
{
    if (output.empty())
        return;
    EncodeLinkDigits(output, first, kDateSymbols);
    if (side == LinkRangeSide::End && second == kOpenEndCardNumber)
        second = 0;
    if (side == LinkRangeSide::Start && second == 1)
        return;
    if (second <= 0 || output.size() <= size_t(kDateSymbols))
        return;
    EncodeLinkDigits(output.subspan(kDateSymbols), second, CardNumberSymbols(second));
}

LinkRange DecodeLinkRange(std::string_view text, LinkRangeSide side)
{
    LinkRange range;
    range.first = DecodeLinkDigits(text, kDateSymbols);
    if (text.size() <= size_t(kDateSymbols)) {
        range.second = side == LinkRangeSide::End ? kOpenEndCardNumber : 1;
        return range;
    }
    std::string_view card = text.substr(kDateSymbols);
    range.second = DecodeLinkDigits(card, static_cast<int32_t>(std::min<size_t>(card.size(), std::numeric_limits<int32_t>::max())));
    return range;
}

}  // namespace vek
