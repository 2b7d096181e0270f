// The text import through import setups: fixture setups of every kind against hand-computed
// summaries, damaged data files, card dates and amounts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/ImportSetup.h"
#include "files/sie/SieSummary.h"
#include "files/textimport/TextImport.h"
#include "files/textimport/TextImportReader.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "foundation/services/Service.h"
#include "platform/FileDialogs.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

std::string TextImportFixture(const std::string& name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/textimport/" + name;
}

// What vek-tool import-summary prints.
std::string SummaryText(const Base& base)
{
    SieSummary summary = SummarizeSieBase(base);
    std::string text = "cards\t" + std::to_string(summary.voucherCards) + "\nlines\t" +
                       std::to_string(summary.voucherLines) + "\n";
    for (const auto& [host, sum] : summary.accountSums) {
        char amount[64];
        std::snprintf(amount, sizeof amount, "%.2f", std::round(sum * 100.0) / 100.0 + 0.0);
        text += "account\t" + host + "\t" + amount + "\n";
    }
    return text;
}

class TextImportTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    Base* OpenSetups()
    {
        Base* base = OpenBaseFile(FilePath(TextImportFixture("setups.vkx")), nullptr, 0);
        EXPECT_NE(base, nullptr);
        return base;
    }

    const ImportSetup& Setup(Base& base, const char* name)
    {
        const ImportSetup* setup = BaseFileRecord::Of(base).ImportSetups().Find(name);
        EXPECT_NE(setup, nullptr) << name;
        return *setup;
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

// One setup of each kind with a small data file, against summaries computed by hand (the sums are
// in tests/fixtures/textimport/README.md).
TEST_F(TextImportTest, FixtureSetupsGiveTheirExpectedSummaries)
{
    struct Row {
        const char* setup;
        const char* data;
        const char* expected;
    };
    const Row rows[] = {
        {"Delimited", "delimited.csv", "delimited.expected"},       // separators, a header skipped
        {"Fixed", "fixed.txt", "fixed.expected"},                   // fixed positions
        {"Cards and lines", "cards-and-lines.txt", "cards-and-lines.expected"},  // conditions, two line-field records
        {"Lookups", "lookups.txt", "lookups.expected"},             // code, text, host lookups; actions
        {"Expression", "expression.txt", "expression.expected"},    // amount expressions, a factor
        {"Wide", "wide.txt", "wide.expected"},                      // UTF-16 with a byte-order mark, CR LF
        {"Texts", "texts.txt", "texts.expected"},                   // joined texts, cases, zero padding
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.setup);
        Base* base = OpenSetups();
        ASSERT_NE(base, nullptr);
        ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(TextImportFixture(row.data)), Setup(*base, row.setup)))
            << GetPendingError().message.code;
        EXPECT_EQ(SummaryText(*base), ScratchFolder::ReadFileBytes(TextImportFixture(row.expected)));
        EXPECT_TRUE(base->IsModified());
        delete base;
    }
}

TEST_F(TextImportTest, CardsTakeTheirTextsAndComponentsFollowTheNotFoundActions)
{
    Base* base = OpenSetups();
    ASSERT_NE(base, nullptr);
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(TextImportFixture("cards-and-lines.txt")),
                                       Setup(*base, "Cards and lines")));
    // Latin-1 text, the card date in "D/M/Y".
    Card* card = base->FirstCard();
    ASSERT_NE(card, base->ChainEnd());
    EXPECT_STREQ(card->title, "Café order");
    EXPECT_EQ(base->CardDate(card), MakePackedDate(2024, 1, 5));

    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(TextImportFixture("lookups.txt")), Setup(*base, "Lookups")));
    // By code: "4000" is made with the value as code and host code ("H" whatever the action).
    const Component* byCode = base->GetDimension(1).FindByCode("4000");
    ASSERT_NE(byCode, nullptr);
    EXPECT_STREQ(byCode->host, "4000");
    // By text with action "C": a "#" code, and the value as its text, so the next line finds it.
    const Component* byText = base->GetDimension(2).FindByHost("Sales dept");
    ASSERT_NE(byText, nullptr);
    EXPECT_EQ(byText->code[0], '#');
    EXPECT_STREQ(byText->text, "Sales dept");
    // By host with action "N": the code of the nearest host's parent and the value, after it.
    const Component* nearest = base->GetDimension(3).FindByCode("PRJ150");
    ASSERT_NE(nearest, nullptr);
    EXPECT_STREQ(nearest->host, "150");
    // Action "-": generated codes.
    EXPECT_NE(base->GetDimension(4).FindByCode("#00001"), nullptr);
    EXPECT_NE(base->GetDimension(4).FindByCode("#00002"), nullptr);
    EXPECT_EQ(base->CountComponents(4), 3);  // "#", X1, X2: each value made once
}

