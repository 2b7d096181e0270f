// Tests of SieRecord: tokens of SIE lines, dates, the encoding, the checksum and the file label.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/sie/SieRecord.h"
#include "foundation/strings/CodePages.h"

namespace vek {
namespace {

// The tokens of a line, written back as "kind:text" ("{" and "}" for the list tokens, q: for quoted).
std::vector<std::string> Tokens(std::string_view line)
{
    SieRecord record;
    record.Parse(line);
    std::vector<std::string> out;
    for (int32_t i = 0; i < record.Count(); ++i) {
        const SieToken& token = record.At(i);
        if (token.kind == SieTokenKind::listOpen)
            out.emplace_back("{");
        else if (token.kind == SieTokenKind::listClose)
            out.emplace_back("}");
        else
            out.push_back((token.quoted ? "q:" : "") + std::string(token.View()));
    }
    return out;
}

TEST(SieRecordTest, FieldFormsOfOtherProgramsSplitAsMeant)
{
    struct Case {
        const char* line;
        std::vector<std::string> tokens;
    };
    const Case cases[] = {
        {"#VER A 1 20100108 \"Kaffe\"", {"#VER", "A", "1", "20100108", "q:Kaffe"}},
        // Escaped quotes and backslashes inside quotes; a lone backslash is itself.
        {"#VER \"\" 1 20100108 \"Say \\\"hi\\\" \\\\ 1820\\A012\"", {"#VER", "q:", "1", "20100108", "q:Say \"hi\" \\ 1820\\A012"}},
        {"#TRANS 1820\\A012 {} 5", {"#TRANS", "1820\\A012", "{", "}", "5"}},
        // TAB-separated fields, quoted object codes and a TAB inside the list.
        {"#TRANS\t3051\t{1 \"2\"\t10 \"12\"}\t-301050.00\t20100107\t\"Text\"\t\"\"",
         {"#TRANS", "3051", "{", "1", "q:2", "10", "q:12", "}", "-301050.00", "20100107", "q:Text", "q:"}},
        // Blanks inside an empty list, and a list closed right after a plain word.
        {"\t#TRANS\t1010 { } 12.00 20150912 \"\" \"\"", {"#TRANS", "1010", "{", "}", "12.00", "20150912", "q:", "q:"}},
        {"#TRANS 1510 {6 P1} 250", {"#TRANS", "1510", "{", "6", "P1", "}", "250"}},
        // Outside a list a brace inside a word is the word's.
        {"#VER A 2 20100108 Lön}x", {"#VER", "A", "2", "20100108", "Lön}x"}},
        // An unclosed quote runs to the line end.
        {"#FNAMN \"Open ended", {"#FNAMN", "q:Open ended"}},
        {"{\t", {"{"}},
        {"}", {"}"}},
        {"", {}},
        {" \t ", {}},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.line);
        EXPECT_EQ(Tokens(item.line), item.tokens);
    }
}

TEST(SieRecordTest, TokensPastTheEndAreEmptyWords)
{
    SieRecord record;
    record.Parse("#KONTO 1910");
    EXPECT_TRUE(record.LabelIs("#KONTO"));
    EXPECT_FALSE(record.LabelIs("#KONT"));
    EXPECT_EQ(record.At(5).length, 0);
    EXPECT_EQ(record.At(-1).length, 0);
    EXPECT_TRUE(record.At(5).IsWord());
}

TEST(SieRecordTest, DatesPackFromEightDigitsAndShorterForms)
{
    struct Case {
        const char* text;
        PackedDate date;
    };
    const Case cases[] = {
        {"20100102", MakePackedDate(2010, 1, 2)},
        {"20281231", MakePackedDate(2028, 12, 31)},  // beyond the two-digit years of base files
        {"19991231", MakePackedDate(1999, 12, 31)},
        {"100102", MakePackedDate(2010, 1, 2)},      // the SIE century window starts at 1940
        {"391231", MakePackedDate(2039, 12, 31)},
        {"400101", MakePackedDate(1940, 1, 1)},
        {"2010", MakePackedDate(2010, 1, 1)},
        {"", 0},
        {"\"\"", 0},
        {"abc", 0},
        // Digits that are no calendar date were moved to a neighbouring day (21000229 to 21000228).
        {"20240229", MakePackedDate(2024, 2, 29)},
        {"21000229", 0},
        {"20231301", 0},
        {"20230100", 0},
        {"18991231", 0},
        {"990230", 0},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.text);
        EXPECT_EQ(PackSieDate(item.text), item.date);
    }
}

