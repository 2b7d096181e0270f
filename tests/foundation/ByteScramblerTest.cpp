// Tests of ByteScrambler: the register steps, key mixing, the pool, saved states and the letter form.
#include "foundation/streams/ByteScrambler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/strings/String.h"

namespace vek {
namespace {

constexpr ScrambleMarker kTestMarker = {'t', 's', 't'};

std::vector<uint8_t> Draw(ByteScrambler& scrambler, int n)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < n; ++i)
        bytes.push_back(scrambler.NextByte());
    return bytes;
}

TEST(ByteScramblerTest, RegistersShiftAsOneWithTheFeedbackByte)
{
    // Worked by hand from A = B = C = 1: the low byte of C comes out, the three registers move up by
    // a byte, and A takes in (C >> 24) ^ ((B >> 10) & 255) ^ ((A >> 3) & 255).
    struct Step {
        uint8_t output;
        ByteScrambler::State after;  // A, B, C
    };
    const Step steps[] = {
        {1, {0x100, 0x100, 0x100}},
        {0, {0x10020, 0x10000, 0x10000}},
        {0, {0x1002044, 0x1000000, 0x1000000}},
        {0, {0x204409, 0x1, 0x1}},
        {1, {0x20440981, 0x100, 0x100}},
    };
    ByteScrambler scrambler;
    scrambler.Reset();
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(scrambler.NextByte(), steps[i].output);
        EXPECT_EQ(scrambler.SaveState(0), steps[i].after);
    }
}

TEST(ByteScramblerTest, FillPoolDrawsWithTheOldPool)
{
    ByteScrambler raw;
    std::vector<uint8_t> stream = Draw(raw, 256);

    // First fill: the pool is the first 64 bytes of the plain stream, XORed over what follows.
    ByteScrambler once;
    once.FillPool();
    std::vector<uint8_t> afterOne = Draw(once, 64);
    // Second fill: drawn through the first pool.
    ByteScrambler twice;
    twice.FillPool();
    twice.FillPool();
    std::vector<uint8_t> afterTwo = Draw(twice, 64);
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(afterOne[size_t(i)], stream[size_t(64 + i)] ^ stream[size_t(i)]);
        uint8_t secondPool = stream[size_t(64 + i)] ^ stream[size_t(i)];
        EXPECT_EQ(afterTwo[size_t(i)], stream[size_t(128 + i)] ^ secondPool);
    }
}

TEST(ByteScramblerTest, WipeRestoresTheRegistersAndClearsThePool)
{
    ByteScrambler scrambler;
    scrambler.MixText("key");
    scrambler.FillPool();
    scrambler.Wipe();
    EXPECT_EQ(scrambler.SaveState(0), (ByteScrambler::State{1, 1, 1}));
    EXPECT_EQ(scrambler.NextByte(), 1);  // low byte of C, pool zero
}

TEST(ByteScramblerTest, MixTextTakesTheUpperCasedBytesFromTheLast)
{
    ByteScrambler mixed;
    mixed.MixText("ab");

    ByteScrambler byHand;
    for (char byte : std::string("BA")) {
        ByteScrambler::State state = byHand.SaveState(0);
        state[0] ^= uint8_t(byte);
        byHand.LoadState(state, 0);
        byHand.NextByte();
    }
    for (int i = 0; i < 32; ++i)
        byHand.NextByte();
    EXPECT_EQ(mixed.SaveState(0), byHand.SaveState(0));

    ByteScrambler accented;
    accented.MixText("\xC3\xA5r");  // "år"
    ByteScrambler upper;
    upper.MixText("\xC3\x85R");  // "ÅR"
    EXPECT_EQ(accented.SaveState(0), upper.SaveState(0));
}

TEST(ByteScramblerTest, MixWordXorsIntoAThenStirs)
{
    ByteScrambler mixed;
    mixed.MixWord(0x12345678);
    ByteScrambler byHand;
    byHand.LoadState({1 ^ 0x12345678u, 1, 1}, 0);
    for (int i = 0; i < 16; ++i)
        byHand.NextByte();
    EXPECT_EQ(mixed.SaveState(0), byHand.SaveState(0));
}

TEST(ByteScramblerTest, SavedStateContinuesTheStreamOnlyWithTheSameMask)
{
    ByteScrambler writer;
    writer.MixText("password");
    ByteScrambler::State saved = writer.SaveState(0xA5A5F00Du);
    EXPECT_EQ(saved[1], writer.SaveState(0)[1] ^ 0xA5A5F00Du);
    std::vector<uint8_t> expected = Draw(writer, 32);

    ByteScrambler reader;
    reader.LoadState(saved, 0xA5A5F00Du);
    EXPECT_EQ(Draw(reader, 32), expected);

    ByteScrambler wrongMask;
    wrongMask.LoadState(saved, 0);
    EXPECT_NE(Draw(wrongMask, 32), expected);
}

