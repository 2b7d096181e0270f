// Damaged and awkward SIE input: each row is a tiny file that once lost or changed data without a
// word. Every row checks the message (number, file and line) and that import, save as a base file,
// reload, SIE export and import again keep every card, line and amount, or that the export says why.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieExport.h"
#include "files/sie/SieImport.h"
#include "files/sie/SieRecord.h"
#include "files/sie/SieSummary.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

// What no conversion may lose: cards, lines and the amounts of the lines.
struct Figures {
    int32_t cards = 0;
    int32_t lines = 0;
    double total = 0.0;
    double magnitude = 0.0;  // the sum of the absolute amounts
};

Figures FiguresOf(const Base& base)
{
    Figures figures;
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        ++figures.cards;
        for (CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line)) {
                double value = base.GetLineValue(line, 0);
                EXPECT_TRUE(std::isfinite(value));
                ++figures.lines;
                figures.total += value;
                figures.magnitude += std::fabs(value);
            }
        }
    }
    return figures;
}

void ExpectSameFigures(const Figures& a, const Figures& b)
{
    EXPECT_EQ(a.cards, b.cards);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_NEAR(a.total, b.total, 1e-9);
    EXPECT_NEAR(a.magnitude, b.magnitude, 1e-9);
}

class SieRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    ScratchFolder folder;
};

const char* const kHead = "#FLAGGA 0\n#SIETYP 4\n#FNAMN \"Bolaget\"\n#RAR 0 20100101 20101231\n";

struct DamageCase {
    const char* fault;
    std::string body;      // after kHead (four lines), so the body's first line is line 5
    int32_t message;       // 0: none
    int32_t line;          // of the first case
    int32_t count;         // lines of that kind in the file
    int32_t voucherLines;  // lines the import keeps on vouchers
    int32_t exportMessage;    // what the export of the import reports (0: nothing, the summaries agree)
    int32_t reimportMessage;  // what the import of the export reports (damage that is in the data)
};

std::vector<DamageCase> DamageCases()
{
    const std::string longField(size_t(kMaxSieRecordBytes) - 9, 'x');  // "#PROSA \"" + field + "\""
    return {
        // Fault 3: amounts that are no finite number were stored as infinity or read as 0.
        {"amounts not finite",
         "#VER A 1 20100105 V\n{\n#TRANS 1930 {} 1e309\n#TRANS 1930 {} NaN\n#TRANS 1930 {} inf\n"
         "#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n}\n",
         message::kSieAmount, 7, 3, 2, 0, 0},
        // Fault 5: a file cut off inside a voucher.
        {"cut off", "#VER A 1 20100105 V\n{\n#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n", message::kSieUnclosedVoucher,
         5, 1, 2, 0, 0},
        // Fault 5: a voucher whose closing brace is missing before the next voucher.
        {"unclosed before next",
         "#VER A 1 20100105 V\n{\n#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n#VER A 2 20100106 W\n{\n}\n",
         message::kSieUnclosedVoucher, 5, 1, 2, 0, 0},
        // Fault 5: a checksum that does not match the records.
        {"checksum", "#KSUMMA\n#KONTO 1930 Bank\n#KSUMMA 12345\n", message::kSieChecksum, 7, 1, 0, 0, 0},
        {"checksum not closed", "#KSUMMA\n#KONTO 1930 Bank\n", message::kSieChecksumMissing, 5, 1, 0, 0, 0},
        // Fault 5: an unbalanced voucher (it stays so, and the export's import says so again).
        {"unbalanced", "#VER A 1 20100105 V\n{\n#TRANS 1930 {} 5\n#TRANS 2440 {} -4\n}\n", message::kSieUnbalanced, 5,
         1, 2, 0, message::kSieUnbalanced},
        // Fault 5: dates that are no calendar dates were moved to a neighbouring day.
        {"no calendar date",
         "#VER A 1 21000229 V\n{\n#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n}\n"
         "#VER A 2 20231301 W\n{\n#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n}\n",
         message::kSieVoucherDate, 5, 2, 4, 0, 0},
        // Fault 5: a transaction without an account (kept, and exported under the placeholder).
        {"no account", "#VER A 1 20100105 V\n{\n#TRANS \"\" {} 5\n#TRANS {} -5\n}\n", message::kSieNoAccount, 7, 2,
         2, message::kSieLinesWithoutAccount, 0},
        // Fault 5: dimensions beyond the range, and objects of them.
        {"dimension out of range", "#DIM 100 Stor\n#DIM 0 Noll\n", message::kSieDimension, 5, 2, 0, 0, 0},
        {"object out of range", "#VER A 1 20100105 V\n{\n#TRANS 1930 {100 A} 5\n#TRANS 2440 {} -5\n}\n",
         message::kSieObject, 7, 1, 2, 0, 0},
        // Fault 5: "#UNDERDIM" in a cycle.
        {"cyclic subdimensions", "#UNDERDIM 21 A 22\n#UNDERDIM 22 B 21\n#UNDERDIM 23 C 23\n", message::kSieDimension,
         5, 3, 0, 0, 0},
        {"transaction outside a voucher", "#TRANS 1930 {} 5\n", message::kSieOutsideVoucher, 5, 1, 0, 0, 0},
        // Fault 1: codes and names the base file cannot write (a tab, a NUL, a leading "##").
        {"codes a base cannot hold",
         std::string("#DIM 1 Ställe\n#OBJEKT 1 \"###P\" \"Pro\tj\"\n#VER A 1 20100105 V\n{\n#TRANS \"19\t30\" {1 \"###P\"} 5\n"
                     "#TRANS \"24") + '\0' + "40\" {} -5\n}\n",
         message::kSieCode, 6, 5, 2, 0, 0},
        // Fault 10: a line longer than a record may be is passed over; one of the longest is read. A
        // line far beyond the limit is never held whole.
        {"longest line", "#PROSA \"" + longField + "\"\n", 0, 0, 0, 0, 0, 0},
        {"line too long", "#PROSA \"" + longField + "x\"\n#VER A 1 20100105 V\n{\n#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n}\n",
         message::kSieLongLine, 5, 1, 2, 0, 0},
        {"line far too long",
         "#VER A 1 20100105 V\n{\n#TRANS 1930 {} 5 \"\" \"" + longField + longField + longField +
             "\"\r\n#TRANS 1930 {} 5\n#TRANS 2440 {} -5\n}\n",
         message::kSieLongLine, 7, 1, 2, 0, 0},
    };
}