// Damaged data files: the import stops at the first damage with a numbered message that names the
// file and the line, and the base is as it was before.
TEST_F(TextImportTest, DamagedDataFilesAreRefusedWholeWithFileAndLine)
{
    std::string longLine = "1,20240105,1910,CC1,P1," + std::string(10 * 1024 * 1024, '1') + "\n";
    struct Row {
        const char* name;
        const char* setup;
        std::string data;
        int32_t code;
        int32_t line;
    };
    const std::string header = "voucher,date,account,costcentre,project,amount\n";
    const std::string good = "1,20240105,1910,CC1,P1,10\n";
    const Row rows[] = {
        {"not UTF-8", "Delimited", header + good + "2,20240105,19\xE9" "0,CC1,P1,5\n", message::kImportWrongEncoding, 3},
        {"a NUL byte", "Delimited", header + good + std::string("2,2024") + '\0' + "0105,1910,CC,P,1\n", message::kImportWrongEncoding, 3},
        {"UTF-16 mark in a UTF-8 setup", "Delimited", "\xFF\xFEv\0o\0", message::kImportWrongEncoding, 1},
        {"odd UTF-16 bytes", "Wide", std::string("\xFF\xFE" "2\0" "4\0\n\0" "7", 9), message::kImportWrongEncoding, 2},
        {"a 10 MB line", "Delimited", header + good + longLine, message::kImportRecordTooLong, 3},
        {"amount 1.2.3", "Delimited", header + good + "1,20240105,1910,CC1,P1,1.2.3\n", message::kImportAmountNotNumber, 3},
        {"amount --5", "Delimited", header + "1,20240105,1910,CC1,P1,--5\n", message::kImportAmountNotNumber, 2},
        {"amount 1e999", "Delimited", header + good + "1,20240105,1910,CC1,P1,1e999\n", message::kImportAmountNotNumber, 3},
        {"amount without digits", "Delimited", header + "1,20240105,1910,CC1,P1,n/a\n", message::kImportAmountNotNumber, 2},
        {"date 2024-02-30", "Delimited", header + good + "2,2024-02-30,1910,CC1,P1,5\n", message::kImportDateInvalid, 3},
        {"date with month 13", "Delimited", header + "2,20241301,1910,CC1,P1,5\n", message::kImportDateInvalid, 2},
        {"date 30/02/2024", "Cards and lines", "H;30/02/2024;x\nL;3010;1;\n", message::kImportDateInvalid, 1},
        {"date of two numbers", "Cards and lines", "H;05/01/2024;x\nL;3010;1;\nH;05/2024;y\n", message::kImportDateInvalid, 3},
        {"short record: no amount", "Expression", "1910;12;3\n1910;12\n", message::kImportExpressionInvalid, 2},
        // A term that is no number is refused as a plain amount is, never handed to the formula.
        {"expression of words", "Expression", "1910;twelve;3\n", message::kImportAmountNotNumber, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Base* base = OpenSetups();
        ASSERT_NE(base, nullptr);
        base->SetModified(false);
        std::vector<int32_t> counts;
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
            counts.push_back(base->CountComponents(d));
        std::string path = folder.Write("damaged.txt", row.data);
        EXPECT_FALSE(ImportTextFileWithUndo(*base, FilePath(path), Setup(*base, row.setup)));
        const Message& message = GetPendingError().message;
        EXPECT_EQ(message.code, row.code);
        String formatted;
        message.Format(formatted);
        EXPECT_NE(std::string(formatted.CStr()).find("damaged.txt"), std::string::npos) << formatted.CStr();
        EXPECT_NE(std::string(formatted.CStr()).find("Line " + std::to_string(row.line) + " "), std::string::npos)
            << formatted.CStr();
        ClearError();
        // Nothing half-imported.
        EXPECT_EQ(base->CardCount(), 0);
        EXPECT_EQ(base->LineCount(), 0);
        for (int32_t d = 0; d < int32_t(kDimensionCount); ++d)
            EXPECT_EQ(base->CountComponents(d), counts[size_t(d)]) << d;
        EXPECT_FALSE(base->IsModified());
        delete base;
    }
}

// A quote is no part of the setup's syntax: one never closed is an ordinary character of its field,
// and is neither lost nor taken for the end of the file.
TEST_F(TextImportTest, QuoteNeverClosedIsAnOrdinaryCharacter)
{
    Base* base = OpenSetups();
    ASSERT_NE(base, nullptr);
    std::string path = folder.Write("quote.csv", "h\n1,20240105,\"1910,CC1,P1,10\n2,20240106,3010,CC1,P1,-10\n");
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(path), Setup(*base, "Delimited")));
    EXPECT_EQ(base->LineCount(), 2);
    EXPECT_NE(base->GetDimension(1).FindByHost("\"1910"), nullptr);
}

