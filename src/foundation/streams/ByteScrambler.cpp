// ByteScrambler: the keyed byte stream, its seeding and mixing, and random printable texts.
#include "foundation/streams/ByteScrambler.h"

#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/numbers/RandomNumber.h"
#include "foundation/strings/String.h"

namespace vek {

namespace {

constexpr int32_t kPoolSize = 64;
constexpr int32_t kTextMixRounds = 32;
constexpr int32_t kWordMixRounds = 16;
constexpr int32_t kSeedRounds = 16;
constexpr int32_t kLettersPerByte = 2;

// Zero-fills memory in a way the compiler may not drop as a dead store.
void WipeBytes(void* bytes, size_t n)
{
    volatile uint8_t* p = static_cast<volatile uint8_t*>(bytes);
    for (size_t i = 0; i < n; ++i)
        p[i] = 0;
}

// Reset, MixText (key), FillPool: the set-up of both directions of the letter form.
void KeyForLetters(ByteScrambler& scrambler, std::string_view key)
{
    scrambler.Reset();
    scrambler.MixText(key);
    scrambler.FillPool();
}

}  // namespace

void ByteScrambler::Reset()
{
    a = b = c = 1;
    poolIndex = 0;
    WipeBytes(pool.data(), pool.size());
}

void ByteScrambler::Wipe()
{
    volatile uint32_t* registers[] = {&a, &b, &c};
    for (volatile uint32_t* r : registers)
        *r = 1;
    WipeBytes(pool.data(), pool.size());
}

uint8_t ByteScrambler::NextByte()
{
    uint8_t result = static_cast<uint8_t>(c & 255) ^ pool[poolIndex];
    uint32_t feedback = ((c >> 24) ^ ((b >> 10) & 255) ^ ((a >> 3) & 255)) & 255;
    c = (c << 8) | (b >> 24);
    b = (b << 8) | (a >> 24);
    a = (a << 8) | feedback;
    poolIndex = (poolIndex + 1) % kPoolSize;
    return result;
}

void ByteScrambler::XorStream(std::span<uint8_t> bytes)
{
    uint32_t ra = a;
    uint32_t rb = b;
    uint32_t rc = c;
    int32_t index = poolIndex;
    for (uint8_t& byte : bytes) {
        uint8_t out = static_cast<uint8_t>(rc & 255) ^ pool[size_t(index)];
        uint32_t feedback = ((rc >> 24) ^ ((rb >> 10) & 255) ^ ((ra >> 3) & 255)) & 255;
        rc = (rc << 8) | (rb >> 24);
        rb = (rb << 8) | (ra >> 24);
        ra = (ra << 8) | feedback;
        index = (index + 1) % kPoolSize;
        byte ^= out;
    }
    a = ra;
    b = rb;
    c = rc;
    poolIndex = index;
}

char ByteScrambler::NextPrintable() { return static_cast<char>(NextByte() % 94 + 33); }

void ByteScrambler::MixText(std::string_view key)
{
    String upper;
    upper.AssignBytes(key.data(), static_cast<int32_t>(key.size()));
    CStrToUpper(upper.Data());
    MixKeyBytes(upper);
    upper.WipeAndClear();
}

void ByteScrambler::MixKeyBytes(const String& key)
{
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(key.CStr());
    for (int32_t i = key.Length() - 1; i >= 0; --i) {
        a ^= bytes[i];
        NextByte();
    }
    for (int32_t i = 0; i < kTextMixRounds; ++i)
        NextByte();
}

void ByteScrambler::MixWord(uint32_t word)
{
    a ^= word;
    for (int32_t i = 0; i < kWordMixRounds; ++i)
        NextByte();
}

void ByteScrambler::FillPool()
{
    std::array<uint8_t, kPoolSize> fresh;
    for (uint8_t& byte : fresh)
        byte = NextByte();
    pool = fresh;
    WipeBytes(fresh.data(), fresh.size());
}

void ByteScrambler::SeedFromClock()
{
    a = static_cast<uint32_t>(RandomNumber());
    b = static_cast<uint32_t>(RandomNumber());
    c = static_cast<uint32_t>(RandomNumber());
    for (int32_t i = 0; i < kSeedRounds; ++i)
        NextByte();
    poolIndex = 0;
}

ByteScrambler::State ByteScrambler::SaveState(uint32_t mask) const { return {a, b ^ mask, c}; }

void ByteScrambler::LoadState(const State& state, uint32_t mask)
{
    a = state[0];
    b = state[1] ^ mask;
    c = state[2];
}

void RandomPrintableText(String& text, int32_t n)
{
    ByteScrambler scrambler;
    scrambler.SeedFromClock();
    text.AssignCStr("");
    for (int32_t i = 0; i < n; ++i)
        text.AppendChar(scrambler.NextPrintable());
}

bool ScrambleToLetters(String& text, std::string_view key, const ScrambleMarker& marker)
{
    int64_t plainLength = int64_t(marker.size()) + text.Length();
    if (plainLength * kLettersPerByte > String::kGrowthLimit)
        return false;
    String letters;
    if (letters.Reserve(static_cast<int32_t>(plainLength * kLettersPerByte)) < plainLength * kLettersPerByte)
        return false;
    ByteScrambler scrambler;
    KeyForLetters(scrambler, key);
    auto put = [&](uint8_t plain) {
        uint8_t x = plain ^ scrambler.NextByte();
        letters.AppendChar(static_cast<char>('a' + (x >> 4)));
        letters.AppendChar(static_cast<char>('a' + (x & 15)));
    };
    for (uint8_t byte : marker)
        put(byte);
    const uint8_t* plain = reinterpret_cast<const uint8_t*>(text.CStr());
    for (int32_t i = 0; i < text.Length(); ++i)
        put(plain[i]);
    scrambler.Wipe();
    // The plain text was a secret: leave none of it in the old buffers.
    text.WipeAndClear();
    text.Assign(letters);
    return true;
}

bool UnscrambleFromLetters(String& text, std::string_view key, const ScrambleMarker& marker)
{
    ByteScrambler scrambler;
    KeyForLetters(scrambler, key);
    String plain;
    const uint8_t* letters = reinterpret_cast<const uint8_t*>(text.CStr());
    int32_t pairs = text.Length() / kLettersPerByte;
    for (int32_t i = 0; i < pairs; ++i) {
        uint8_t high = letters[2 * i];
        uint8_t low = letters[2 * i + 1];
        uint8_t x = static_cast<uint8_t>(((high - 'a') * 16 + ((low - 'a') & 15)) & 255);
        plain.AppendChar(static_cast<char>(x ^ scrambler.NextByte()));
    }
    scrambler.Wipe();
    bool marked = plain.Length() >= int32_t(marker.size()) &&
                  std::memcmp(plain.CStr(), marker.data(), marker.size()) == 0;
    text.WipeAndClear();
    if (marked)
        text.AssignBytes(plain.CStr() + marker.size(), plain.Length() - int32_t(marker.size()));
    plain.WipeAndClear();
    return marked;
}

}  // namespace vek
