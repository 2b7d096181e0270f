// Tests of SieImport: charts, dimensions, vouchers and balances, encodings, damage and refused files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/TestFolder.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sie/SieImport.h"
#include "files/sie/SieSummary.h"
#include "foundation/messages/Message.h"
#include "files/BaseFileTestSupport.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::AnsweringHandler;

struct LineView {
    std::string account;  // host code
    double value = 0.0;
    std::string text;
    uint32_t slot[4] = {};  // components of base dimensions 2..5
};

std::string TextOf(ConstHeapText text)
{
    return text != nullptr ? std::string(text) : std::string();
}

class SieImportTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    // Imports the text as a file of that name into a new base (null when refused).
    std::unique_ptr<Base> Import(const std::string& text, const char* name = "Bolag.se")
    {
        return OpenSieFileAsNewBase(FilePath(folder.Write(name, text)));
    }

    static Card* CardTitled(const Base& base, const char* title)
    {
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
            if (TextOf(card->title) == title)
                return card;
        }
        return nullptr;
    }

    static std::vector<LineView> Lines(const Base& base, const Card* card)
    {
        std::vector<LineView> lines;
        for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                LineView view;
                const Component* account = base.ComponentAt(base.GetLineComponent(line, 0));
                view.account = account != nullptr ? TextOf(account->host) : "";
                view.value = base.GetLineValue(line, 0);
                view.text = TextOf(line->Text());
                for (int32_t i = 0; i < 4; ++i)
                    view.slot[i] = base.GetLineComponent(line, i + 1);
                lines.push_back(view);
            }
        }
        return lines;
    }

    static std::string CodeOf(const Base& base, uint32_t number)
    {
        const Component* component = base.ComponentAt(number);
        return component != nullptr && !component->IsRoot() ? TextOf(component->code) : "";
    }

    static std::string PluralName(const Base& base, int32_t d)
    {
        String name;
        base.DimensionPluralName(d, name);
        return name.CStr();
    }

    TestFolder folder;
};

const char* const kCompanyFile =
    "#FLAGGA 0\n"
    "#FORMAT PC8\n"
    "#SIETYP 4\n"
    "#FNAMN \"Testbolaget AB\"\n"
    "#RAR 0 20100101 20101231\n"
    "#RAR -1 20090101 20091231\n"
    "#KONTO 1930 \"Bank\"\n"
    "#KTYP 1930 S\n"
    "#KONTO 4010 \"Varor\"\n"
    "#KONTO 0351 \"Nollkonto\"\n"
    "#KONTO 3010 \"Försäljning\"\n"
    "#DIM 1 \"Kostnadsställe\"\n"
    "#DIM 6 Projekt\n"
    "#UNDERDIM 61 \"Delprojekt\" 6\n"
    "#OBJEKT 1 \"K1\" \"Kontor\"\n"
    "#OBJEKT 6 \"P1\" \"Projekt ett\"\n"
    "#OBJEKT 61 \"P1A\" \"Del A\"\n"
    "#IB -1 1930 999.00\n"
    "#IB 0 1930 1500.50\n"
    "#IB 0 4010 -1500.50\n"
    "#VER A 7 20100108 \"Kaffe\" 20100110\n"
    "{\n"
    "#TRANS 4010 {1 \"K1\" 6 \"P1\"} 120.00 20100108 \"Kaffe och bröd\"\n"
    "#TRANS 1930 {61 P1A} -120.00\n"
    "}\n"
    "#VER \"\" \"\" 20100108 \"Utan nummer\"\n"
    "{\n"
    "#TRANS 3010 {} -50\n"
    "#TRANS 1930 {} 50\n"
    "}\n";