// Bank and ledger files as users have them, each row a fault that once imported wrong figures or
// dropped records without a word. A refused file leaves the base as it was.
TEST_F(TextImportTest, BankAndLedgerFilesImportWholeOrAreRefused)
{
    struct Row {
        const char* name;
        std::vector<std::string> setup;  // the lines of the setup "Row"
        std::string data;
        int32_t refusal = 0;             // the pending message; 0: imported
        std::string summary = {};        // imported: cards, lines and sums per account
        std::vector<int32_t> told = {};  // messages shown while importing
        std::function<void(Base&, const std::vector<std::string>&)> check = {};
    };
    const std::vector<std::string> expression = {"S\t59", "T\t10", "L2\tF1", "LVA\tF2\tS*\t+\tF3"};
    const std::vector<std::string> dated = {"S\t59", "T\t10", "LI\tF1", "L2\tF2", "LVA\tF3"};
    const std::vector<std::string> bank = {"S\t44", "T\t10", "M\tM/D/Y", "LI\tF1", "LZ\tF2", "L2\tF3", "LVA\tF4"};
    const std::vector<std::string> plain = {"S\t59", "L2\tF1", "LVA\tF2"};  // terminator CR, the default
    const std::vector<std::string> cardsAndLines = {"S\t59", "T\t10", "LC\tF1\tTH", "LL\tF1\tTL", "LI\tF2",
                                                    "L2\tF2", "LVA\tF3"};
    const std::string fiveAndMinusFive = "cards\t1\nlines\t2\naccount\t1910\t5.00\naccount\t3010\t-5.00\n";
    auto datedJanuary5 = [](Base& base, const std::vector<std::string>&) {
        ASSERT_EQ(base.CardCount(), 1);
        EXPECT_EQ(base.CardDate(base.FirstCard()), MakePackedDate(2024, 1, 5));
    };
    auto with = [](std::vector<std::string> lines, std::initializer_list<std::string> more) {
        lines.insert(lines.end(), more);
        return lines;
    };
    const Row rows[] = {
        // An amount expression handed terms that are no numbers to the formula evaluator.
        {"expression term 1.2.3", expression, "1910;1.2.3;1\n", message::kImportAmountNotNumber},
        {"expression term of a date", expression, "1910;2024-01-05;1\n", message::kImportAmountNotNumber},
        {"expression term --5", expression, "1910;12;--5\n", message::kImportAmountNotNumber},
        {"expression with a surplus bracket", with({"S\t59", "T\t10", "L2\tF1"}, {"LVA\tF2\tS*\t+\tF3\tS)"}),
         "1910;12;3\n", message::kImportExpressionIncomplete},
        {"expression of numbers", expression, "1910;12;3\n3010;(12);3\n", 0,
         "cards\t1\nlines\t2\naccount\t1910\t36.00\naccount\t3010\t-36.00\n"},
        // A time after the date refused the date in every format.
        {"D/M/Y with a time", with(dated, {"M\tD/M/Y"}), "05.01.2024 10:30;1910;5\n", 0,
         "cards\t1\nlines\t1\naccount\t1910\t5.00\n", {}, datedJanuary5},
        {"YYMMDD with a time", dated, "2024-01-05 10:30:00;1910;5\n", 0, "cards\t1\nlines\t1\naccount\t1910\t5.00\n",
         {}, datedJanuary5},
        {"YYMMDD with a zoned time", dated, "2024-01-05T10:30:00Z;1910;5\n", 0,
         "cards\t1\nlines\t1\naccount\t1910\t5.00\n", {}, datedJanuary5},
        {"DDMMYY with a time", with(dated, {"M\tDDMMYY"}), "050124 1030;1910;5\n", 0,
         "cards\t1\nlines\t1\naccount\t1910\t5.00\n", {}, datedJanuary5},
        {"a date with no time of day after it", dated, "2024-01-05 25:00;1910;5\n", message::kImportDateInvalid},
        // Quoted fields: a separator inside shifted the fields, and the quotes stayed in the texts.
        {"quoted fields", bank,
         "07/01/2024,\"Rent\",1910,\"1,200.00\"\n07/01/2024,\"Rent, hall \"\"B\"\"\",3010,\"-1,200.00\"\n", 0,
         "cards\t1\nlines\t2\naccount\t1910\t1200.00\naccount\t3010\t-1200.00\n", {},
         [](Base& base, const std::vector<std::string>&) {
             const CardGroup* group = base.FirstGroup(base.FirstCard());
             ASSERT_NE(group, nullptr);
             const CardLine* line = base.FirstLine(group);
             ASSERT_NE(line, nullptr);
             EXPECT_STREQ(line->Text(), "Rent");
             const CardLine* second = base.NextLine(line);
             ASSERT_NE(second, nullptr);
             EXPECT_STREQ(second->Text(), "Rent, hall \"B\"");
         }},
        {"a line end inside quotes", bank, "07/01/2024,\"Rent\r\nhall\",1910,5\n", 0,
         "cards\t1\nlines\t1\naccount\t1910\t5.00\n", {},
         [](Base& base, const std::vector<std::string>&) {
             EXPECT_STREQ(base.FirstLine(base.FirstGroup(base.FirstCard()))->Text(), "Rent hall");
         }},
        // Signs that came out positive.
        {"minus sign and brackets", with(plain, {"T\t10", "D\t44"}), "1910;\xE2\x88\x92" "1 234,50\n3010;(12,00)\n", 0,
         "cards\t1\nlines\t2\naccount\t1910\t-1234.50\naccount\t3010\t-12.00\n"},
        // A setup whose terminator is CR read a file of LF line ends as one record.
        {"LF line ends, terminator CR", plain, "1910;5\n3010;-5\n", 0, fiveAndMinusFive},
        {"LF line ends and a header skipped", with(plain, {"RX\t1"}), "account;amount\n1910;5\n3010;-5\n", 0,
         fiveAndMinusFive},
        {"CR LF line ends, terminator CR", plain, "1910;5\r\n3010;-5\r\n", 0, fiveAndMinusFive},
        {"mixed line ends, terminator LF", with(plain, {"T\t10"}), "1910;5\r3010;-5\r\n", 0, fiveAndMinusFive},
        // Line records after a record the setup does not take were dropped without a word.
        {"line records after an unknown record", cardsAndLines,
         "H;240105\nL;1910;1\nX;note\nL;1910;2\nL;3010;3\nH;240106\nL;3010;5\n", 0,
         "cards\t2\nlines\t2\naccount\t1910\t1.00\naccount\t3010\t5.00\n", {message::kImportLinesPassedOver},
         [](Base&, const std::vector<std::string>& texts) {
             ASSERT_EQ(texts.size(), 1u);
             EXPECT_NE(texts[0].find("2 line records"), std::string::npos) << texts[0];
             EXPECT_NE(texts[0].find("line 4"), std::string::npos) << texts[0];
         }},
        // A constant code that names no component made lines without an account.
        {"constant host code that names nothing", {"S\t59", "T\t10", "L2\tT9999", "LVA\tF1"}, "5\n7\n", 0,
         "cards\t1\nlines\t2\naccount\t9999\t12.00\n", {message::kImportHostUnknown}},
        {"constant code that names nothing", {"S\t59", "T\t10", "L2\tT9999", "LVA\tF1", "ZS2\tC"}, "5\n", 0,
         "cards\t1\nlines\t1\naccount\t9999\t5.00\n", {message::kImportCodeUnknown},
         [](Base& base, const std::vector<std::string>&) {
             EXPECT_NE(base.GetDimension(1).FindByCode("9999"), nullptr);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = "\xEF\xBB\xBF##VEK-Text\t121122\r\r##ImportSetup\tRow\r";
        for (const std::string& line : row.setup)
            text += line + "\r";
        text += "\r##Dimension\t2\r-EC\t10\r-EH\t10\r1910\tCash\t1910\r3010\tSales\t3010\r\r##End\r";
        Base* base = OpenBaseFile(FilePath(folder.Write("rows.vkx", text)), nullptr, 0);
        ASSERT_NE(base, nullptr);
        base->SetModified(false);
        int32_t accounts = base->CountComponents(1);
        messages.codes.clear();
        messages.texts.clear();
        bool imported = ImportTextFileWithUndo(*base, FilePath(folder.Write("data.txt", row.data)), Setup(*base, "Row"));
        EXPECT_EQ(imported, row.refusal == 0);
        EXPECT_EQ(GetPendingError().message.code, row.refusal);
        EXPECT_EQ(messages.codes, row.told);
        if (imported) {
            EXPECT_EQ(SummaryText(*base), row.summary);
            if (row.check)
                row.check(*base, messages.texts);
        } else {
            EXPECT_EQ(base->CardCount(), 0);
            EXPECT_EQ(base->CountComponents(1), accounts);
            EXPECT_FALSE(base->IsModified());
        }
        ClearError();
        delete base;
    }
}

// With the base's line history on, every card of a text import remembers the file and the line of
// its card record, as a card imported from a base file does.
TEST_F(TextImportTest, LineHistoryNamesTheRecordOfEachCard)
{
    std::string text = "\xEF\xBB\xBF##VEK-Text\t121122\r\r##BaseOptions\rLH\r\r##ImportSetup\tRow\rS\t59\rT\t10\r"
                       "LX\tF1\rLI\tF1\rL2\tF2\rLVA\tF3\r\r##End\r";
    Base* base = OpenBaseFile(FilePath(folder.Write("history.vkx", text)), nullptr, 0);
    ASSERT_NE(base, nullptr);
    ASSERT_TRUE(BaseFileRecord::Of(*base).lineHistory);
    std::string data = folder.Write("bank.txt", "240105;1910;5\n240105;3010;-5\n240106;1910;1\n");
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(data), Setup(*base, "Row")));
    std::vector<std::string> sources;
    for (Card* card = base->FirstCard(); card != base->ChainEnd(); card = base->NextCard(card)) {
        String source;
        base->CardSources().Format(source, card->index);
        sources.emplace_back(source.CStr());
    }
    EXPECT_EQ(sources, (std::vector<std::string>{"bank.txt:1", "bank.txt:3"}));
    // Without it no card gets a source.
    BaseFileRecord::Of(*base).lineHistory = false;
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(data), Setup(*base, "Row")));
    String source;
    base->CardSources().Format(source, base->LastCard()->index);
    EXPECT_STREQ(source.CStr(), "");
}

