// Tests of SaveSettings: written keys, reading back, ranges, option words and settings from a base.
#include "files/setups/SaveSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "files/setups/SaveSetup.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/numbers/PackedDate.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "model/named/Macro.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// The base whose card selections the tests read: dimensions 1 and 2 in use, so that expressions of
// dimensions 1-3 are written. It stays for the whole run.
Base& SelectionBase()
{
    static Base* base = [] {
        auto* made = new Base(FilePath(), 1);
        made->AddComponent(1, "3000", nullptr, nullptr);
        made->AddComponent(2, "X", nullptr, nullptr);
        made->UpdateDimensionsInUse();
        made->SetupDimensionOrder();
        return made;
    }();
    return *base;
}

// The keyed lines of a "##SaveSetup" section as the setup's reader takes them.
void ReadLines(SaveSettings& settings, const std::string& text, Base* base = nullptr)
{
    TextReader reader(text.data(), int64_t(text.size()));
    while (reader.ReadLine()) {
        if (!settings.ReadKeyLine(reader, base))
            break;
    }
}

std::string Written(const SaveSettings& settings)
{
    TextWriter writer;
    settings.WriteKeyLines(writer);
    return std::string(writer.BufferedBytes());
}

// Writes, reads back into fresh settings, and checks that they equal the original and write the same
// bytes again.
void ExpectRoundTrip(const SaveSettings& settings)
{
    std::string first = Written(settings);
    SaveSettings back;
    ReadLines(back, first, settings.CardSelection() != nullptr ? &settings.CardSelection()->GetBase() : nullptr);
    EXPECT_TRUE(back.Equals(settings));
    EXPECT_EQ(Written(back), first);
}

TEST(SaveSettingsTest, DefaultsWriteNothing)
{
    SaveSettings settings;
    EXPECT_EQ(Written(settings), "");
    // Spelling out every default in the file reads back into the same record.
    SaveSettings spelled;
    ReadLines(spelled,
              "FN\rFZ+\rSH+\rSP+\rSW+\rSB+\rSS+\rSI+\rST+\rSX+\rSD+\rSC+\rSU+\rSM+\rSG+\rDF\tAAAA\rDL\tCCC\r"
              "CT-\rGC\rTO-\rRr+\rRu+\rRk+\rRd+\rRv+\rRF\tCCCC\rM4\t4\r");
    EXPECT_TRUE(spelled.Equals(settings));
    EXPECT_EQ(Written(spelled), "");
}

