// ByteScrambler: a keyed generator of bytes that hides texts and blocks from plain view.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vek {

class String;

// A keyed generator of a byte stream. XORed over data it hides texts and blocks from plain view (the
// scrambled block container, protected texts in memory); it keeps out the curious, not an attacker.
//
// State: three 32-bit registers A, B, C, shifted together as one 96-bit register, and a pool of 64
// bytes that is XORed over the output. The key material (the marker of the letter form, the mask of
// the saved state, the seeds and key texts) belongs to the formats that use the scrambler and is
// passed in by them.
//
// A scrambler lives on the stack of one operation and is wiped when it goes (or earlier by Wipe).
class ByteScrambler {
public:
    // The registers A, B, C as SaveState gives them out.
    using State = std::array<uint32_t, 3>;

    ByteScrambler() { Reset(); }
    ~ByteScrambler() { Wipe(); }
    ByteScrambler(const ByteScrambler&) = delete;
    ByteScrambler& operator=(const ByteScrambler&) = delete;

    // A = B = C = 1, pool index 0, pool zero.
    void Reset();
    // A = B = C = 1 and the pool zero; the pool index stays.
    void Wipe();

    // The next stream byte: the low byte of C XOR the pool byte at the index. Then the registers shift
    // left by 8 as one 96-bit register (C above B above A) and A's low byte becomes
    // (old C >> 24) ^ ((old B >> 10) & 255) ^ ((old A >> 3) & 255); the index advances modulo 64.
    uint8_t NextByte();
    // NextByte mod 94 + 33: a character "!" to "~".
    char NextPrintable();
    // Each byte XOR NextByte, in order: the same as a loop of NextByte, in one pass over a block.
    void XorStream(std::span<uint8_t> bytes);

    // Mixes a key text into the state: the text is upper-cased, and its bytes, from the last to the
    // first, are each XORed into A and followed by one NextByte; then 32 more NextByte.
    void MixText(std::string_view key);
    // The same with the upper-cased text converted to the code page of the encoding id first (0 is
    // UTF-8: no conversion), for keys of files written in a code page. Kept in its own source file,
    // ByteScramblerCodePage.cpp: it is the scrambler's one use of the code-page tables.
    void MixText(std::string_view key, int32_t encoding);
    // A ^= word, then 16 NextByte.
    void MixWord(uint32_t word);
    // 64 NextByte results, drawn with the old pool, become the new pool.
    void FillPool();
    // A, B and C from three RandomNumber calls, then 16 NextByte, then pool index 0.
    void SeedFromClock();

    // The registers out and in (the pool and the index stay); B is XORed with the mask both ways.
    State SaveState(uint32_t mask) const;
    void LoadState(const State& state, uint32_t mask);

private:
    // The bytes of the prepared key text, from the last to the first.
    void MixKeyBytes(const String& key);

    uint32_t a = 1;
    uint32_t b = 1;
    uint32_t c = 1;
    int32_t poolIndex = 0;
    std::array<uint8_t, 64> pool{};
};

// The 3 bytes that the letter form puts in front of its text, so that a wrong key can be told.
using ScrambleMarker = std::array<uint8_t, 3>;

// Replaces the string by n random printable characters from a scrambler seeded from the clock
// (a call waits a few milliseconds for the clock).
void RandomPrintableText(String& text, int32_t n);

// The letter form, a printable form of scrambled text: the marker and the text, each byte XORed with
// the stream of a scrambler keyed by the key text (Reset, MixText (key), FillPool) and written as
// two letters "a" + (x >> 4) and "a" + (x & 15). The key's letter case does not matter.
// Returns false, leaving the text as it was, when the letter form would pass the length cap of String.
[[nodiscard]] bool ScrambleToLetters(String& text, std::string_view key, const ScrambleMarker& marker);
// The reverse. Returns true and leaves the text after the marker when the unscrambled bytes begin with
// the marker; otherwise (a wrong key, damaged letters) empties the string and returns false. A last
// letter without a partner is ignored.
[[nodiscard]] bool UnscrambleFromLetters(String& text, std::string_view key, const ScrambleMarker& marker);

}  // namespace vek
