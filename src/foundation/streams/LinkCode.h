// LinkCode: short texts that stand for numbers inside URL queries, over an alphabet never escaped.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vek {

class String;

// Link codes: short texts that stand for numbers inside URL queries (hashes of names, card keys),
// over an alphabet that never needs escaping. Every rule here is fixed: links written by one build
// must read back in another.
//
// Alphabet, in value order: "0"-"9" are 0-9, "A"-"Z" 10-35, "a"-"z" 36-61, "*" 62, "-" 63. A number is
// written as a count of symbols of 6 bits each, the lowest 6 bits first.
//
//   | form           | symbols | meaning                                                             |
//   |----------------|---------|---------------------------------------------------------------------|
//   | link code      | 4       | HashTextNoCase (name, 16777213): letter case does not count         |
//   | long link code | 7       | 4 of HashBytes (name, 16777213), 3 of HashBytes (name, 262139)      |
//   | link range     | 3 + k   | a date in 3 symbols (18 bits), then a card number in k symbols      |

constexpr int32_t kLinkCodeModulus = 16777213;        // 0xfffffd
constexpr int32_t kLongLinkCodeShortModulus = 262139;  // 0x3fffb
constexpr int32_t kLinkCodeLength = 4;
constexpr int32_t kLongLinkCodeLength = 7;
// The card number that stands for the open end of a range of card keys.
constexpr int32_t kOpenEndCardNumber = 0x7fffffff;
// Room for any link range and its NUL: 3 symbols of the date and at most 6 of the card number.
constexpr int32_t kLinkRangeBufferSize = 10;

// Writes `count` symbols of the number (lowest first; the value shifts right arithmetically) and a
// NUL; a count of 0 or less writes only the NUL. A buffer shorter than count + 1 receives as many
// symbols as fit before the NUL; an empty buffer receives nothing.
void EncodeLinkDigits(std::span<char> output, int32_t number, int32_t count);
// The number that the first `count` symbols stand for (0 for a count of 0 or less). Symbols beyond the
// text add nothing. The alphabet is not checked: other bytes take values by the same rules (a byte
// taken as a signed character above 96 gives c - 61, above 64 c - 55, above 47 c - 48; "*" 62, "-" 63;
// anything else 0). Values wrap around in 32 bits.
int32_t DecodeLinkDigits(std::string_view text, int32_t count);

// Replace the text by its link code, or by its long link code (which depends on letter case).
void MakeLinkCode(String& text);
void MakeLongLinkCode(String& text);

enum class LinkRangeSide { Start, End };

// The link range of a card key: the date (`first`, a packed date) in 3 symbols, then the card number
// (`second`) in as few symbols as hold it. A start key with card number 1, an end key with the
// open-end card number, and card numbers below 1 write the 3 date symbols alone. The output needs
// kLinkRangeBufferSize bytes; a shorter one receives what fits before the NUL.
void EncodeLinkRange(std::span<char> output, int32_t first, int32_t second, LinkRangeSide side);

struct LinkRange {
    int32_t first = 0;
    int32_t second = 0;
};

// The reverse: the first 3 symbols give the date; a text of fewer than 4 symbols gives card number 1
// for a start and the open-end card number for an end, a longer one the value of all symbols after
// the third.
LinkRange DecodeLinkRange(std::string_view text, LinkRangeSide side);

}  // namespace vek
