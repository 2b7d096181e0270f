// Tests of SieExport: the file form, codes, amounts, reported damage, and a round trip through import.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/TestFolder.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieExport.h"
#include "files/sie/SieImport.h"
#include "files/sie/SieSummary.h"
#include "foundation/strings/CodePages.h"
#include "foundation/messages/Message.h"
#include "foundation/numbers/NumberFormat.h"
#include "files/BaseFileTestSupport.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::AnsweringHandler;

// Restores the process-wide number separators at the end of a test.
class SeparatorGuard {
public:
    SeparatorGuard() : saved(GetSeparators()) {}
    ~SeparatorGuard() { SetSeparators(saved); }

private:
    SeparatorPair saved;
};

class SieExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(folder.Path("Export.vek")), 0);
        company = base->AddComponent(0, "F", "Firma", nullptr);
        ASSERT_NE(company, nullptr);
        settings.FromBase(*base);
        settings.SetFormat(kSaveFormatSie);
        settings.SetSieDimension(1, kSieAccountDimension);
    }
    void TearDown() override { ClearError(); }

    Component* Account(const char* code, const char* host, const char* text = "Konto")
    {
        return base->AddComponent(1, code, text, host);
    }

    // A card with one line per (account, amount, text).
    struct LineSpec {
        Component* account;
        double amount;
        const char* text = nullptr;
        Component* object = nullptr;  // in base dimension 2
    };
    Card* AddCard(PackedDate date, int32_t number, const char* title, std::initializer_list<LineSpec> lines)
    {
        CardKey key{date, number};
        Card* card = base->CreateCard(key);
        EXPECT_NE(card, nullptr);
        if (title != nullptr)
            SetHeapText(card->title, title);
        CardGroup* group = base->FindOrAddGroup(card, int32_t(company->number));
        for (const LineSpec& wanted : lines) {
            CardLine* line = base->CreateLine(group);
            base->SetLineComponent(line, 0, wanted.account->number);
            if (wanted.object != nullptr)
                base->SetLineComponent(line, 1, wanted.object->number);
            base->SetLineValue(line, 0, wanted.amount);
            if (wanted.text != nullptr)
                line->SetText(wanted.text);
        }
        return card;
    }

    // The export in memory, as UTF-8 with LF line ends.
    std::string Export()
    {
        TextWriter writer;
        SieExport exporter(*base, settings, writer, nullptr);
        exporter.WriteSie();
        std::string text(writer.BufferedBytes());
        std::string lines;
        for (char c : text)
            lines += c == '\r' ? '\n' : c;
        return lines;
    }

    static bool Has(const std::string& text, const std::string& line)
    {
        return ("\n" + text).find("\n" + line + "\n") != std::string::npos;
    }

    TestFolder folder;
    std::unique_ptr<Base> base;
    Component* company = nullptr;
    SaveSettings settings;
};

// Regression: a base without a company name exported the company "Exempel", which came back on import
// as a company the base never had. The company the base holds is written (BaseFileAnswersTest has
// the base's file name and the empty name).
TEST_F(SieExportTest, HeaderNamesTheCompanyOfTheSetupOrOfTheBase)
{
    std::string text = Export();
    EXPECT_EQ(text.rfind("#FLAGGA 0\n#PROGRAM VEK 5.6.7\n#FORMAT PC8\n#GEN ", 0), 0u);
    EXPECT_TRUE(Has(text, "#SIETYP 4"));
    EXPECT_TRUE(Has(text, "#FNAMN  \"Firma\""));
    EXPECT_EQ(text.find("#ORGNR"), std::string::npos);

    settings.SetSieText(SieText::RC, "Bolaget \"Bästa\" AB");
    settings.SetSieText(SieText::RO, "556000-0000");
    settings.SetSieText(SieText::RN, "Fri text");
    text = Export();
    EXPECT_TRUE(Has(text, "#FNAMN  \"Bolaget \\\"Bästa\\\" AB\""));
    EXPECT_TRUE(Has(text, "#ORGNR  \"556000-0000\""));
    EXPECT_TRUE(Has(text, "#PROSA  \"Fri text\""));
}

