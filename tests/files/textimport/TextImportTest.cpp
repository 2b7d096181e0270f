// The text import through import setups: fixture setups of every kind against hand-computed
// summaries, damaged data files, card dates and amounts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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
        {"expression of words", "Expression", "1910;twelve;3\n", message::kImportExpressionInvalid, 1},
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
