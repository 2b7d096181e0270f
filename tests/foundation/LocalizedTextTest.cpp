// Tests of LocalizedText: catalogs, fallback to English, languages and the interface language.
#include "foundation/messages/LocalizedText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/messages/TextIds.h"

namespace vek {
namespace {

constexpr int32_t kEnglish = 0;
constexpr int32_t kDansk = 2;
constexpr int32_t kSuomi = 5;
constexpr int32_t kSvenska = 12;

class LocalizedTextTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        SetUiLanguage(kEnglish);
        for (int32_t index = 0; index < kLanguageCount; ++index)
            SetLanguageAvailable(index, false);
    }
};

TEST_F(LocalizedTextTest, TableAndEntryArithmetic)
{
    struct Case {
        int32_t number;
        int32_t language;
        int32_t table;
        int32_t entry;
    };
    const Case cases[] = {
        {726, kDansk, 702, 26}, {726, kEnglish, 700, 26}, {0, kSvenska, 12, 0},
        {99, kSvenska, 12, 99}, {100, kEnglish, 100, 0},  {32767, kSuomi, 32705, 67},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(TextTableId(c.number, c.language), c.table);
        EXPECT_EQ(TextEntry(c.number), c.entry);
    }
}

// English: 1 and 150 have texts, 2 is explicitly empty, 3 has none, 250 lives in a hundred Svenska
// does not have. Svenska: its own 1, an empty 150, an extra 4, and nothing in the hundred 200.
TEST_F(LocalizedTextTest, LookupFallsBackToEnglishTextByText)
{
    TextCatalog catalog;
    ASSERT_EQ(catalog.AddCatalog(kEnglish, "0\tZero\n1\tOne\n2\t\n150\tHundred fifty\n250\tTwo fifty\n"), 0);
    ASSERT_EQ(catalog.AddCatalog(kSvenska, "0\tNoll\n1\tEtt\n150\t\n4\tFyra\n"), 0);
    struct Case {
        int32_t number;
        int32_t language;
        const char* expected;  // null: no text
    };
    const Case cases[] = {
        {1, kSvenska, "Ett"},
        {0, kSvenska, "Noll"},                // entry 0 of the language's own table
        {150, kSvenska, "Hundred fifty"},     // empty in Svenska: the English text
        {250, kSvenska, "Two fifty"},         // table missing in Svenska: English
        {4, kSvenska, "Fyra"},                // only Svenska has it
        {4, kEnglish, nullptr},
        {2, kSvenska, ""},                    // empty in English too: empty, not null
        {2, kEnglish, ""},
        {3, kSvenska, nullptr},               // no entry anywhere
        {1, kDansk, "One"},                   // a language without any table
        {1, 13, "One"},                       // an index outside 0..12 reads English
        {-1, kEnglish, nullptr},
        {32768, kEnglish, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.number) + " in " + std::to_string(c.language));
        const char* text = catalog.Lookup(c.number, c.language);
        if (!c.expected) {
            EXPECT_EQ(text, nullptr);
        } else {
            ASSERT_NE(text, nullptr);
            EXPECT_STREQ(text, c.expected);
        }
    }
}

TEST_F(LocalizedTextTest, CatalogSyntaxEscapesAndBadLines)
{
    TextCatalog catalog;
    const char* source =
        "# a comment\r\n"
        "\r\n"
        "10\tLine one\\rline two\\ttab \\\\ back\r\n"
        "11\tCR-only ends\r"
        "12\ttrailing tab\\t\n"
        "no tab\n"          // bad
        "1x\tletters\n"     // bad
        "\tno number\n"     // bad
        "32768\ttoo big\n"  // bad
        "13\tbad \\q\n"     // bad escape
        "10\tduplicate\n"   // bad: the first text stays
        "14\tlast line without end";
    EXPECT_EQ(catalog.AddCatalog(kEnglish, source), 6);
    EXPECT_STREQ(catalog.Lookup(10, kEnglish), "Line one\rline two\ttab \\ back");
    EXPECT_STREQ(catalog.Lookup(11, kEnglish), "CR-only ends");
    EXPECT_STREQ(catalog.Lookup(12, kEnglish), "trailing tab\t");
    EXPECT_EQ(catalog.Lookup(13, kEnglish), nullptr);
    EXPECT_STREQ(catalog.Lookup(14, kEnglish), "last line without end");
    EXPECT_EQ(catalog.Numbers(kEnglish), (std::vector<int32_t>{10, 11, 12, 14}));
    EXPECT_EQ(catalog.AddCatalog(kLanguageCount, "1\tx\n"), -1);
}