// Guards the voucher number: the old "20" + YYMMDD form broke for dates before 2000 and after 2027.
TEST_F(SieExportTest, VoucherNumbersCarryTheWholeYear)
{
    Component* bank = Account("T1930", "1930");
    base->SetCardNumberDigits(1);
    struct Case {
        PackedDate date;
        int32_t number;
        const char* record;
    };
    const Case cases[] = {
        {MakePackedDate(2012, 1, 31), 5, "#VER  \"\"  201201315  20120131  \"V\""},
        {MakePackedDate(2028, 3, 1), 1, "#VER  \"\"  202803011  20280301  \"V\""},
        {MakePackedDate(1999, 12, 31), 12, "#VER  \"\"  1999123112  19991231  \"V\""},
    };
    for (const Case& item : cases)
        AddCard(item.date, item.number, "V", {{bank, 1.0}});
    std::string text = Export();
    for (const Case& item : cases) {
        SCOPED_TRACE(item.record);
        EXPECT_TRUE(Has(text, item.record));
    }
}

// Guards the amounts: they followed the machine's separators, which SIE readers cannot read.
TEST_F(SieExportTest, AmountsUseAPointAndNoGroupingWhateverTheSeparators)
{
    SeparatorGuard guard;
    SetSeparators({u',', u'.'});
    Component* bank = Account("T1930", "1930");
    Component* sales = Account("I3010", "3010");
    AddCard(MakePackedDate(2010, 1, 8), 1, "Stor", {{bank, 1234567.5}, {sales, -1234567.5, "Försäljning"}});
    std::string text = Export();
    EXPECT_TRUE(Has(text, "  #TRANS  1930  { } 1234567.50"));
    EXPECT_TRUE(Has(text, "  #TRANS  3010  { } -1234567.50  \"\"  \"Försäljning\""));
}

TEST_F(SieExportTest, CodesWithBlanksAndObjectsAreQuotedAndListed)
{
    base->GetDimension(2).SetPluralName("Projekt");
    settings.SetSieDimension(2, 6);
    Component* odd = Account("KODD", "40 10", "Udda");
    Component* project = base->AddComponent(2, "P1", "Projekt ett", "P 1");
    AddCard(MakePackedDate(2010, 1, 8), 1, "Citat \"x\"", {{odd, 2.0, nullptr, project}});
    std::string text = Export();
    EXPECT_TRUE(Has(text, "#KONTO  \"40 10\"  \"Udda\""));
    EXPECT_TRUE(Has(text, "#DIM  6  \"Projekt\""));
    EXPECT_TRUE(Has(text, "#OBJEKT  6  \"P 1\"  \"Projekt ett\""));
    EXPECT_TRUE(Has(text, "#VER  \"\"  20100108001  20100108  \"Citat \\\"x\\\"\""));
    EXPECT_TRUE(Has(text, "  #TRANS  \"40 10\"  { 6 \"P 1\" } 2.00"));
}

TEST_F(SieExportTest, AComponentWithoutHostCodeIsReportedOnce)
{
    settings.SetSieFlag(SieFlag::Ru, false);
    Component* bank = Account("T1930", "1930");
    Component* nameless = Account("KX", nullptr);
    AddCard(MakePackedDate(2010, 1, 8), 1, "A", {{nameless, 1.0}, {bank, -1.0}, {nameless, 2.0}});
    AddCard(MakePackedDate(2010, 1, 9), 1, "B", {{nameless, 3.0}});
    AnsweringHandler handler(0);
    std::string text = Export();
    int32_t reports = 0;
    for (int32_t code : handler.codes)
        reports += code == message::kSieNoHostCode ? 1 : 0;
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(text.find("KX"), std::string::npos);
    EXPECT_TRUE(Has(text, "  #TRANS  1930  { } -1.00"));
    EXPECT_TRUE(Has(text, "#VER  \"\"  20100109001  20100109  \"B\""));  // the voucher stays, empty

    settings.SetSieFlag(SieFlag::Ru, true);
    EXPECT_TRUE(Has(Export(), "  #TRANS  KX  { } 2.00"));
}