// Each field away from its default writes its own key (dimensions numbered from 1 in the file) and
// reads back into the same record.
TEST(SaveSettingsTest, EachFieldWritesItsKey)
{
    struct Case {
        const char* name;
        std::function<void(SaveSettings&)> set;
        const char* written;
    };
    const Case cases[] = {
        {"format B", [](SaveSettings& s) { s.SetFormat(kSaveFormatContainerB); }, "FB\r"},
        {"format U", [](SaveSettings& s) { s.SetFormat(kSaveFormatContainerU); }, "FU\r"},
        {"format text, no SIE keys", [](SaveSettings& s) { s.SetFormat(kSaveFormatText); }, "FT\r"},
        {"format SIE", [](SaveSettings& s) { s.SetFormat(kSaveFormatSie); }, "FS\r"},
        {"compress off", [](SaveSettings& s) { s.SetCompress(false); }, "FZ-\r"},
        {"characters off", [](SaveSettings& s) { s.SetSavesSection(SaveSection::Characters, false); }, "SH-\r"},
        {"macros and defaults off",
         [](SaveSettings& s) {
             s.SetSavesSection(SaveSection::Defaults, false);
             s.SetSavesSection(SaveSection::Macro, false);
         },
         "SX-\rSG-\r"},
        {"save mode of dimension 3", [](SaveSettings& s) { s.SetDimensionSaveMode(2, kSaveModeUsed); }, "DF\tAAU\r"},
        {"save mode of dimension 32", [](SaveSettings& s) { s.SetDimensionSaveMode(31, kSaveModeNone); },
         "DF\tAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAN\r"},
        {"reference mode of dimension 2", [](SaveSettings& s) { s.SetCardsReferenceMode(1, kCardsReferenceHost); },
         "DL\tCH\r"},
        {"selection lines",
         [](SaveSettings& s) {
             ASSERT_TRUE(s.AddSelectionLine(SelectionBase(), "C\tYear-1\tYear\t\t"));
             ASSERT_TRUE(s.AddSelectionLine(SelectionBase(), "D3\tX"));
             ASSERT_TRUE(s.AddSelectionLine(SelectionBase(), "D1\tA*"));
         },
         // In the order of the selection's keys, whatever the order they were given in.
         "BD1\tA*\rBD3\tX\rBC\tYear-1\tYear\r"},
        {"template lines only", [](SaveSettings& s) { s.SetTemplateLinesOnly(true); }, "CT+\r"},
        {"filter groups", [](SaveSettings& s) { s.SetFilterLevel(kFilterGroups); }, "GG\r"},
        {"filter lines", [](SaveSettings& s) { s.SetFilterLevel(kFilterLines); }, "GL\r"},
        {"template filter with blanks kept", [](SaveSettings& s) { s.SetTemplateFilterText(" Sales* "); },
         "TF\t Sales* \r"},
        {"open templates only", [](SaveSettings& s) { s.SetOpenTemplatesOnly(true); }, "TO+\r"},
        {"dimension order",
         [](SaveSettings& s) {
             s.SetDimensionOrderEntry(1, 4);
             s.SetDimensionOrderEntry(4, 1);
             s.SetDimensionOrderEntry(31, -1);
         },
         "M2\t5\rM5\t2\rM32\t-\r"},
        {"SIE texts in their key order",
         [](SaveSettings& s) {
             s.SetSieText(SieText::RN, "Free");
             s.SetSieText(SieText::RV, "A");
             s.SetSieText(SieText::RO, "556677-8899");
             s.SetSieText(SieText::RC, "Acme AB");
         },
         "RC\tAcme AB\rRO\t556677-8899\rRV\tA\rRN\tFree\r"},
        {"SIE flags off",
         [](SaveSettings& s) {
             for (SieFlag flag : {SieFlag::Rk, SieFlag::Rd, SieFlag::Rv, SieFlag::Rr, SieFlag::Ru})
                 s.SetSieFlag(flag, false);
         },
         "Rr-\rRu-\rRk-\rRd-\rRv-\r"},
        {"SIE save modes", [](SaveSettings& s) { s.SetSieSaveMode(1, kSaveModeAll); }, "RF\tCA\r"},
        {"SIE dimensions",
         [](SaveSettings& s) {
             s.SetSieDimension(1, kSieAccountDimension);
             s.SetSieDimension(2, 7);
             s.SetSieDimension(31, 50);
         },
         "RD2\tK\rRD3\t7\rRD32\t50\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SaveSettings settings;
        c.set(settings);
        EXPECT_EQ(Written(settings), c.written);
        ExpectRoundTrip(settings);
    }
}

// Fault guarded: a line break in a text ended the key line, and the rest of the text was read as a
// key of its own.
TEST(SaveSettingsTest, LineBreaksInTextsStayInsideTheirLine)
{
    SaveSettings settings;
    settings.SetTemplateFilterText("Sales*\nSV*\r\nEU\t*\x01");
    settings.SetSieText(SieText::RN, "Line one\nFS");
    EXPECT_STREQ(settings.TemplateFilterText(), "Sales*\rSV*\rEU\t*");
    std::string written = Written(settings);
    EXPECT_EQ(written, "TF\tSales*\x03SV*\x03" "EU\x04*\rRN\tLine one\x03" "FS\r");
    ExpectRoundTrip(settings);
    // Fault guarded: a control character removed from between a letter and a combining mark left a
    // text that the reader, which composes such pairs, read back as other bytes.
    settings.SetTemplateFilterText("e\x01\xCC\x87 \xF0\x9F\x98\x80");
    EXPECT_STREQ(settings.TemplateFilterText(), "\xC4\x97 \xEF\xBF\xBD");
    ExpectRoundTrip(settings);
    // A text too long for one line continues on the next and still reads back whole.
    settings.SetSieText(SieText::RC, std::string(9000, 'x').c_str());
    ExpectRoundTrip(settings);
}

TEST(SaveSettingsTest, EveryFieldTogetherRoundTrips)
{
    SaveSettings settings;
    settings.SetFormat(kSaveFormatSie);
    settings.SetCompress(false);
    settings.SetSavesSection(SaveSection::WebUsers, false);
    settings.SetSavesSection(SaveSection::Templates, false);
    settings.SetDimensionSaveMode(0, kSaveModeUsedWithAncestors);
    settings.SetDimensionSaveMode(5, kSaveModeNone);
    settings.SetCardsReferenceMode(31, kCardsReferenceText);
    ASSERT_TRUE(settings.AddSelectionLine(SelectionBase(), "D2\t3000..3999"));
    ASSERT_TRUE(settings.AddSelectionLine(SelectionBase(), "VA\t>100"));
    settings.SetTemplateLinesOnly(true);
    settings.SetFilterLevel(kFilterLines);
    settings.SetTemplateFilterText("Monthly*");
    settings.SetOpenTemplatesOnly(true);
    settings.SetDimensionOrderEntry(2, 9);
    settings.SetSieText(SieText::RC, "Acme AB");
    settings.SetSieFlag(SieFlag::Ru, false);
    settings.SetSieDimension(1, kSieAccountDimension);
    settings.SetSieDimension(4, 6);
    settings.SetSieSaveMode(3, kSaveModeUsed);
    ExpectRoundTrip(settings);

    SaveSettings copy;
    ASSERT_TRUE(copy.CopyFrom(settings));
    EXPECT_TRUE(copy.Equals(settings));
    copy.SetSieDimension(4, 7);
    EXPECT_FALSE(copy.Equals(settings));
    copy.Reset();
    EXPECT_TRUE(copy.Equals(SaveSettings()));
}

// Reading into default settings; what the record then writes shows what the lines did. Unknown keys,
// damaged lines and values out of range change nothing.
TEST(SaveSettingsTest, ReadingTakesOnlyWhatItKnows)
{
    struct Case {
        const char* input;
        const char* written;
    };
    const Case cases[] = {
        {"FS", "FS\r"},
        {"FX\rF\rFSS", ""},
        {"FZ-", "FZ-\r"},
        {"FZ\rFZ*\rFZ-x", ""},
        {"SH-\nSG-", "SH-\rSG-\r"},
        {"SQ-\rS-\rSH", ""},
        // More than 32 letters: the first 32 count.
        {"DF\tNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNU", "DF\tNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNNN\r"},
        // A letter not in "ACUN" leaves its dimension; a character of several bytes is one position.
        {"DF\tUxU", "DF\tUAU\r"},
        {"DF\tU\xC3\x84U", "DF\tUAU\r"},
        {"DF", ""},
        {"DL\tTHC", "DL\tTH\r"},
        {"GC\rGX\rG", ""},
        {"GL", "GL\r"},
        {"CT+", "CT+\r"},
        {"CT\rCX+", ""},
        {"TO+", "TO+\r"},
        {"TF\t", ""},
        // The dimension order: "-" and numbers outside 2-32 store none; the position's own dimension
        // is the default.
        {"M3\t-", "M3\t-\r"},
        {"M3\t40", "M3\t-\r"},
        {"M3\t1", "M3\t-\r"},
        {"M3\t3", ""},
        {"M3\t12", "M3\t12\r"},
        {"M1\t5\rM33\t5\rM3\tx\rM3\rMx\t4\rM-3\t4\rM003\t4", ""},
        {"RD3\t99", "RD3\t1\r"},
        {"RD3\t0", "RD3\t1\r"},
        {"RD3\tK", "RD3\tK\r"},
        {"RD3\t7\rRD3\t-", ""},
        {"RD1\t5\rRD33\t5\rRD3\tabc\rRD3\rRD\t5\rRDx\t5", ""},
        {"Rk-\rRd-", "Rk-\rRd-\r"},
        {"Rx-\rRk\rRkk-", ""},
        {"RC\tAcme", "RC\tAcme\r"},
        {"RF\tACUNX", "RF\tACUN\r"},
        // Selection lines need the base (see SelectionLinesReadIntoTheSelection); without one they are
        // passed over.
        {"BD1\tA", ""},
        {"B", ""},
        {"Unknown\tx\rX\r  \r\t\t\rZZ+\r\xFF\xFE", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        SaveSettings settings;
        ReadLines(settings, c.input);
        EXPECT_EQ(Written(settings), c.written);
    }
}

// "B" lines are keyed lines of the card selection: read into its texts, unknown keys of it passed
// over, written back in the selection's order.
TEST(SaveSettingsTest, SelectionLinesReadIntoTheSelection)
{
    struct Case {
        const char* input;
        const char* written;
    };
    const Case cases[] = {
        {"BD2\t3000\rBVA\t>5", "BD2\t3000\rBVA\t>5\r"},
        {"BY\tRent\rBD1\tA", "BD1\tA\rBY\tRent\r"},
        {"Bfoo\t\t\rBD40\tA\rBV\tx", ""},
        {"BS\tG1 | G2", "BS\tG1 | G2\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        SaveSettings settings;
        ReadLines(settings, c.input, &SelectionBase());
        EXPECT_EQ(Written(settings), c.written);
        if (*c.written != 0)
            ExpectRoundTrip(settings);
    }
}

TEST(SaveSettingsTest, ReadingStopsAtASectionMarker)
{
    for (const char* marker : {"##Macro\tx", "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2" "Cards"}) {
        SCOPED_TRACE(marker);
        SaveSettings settings;
        ReadLines(settings, std::string("FB\r") + marker + "\rFS\r");
        EXPECT_EQ(settings.Format(), kSaveFormatContainerB);
    }
}

TEST(SaveSettingsTest, SettersIgnoreValuesOutOfRange)
{
    SaveSettings settings;
    settings.SetFormat(4);
    settings.SetFormat(0);
    settings.SetDimensionSaveMode(0, 4);
    settings.SetDimensionSaveMode(32, 1);
    settings.SetDimensionSaveMode(-1, 1);
    settings.SetCardsReferenceMode(0, 3);
    settings.SetFilterLevel(3);
    settings.SetDimensionOrderEntry(0, 3);
    settings.SetDimensionOrderEntry(32, 3);
    settings.SetDimensionOrderEntry(3, 32);
    settings.SetDimensionOrderEntry(3, -2);
    settings.SetSieDimension(0, 5);  // the group dimension is no SIE dimension
    settings.SetSieDimension(3, 51);
    settings.SetSieDimension(3, -2);
    settings.SetSieSaveMode(3, -1);
    EXPECT_TRUE(settings.Equals(SaveSettings()));
    EXPECT_EQ(settings.DimensionSaveMode(40), kSaveModeAll);
    EXPECT_EQ(settings.SieSaveMode(-3), kSaveModeUsedWithAncestors);

    EXPECT_FALSE(settings.AddSelectionLine(SelectionBase(), "D1\tA\nD2\tB"));
    EXPECT_FALSE(settings.AddSelectionLine(SelectionBase(), "Q\tA"));
    EXPECT_FALSE(settings.AddSelectionLine(SelectionBase(), "D33\tA"));
    ASSERT_TRUE(settings.AddSelectionLine(SelectionBase(), "D1\tA"));
    EXPECT_TRUE(settings.HasSelection());
    settings.ClearSelection();
    EXPECT_FALSE(settings.HasSelection());
}

TEST(SaveSettingsTest, SaveModeFollowsTheFormat)
{
    SaveSettings settings;
    settings.SetDimensionSaveMode(3, kSaveModeUsed);
    settings.SetSieSaveMode(3, kSaveModeNone);
    EXPECT_EQ(settings.SaveModeOf(3), kSaveModeUsed);
    settings.SetFormat(kSaveFormatSie);
    EXPECT_EQ(settings.SaveModeOf(3), kSaveModeNone);
    EXPECT_EQ(settings.SaveModeOf(4), kSaveModeUsedWithAncestors);
}

TEST(SaveSettingsTest, OptionWords)
{
    SaveSetupList setups(nullptr);
    auto* monthly = new SaveSetup(setups, "Monthly");
    monthly->Settings().SetFormat(kSaveFormatContainerB);
    monthly->Settings().SetSieText(SieText::RC, "Acme");

    struct Case {
        const char* word;
        bool known;
        const char* written;
    };
    const Case cases[] = {
        {"B-", true, "SB-\r"},
        {"C-", true, "SC-\r"},
        {"CT", true, "CT+\r"},
        {"C3H", true, "DL\tCCH\r"},
        {"C12T", true, "DL\tCCCCCCCCCCCT\r"},
        {"C03T", true, "DL\tCCT\r"},
        {"C33T", false, ""},
        {"C0T", false, ""},
        {"C3X", false, ""},
        {"C3", false, ""},
        {"C123T", false, ""},
        {"D-", true, "SD-\r"},
        {"D2U", true, "DF\tAU\r"},
        {"D2A", true, "DF\tAC\r"},
        {"D32-", true, "DF\tAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAN\r"},
        {"D2+", true, ""},
        {"D2", false, ""},
        {"F-", true, "SG-\r"},
        {"FN", true, ""},
        {"FB", true, "FB\r"},
        {"FS", true, "FS\r"},
        {"FT", true, "FT\r"},
        {"FU", false, ""},
        {"FZ-", true, "FZ-\r"},
        {"Fs", true, ""},
        {"I-", true, "SI-\r"},
        {"M-", true, "SX-\r"},
        {"P-", true, "SP-\r"},
        {"S-", true, "ST-\r"},
        {"T-", true, "SM-\r"},
        {"T=Sales*", true, "TF\tSales*\r"},
        {"TO", true, "TO+\r"},
        {"U-", true, "SU-\r"},
        {"W-", true, "SW-\r"},
        {"X-", true, "SH-\rSP-\rSW-\rSB-\rSS-\rSI-\rST-\rSX-\rSD-\rSC-\rSU-\rSM-\rSG-\r"},
        {"X+", true, ""},
        {"c-", true, "SH-\r"},
        {"s-", true, "SS-\r"},
        {"s=monthly", true, "FB\rRC\tAcme\r"},
        {"s=Weekly", false, ""},
        {"", false, ""},
        {"Q+", false, ""},
        {"X", false, ""},
        {"B", false, ""},
        {"B+x", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        SaveSettings settings;
        EXPECT_EQ(settings.ApplyOption(c.word, &setups), c.known);
        EXPECT_EQ(Written(settings), c.written);
    }

    SaveSettings settings;
    ASSERT_TRUE(settings.ApplyOption("Fs", &setups));
    EXPECT_TRUE(settings.CardFlag());
    EXPECT_FALSE(settings.ApplyOption("s=Monthly", nullptr));
}

TEST(SaveSettingsTest, FileExtensionChoosesTheFormat)
{
    struct Case {
        const char* path;
        int32_t format;
        bool compress;
        int32_t expectedFormat;
        bool expectedCompress;
    };
    const Case cases[] = {
        {"/data/a.vek", kSaveFormatText, false, kSaveFormatContainerN, true},
        {"/data/a.VEK", kSaveFormatSie, false, kSaveFormatContainerN, true},
        {"/data/a.vek", kSaveFormatContainerB, false, kSaveFormatContainerB, true},
        {"/data/a.vkx", kSaveFormatContainerN, false, kSaveFormatText, false},
        {"/data/a.txt", kSaveFormatContainerB, false, kSaveFormatContainerB, false},
        {"/data/vek", kSaveFormatContainerB, false, kSaveFormatContainerB, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SaveSettings settings;
        settings.SetFormat(c.format);
        settings.SetCompress(c.compress);
        settings.ApplyFileExtension(FilePath(c.path));
        EXPECT_EQ(settings.Format(), c.expectedFormat);
        EXPECT_EQ(settings.Compress(), c.expectedCompress);
    }
}

TEST(SaveSettingsTest, FromBaseLeavesOutWhatTheBaseLacks)
{
    Base base(FilePath(), 1);
    SaveSettings settings;
    settings.SetFilterLevel(kFilterLines);
    settings.FromBase(base);
    EXPECT_EQ(settings.FilterLevel(), kFilterCards);  // starts from the defaults
    EXPECT_EQ(settings.Format(), kSaveFormatContainerN);
    EXPECT_FALSE(settings.SavesSection(SaveSection::Cards));
    EXPECT_FALSE(settings.SavesSection(SaveSection::Dimension));
    EXPECT_EQ(settings.DimensionSaveMode(1), kSaveModeNone);
    EXPECT_EQ(settings.SieDimension(1), 0);
    EXPECT_FALSE(settings.SavesSection(SaveSection::Macro));
    EXPECT_FALSE(settings.SavesSection(SaveSection::Protection));
    // Parts the base cannot answer for itself stay on.
    EXPECT_TRUE(settings.SavesSection(SaveSection::ImportSetup));
    EXPECT_TRUE(settings.Compress());
    base.Macros().Create("Start");
    ASSERT_TRUE(base.Protection().SetPassword("secret"));
    settings.FromBase(base);
    EXPECT_TRUE(settings.SavesSection(SaveSection::Macro));
    EXPECT_TRUE(settings.SavesSection(SaveSection::Protection));
    EXPECT_FALSE(settings.SavesSection(SaveSection::TimeScale));

    ASSERT_NE(base.AddComponent(1, "3000", "Sales", nullptr), nullptr);
    ASSERT_NE(base.AddComponent(3, "P1", "Project", nullptr), nullptr);
    CardKey key{MakePackedDate(2024, 3, 1), 1};
    ASSERT_NE(base.CreateCard(key), nullptr);
    base.SetSaveKind(5);
    BaseContents contents;
    contents.compress = false;
    contents.hasPassword = false;
    contents.hasWebUsers = false;
    contents.hasSaveSetups = false;
    contents.hasImportSetups = false;
    contents.hasTimeScales = false;
    contents.hasMacros = false;
    contents.hasSubsets = false;
    contents.hasTemplates = false;
    settings.FromBase(base, contents);
    EXPECT_EQ(settings.Format(), kSaveFormatText);
    EXPECT_FALSE(settings.Compress());
    EXPECT_TRUE(settings.SavesSection(SaveSection::Cards));
    EXPECT_TRUE(settings.SavesSection(SaveSection::Dimension));
    for (SaveSection section : {SaveSection::Characters, SaveSection::BaseOptions, SaveSection::Defaults})
        EXPECT_TRUE(settings.SavesSection(section));
    for (SaveSection section : {SaveSection::Protection, SaveSection::WebUsers, SaveSection::SaveSetup,
                                SaveSection::ImportSetup, SaveSection::TimeScale, SaveSection::Macro,
                                SaveSection::Subset, SaveSection::Templates})
        EXPECT_FALSE(settings.SavesSection(section));
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(settings.DimensionSaveMode(d), d == 1 || d == 3 ? kSaveModeAll : kSaveModeNone);
    }
    EXPECT_EQ(settings.SieDimension(1), kSieAccountDimension);
    ExpectRoundTrip(settings);
}

TEST(SaveSettingsTest, WindowHeight)
{
    EXPECT_EQ(SaveSetupWindowHeight(2, 2, 1000), 222 + 77);
    EXPECT_EQ(SaveSetupWindowHeight(20, 2, 1000), 18 * 20 + 45 + 77);
    EXPECT_EQ(SaveSetupWindowHeight(2, 30, 1000), 17 * 30 + 153 + 77);
    EXPECT_EQ(SaveSetupWindowHeight(20, 2, 400), 379);
}

}  // namespace
}  // namespace vek
