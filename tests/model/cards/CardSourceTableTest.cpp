#include <gtest/gtest.h>

#include <string>

#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/cards/CardSourceTable.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::string Formatted(const CardSourceTable& table, uint32_t card)
{
    String text;
    table.Format(text, card);
    return text.CStr();
}

TEST(CardSourceTable, FilesOfOneNameShareOneSourceWhateverTheirCase)
{
    CardSourceTable table;
    int32_t previous = -1;
    table.BeginSource(previous, FilePath("/data/2024/Ledger.SI"));
    EXPECT_EQ(previous, 0);
    table.Record(3, 17);
    int32_t inner = -1;
    table.BeginSourceText(inner, "ledger.si");
    EXPECT_EQ(table.SourceCount(), 1);
    table.Record(4, 18);
    table.BeginSourceText(inner, "other.txt");
    table.EndSource(inner);
    EXPECT_EQ(table.CurrentSource(), 1);
    table.EndSource(previous);
    EXPECT_EQ(table.CurrentSource(), 0);

    EXPECT_EQ(Formatted(table, 3), "Ledger.SI:17");
    EXPECT_EQ(Formatted(table, 4), "Ledger.SI:18");
    EXPECT_EQ(table.CardSource(3), table.CardSource(4));
    // Without a current source a card records none, and no number.
    table.Record(3, 40);
    EXPECT_EQ(Formatted(table, 3), "");
    EXPECT_EQ(table.CardNumber(3), 0);
}

TEST(CardSourceTable, TheTableGrowsForCardsAndNumbers)
{
    CardSourceTable table;
    int32_t previous = 0;
    table.BeginSourceText(previous, "big.txt");
    EXPECT_EQ(table.CardSource(10000), 0) << "beyond the table: no source";
    table.Record(10000, 70000);
    EXPECT_EQ(Formatted(table, 10000), "big.txt:70000");
    EXPECT_EQ(table.CardSource(9999), 0);
    table.Record(5, 0);
    EXPECT_EQ(Formatted(table, 5), "big.txt");
    table.Record(6, -3);
    EXPECT_EQ(table.CardNumber(6), 0) << "a number the table cannot hold is stored as 0";
    EXPECT_GT(table.StoredSize(), 72);
    // Many sources widen the per-card source array.
    for (int32_t i = 0; i < 300; ++i)
        table.BeginSourceText(previous, ("file" + std::to_string(i)).c_str());
    table.Record(11, 1);
    EXPECT_EQ(Formatted(table, 11), "file299:1");
    EXPECT_EQ(Formatted(table, 10000), "big.txt:70000");
    table.Clear(10000);
    EXPECT_EQ(Formatted(table, 10000), "");
}

TEST(CardSourceTable, CompareOrdersByTextThenNumber)
{
    CardSourceTable table;
    table.Assign(1, "beta", 4, 5);
    table.Assign(2, "Alpha", 5, 9);
    table.Assign(3, "alpha", 5, 2);
    table.Assign(4, "", 0, 1);  // a source without text sorts after the named ones
    // Card 5 has no source and sorts first.
    struct Case {
        uint32_t a, b;
        int32_t expected;
    } cases[] = {
        {5, 2, -1}, {2, 5, 1}, {3, 2, -1}, {2, 1, -1}, {1, 4, -1}, {4, 1, 1}, {1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << " vs " << c.b);
        EXPECT_EQ(table.Compare(c.a, c.b), c.expected);
    }
    table.Assign(6, "Aardvark", 8, 1);  // a new text drops the sorted order
    EXPECT_EQ(table.Compare(6, 2), -1);
}

TEST(CardSourceTable, TheHLineRoundTrips)
{
    CardSourceTable table;
    table.Assign(7, "March.si", 8, 42);
    table.Assign(8, "March.si", 8, 0);
    TextWriter writer;
    table.WriteLine(writer, 7);
    table.WriteLine(writer, 8);
    table.WriteLine(writer, 9);  // no source: nothing
    EXPECT_EQ(std::string(writer.BufferedBytes()), "H\tMarch.si\t42\rH\tMarch.si\r");

    CardSourceTable copy;
    TextReader reader(writer);
    for (uint32_t card : {7u, 8u}) {
        ASSERT_TRUE(reader.ReadLine());
        String tag;
        ASSERT_TRUE(reader.NextFieldToString(tag));
        EXPECT_STREQ(tag.CStr(), "H");
        copy.ReadLine(reader, card);
    }
    EXPECT_EQ(Formatted(copy, 7), "March.si:42");
    EXPECT_EQ(Formatted(copy, 8), "March.si");
}

TEST(CardSourceTable, ADeletedCardTakesItsSourceAlong)
{
    // Guards against a card that reuses a pool index showing the source of the card before it.
    Base base{FilePath(), 1};
    CardKey key{MakePackedDate(2024, 1, 2), 0};
    Card* card = base.CreateCard(key);
    uint32_t index = card->index;
    base.CardSources().Assign(index, "old.si", 6, 3);
    base.DeleteCard(card);
    card = base.CreateCard(key);
    ASSERT_EQ(card->index, index);
    EXPECT_EQ(base.CardSources().CardSource(index), 0);
}

}  // namespace
}  // namespace vek