// The save's card selection picks the vouchers, and at filter level 2 also their lines.
TEST_F(SieExportTest, SelectionLeavesOutRejectedVouchersAndLines)
{
    Component* bank = Account("T1930", "1930");
    Component* sales = Account("I3010", "3010");
    AddCard(MakePackedDate(2010, 1, 8), 1, "Kept", {{bank, 100.0}, {sales, -100.0}});
    AddCard(MakePackedDate(2010, 1, 9), 1, "Dropped", {{bank, 50.0}, {sales, -50.0}});
    base->UpdateDimensionsInUse();
    base->SetupDimensionOrder();
    auto count = [](const std::string& text, const std::string& what) {
        int32_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    ASSERT_TRUE(settings.AddSelectionLine(*base, "Y\tKept"));
    std::string text = Export();
    EXPECT_EQ(count(text, "#VER"), 1) << text;
    EXPECT_NE(text.find("\"Kept\""), std::string::npos);
    EXPECT_EQ(count(text, "#TRANS"), 2);

    settings.ClearSelection();
    ASSERT_TRUE(settings.AddSelectionLine(*base, "D2\tT1930"));
    EXPECT_EQ(count(Export(), "#TRANS"), 4);  // level 0: whole vouchers
    settings.SetFilterLevel(kFilterLines);
    text = Export();
    EXPECT_EQ(count(text, "#VER"), 2);
    EXPECT_EQ(count(text, "#TRANS"), 2) << text;
    EXPECT_EQ(text.find("#TRANS  3010"), std::string::npos) << text;
}

TEST_F(SieExportTest, FileIsCp437WithCrLf)
{
    Component* bank = Account("T1930", "1930", "Å");
    AddCard(MakePackedDate(2010, 1, 8), 1, "V", {{bank, 1.0}});
    FilePath path(folder.Path("out.si"));
    ASSERT_TRUE(SaveSieFile(*base, path, &settings));
    std::string bytes = folder.Read("out.si");
    EXPECT_NE(bytes.find("#KONTO  1930  \"\x8F\"\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("\xC3"), std::string::npos);
    EXPECT_EQ(bytes.find("\n#"), bytes.find("\r\n#") + 1);
}

// Fault 2: lines without an account were dropped (the voucher no longer balanced), and codes that
// CP437 cannot hold merged ("1930€" and "1930…" both became "1930.").
TEST_F(SieExportTest, EveryLineIsWrittenAndCodesThatBecomeAlikeAreReported)
{
    Component* euro = Account("T1930E", "1930€");
    Component* dots = Account("T1930D", "1930…");
    Component* bank = Account("T1931", "1931");
    Card* card = AddCard(MakePackedDate(2010, 1, 8), 1, "Utan", {{euro, 5.0}, {dots, 2.0}, {bank, -3.0}});
    CardLine* loose = base->CreateLine(base->FirstGroup(card));
    base->SetLineValue(loose, 0, -4.0);

    AnsweringHandler handler(0);
    TextWriter writer;
    ASSERT_TRUE(writer.SetEncoding(kEncodingPc8));
    SieExport exporter(*base, settings, writer, nullptr);
    exporter.WriteSie();
    std::string text(writer.BufferedBytes());
    std::vector<int32_t> expected{message::kSieCodesCollide, message::kSieLinesWithoutAccount};
    EXPECT_EQ(handler.codes, expected);
    EXPECT_NE(text.find("#KONTO  UTANKONTO  \"Rader utan konto\"\r"), std::string::npos) << text;
    EXPECT_NE(text.find("  #TRANS  UTANKONTO  { } -4.00\r"), std::string::npos) << text;
    // Every line of the voucher is there, so it still balances.
    size_t lines = 0;
    for (size_t at = text.find("#TRANS"); at != std::string::npos; at = text.find("#TRANS", at + 1))
        ++lines;
    EXPECT_EQ(lines, 4u);
}

// Fault 3: amounts went out as "+inf" or with an exponent, which no SIE reader takes; amounts with
// more than two decimals were rounded.
TEST_F(SieExportTest, AmountsArePlainDecimalsThatReadBackExactly)
{
    Component* bank = Account("T1930", "1930");
    struct Case {
        double amount;
        const char* written;
    };
    const Case cases[] = {
        {1e15, "1000000000000000.00"},
        {-1e20, "-100000000000000000000.00"},
        {-0.125, "-0.125"},
        {1234.5, "1234.50"},
        {0.1 + 0.2, "0.30000000000000004"},
        {INFINITY, "0.00"},
        {NAN, "0.00"},
    };
    int32_t day = 1;
    for (const Case& item : cases)
        AddCard(MakePackedDate(2010, 1, day++), 1, "V", {{bank, item.amount}});
    AnsweringHandler handler(0);
    std::string text = Export();
    for (const Case& item : cases) {
        SCOPED_TRACE(item.written);
        EXPECT_TRUE(Has(text, std::string("  #TRANS  1930  { } ") + item.written));
        if (std::isfinite(item.amount)) {
            EXPECT_EQ(BytesToDouble(item.written, int32_t(std::strlen(item.written))), item.amount);
        }
    }
    // The two that are no numbers are reported together.
    EXPECT_EQ(handler.codes, std::vector<int32_t>{message::kSieAmountNotANumber});
}

// Saving a base with the SIE format goes through the SIE export.
TEST_F(SieExportTest, SavingInTheSieFormatWritesAnSieFile)
{
    Component* bank = Account("T1930", "1930");
    AddCard(MakePackedDate(2010, 1, 8), 1, "V", {{bank, 1.0}});
    ASSERT_TRUE(SaveBaseFile(*base, FilePath(folder.Path("saved.si")), &settings));
    std::string bytes = folder.Read("saved.si");
    EXPECT_EQ(bytes.rfind("#FLAGGA 0\r\n", 0), 0u);
    EXPECT_NE(bytes.find("  #TRANS  1930  { } 1.00\r\n"), std::string::npos);
}

// Guards against a half-written file: an export stopped midway leaves the old file as it was.
TEST_F(SieExportTest, AStoppedExportLeavesTheOldFile)
{
    settings.SetSieFlag(SieFlag::Ru, false);
    Component* nameless = Account("KX", nullptr);
    AddCard(MakePackedDate(2010, 1, 8), 1, "A", {{nameless, 1.0}});
    std::string path = folder.Write("old.si", "old contents");
    AnsweringHandler handler(1);  // "Cancel" at the report
    EXPECT_FALSE(SaveSieFile(*base, FilePath(path), &settings));
    EXPECT_TRUE(IsErrorPending());
    EXPECT_EQ(folder.Read("old.si"), "old contents");
    EXPECT_EQ(folder.CountEntries(), 2);  // home and the old file: no temporary left
}

// Import, export, import: the same vouchers, lines, objects and opening balances.
TEST_F(SieExportTest, ExportedFileImportsToTheSameFigures)
{
    std::string original =
        "#SIETYP 4\n#FNAMN \"Testbolaget\"\n#RAR 0 20100701 20110630\n"
        "#KONTO 1930 Bank\n#KONTO 4010 \"Varor \\\"A\\\"\"\n#DIM 6 Projekt\n#OBJEKT 6 P1 Ett\n"
        "#IB 0 1930 1000.25\n#IB 0 2081 -1000.25\n"
        "#VER A 1 20100801 \"Kaffe\"\n{\n#TRANS 4010 {6 P1} 120.5 20100801 \"Bröd \\\"gott\\\"\"\n#TRANS 1930 {} -120.5\n}\n"
        "#VER A 2 20100802 \"Tom\"\n{\n}\n";
    std::unique_ptr<Base> first = OpenSieFileAsNewBase(FilePath(folder.Write("in.se", original)));
    ASSERT_NE(first, nullptr);
    SaveSettings roundTrip;
    roundTrip.FromBase(*first);
    roundTrip.SetFormat(kSaveFormatSie);
    roundTrip.SetSieDimension(2, 6);
    ASSERT_TRUE(SaveSieFile(*first, FilePath(folder.Path("out.si")), &roundTrip));
    std::unique_ptr<Base> second = OpenSieFileAsNewBase(FilePath(folder.Path("out.si")));
    ASSERT_NE(second, nullptr);

    SieSummary a = SummarizeSieBase(*first);
    SieSummary b = SummarizeSieBase(*second);
    EXPECT_EQ(b.voucherCards, a.voucherCards);
    EXPECT_EQ(b.voucherLines, a.voucherLines);
    EXPECT_EQ(b.accountSums, a.accountSums);
    EXPECT_EQ(b.openingBalances, a.openingBalances);
    // The opening balances keep their date through "#RAR".
    auto openingDate = [](const Base& base) {
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
            if (IsSieOpeningBalanceCard(*card))
                return base.CardDate(card);
        }
        return PackedDate(0);
    };
    EXPECT_EQ(openingDate(*second), MakePackedDate(2010, 6, 30));
    // Objects and line texts come back.
    Component* project = second->GetDimension(2).FindByHost("P1");
    ASSERT_NE(project, nullptr);
    bool found = false;
    for (Card* card = second->FirstCard(); card != second->ChainEnd(); card = second->NextCard(card)) {
        for (CardGroup* group = second->FirstGroup(card); group; group = second->NextGroup(group)) {
            for (CardLine* line = second->FirstLine(group); line; line = second->NextLine(line)) {
                if (second->GetLineComponent(line, 1) == project->number) {
                    found = true;
                    EXPECT_STREQ(line->Text(), "Bröd \"gott\"");
                }
            }
        }
    }
    EXPECT_TRUE(found);
    EXPECT_STREQ(second->GetDimension(1).FindByHost("4010")->text, "Varor \"A\"");
}

}  // namespace
}  // namespace vek
