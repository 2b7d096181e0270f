// Columns of the cards analysis: codes, dimensions, sort-key handling and notes cleaned for a cell.
#include <gtest/gtest.h>

#include <string>

#include "analysis/cards/CardsColumns.h"
#include "foundation/strings/String.h"

namespace vek {
namespace {

std::string CodeOf(int32_t column)
{
    String code;
    int32_t d = DimensionOfCardsColumn(column);
    AppendCardsColumnCode(code, column, d + 1);
    return code.CStr();
}

TEST(CardsColumnsTest, CodesReadBackToTheirColumns)
{
    for (int32_t column = 0; column < cards_column::kCount; ++column) {
        std::string code = CodeOf(column);
        SCOPED_TRACE(code);
        int32_t used = 0;
        EXPECT_EQ(CardsColumnFromCode(code.data(), code.data() + code.size(), used), column);
        EXPECT_EQ(used, int32_t(code.size()));
    }
    struct Case {
        const char* code;
        int32_t column;
    };
    const Case cases[] = {
        {"C", 0}, {"D1", 3}, {"D2", 4}, {"D3", 30}, {"D32", 59}, {"DA", 37}, {"D33", -1}, {"D0", -1},
        {"V1", 6}, {"V9", 14}, {"VX", 29}, {"VY", -1}, {"Z", -1}, {"N", 61},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        int32_t used = 0;
        EXPECT_EQ(CardsColumnFromCode(c.code, c.code + std::string(c.code).size(), used), c.column);
    }
    EXPECT_EQ(CardsColumnOfDimension(0), 3);
    EXPECT_EQ(CardsColumnOfDimension(1), 4);
    EXPECT_EQ(CardsColumnOfDimension(31), 59);
    EXPECT_EQ(CardsColumnOfDimension(32), -1);
    for (int32_t d = 0; d < 32; ++d)
        EXPECT_EQ(DimensionOfCardsColumn(CardsColumnOfDimension(d)), d);
    EXPECT_EQ(CardsColumnCaptionCode(6), 67);
    EXPECT_EQ(CardsColumnCaptionCode(61), 3506);
    EXPECT_FALSE(IsSortableCardsColumn(cards_column::kNotes));
    EXPECT_FALSE(IsSortableCardsColumn(cards_column::kSignatures));
    EXPECT_TRUE(IsSortableCardsColumn(cards_column::kOrigin));
}

TEST(CardsColumnsTest, SortKeysInvertAndTakeLettersByTheirColumn)
{
    CardsSortKey dimension{cards_column::kDimension2, 0, 2, 0, 0};
    InvertCardsSortKey(dimension);
    EXPECT_EQ(dimension.itemDisplay, 1) << "code display inverts to reversed";
    InvertCardsSortKey(dimension);
    EXPECT_EQ(dimension.itemDisplay, 0);
    EXPECT_EQ(CardsSortKeyLetter(dimension), 'N');

    CardsSortKey value{cards_column::kFirstValue + 2, 0, 0, 0, 1};
    InvertCardsSortKey(value);
    EXPECT_EQ(value.valueSort, 4);
    EXPECT_EQ(CardsSortKeyLetter(value), 'B');
    EXPECT_EQ(CardsSortKeyDirectionText(value), 5815);

    CardsSortKey date{cards_column::kDate, 0, 0, 0, 0};
    InvertCardsSortKey(date);
    EXPECT_EQ(date.dateDirection, 1);
    EXPECT_EQ(date.textDirection, 0);
    EXPECT_EQ(CardsSortKeyDirectionText(date), 5814);

    CardsSortKey text{cards_column::kLineText, 0, 0, 0, 0};
    ParseCardsSortKeyLetter(text, 'D');
    EXPECT_EQ(text.textDirection, 1);
    ParseCardsSortKeyLetter(text, 'x');
    EXPECT_EQ(text.textDirection, 1);
    EXPECT_EQ(CardsSortKeyLetter(text), 'D');
}

TEST(CardsColumnsTest, NotesAreCleanedForACell)
{
    struct Case {
        const char* name;
        const char* notes;
        const char* cell;
    };
    const Case cases[] = {
        {"an empty line between paragraphs keeps one return", "One\r\rTwo", "One\rTwo"},
        {"line feeds and pairs become returns", "a\nb\r\nc", "a\rb\rc"},
        {"blanks before a line end go", "a   \rb", "a\rb"},
        {"tabs and control characters are dropped", "a\tb\x01" "c", "abc"},
        {"no return at the start or the end", "\r\nabc\r\r", "abc"},
        {"UTF-8 stays whole", "\xC3\xA4pple\r\r\r\xE2\x82\xAC", "\xC3\xA4pple\r\xE2\x82\xAC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        String cell;
        CleanNotesForCell(c.notes, cell);
        EXPECT_STREQ(cell.CStr(), c.cell);
    }
    std::string longNotes(9000, 'x');
    String cell;
    CleanNotesForCell(longNotes.c_str(), cell);
    EXPECT_EQ(cell.Length(), kNotesCellCharacters);
    CleanNotesForCell(nullptr, cell);
    EXPECT_TRUE(cell.IsEmpty());
}

}  // namespace
}  // namespace vek