TEST_F(SieImportTest, ChartDimensionsObjectsVouchersAndOpeningBalances)
{
    std::unique_ptr<Base> base = Import(kCompanyFile);
    ASSERT_NE(base, nullptr);
    Dimension& accounts = base->GetDimension(1);

    // Accounts: class by "#KTYP", else by the first digit; no class for other first characters.
    struct AccountCase {
        const char* host;
        const char* code;
        const char* parent;
    };
    const AccountCase accountCases[] = {
        {"1930", "S1930", "S"}, {"4010", "K4010", "K"}, {"3010", "I3010", "I"}, {"0351", "0351", ""}};
    for (const AccountCase& item : accountCases) {
        SCOPED_TRACE(item.host);
        Component* account = accounts.FindByHost(item.host);
        ASSERT_NE(account, nullptr);
        EXPECT_EQ(TextOf(account->code), item.code);
        EXPECT_EQ(CodeOf(*base, account->parent), item.parent);
    }
    EXPECT_EQ(TextOf(accounts.FindByCode("K")->text), "Kostnader");
    EXPECT_EQ(TextOf(accounts.FindByHost("3010")->text), "Försäljning");

    // SIE dimensions 1 and 6 take base dimensions 2 and 3; the subdimension 61 shares 3; the series
    // takes the next one.
    EXPECT_EQ(PluralName(*base, 2), "Kostnadsställe");
    EXPECT_EQ(PluralName(*base, 3), "Projekt");
    EXPECT_EQ(PluralName(*base, 4), "Serier");
    String singular;
    base->DimensionSingularName(4, singular);
    EXPECT_STREQ(singular.CStr(), "Serie");
    Component* part = base->GetDimension(3).FindByHost("P1A");
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(TextOf(part->text), "Del A");
    Component* series = base->GetDimension(4).FindByHost("A");
    ASSERT_NE(series, nullptr);

    // Opening balances of the current year only, on a card the day before the year.
    Card* opening = CardTitled(*base, "IB");
    ASSERT_NE(opening, nullptr);
    EXPECT_TRUE(IsSieOpeningBalanceCard(*opening));
    EXPECT_EQ(base->CardDate(opening), MakePackedDate(2009, 12, 31));
    std::vector<LineView> balances = Lines(*base, opening);
    ASSERT_EQ(balances.size(), 2u);
    EXPECT_EQ(balances[0].account, "1930");
    EXPECT_DOUBLE_EQ(balances[0].value, 1500.50);

    // A voucher: its title with the number, its registration date, its lines.
    Card* coffee = CardTitled(*base, "7: Kaffe");
    ASSERT_NE(coffee, nullptr);
    EXPECT_EQ(base->CardDate(coffee), MakePackedDate(2010, 1, 8));
    EXPECT_EQ(coffee->stamps[kStampCreated].timestamp, MakePackedTimestamp(2010, 1, 10, 0, 0));
    CardGroup* group = base->FirstGroup(coffee);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(TextOf(base->ComponentAt(uint32_t(group->key))->text), "Testbolaget AB");
    std::vector<LineView> lines = Lines(*base, coffee);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].account, "4010");
    EXPECT_DOUBLE_EQ(lines[0].value, 120.0);
    EXPECT_EQ(lines[0].text, "Kaffe och bröd");
    EXPECT_EQ(CodeOf(*base, lines[0].slot[0]), "K1");
    EXPECT_EQ(CodeOf(*base, lines[0].slot[1]), "P1");
    EXPECT_EQ(lines[0].slot[2], series->number);
    EXPECT_EQ(CodeOf(*base, lines[1].slot[1]), "P1A");
    EXPECT_DOUBLE_EQ(lines[1].value, -120.0);

    // Without series and number: the text alone, the next free number of the day.
    Card* plain = CardTitled(*base, "Utan nummer");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->number, coffee->number + 1);
    EXPECT_EQ(Lines(*base, plain)[0].slot[2], 4u);  // the series dimension's root

    SieSummary summary = SummarizeSieBase(*base);
    EXPECT_EQ(summary.voucherCards, 2);
    EXPECT_EQ(summary.voucherLines, 4);
    EXPECT_DOUBLE_EQ(summary.openingTotal, 0.0);
}