TEST(ByteScramblerTest, PrintableCharactersStayBetweenBangAndTilde)
{
    ByteScrambler scrambler;
    scrambler.MixText("x");
    for (int i = 0; i < 2000; ++i) {
        char c = scrambler.NextPrintable();
        ASSERT_GE(c, '!');
        ASSERT_LE(c, '~');
    }
    String text;
    RandomPrintableText(text, 40);
    ASSERT_EQ(text.Length(), 40);
    for (int i = 0; i < text.Length(); ++i) {
        EXPECT_GE(text.CStr()[i], '!');
        EXPECT_LE(text.CStr()[i], '~');
    }
}

TEST(ByteScramblerTest, LetterFormRoundTrips)
{
    const char* texts[] = {"", "secret", "p\xC3\xA5ssw\xC3\xB6rd \xE2\x82\xAC 42", "tab\tand\rline"};
    for (const char* plain : texts) {
        SCOPED_TRACE(plain);
        String text;
        text.AssignCStr(plain);
        ASSERT_TRUE(ScrambleToLetters(text, "Key", kTestMarker));
        EXPECT_EQ(text.Length(), 2 * (int32_t(std::string(plain).size()) + 3));
        for (int i = 0; i < text.Length(); ++i) {
            EXPECT_GE(text.CStr()[i], 'a');
            EXPECT_LE(text.CStr()[i], 'p');
        }
        // The key is upper-cased, so its letter case does not matter.
        ASSERT_TRUE(UnscrambleFromLetters(text, "kEY", kTestMarker));
        EXPECT_STREQ(text.CStr(), plain);
    }
}

TEST(ByteScramblerTest, WrongKeyOrDamagedLettersGiveNothing)
{
    String scrambled;
    scrambled.AssignCStr("the base password");
    ASSERT_TRUE(ScrambleToLetters(scrambled, "right", kTestMarker));

    struct Case {
        const char* name;
        std::string letters;
        const char* key;
    };
    std::string letters(scrambled.CStr());
    std::string damaged = letters;
    damaged[1] = damaged[1] == 'a' ? 'b' : 'a';  // inside the marker
    const Case cases[] = {
        {"wrong key", letters, "wrong"},
        {"damaged marker", damaged, "right"},
        {"too short for the marker", letters.substr(0, 4), "right"},
        {"empty", "", "right"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        String text;
        text.AssignCStr(c.letters.c_str());
        EXPECT_FALSE(UnscrambleFromLetters(text, c.key, kTestMarker));
        EXPECT_EQ(text.Length(), 0);
    }

    // A last letter without a partner is ignored.
    String odd;
    odd.AssignCStr((letters + "c").c_str());
    EXPECT_TRUE(UnscrambleFromLetters(odd, "right", kTestMarker));
    EXPECT_STREQ(odd.CStr(), "the base password");
}

TEST(ByteScramblerTest, LetterFormPastTheLengthCapIsRefused)
{
    // Two letters a byte: a text of 16297 bytes and the marker fill exactly 32600 letters.
    String fits;
    fits.AssignRepeated('x', 16297);
    EXPECT_TRUE(ScrambleToLetters(fits, "k", kTestMarker));
    EXPECT_EQ(fits.Length(), String::kGrowthLimit);
    ASSERT_TRUE(UnscrambleFromLetters(fits, "k", kTestMarker));
    EXPECT_EQ(fits.Length(), 16297);

    String tooLong;
    tooLong.AssignRepeated('x', 16298);
    EXPECT_FALSE(ScrambleToLetters(tooLong, "k", kTestMarker));
    EXPECT_EQ(tooLong.Length(), 16298);
    EXPECT_EQ(tooLong.CStr()[0], 'x');
}

}  // namespace
}  // namespace vek

namespace vek {
namespace {

// XorStream is NextByte over a block: both give the same bytes and leave the same state behind.
TEST(ByteScramblerTest, XorStreamIsNextByteInOnePass)
{
    ByteScrambler one;
    ByteScrambler other;
    one.MixText("key");
    other.MixText("key");
    one.FillPool();
    other.FillPool();
    for (size_t n : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(1000)}) {
        SCOPED_TRACE(n);
        std::vector<uint8_t> bytes(n, 0x5A);
        one.XorStream(bytes);
        for (uint8_t byte : bytes)
            EXPECT_EQ(byte, uint8_t(0x5A ^ other.NextByte()));
        EXPECT_EQ(one.NextByte(), other.NextByte());
    }
}

}  // namespace
}  // namespace vek
