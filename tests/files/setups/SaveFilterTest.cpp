// Tests of SaveFilter: which cards, groups and lines the "##Cards" section of a save writes for a card
// selection at each filter level.
#include "files/setups/SaveFilter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "files/sections/BaseSectionWriter.h"
#include "files/setups/SaveSettings.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// Dimension 1: X, Y. Group key G in dimension 0. Lines are named by their text:
//   card 2024-01-05 "Rent":   group 0: a (X, 10), b (Y, 20)   group G: c (Y, 5)
//   card 2024-02-05 "Office": group 0: d (Y, 7)
//   card 2024-03-05 "Empty":  no lines
class SaveFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        Component* g = base->AddComponent(0, "G", nullptr, nullptr);
        ASSERT_NE(g, nullptr);
        ASSERT_NE(base->AddComponent(1, "X", nullptr, nullptr), nullptr);
        ASSERT_NE(base->AddComponent(1, "Y", nullptr, nullptr), nullptr);
        base->UpdateDimensionsInUse();
        base->SetupDimensionOrder();
        Card* rent = AddCard(5, 1, "Rent");
        AddLines(rent, 0, {{"a", "X", 10}, {"b", "Y", 20}});
        AddLines(rent, int32_t(g->number), {{"c", "Y", 5}});
        AddLines(AddCard(5, 2, "Office"), 0, {{"d", "Y", 7}});
        AddCard(5, 3, "Empty");
    }
    void TearDown() override
    {
        base.reset();
        ClearError();
    }

    Card* AddCard(int32_t day, int32_t month, const char* title)
    {
        CardKey key{MakePackedDate(2024, month, day), 1};
        Card* card = base->CreateCard(key);
        EXPECT_NE(card, nullptr);
        SetHeapText(card->title, title);
        return card;
    }
    struct Row {
        const char* text;
        const char* component;
        double value;
    };
    void AddLines(Card* card, int32_t groupKey, std::initializer_list<Row> rows)
    {
        CardGroup* group = base->FindOrAddGroup(card, groupKey);
        ASSERT_NE(group, nullptr);
        for (const Row& row : rows) {
            CardLine* line = base->CreateLine(group);
            ASSERT_NE(line, nullptr);
            line->SetText(row.text);
            base->SetLineComponent(line, 0, base->LookupComponent(1, row.component, int32_t(std::strlen(row.component))));
            base->SetLineValue(line, 0, row.value);
        }
    }

    // The "##Cards" section in short: "C" and the title for each card, "G" for each group, and the
    // text of each line.
    std::string Written(const SaveSettings& settings)
    {
        TextWriter writer;
        WriteCardsSection(*base, writer, settings);
        std::string text(writer.BufferedBytes());
        std::string out;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\r', start);
            std::string line = text.substr(start, end - start);
            start = end == std::string::npos ? text.size() : end + 1;
            if (line.empty())
                continue;
            size_t tab = line.find('\t');
            std::string second = tab == std::string::npos ? "" : line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
            if (line[0] == 'C')
                out += " C" + second;
            else if (line[0] == 'G')
                out += " G";
            else if (line[0] == 'L')
                out += second;
        }
        return out;
    }

    std::unique_ptr<Base> base;
};

TEST_F(SaveFilterTest, SelectionAndLevelDecideWhatIsWritten)
{
    struct Case {
        const char* line;  // a selection line, without its "B"
        int32_t level;
        const char* written;
    };
    const Case cases[] = {
        {nullptr, kFilterLines, " CRent Gab Gc COffice Gd CEmpty"},  // no selection: everything
        // A component condition chooses the cards that hold a matching line, at every level.
        {"D2\tX", kFilterCards, " CRent Gab Gc"},
        {"D2\tX", kFilterGroups, " CRent Gab"},
        {"D2\tX", kFilterLines, " CRent Ga"},
        {"D1\tG", kFilterGroups, " CRent Gc"},           // the group dimension
        {"Y\tOffice", kFilterLines, " COffice Gd"},      // card title
        {"C\t240201", kFilterCards, " COffice Gd CEmpty"},  // a range keeps cards without lines
        {"C\t\t240131", kFilterCards, " CRent Gab Gc"},
        {"VA\t>6", kFilterLines, " CRent Gab COffice Gd"},
        {"VA\t<6", kFilterLines, " CRent Gc"},
        {"L\tb", kFilterLines, " CRent Gb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line != nullptr ? c.line : "none");
        SaveSettings settings;
        if (c.line != nullptr) {
            ASSERT_TRUE(settings.AddSelectionLine(*base, c.line));
        }
        settings.SetFilterLevel(c.level);
        EXPECT_EQ(SaveFilter::FromSettings(*base, settings) != nullptr, c.line != nullptr);
        EXPECT_EQ(Written(settings), c.written);
    }
}

// Only a save that writes cards or dimensions, or an SIE export, is filtered.
TEST_F(SaveFilterTest, BuiltOnlyWhenTheSaveSelectsCards)
{
    SaveSettings settings;
    ASSERT_TRUE(settings.AddSelectionLine(*base, "D2\tX"));
    EXPECT_NE(SaveFilter::FromSettings(*base, settings), nullptr);
    settings.SetSavesSection(SaveSection::Cards, false);
    settings.SetSavesSection(SaveSection::Dimension, false);
    EXPECT_EQ(SaveFilter::FromSettings(*base, settings), nullptr);
    settings.SetFormat(kSaveFormatSie);
    EXPECT_NE(SaveFilter::FromSettings(*base, settings), nullptr);
    // "Only lines of saved templates" builds one even without a selection.
    SaveSettings templatesOnly;
    templatesOnly.SetTemplateLinesOnly(true);
    EXPECT_NE(SaveFilter::FromSettings(*base, templatesOnly), nullptr);
}

// The template line set: a collector that gives only line "b" at filter level 2.
TEST_F(SaveFilterTest, TemplateLinesNarrowTheLines)
{
    static const Base* expected = nullptr;
    expected = base.get();
    SetTemplateLineCollector([](Base& of, const SaveSettings&, BitSet& lines) {
        if (&of != expected)
            return false;
        for (Card* card = of.FirstCard(); card != of.ChainEnd(); card = of.NextCard(card))
            for (CardGroup* group = of.FirstGroup(card); group != nullptr; group = of.NextGroup(group))
                for (CardLine* line = of.FirstLine(group); line != nullptr; line = of.NextLine(line))
                    if (std::strcmp(line->Text(), "b") == 0)
                        lines.SetBit(int32_t(line->index), true);
        return true;
    });
    SaveSettings settings;
    settings.SetTemplateLinesOnly(true);
    settings.SetFilterLevel(kFilterLines);
    EXPECT_EQ(Written(settings), " CRent Gb");
    SetTemplateLineCollector(nullptr);
    EXPECT_EQ(Written(settings), " CRent Gab Gc COffice Gd CEmpty");
}

}  // namespace
}  // namespace vek