// The syntax of files written by other programs: CR LF, TAB-separated fields, escaped quotes, object
// lists with blanks, amounts without decimals, "{" lines with a trailing TAB.
TEST_F(SieImportTest, FieldFormsOfOtherProgramsParse)
{
    std::unique_ptr<Base> base = Import(
        "#FLAGGA\t\t0\r\n"
        "#SIETYP\t\t4\r\n"
        "#FNAMN\t\t\"Bolaget \\\"Bästa\\\" AB\"\r\n"
        "#KONTO\t1910\tKassa\r\n"
        "#VER\tB 16 20100110 \"FA30051/\\\"Bildelar\\\"\"\r\n"
        "{\t\r\n"
        "\t#TRANS\t1910 { }      17240    20090701 Återföring\r\n"
        "\t#RTRANS\t1910 { } 5 20090701\r\n"
        "\t#TRANS\t2440\t{}\t-17240\r\n"
        "}\r\n");
    ASSERT_NE(base, nullptr);
    Card* card = CardTitled(*base, "16: FA30051/\"Bildelar\"");
    ASSERT_NE(card, nullptr);
    std::vector<LineView> lines = Lines(*base, card);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].value, 17240.0);
    EXPECT_EQ(lines[0].text, "Återföring");
    EXPECT_EQ(lines[1].account, "2440");
    EXPECT_DOUBLE_EQ(lines[1].value, -17240.0);
    EXPECT_EQ(TextOf(base->ComponentAt(uint32_t(base->FirstGroup(card)->key))->text), "Bolaget \"Bästa\" AB");
}

TEST_F(SieImportTest, VoucherBlocksWithoutBraceLinesKeepTheirLines)
{
    std::unique_ptr<Base> base = Import(
        "#SIETYP 4\n#FNAMN X\n"
        "#VER A 1 20100101 Utan\n#TRANS 1910 {} 5\n#RTRANS 1910 {} 5\n#TRANS 2440 {} -5\n"
        "#VER A 2 20100101 Samma {\n#TRANS 1910 {} 7\n}\n"
        "#KONTO 3000 Efter\n#TRANS 1910 {} 99\n");
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(Lines(*base, CardTitled(*base, "1: Utan")).size(), 2u);
    EXPECT_EQ(Lines(*base, CardTitled(*base, "2: Samma")).size(), 1u);
    // A "#TRANS" outside every voucher belongs to none.
    EXPECT_EQ(SummarizeSieBase(*base).voucherLines, 3);
}

// Guards against mojibake: files claim PC8 but are CP437 or UTF-8.
TEST_F(SieImportTest, TextsReadInTheEncodingTheBytesHave)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"cp437.se", "#FLAGGA 0\r\n#FORMAT PC8\r\n#FNAMN \"\x99vningsbolaget\"\r\n#KONTO 1910 \"L\x86n\"\r\n"},
        {"utf8.se", "#FLAGGA 0\r\n#FORMAT PC8\r\n#FNAMN \"\xC3\x96vningsbolaget\"\r\n#KONTO 1910 \"L\xC3\xA5n\"\r\n"},
        {"bom.se", "\xEF\xBB\xBF#FLAGGA 0\r\n#FNAMN \"\xC3\x96vningsbolaget\"\r\n#KONTO 1910 \"L\xC3\xA5n\"\r\n"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        std::string text = item.bytes + "#VER A 1 20100101 x\r\n{\r\n#TRANS 1910 {} 1\r\n}\r\n";
        std::unique_ptr<Base> base = Import(text, item.name);
        ASSERT_NE(base, nullptr);
        EXPECT_EQ(TextOf(base->GetDimension(1).FindByHost("1910")->text), "Lån");
        Component* company = base->GetDimension(0).FindByCode("Ö");  // the first character, whole
        ASSERT_NE(company, nullptr);
        EXPECT_EQ(TextOf(company->text), "Övningsbolaget");
    }
}