TEST_F(TextImportTest, ZeroLinesAreKeptOnlyWhenTheSetupSaysSo)
{
    Base* base = OpenSetups();
    ASSERT_NE(base, nullptr);
    ImportSetup& setup = *BaseFileRecord::Of(*base).ImportSetups().Find("Delimited");
    std::string path = folder.Write("zero.csv", "h\n1,20240105,1910,CC1,P1,0\n1,20240105,3010,CC1,P1,5\n");
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(path), setup));
    EXPECT_EQ(base->LineCount(), 1);
    setup.Settings().lineFields[0].keepZeroLines = true;
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(path), setup));
    EXPECT_EQ(base->LineCount(), 3);
}

// A change of the "LX" value starts a new card without a card record; the same value stays on one.
TEST_F(TextImportTest, KeyTextChangesStartNewCards)
{
    Base* base = OpenSetups();
    ASSERT_NE(base, nullptr);
    std::string path = folder.Write("keys.csv", "h\n7,20240105,1910,C,P,1\n7,20240105,1910,C,P,2\n8,20240105,1910,C,P,3\n");
    ASSERT_TRUE(ImportTextFileWithUndo(*base, FilePath(path), Setup(*base, "Delimited")));
    EXPECT_EQ(base->CardCount(), 2);
    EXPECT_EQ(base->LineCount(), 3);
}