// The "#KSUMMA" checksum is the common CRC-32, over the bytes as the file holds them.
TEST(SieRecordTest, ChecksumIsCrc32OfTheFileBytes)
{
    SieChecksum plain;
    plain.AddToken("12345", kEncodingPc8);
    plain.AddToken("6789", kEncodingPc8);
    EXPECT_EQ(plain.Value(), 0xCBF43926u);
    // "Å" is one byte (0x8F) in a CP437 file and two in a UTF-8 one.
    SieChecksum cp437;
    cp437.AddToken("\xC3\x85", kEncodingPc8);
    SieChecksum byte;
    byte.AddToken("\x8F", kEncodingUtf8);
    EXPECT_EQ(cp437.Value(), byte.Value());
}

SieFileSurvey Survey(const std::vector<std::string>& pieces)
{
    SieEncodingSurvey survey;
    for (const std::string& piece : pieces)
        survey.Add(piece.data(), int64_t(piece.size()));
    return survey.Finish();
}

// Guards the encoding rules: SIE files claim PC8 (CP437), but many are UTF-8.
TEST(SieRecordTest, EncodingFollowsTheFormatRecordAndTheBytes)
{
    const std::string head = "#FLAGGA 0\r\n#FORMAT PC8\r\n#SIETYP 4\r\n";
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        int32_t encoding;
    };
    const Case cases[] = {
        {"PC8 with CP437 bytes", {head + "#FNAMN \"\x99vning\"\r\n"}, kEncodingPc8},
        {"PC8 claimed, UTF-8 bytes", {head + "#FNAMN \"\xC3\x96vning\"\r\n"}, kEncodingUtf8},
        {"plain ASCII", {head + "#FNAMN \"Ovning\"\r\n"}, kEncodingPc8},
        {"no format record, UTF-8 bytes", {"#SIETYP 4\n#FNAMN \"\xC3\x96vning\"\n"}, kEncodingUtf8},
        {"no format record, CP437 bytes", {"#SIETYP 4\n#FNAMN \"\x99vning\"\n"}, kEncodingPc8},
        {"UTF-8 sequence cut between pieces", {head + "#FNAMN \"\xC3", "\x96vning\"\r\n"}, kEncodingUtf8},
        {"valid UTF-8 first, a CP437 byte later", {head + "#FNAMN \"\xC3\x96\"\r\n", "#KONTO 1 \"\x84\"\r\n"}, kEncodingPc8},
        {"UTF-8 cut short at the end", {head + "#FNAMN \"\xC3\x96\xC3"}, kEncodingPc8},
        {"byte-order mark", {"\xEF\xBB\xBF#FLAGGA 0\n#FORMAT PC8\n"}, kEncodingUtf8},
        {"quoted format name", {"#FLAGGA 0\n#FORMAT \"PC8\"\n#FNAMN \"\x99\"\n"}, kEncodingPc8},
        {"another named encoding", {"#FLAGGA 0\n#FORMAT ISO-8859-1\n#FNAMN \"\xD6\"\n"}, kEncodingLatin1},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        EXPECT_EQ(Survey(item.pieces).encoding, item.encoding);
    }
}

TEST(SieRecordTest, AnSieLabelMustStandInTheFirstNineLines)
{
    EXPECT_TRUE(Survey({"\n\n#SIETYP 4\n"}).isSie);
    EXPECT_TRUE(Survey({"\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n#FLAGGA 0\r\n"}).isSie);
    EXPECT_FALSE(Survey({"\n\n\n\n\n\n\n\n\n#SIETYP 4\n"}).isSie);
    EXPECT_FALSE(Survey({"<!DOCTYPE HTML>\n<html>#SIE</html>\n"}).isSie);
    EXPECT_FALSE(Survey({""}).isSie);
}

}  // namespace
}  // namespace vek