// Guards against silent loss: vouchers without "#FNAMN" (or before it) lost every line.
TEST_F(SieImportTest, VouchersWithoutCompanyRecordKeepTheirLines)
{
    const char* const voucher = "#VER A 1 20100105 \"Hyra\"\n{\n#TRANS 5010 {} 100\n#TRANS 1930 {} -100\n}\n";
    struct Case {
        const char* name;
        std::string text;
        const char* company;
    };
    const Case cases[] = {
        {"none", std::string("#SIETYP 4\n") + voucher, "Bolag"},
        {"after", std::string("#SIETYP 4\n") + voucher + "#FNAMN \"Senare AB\"\n", "Bolag"},
        {"empty", std::string("#SIETYP 4\n#FNAMN \"\"\n") + voucher, "Bolag"},
    };
    for (const Case& item : cases) {
        SCOPED_TRACE(item.name);
        std::unique_ptr<Base> base = Import(item.text);
        ASSERT_NE(base, nullptr);
        SieSummary summary = SummarizeSieBase(*base);
        EXPECT_EQ(summary.voucherLines, 2);
        EXPECT_DOUBLE_EQ(summary.accountSums["5010"], 100.0);
        Card* card = CardTitled(*base, "1: Hyra");
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(TextOf(base->ComponentAt(uint32_t(base->FirstGroup(card)->key))->text), item.company);
    }
}

// Accounts and objects used without being declared, empty vouchers: nothing of the file is dropped.
TEST_F(SieImportTest, UndeclaredAccountsObjectsAndEmptyVouchersAreKept)
{
    std::unique_ptr<Base> base = Import(
        "#SIETYP 4\n#FNAMN X\n#DIM 6 Projekt\n"
        "#VER A 1 20100105 Tom\n{\n}\n"
        "#VER A 2 20100105 Full\n{\n#TRANS 4010 {6 \"P9\" 20 \"N12\"} 10\n#TRANS 2440 {} -10\n}\n"
        "#OBJEKT 6 P9 \"Sent namn\"\n");
    ASSERT_NE(base, nullptr);
    EXPECT_NE(CardTitled(*base, "1: Tom"), nullptr);
    Component* account = base->GetDimension(1).FindByHost("4010");
    ASSERT_NE(account, nullptr);
    EXPECT_EQ(TextOf(account->code), "K4010");
    Component* project = base->GetDimension(2).FindByHost("P9");
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(TextOf(project->text), "Sent namn");  // the late declaration names it
    std::vector<LineView> lines = Lines(*base, CardTitled(*base, "2: Full"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].slot[0], project->number);  // SIE dimension 20 was never declared: skipped
    SieSummary summary = SummarizeSieBase(*base);
    EXPECT_EQ(summary.voucherCards, 2);
    EXPECT_EQ(summary.linesWithoutAccount, 0);
}