// With exactly one import setup, the import dialog takes a text file and reads it through it.
TEST_F(TextImportTest, ImportDialogReadsTextThroughTheOnlySetup)
{
    HeadlessFileDialogs dialogs;
    ScopedService<FileDialogService> registeredDialogs{&dialogs};
    std::string basePath = folder.Write("one.vkx", test::TextBase({"##VEK-Text\t121122", "", "##ImportSetup\tOnly",
                                                                  "T\t10", "S\t44", "L2\tF1", "LVA\tF2", "", "##End"}));
    Base* base = OpenBaseFile(FilePath(basePath), nullptr, 0);
    ASSERT_NE(base, nullptr);
    dialogs.QueueAnswer(folder.Write("data.txt", "1910,5\n3010,-5\n"));
    ASSERT_TRUE(ImportWithDialog(*base));
    EXPECT_EQ(base->LineCount(), 2);
    dialogs.QueueAnswer(folder.Write("bad.txt", "1910,5\n3010,x\n"));
    EXPECT_FALSE(ImportWithDialog(*base));
    EXPECT_EQ(GetPendingError().message.code, message::kImportAmountNotNumber);
    EXPECT_EQ(base->LineCount(), 2);
}

TEST_F(TextImportTest, CardDatesAreCalendarDatesOrNothing)
{
    struct Row {
        const char* text;
        int32_t format;
        PackedDate expected;  // 0: refused
    };
    const Row rows[] = {
        {"240105", 0, MakePackedDate(2024, 1, 5)},
        {"20240105", 0, MakePackedDate(2024, 1, 5)},
        {"2024-01-05", 0, MakePackedDate(2024, 1, 5)},
        {"2401", 0, MakePackedDate(2024, 1, 1)},           // shortened: the earliest day
        {"2024-02-30", 0, 0},
        {"240230", 0, 0},
        {"280229", 0, MakePackedDate(1928, 2, 29)},
        {"20280229", 0, MakePackedDate(2028, 2, 29)},     // four-digit years beyond 2027
        {"240501", 1, MakePackedDate(2024, 1, 5)},         // YYDDMM
        {"010524", 2, MakePackedDate(2024, 1, 5)},         // MMDDYY
        {"05012024", 3, MakePackedDate(2024, 1, 5)},       // DDMMYYYY
        {"310224", 3, 0},
        {"2024/1/5", 4, MakePackedDate(2024, 1, 5)},
        {"2024/5/1", 5, MakePackedDate(2024, 1, 5)},
        {"1/5/24", 6, MakePackedDate(2024, 1, 5)},
        {"5.1.2024", 7, MakePackedDate(2024, 1, 5)},
        {"29/2/24", 7, MakePackedDate(2024, 2, 29)},
        {"31/2/24", 7, 0},                                 // not moved to 29 February
        {"29/2/1900", 7, 0},                               // 1900 is no leap year
        {"5/13/2024", 7, 0},
        {"5/1/1500", 7, 0},
        {"5/1/124", 7, MakePackedDate(2024, 1, 5)},        // a year counted from 1900
        {"5/1", 7, 0},
        {"5/1/2024/7", 7, 0},
        {"5 1 2024", 7, MakePackedDate(2024, 1, 5)},       // blanks between the numbers
        // A time of day after the date is passed over.
        {"05.01.2024 10:30", 7, MakePackedDate(2024, 1, 5)},
        {"2024-01-05 10:30:00", 0, MakePackedDate(2024, 1, 5)},
        {"2024-01-05T10:30:00Z", 0, MakePackedDate(2024, 1, 5)},
        {"2024-01-05T10:30:00.250+01:00", 4, MakePackedDate(2024, 1, 5)},
        {"050124 1030", 3, MakePackedDate(2024, 1, 5)},
        {"5 1 2024 1030", 7, MakePackedDate(2024, 1, 5)},
        {"2024-01-05 25:00", 0, 0},                        // no time of day
        {"2024-01-05 10:30 x", 0, 0},
        {"31/2/24 10:30", 7, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        PackedDate date = 0;
        bool parsed = ParseImportDate(row.text, row.format, date);
        EXPECT_EQ(parsed, row.expected != 0);
        if (parsed) {
            EXPECT_EQ(date, row.expected);
        }
    }
}

TEST_F(TextImportTest, AmountsAreCleanedOrRefused)
{
    struct Row {
        const char* text;
        uint16_t decimal;
        double expected;  // NaN: refused
    };
    const Row rows[] = {
        {"1.234,50", ',', 1234.5},
        {"1,234.50", '.', 1234.5},
        {"-12.5", '.', -12.5},
        {"12.50-", '.', -12.5},
        {"SEK 1 000", '.', 1000.0},
        {"100 EUR", '.', 100.0},
        {"1e3", '.', 1000.0},
        {"2.5E-1", '.', 0.25},
        {"1.2.3", '.', NAN},
        {"--5", '.', NAN},
        {"1-2", '.', NAN},
        {"1e999", '.', NAN},
        {"\xE2\x88\x92" "1 234,50", ',', -1234.5},  // U+2212, the typeset minus
        {"(12.00)", '.', -12.0},
        {"(SEK 12.00)", '.', -12.0},
        {"(12.00", '.', NAN},
        {"12.00)", '.', NAN},
        {"-(12.00)", '.', NAN},
        {"(12)3", '.', NAN},
        {"", '.', NAN},
        {"abc", '.', NAN},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        double value = ParseAmount(row.text, row.decimal);
        if (std::isnan(row.expected)) {
            EXPECT_TRUE(std::isnan(value)) << value;
        } else {
            EXPECT_DOUBLE_EQ(value, row.expected);
        }
    }
    EXPECT_TRUE(EndsWithOperator("12 * "));
    EXPECT_FALSE(EndsWithOperator("12"));
    std::string padded = "19";
    PadWithZeros(padded, 4);
    EXPECT_EQ(padded, "0019");
}

}  // namespace
}  // namespace vek