TEST_F(LocalizedTextTest, BuiltInCatalogsAreCleanAndEnglishIsComplete)
{
    std::span<const std::string_view> sources = BuiltInCatalogs();
    ASSERT_EQ(sources.size(), size_t(kLanguageCount));
    const TextCatalog& texts = BuiltInTexts();
    std::vector<int32_t> english = texts.Numbers(kEnglish);
    for (int32_t language = 0; language < kLanguageCount; ++language) {
        SCOPED_TRACE(LanguageCode(language));
        TextCatalog single;
        EXPECT_EQ(single.AddCatalog(language, sources[language]), 0) << "bad lines in the catalog";
        // Every number of a language has an English text to fall back on.
        for (int32_t number : texts.Numbers(language)) {
            EXPECT_TRUE(std::binary_search(english.begin(), english.end(), number)) << number;
            const char* text = texts.Lookup(number, kEnglish);
            ASSERT_NE(text, nullptr);
            EXPECT_STRNE(text, "") << number;
        }
    }
    // Code names numbers only through TextIds.h, so every number it uses is named there; each name
    // must reach a non-empty English text, and each English text must have a name (guards against a
    // catalog line the build names but the reader skips, or the reverse).
    EXPECT_EQ(english, std::vector<int32_t>(std::begin(kNamedTextNumbers), std::end(kNamedTextNumbers)));
    for (int32_t number : kNamedTextNumbers) {
        SCOPED_TRACE(number);
        const char* text = LoadText(number);
        ASSERT_NE(text, nullptr);
        EXPECT_STRNE(text, "");
    }
    EXPECT_STREQ(LoadText(text::kLogCreated), "Logfile created at");
    EXPECT_STREQ(LoadText(text::kLogClosed), "Logfile closed at");
}

TEST_F(LocalizedTextTest, LoadTextFollowsTheUiLanguage)
{
    SetUiLanguage(kSvenska);
    EXPECT_EQ(UiLanguage(), kSvenska);
    EXPECT_STREQ(LoadText(text::kCancel), "Avbryt");
    EXPECT_STREQ(LoadText(message::kOutOfMemory), LoadTextInLanguage(message::kOutOfMemory, kEnglish))
        << "no Swedish text: English";
    EXPECT_STREQ(LoadTextInLanguage(text::kCancel, kEnglish), "Cancel");
    EXPECT_EQ(UiLanguage(), kSvenska) << "restored after the lookup";
    EXPECT_EQ(LoadText(-5), nullptr);

    SetUiLanguage(13);
    EXPECT_EQ(UiLanguage(), kEnglish) << "no lookup may reach another hundred's table";
    SetUiLanguage(-1);
    EXPECT_EQ(UiLanguage(), kEnglish);
}

TEST_F(LocalizedTextTest, LanguageNamesAndCodes)
{
    EXPECT_STREQ(LanguageName(kSvenska), "Svenska");
    EXPECT_STREQ(LanguageName(6), "Français");
    EXPECT_STREQ(LanguageName(0), "English");
    EXPECT_STREQ(LanguageName(13), "English");
    EXPECT_STREQ(LanguageName(-1), "English");
    EXPECT_STREQ(LanguageCode(0), "US");
    EXPECT_STREQ(LanguageCode(3), "DUT");
    EXPECT_EQ(LanguageCode(13), nullptr);
    EXPECT_EQ(LanguageCode(-1), nullptr);

    struct Case {
        const char* code;
        int32_t expected;
    };
    const Case cases[] = {{"swe", 12}, {"SWE", 12}, {"us", 0}, {"Ger", 7}, {"swed", -1},
                          {"sw", -1},  {"", -1},    {"xyz", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(LanguageFromCode(c.code), c.expected);
    }
    for (int32_t index = -1; index <= kLanguageCount; ++index)
        EXPECT_EQ(UsesCentralEuropeanCodePage(index), index == 1 || index == 10 ? 1 : 0) << index;
}

TEST_F(LocalizedTextTest, LanguageFromPreferredLocalizations)
{
    struct Case {
        const char* name;
        std::vector<std::string_view> codes;
        std::vector<int32_t> available;
        int32_t expected;
    };
    const Case cases[] = {
        {"Suomi available", {"fi", "English"}, {0, kSuomi}, kSuomi},
        {"Suomi not available", {"fi", "English"}, {0}, kEnglish},
        {"locale names", {"sv_SE.UTF-8"}, {kSvenska}, kSvenska},
        {"English first wins", {"en_GB", "sv"}, {0, kSvenska}, kEnglish},
        {"unknown codes skipped", {"pt_BR", "xx", "da_DK"}, {kDansk}, kDansk},
        {"Norwegian Bokmål", {"nb_NO.UTF-8"}, {9}, 9},
        {"none matches", {"pt", "ja"}, {kSvenska}, kEnglish},
        {"no codes", {}, {kSvenska}, kEnglish},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        for (int32_t index : c.available)
            SetLanguageAvailable(index, true);
        EXPECT_EQ(LanguageFromLocalizations(c.codes), c.expected);
    }
}

}  // namespace
}  // namespace vek
