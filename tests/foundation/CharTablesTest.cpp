// Tests of CharTables: case mapping, accent folding, composition and the encoded lengths kept.
#include "foundation/strings/CharTables.h"

#include <gtest/gtest.h>

#include "foundation/strings/Utf8.h"

namespace vek {
namespace {

TEST(CharTablesTest, CaseMapping)
{
    struct Case {
        uint32_t codePoint;
        uint32_t upper;
        uint32_t lower;
    } cases[] = {
        {'a', 'A', 'a'},
        {'Z', 'Z', 'z'},
        {'@', '@', '@'},
        {0xE9, 0xC9, 0xE9},
        {0xD7, 0xD7, 0xD7},  // the multiplication sign between the capitals
        {0xF7, 0xF7, 0xF7},
        {0xDE, 0xDE, 0xDE},  // outside the ranges
        {0xFF, 0xFF, 0xFF},
        {0x100, 0x100, 0x101},
        {0x137, 0x136, 0x137},
        {0x138, 0x138, 0x138},
        {0x1C4, 0x1C4, 0x1C6},  // triples: capital, title form, small letter
        {0x1C5, 0x1C4, 0x1C6},
        {0x1C6, 0x1C4, 0x1C6},
        {0x1F2, 0x1F1, 0x1F3},
        {0x3B1, 0x391, 0x3B1},
        {0x42F, 0x42F, 0x44F},
        {0x4F9, 0x4F8, 0x4F9},
        {0x7FF, 0x7FF, 0x7FF},
        {0x800, 0x800, 0x800},
        {0x10A0, 0x10A0, 0x10A0},
        {0xFFFD, 0xFFFD, 0xFFFD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePoint);
        EXPECT_EQ(ToUpperChar(c.codePoint), c.upper);
        EXPECT_EQ(ToLowerChar(c.codePoint), c.lower);
    }
}

// Case conversion rewrites characters in place: no table entry may change a character's UTF-8 length.
TEST(CharTablesTest, EveryMappingKeepsTheEncodedLength)
{
    for (uint32_t c = 0; c < kCharTableSize; ++c) {
        ASSERT_EQ(Utf8EncodedLength(ToUpperChar(c)), Utf8EncodedLength(c)) << c;
        ASSERT_EQ(Utf8EncodedLength(ToLowerChar(c)), Utf8EncodedLength(c)) << c;
        // Upper-casing is idempotent, so case-insensitive comparison is an equivalence.
        ASSERT_EQ(ToUpperChar(ToUpperChar(c)), ToUpperChar(c)) << c;
        ASSERT_EQ(ToUpperChar(ToLowerChar(c)), ToUpperChar(c)) << c;
    }
}

TEST(CharTablesTest, AccentFolding)
{
    struct Case {
        uint32_t codePoint;
        uint32_t folded;
    } cases[] = {
        {0xC0, 'A'}, {0xC7, 'C'}, {0xD7, 0xD7}, {0xDD, 'Y'}, {0xDE, 0xDE}, {0xE9, 'e'},
        {0xF7, 0xF7}, {0xFD, 'y'}, {0x141, 'L'}, {0x142, 'l'}, {0x132, 0x132}, {0x160, 'S'},
        {0x17E, 'z'}, {0x1DD, 0x1DD}, {0x1F0, 'j'}, {0x24F, 'y'}, {0x250, 0x250}, {'a', 'a'},
        {0x800, 0x800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codePoint);
        EXPECT_EQ(FoldAccentChar(c.codePoint), c.folded);
    }
}

TEST(CharTablesTest, ComposeWithMark)
{
    struct Case {
        uint32_t base;
        uint32_t mark;
        uint32_t composed;
    } cases[] = {
        {'e', 0x301, 0xE9},
        {'A', 0x30A, 0xC5},
        {'o', 0x308, 0xF6},
        {'n', 0x303, 0xF1},
        {'C', 0x30C, 0x10C},
        {'z', 0x307, 0x17C},
        {'a', 0x30F, 0x201},
        {'u', 0x311, 0x217},
        {'O', 0x30B, 0x150},
        {'g', 0x301, 0x1F5},
        {'d', 0x30C, 0},  // the eight pairs that stay apart
        {'t', 0x30C, 0},
        {'j', 0x30C, 0},
        {'L', 0x30C, 0},
        {'l', 0x30C, 0},
        {'L', 0x301, 0},
        {'l', 0x301, 0},
        {'I', 0x307, 0},
        {'W', 0x300, 0},  // composed letter beyond U+0250
        {'e', 0x323, 0},  // a mark not covered
        {'1', 0x301, 0},
        {0xE9, 0x301, 0},
        {'e', 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.base) + " + " + std::to_string(c.mark));
        EXPECT_EQ(ComposeWithMark(c.base, c.mark), c.composed);
    }
}

TEST(CharTablesTest, AsciiCaseAndCaseCodes)
{
    EXPECT_EQ(AsciiToUpper('a'), 'A');
    EXPECT_EQ(AsciiToUpper('z'), 'Z');
    EXPECT_EQ(AsciiToUpper('{'), '{');
    EXPECT_EQ(AsciiToUpper('\xE9'), '\xE9');
    EXPECT_EQ(AsciiToLower('A'), 'a');
    EXPECT_EQ(AsciiToLower('@'), '@');

    const char letters[] = "ULDWSN";
    for (int32_t mode = 0; mode < 6; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(CaseCodeLetter(mode), letters[mode]);
        EXPECT_EQ(ParseCaseCode(5, letters[mode]), mode);
    }
    EXPECT_EQ(ParseCaseCode(3, 'X'), 3);
    EXPECT_EQ(ParseCaseCode(3, 'u'), 3);
    EXPECT_EQ(ParseCaseCode(3, 0), 3);
    EXPECT_EQ(CaseCodeLetter(6), 0);
    EXPECT_EQ(CaseCodeLetter(-1), 0);
    BuildCharacterTables();  // the start-up step may run at any time
    EXPECT_EQ(ToUpperChar('a'), static_cast<uint32_t>('A'));
}

}  // namespace
}  // namespace vek