TEST_F(SieRoundTripTest, DamagedInputIsReportedAndWhatIsReadSurvivesEveryConversion)
{
    for (const DamageCase& item : DamageCases()) {
        SCOPED_TRACE(item.fault);
        std::string sie = folder.Write("Bolag.se", std::string(kHead) + item.body);
        test::MessageLog imported;
        std::unique_ptr<Base> first = OpenSieFileAsNewBase(FilePath(sie));
        ASSERT_NE(first, nullptr);
        if (item.message == 0) {
            EXPECT_TRUE(imported.codes.empty()) << imported.texts.front();
        } else {
            ASSERT_EQ(imported.codes.size(), 1u) << imported.texts.front();
            EXPECT_EQ(imported.codes[0], item.message);
            std::string where = "Line " + std::to_string(item.line) + " of “Bolag.se”";
            EXPECT_EQ(imported.texts[0].rfind(where, 0), 0u) << imported.texts[0];
            std::string count = "(" + std::to_string(item.count) + " in the file)";
            EXPECT_NE(imported.texts[0].find(count), std::string::npos) << imported.texts[0];
        }
        SieSummary summary = SummarizeSieBase(*first);
        EXPECT_EQ(summary.voucherLines, item.voucherLines);
        Figures figures = FiguresOf(*first);

        // Saved as a base file and read back: the same.
        SaveSettings text;
        text.FromBase(*first);
        text.SetFormat(kSaveFormatText);
        ASSERT_TRUE(SaveBaseToPath(*first, FilePath(folder.Path("saved.vkx")), &text));
        Base* loaded = OpenBaseFile(FilePath(folder.Path("saved.vkx")), nullptr, 0);
        ASSERT_NE(loaded, nullptr);
        EXPECT_TRUE(SummarizeSieBase(*loaded) == summary);
        ExpectSameFigures(FiguresOf(*loaded), figures);

        // Exported and imported again: the same, or the export says what it changed.
        test::MessageLog exported;
        ASSERT_TRUE(SaveSieFile(*loaded, FilePath(folder.Path("export.si")), nullptr));
        EXPECT_EQ(exported.codes, item.exportMessage == 0 ? std::vector<int32_t>{} : std::vector<int32_t>{item.exportMessage});
        test::MessageLog reimported;
        std::unique_ptr<Base> second = OpenSieFileAsNewBase(FilePath(folder.Path("export.si")));
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(reimported.codes,
                  item.reimportMessage == 0 ? std::vector<int32_t>{} : std::vector<int32_t>{item.reimportMessage});
        ExpectSameFigures(FiguresOf(*second), figures);
        if (item.exportMessage == 0) {
            EXPECT_TRUE(SummarizeSieBase(*second) == summary);
        }
        delete loaded;
    }
}