TEST_F(SieImportTest, DimensionsBeyondTheFreeBaseDimensionsAreLeftOut)
{
    std::string text = "#SIETYP 4\n#FNAMN X\n";
    for (int32_t n = 1; n <= 35; ++n)
        text += "#DIM " + std::to_string(n) + " \"Dim " + std::to_string(n) + "\"\n#OBJEKT " + std::to_string(n) +
                " O" + std::to_string(n) + " x\n";
    text += "#VER A 1 20100105 V\n{\n#TRANS 1930 {1 O1 30 O30 31 O31} 5\n}\n";
    std::unique_ptr<Base> base = Import(text);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(PluralName(*base, 31), "Dim 30");
    EXPECT_EQ(base->GetDimension(31).FindByHost("O31"), nullptr);
    std::vector<LineView> lines = Lines(*base, CardTitled(*base, "1: V"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_DOUBLE_EQ(lines[0].value, 5.0);
    EXPECT_EQ(base->GetLineComponent(base->FirstLine(base->FirstGroup(CardTitled(*base, "1: V"))), 30),
              base->GetDimension(31).FindByHost("O30")->number);
}

TEST_F(SieImportTest, AVoucherWhoseDateCannotBeReadIsKeptAndReported)
{
    AnsweringHandler handler(0);
    std::unique_ptr<Base> base = Import(
        "#SIETYP 4\n#FNAMN X\n#RAR 0 20100101 20101231\n#VER A 1 \"\" Odaterad\n{\n#TRANS 1930 {} 5\n"
        "#TRANS 2440 {} -5\n}\n");
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(handler.codes.size(), 1u);
    EXPECT_EQ(handler.codes[0], message::kSieVoucherDate);
    Card* card = CardTitled(*base, "1: Odaterad");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(base->CardDate(card), MakePackedDate(2009, 12, 31));
}

class SieImportIntoBaseTest : public SieImportTest {
protected:
    void SetUp() override
    {
        SieImportTest::SetUp();
        base = std::make_unique<Base>(FilePath(folder.Path("Base.vek")), 0);
        ASSERT_NE(base->AddComponent(1, "OWN", "Own account", "9999"), nullptr);
        CardKey key{MakePackedDate(2011, 5, 5), 1};
        Card* card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        base->GetDimension(2).SetPluralName("Mine");
        before = Snapshot();
    }

    struct State {
        int32_t cards = 0;
        int32_t lines = 0;
        int32_t components = 0;
        std::vector<std::string> names;
        bool operator==(const State&) const = default;
    };
    State Snapshot() const
    {
        State state;
        state.cards = base->CardCount();
        state.lines = base->LineCount();
        state.components = base->CountComponentsInUse();
        for (int32_t d = 0; d < 8; ++d)
            state.names.push_back(PluralName(*base, d));
        return state;
    }

    std::unique_ptr<Base> base;
    State before;
};

TEST_F(SieImportIntoBaseTest, ImportAddsToTheOpenBase)
{
    ASSERT_TRUE(ImportSieFile(*base, FilePath(folder.Write("a.se", kCompanyFile))));
    EXPECT_EQ(base->CardCount(), before.cards + 3);
    EXPECT_NE(base->GetDimension(1).FindByHost("9999"), nullptr);
    EXPECT_TRUE(base->IsModified());
}

// The reader of base files tells an SIE file by its first lines and hands it to the SIE import.
TEST_F(SieImportIntoBaseTest, TheBaseFileReaderImportsSieFiles)
{
    ASSERT_TRUE(ImportBaseFile(*base, FilePath(folder.Write("c.txt", kCompanyFile)), nullptr, 0));
    EXPECT_EQ(base->CardCount(), before.cards + 3);
    EXPECT_NE(base->GetDimension(1).FindByHost("4010"), nullptr);
}

TEST_F(SieImportIntoBaseTest, AFileThatIsNoSieFileChangesNothing)
{
    EXPECT_FALSE(ImportSieFile(*base, FilePath(folder.Write("page.se", "<html><body>404</body></html>\n"))));
    EXPECT_EQ(GetPendingError().message.code, message::kNotSieFile);
    EXPECT_TRUE(Snapshot() == before);
}

// A failure midway (the user stops at a message) leaves the base as it was: cards, components and the
// dimension names the import had set.
TEST_F(SieImportIntoBaseTest, AnImportStoppedMidwayLeavesTheBaseAsItWas)
{
    AnsweringHandler handler(1);  // "Cancel"
    std::string text = std::string(kCompanyFile) + "#VER A 9 nodate Trasig\n{\n#TRANS 1930 {} 1\n}\n" +
                       "#VER A 10 20100301 Efter\n{\n#TRANS 1930 {} 1\n}\n";
    EXPECT_FALSE(ImportSieFile(*base, FilePath(folder.Write("b.se", text))));
    EXPECT_EQ(handler.codes, std::vector<int32_t>{message::kSieVoucherDate});
    EXPECT_TRUE(IsErrorPending());
    EXPECT_TRUE(Snapshot() == before);
    EXPECT_EQ(base->GetDimension(1).FindByHost("1930"), nullptr);
}

}  // namespace
}  // namespace vek
