// Tests of Identifiers, OptionLetters and TextSettings: names, conditions, letters and copy settings.
#include "foundation/strings/Identifiers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/memory/BitSetStack.h"
#include "foundation/strings/OptionLetters.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextSettings.h"

namespace vek {
namespace {

std::string Text(const String& text)
{
    return std::string(text.CStr(), size_t(text.Length()));
}

// Applies a String operation to a C string and gives back the result.
template <typename Operation>
std::string Applied(const char* text, Operation&& operation)
{
    String string;
    string.AssignCStr(text);
    operation(string);
    return Text(string);
}

TEST(IdentifiersTest, OptionLetters)
{
    int32_t value = 1;
    ParseFsdCodeLetter(value, 'D');
    EXPECT_EQ(value, 2);
    ParseFsdCodeLetter(value, 'x');  // not a letter of the table: unchanged
    EXPECT_EQ(value, 2);
    ParseFsdCodeLetter(value, '\0');
    EXPECT_EQ(value, 2);
    EXPECT_EQ(FsdCodeLetter(0), 'F');
    EXPECT_EQ(FsdCodeLetter(3), '\0');
    ParseDigitFtmCodeLetter(value, 'M');
    EXPECT_EQ(value, 9);
    ParseDigitFtmCodeLetter(value, '4');
    EXPECT_EQ(value, 4);
    EXPECT_EQ(DigitFtmCodeLetter(7), 'F');
    EXPECT_EQ(DigitFtmCodeLetter(-1), '\0');
    EXPECT_EQ(FindNsaLetter('A'), 2);
    EXPECT_EQ(FindNsaLetter('n'), -1);

    struct KeyCase {
        const char* key;
        int32_t index;
    };
    const KeyCase keys[] = {
        {"1", 0},   {"9", 8},   {"10", 9},  {"32", 31}, {"33", -1}, {"0", -1},   {"01", -1},
        {"A", 9},   {"Z", 34},  {"a", -1},  {"123", -1}, {"1A", -1}, {"", -1},  {nullptr, -1},
    };
    for (const KeyCase& c : keys) {
        SCOPED_TRACE(c.key ? c.key : "null");
        EXPECT_EQ(DimensionIndexFromKey(c.key), c.index);
    }
    EXPECT_EQ(IndexFromDigitOrLetter('1'), 0);
    EXPECT_EQ(IndexFromDigitOrLetter('Z'), 25);
    EXPECT_EQ(IndexFromDigitOrLetter('0'), -1);
    EXPECT_EQ(IndexFromDigitOrLetter('a'), -1);
    EXPECT_EQ(LetterFromIndex(0), 'A');
    EXPECT_EQ(LetterFromIndex(25), 'Z');
    EXPECT_EQ(LetterFromIndex(26), '\0');
}

TEST(IdentifiersTest, IdentifierCharacters)
{
    EXPECT_TRUE(IsIdentifierChar('a', kIdentifierStart));
    EXPECT_TRUE(IsIdentifierChar(0x00E9, kIdentifierStart));  // é folds to E
    EXPECT_TRUE(IsIdentifierChar(0x0141, 0));                 // Ł folds to L
    EXPECT_FALSE(IsIdentifierChar(0x03B1, 0));                // Greek alpha
    EXPECT_FALSE(IsIdentifierChar(0x0436, 0));                // Cyrillic zhe
    EXPECT_TRUE(IsIdentifierChar('7', 0));
    EXPECT_FALSE(IsIdentifierChar('7', kIdentifierStart));
    EXPECT_TRUE(IsIdentifierChar('#', kIdentifierStart));
    EXPECT_FALSE(IsIdentifierChar(' ', 0));
    EXPECT_TRUE(IsIdentifierChar(' ', kIdentifierBlanks));
    EXPECT_FALSE(IsIdentifierChar('/', kIdentifierBlanks));
}

TEST(IdentifiersTest, MakeIdentifier)
{
    struct Case {
        const char* text;
        const char* prefix;
        int32_t flags;
        const char* expected;
    };
    const Case cases[] = {
        {"  3 Sales/Q1  ", nullptr, kIdentifierStart, "V3.Sales.Q1"},
        {"  3 Sales/Q1  ", nullptr, 0, "3.Sales.Q1"},
        {"Net Sales", nullptr, kIdentifierBlanks, "Net Sales"},
        {"Net Sales", nullptr, 0, "Net.Sales"},
        {"Försäljning", nullptr, kIdentifierStart, "Försäljning"},
        {"Αλφα Beta", nullptr, 0, ".....Beta"},  // each Greek letter becomes one "."
        {"Ωμέγα", "F1", kIdentifierStart, "F1"},  // nothing allowed: the prefix
        {"Ωμέγα", nullptr, kIdentifierStart, ""},
        {"", "A", 3, "A"},
        {"1st", "F1", kIdentifierStart, "F1st"},
        {"1st", "Ärger", kIdentifierStart, "Ä1st"},  // the prefix's first character, whole
        {"_x", nullptr, kIdentifierStart, "_x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Applied(c.text, [&](String& s) { MakeIdentifier(s, c.prefix, c.flags); }), c.expected);
    }
}

int32_t TestOperatorWords(const char* bytes, int32_t n)
{
    for (const char* word : {"max", "sqrt"}) {
        auto length = int32_t(std::strlen(word));
        if (n > length && std::strncmp(bytes, word, size_t(length)) == 0 &&
            (bytes[length] == ' ' || bytes[length] == '('))
            return length;
    }
    return 0;
}

TEST(IdentifiersTest, ReplaceIdentifier)
{
    struct Case {
        const char* text;
        const char* name;
        const char* replacement;
        int32_t flags;
        const char* expected;
    };
    const int32_t formula = kIdentifierStart | kIdentifierBlanks | kIdentifierOperators;
    const Case cases[] = {
        {"Sales+SalesTax", "Sales", "Revenue", kIdentifierStart, "Revenue+SalesTax"},
        {"Tax*2+SalesTax", "Tax", "VAT", kIdentifierStart, "VAT*2+SalesTax"},
        {"A1+A12", "A1", "B", kIdentifierStart, "B+A12"},
        {"a + a", "a", "aa", kIdentifierStart, "aa + aa"},  // goes on after the replacement
        {"Net Sales + Net", "Net Sales", "Revenue", kIdentifierStart | kIdentifierBlanks, "Revenue + Net"},
        {"Net Sales + Net", "Net", "Income", kIdentifierStart | kIdentifierBlanks, "Net Sales + Income"},
        {"max Sales", "Sales", "Revenue", kIdentifierStart | kIdentifierBlanks, "max Sales"},
        {"max Sales", "Sales", "Revenue", formula, "max Revenue"},
        {"max(Sales)", "max", "top", formula, "top(Sales)"},  // a matching name wins over the word
        {"2Sales", "Sales", "X", kIdentifierStart, "2X"},
        {"Sales", "", "X", kIdentifierStart, "Sales"},
        {"Sales", nullptr, "X", kIdentifierStart, "Sales"},
        {"Sales", "Sales", nullptr, kIdentifierStart, ""},
    };
    SetOperatorWordMatcher(TestOperatorWords);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Applied(c.text, [&](String& s) { ReplaceIdentifier(s, c.name, c.replacement, c.flags); }),
                  c.expected);
    }
    SetOperatorWordMatcher(nullptr);