// Fault 4: a voucher titled "IB" was taken for the opening balances.
TEST_F(SieRoundTripTest, OpeningBalancesAreKnownByHowTheyWereMade)
{
    std::string sie = folder.Write("Bolag.se", std::string(kHead) +
                                                   "#IB 0 1930 100.00\n#IB 0 2081 -100.00\n"
                                                   "#VER \"\" \"\" 20100105 \"IB\"\n{\n#TRANS 1930 {} 7\n#TRANS 3010 {} -7\n}\n");
    std::unique_ptr<Base> first = OpenSieFileAsNewBase(FilePath(sie));
    ASSERT_NE(first, nullptr);
    int32_t opening = 0;
    for (Card* card = first->FirstCard(); card != first->ChainEnd(); card = first->NextCard(card))
        opening += IsSieOpeningBalanceCard(*card) ? 1 : 0;
    EXPECT_EQ(opening, 1);
    SieSummary summary = SummarizeSieBase(*first);
    EXPECT_EQ(summary.voucherCards, 1);
    EXPECT_EQ(summary.openingBalances.size(), 2u);

    SaveSettings text;
    text.FromBase(*first);
    text.SetFormat(kSaveFormatText);
    ASSERT_TRUE(SaveBaseToPath(*first, FilePath(folder.Path("saved.vkx")), &text));
    Base* loaded = OpenBaseFile(FilePath(folder.Path("saved.vkx")), nullptr, 0);
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(SummarizeSieBase(*loaded) == summary);
    ASSERT_TRUE(SaveSieFile(*loaded, FilePath(folder.Path("export.si")), nullptr));
    std::unique_ptr<Base> second = OpenSieFileAsNewBase(FilePath(folder.Path("export.si")));
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(SummarizeSieBase(*second) == summary);
    delete loaded;
}

// Fault 6: each export and import added a "N: " to voucher texts, and a short financial year came
// back as a whole one. Export, import and export give the same bytes, but for "#GEN".
TEST_F(SieRoundTripTest, ExportImportExportGivesTheSameBytes)
{
    std::string sie = folder.Write(
        "Bolag.se",
        "#FLAGGA 0\n#SIETYP 4\n#FNAMN \"Bolaget\"\n#RAR 0 20110601 20111231\n"
        "#KONTO 1930 \"Bank \"\n#KONTO 3010 Försäljning\n#KONTO 1930€ Euro\n"
        "#IB 0 1930 100.25\n#IB 0 2081 -100.25\n"
        "#VER A 7 20110605 \"Kaffe \" 20110610\n{\n#TRANS 3010 {} -0.125 \"\" \" Bröd\t\"\n#TRANS 1930 {} 0.125\n}\n"
        "#VER \"\" \"\" 20110606 \"Hyra: juni\"\n{\n#TRANS 1930 {} 1e15\n#TRANS 3010 {} -1e15\n}\n"
        "#VER B 8 20110607 \"\"\n{\n#TRANS \"\" {} 1\n#TRANS 3010 {} -1\n}\n");
    std::unique_ptr<Base> original = OpenSieFileAsNewBase(FilePath(sie));
    ASSERT_NE(original, nullptr);
    ASSERT_TRUE(SaveSieFile(*original, FilePath(folder.Path("first.si")), nullptr));
    std::unique_ptr<Base> again = OpenSieFileAsNewBase(FilePath(folder.Path("first.si")));
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(SaveSieFile(*again, FilePath(folder.Path("second.si")), nullptr));

    auto withoutGen = [](std::string text) {
        size_t gen = text.find("#GEN ");
        if (gen != std::string::npos)
            text.erase(gen, text.find('\n', gen) - gen);
        return text;
    };
    std::string first = folder.Read("first.si");
    EXPECT_EQ(withoutGen(folder.Read("second.si")), withoutGen(first));
    EXPECT_NE(first.find("#RAR  0  20110601  20111231\r\n"), std::string::npos) << first;
    EXPECT_NE(first.find("#VER  \"\"  7  20110605  \"Kaffe\""), std::string::npos) << first;
    EXPECT_NE(first.find("  20110606001  20110606  \"Hyra: juni\""), std::string::npos) << first;
    EXPECT_NE(first.find("#TRANS  3010  { } -0.125  \"\"  \"Br\x94" "d\""), std::string::npos) << first;
    EXPECT_NE(first.find("#TRANS  1930  { } 1000000000000000.00\r\n"), std::string::npos) << first;
    ExpectSameFigures(FiguresOf(*again), FiguresOf(*original));
}

}  // namespace
}  // namespace vek