    // A text that fills the largest buffer cannot take a longer name: it stays whole.
    String full;
    full.AssignCStr("a");
    full.AppendRepeated(' ', String::kGrowthLimit);
    full.AppendRepeated(' ', full.Capacity() - full.Length());
    ASSERT_EQ(full.Length(), full.Capacity());
    int32_t length = full.Length();
    ReplaceIdentifier(full, "a", "abcd", kIdentifierStart);
    EXPECT_EQ(full.Length(), length);
    EXPECT_EQ(full.CStr()[0], 'a');
    EXPECT_EQ(full.CStr()[1], ' ');
}

TEST(IdentifiersTest, NameVariants)
{
    struct Case {
        const char* text;
        const char* trailingNumber;
        const char* nameSuffix;
    };
    const Case cases[] = {
        {"Report", "Report 1", "Report.1"},
        {"Report 9", "Report 10", "Report 10"},
        {"Report ", "Report 1", "Report .1"},
        {"Plan9", "Plan10", "Plan10"},
        {"Plan A", "Plan A 1", "Plan B"},
        {"Plan Z", "Plan Z 1", "Plan Z.1"},
        {"PlanA", "PlanA 1", "PlanA.1"},
        {"x.b", "x.b 1", "x.c"},
        {"B", "B 1", "C"},
        {"v1.9", "v1.10", "v1.10"},
        {"R2D2", "R2D3", "R2D3"},
        {"99", "100", "100"},
        {"A199", "A200", "A200"},
        {"n 99999999999999999999", "n 100000000000000000000", "n 100000000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Applied(c.text, IncrementTrailingNumber), c.trailingNumber);
        EXPECT_EQ(Applied(c.text, IncrementNameSuffix), c.nameSuffix);
    }
}

TEST(IdentifiersTest, ConditionTexts)
{
    EXPECT_EQ(Applied("a|b", ParenthesizeIfNeeded), "(a|b)");
    EXPECT_EQ(Applied("a±b", ParenthesizeIfNeeded), "(a±b)");
    EXPECT_EQ(Applied("|a", ParenthesizeIfNeeded), "|a");  // only after the first character
    EXPECT_EQ(Applied("±a", ParenthesizeIfNeeded), "±a");
    // By characters: ñ and б end in the byte that "±" ends in, and bind nothing.
    EXPECT_EQ(Applied("Año&бб", ParenthesizeIfNeeded), "Año&бб");
    EXPECT_EQ(Applied("", ParenthesizeIfNeeded), "");

    struct Case {
        const char* text;
        const char* condition;
        const char* expected;
    };
    const Case cases[] = {
        {"", "x>1", "x>1"},      {"a", "a", "a"},           {"a", "", "a"},
        {"a", nullptr, "a"},     {"a|b", "c", "(a|b)&c"},  {"a", "b±c", "a&(b±c)"},
        {"a&b", "c", "a&b&c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Applied(c.text, [&](String& s) { AppendAndCondition(s, c.condition); }), c.expected);
    }
    EXPECT_EQ(Applied("say \"it's\"", StripQuotes), "say its");
}

TEST(IdentifiersTest, PrefixMatcherTakesTheLongestContinuation)
{
    PrefixMatcher matcher("ab cd", " ");
    EXPECT_EQ(matcher.Offer("A", 1, 0), 0);  // the typed name goes on with "B": no break
    EXPECT_FALSE(matcher.HasBest());
    EXPECT_EQ(matcher.Offer("Ab", 2, 20), 0);  // a match up to the blank, not of the whole name
    EXPECT_EQ(matcher.Offer("ABX", 3, 30), 0);  // matches no more and leaves more
    EXPECT_EQ(matcher.Offer("x", 4, 40), 0);
    EXPECT_STREQ(matcher.Best().CStr(), "Ab");
    EXPECT_EQ(matcher.MatchedLength(), 2);
    EXPECT_EQ(matcher.ValueA(), 2);
    EXPECT_EQ(matcher.ValueB(), 20);
    String text;
    matcher.Apply(text);
    EXPECT_STREQ(text.CStr(), "Ab CD");
    matcher.Rest(text);
    EXPECT_STREQ(text.CStr(), "CD");

    PrefixMatcher open("säl");
    EXPECT_EQ(open.Offer("SÄLJ", 1, 0), 0);
    EXPECT_EQ(open.RemainingLength(), 1);
    EXPECT_EQ(open.Offer("Säl", 2, 0), 1);  // the whole typed name, nothing left over
    EXPECT_EQ(open.Offer("SÄLX", 3, 0), 0);
    EXPECT_EQ(open.ValueA(), 2);
    open.Rest(text);
    EXPECT_STREQ(text.CStr(), "");
}

TEST(IdentifiersTest, BitSetStack)
{
    BitSetStack stack(40);
    EXPECT_EQ(stack.Top(), nullptr);
    BitSet* bottom = stack.Push();
    ASSERT_NE(bottom, nullptr);
    bottom->SetBit(3, true);
    BitSet* top = stack.Push();
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->Count(), 40);
    EXPECT_EQ(top->BitCount(), 0);
    EXPECT_EQ(stack.Top(1), bottom);
    EXPECT_EQ(stack.Depth(), 2);
    stack.Pop();
    EXPECT_EQ(stack.Top(), bottom);
    EXPECT_TRUE(stack.Top()->GetBit(3));
    stack.Clear();
    EXPECT_EQ(stack.Depth(), 0);
    stack.Pop();  // nothing left: nothing happens
    EXPECT_EQ(stack.Depth(), 0);
}

TEST(IdentifiersTest, CopyTableSettingsRead)
{
    CopyTableSettings settings;
    ReadCopyTableSettings("C3,,F59,Q34,K", settings);
    EXPECT_EQ(settings.fieldSeparator, ';');
    EXPECT_EQ(settings.quoteMark, 34);
    EXPECT_EQ(settings.flagK, 1);
    EXPECT_EQ(settings.charSetIndex, 2);
    EXPECT_EQ(settings.decimalMark, 0);
    EXPECT_EQ(settings.thousandsMark, 1);
    EXPECT_EQ(settings.rowEnd, 0);
    EXPECT_EQ(settings.flagW, 0);

    ReadCopyTableSettings("DL,TN,F5,RD,X,M,Zfoo,CQ,Q70000", settings);
    EXPECT_EQ(settings.decimalMark, 2);
    EXPECT_EQ(settings.thousandsMark, 1);
    EXPECT_EQ(settings.fieldSeparator, 0);  // 8 or less reads as the default
    EXPECT_EQ(settings.quoteMark, 0);       // not a 16-bit code
    EXPECT_EQ(settings.flagK, 0);           // reading starts from the defaults
    EXPECT_EQ(settings.flagX, 1);
    EXPECT_EQ(settings.flagM, 1);
    EXPECT_EQ(settings.charSetIndex, 0);    // "Q" is no character-set letter

    ReadCopyTableSettings(nullptr, settings);
    EXPECT_EQ(settings.fieldSeparator, 9);
}

TEST(IdentifiersTest, CopyTableSettingsWriteInPlace)
{
    CopyTableSettings settings;
    String text;
    text.AssignCStr("C3,,F59,Q34,K,Zfoo");
    ReadCopyTableSettings(text.CStr(), settings);
    settings.flagK = 0;
    settings.flagW = 1;
    settings.fieldSeparator = ',';
    WriteCopyTableSettings(text, settings);
    EXPECT_STREQ(text.CStr(), "C3,,F44,Q34,Zfoo,DD,TN,RD,W");

    text.AssignCStr("");
    WriteCopyTableSettings(text, CopyTableSettings());
    EXPECT_STREQ(text.CStr(), "CA,DD,TN,F9,QN,RD");

    text.AssignCStr("K,F1,K,F2");  // repeated items collapse into the first
    WriteCopyTableSettings(text, CopyTableSettings());
    EXPECT_STREQ(text.CStr(), "F9,CA,DD,TN,QN,RD");

    CopyTableSettings all;
    all.decimalMark = 2;
    all.thousandsMark = 0x00A0;
    all.quoteMark = '"';
    all.flagK = all.flagW = all.flagN = all.flagE = all.flagX = all.flagM = 1;
    all.charSetIndex = 5;
    text.AssignCStr("");
    WriteCopyTableSettings(text, all);
    CopyTableSettings back;
    ReadCopyTableSettings(text.CStr(), back);
    SCOPED_TRACE(text.CStr());
    EXPECT_EQ(back.decimalMark, all.decimalMark);
    EXPECT_EQ(back.thousandsMark, all.thousandsMark);
    EXPECT_EQ(back.fieldSeparator, all.fieldSeparator);
    EXPECT_EQ(back.quoteMark, all.quoteMark);
    EXPECT_EQ(back.rowEnd, all.rowEnd);
    EXPECT_EQ(back.flagK + back.flagW + back.flagN + back.flagE + back.flagX + back.flagM, 6);
    EXPECT_EQ(back.charSetIndex, 5);
}

std::string storedPreference;

TEST(IdentifiersTest, SaveCopyTableSettingsThroughThePreferences)
{
    CopyTableSettings saved = ProcessCopyTableSettings();
    storedPreference = "Zfoo";
    PreferenceTextAccess access;
    access.getString = [](const char* key, String& value) {
        EXPECT_STREQ(key, "CopyTable");
        value.AssignCStr(storedPreference.c_str());
    };
    access.setString = [](const char* key, const char* value) {
        EXPECT_STREQ(key, "CopyTable");
        storedPreference = value;
    };
    SetPreferenceTextAccess(access);
    ProcessCopyTableSettings() = CopyTableSettings();
    ProcessCopyTableSettings().flagE = 1;
    SaveCopyTableSettings();
    EXPECT_EQ(storedPreference, "Zfoo,CA,DD,TN,F9,QN,RD,E");
    SetPreferenceTextAccess(PreferenceTextAccess());
    ProcessCopyTableSettings() = saved;
}

TEST(IdentifiersTest, FormatSettingsAreRestored)
{
    FormatSettings settings;
    SaveFormatSettings(settings);
    SetSeparators({u',', u'.'});
    SetDateStyle(4);
    SetScaledDisplay(!settings.scaledDisplay);
    RestoreFormatSettings(settings);
    EXPECT_EQ(GetSeparators().decimalSeparator, settings.separators.decimalSeparator);
    EXPECT_EQ(GetSeparators().thousandsSeparator, settings.separators.thousandsSeparator);
    EXPECT_EQ(GetDateStyle(), settings.dateStyle);
    EXPECT_EQ(ScaledDisplay(), settings.scaledDisplay);
}

TEST(IdentifiersTest, SeparatorNames)
{
    struct NameCase {
        uint32_t character;
        const char* name;
    };
    const NameCase names[] = {
        {0, ""},          {'\t', "Tab"},  {'\n', "Line feed"}, {'\r', "Return"}, {' ', "Space"},
        {',', "Comma"},   {'.', "Point"}, {';', ";"},          {0xE9, "é"},      {7, "#7"},
        {31, "#31"},
    };
    String text;
    for (const NameCase& c : names) {
        SCOPED_TRACE(c.name);
        SeparatorName(text, c.character);
        EXPECT_STREQ(text.CStr(), c.name);
        if (c.character >= 32 || c.character == '\t' || c.character == '\n' || c.character == '\r') {
            EXPECT_EQ(ParseSeparator(text.CStr()), c.character);  // every name reads back
        }
    }

    struct ParseCase {
        const char* text;
        uint32_t character;
    };
    const ParseCase parses[] = {
        {nullptr, 0},  {"", 0},     {" x", 32},   {"#59", 59},  {"#", '#'},     {"#0", '#'},
        {"#70000", '#'}, {"#x", '#'}, {"tab", 9},  {"ta", 9},    {"TAB", 9},     {"t", 't'},
        {";", 59},     {"Co", ','},  {"Space", 32}, {"cr", 13}, {"lf", 10},     {"linef", 10},
        {"ret", 13},   {"é", 0xE9}, {"éx", 0xE9}, {"tabs", 't'},
    };
    for (const ParseCase& c : parses) {
        SCOPED_TRACE(c.text ? c.text : "null");
        EXPECT_EQ(ParseSeparator(c.text), c.character);
    }
}

}  // namespace
}  // namespace vek
