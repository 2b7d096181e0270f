// Synthetic bases: fills a base with generated cards and components, and sums it up afterwards.
#include "synthetic/SyntheticBase.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "model/base/Base.h"

namespace vek {

uint64_t SyntheticRandom::Next()
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

bool BuildSyntheticBase(Base& base, const SyntheticBaseOptions& options)
{
    int32_t cardCount = std::max(options.cards, 0);
    int32_t linesPerCard = std::max(options.linesPerCard, 1);
    int32_t perDimension = std::max(options.componentsPerDimension, 1);
    int32_t dimensions = std::clamp(options.dimensionsUsed, 1, kLineSlotCount);
    int32_t days = std::max(options.days, 1);
    SyntheticRandom random(options.seed);

    // Codes of one letter per dimension and a fixed-width number: no code is a prefix of another,
    // so every component is top-level.
    std::vector<std::vector<uint32_t>> components(static_cast<size_t>(dimensions) + 1);
    char code[32];
    char text[48];
    for (int32_t d = 1; d <= dimensions; ++d) {
        components[size_t(d)].reserve(size_t(perDimension));
        for (int32_t i = 0; i < perDimension; ++i) {
            std::snprintf(code, sizeof code, "%c%07d", 'A' + (d - 1) % 26, i + 1);
            std::snprintf(text, sizeof text, "Component %d of dimension %d", i + 1, d);
            Component* component = base.AddComponent(d, code, text, nullptr);
            if (!component)
                return false;
            components[size_t(d)].push_back(component->number);
        }
    }
    // Components made with AddComponentAfter or from a file may leave this to the caller.
    base.UpdateDimensionsInUse();
    base.SetValueCount(std::clamp(options.valuesPerLine, 1, kMaxValueCount));

    std::vector<int32_t> dayOfCard(static_cast<size_t>(cardCount));
    for (int32_t i = 0; i < cardCount; ++i)
        dayOfCard[size_t(i)] = int32_t(int64_t(i) * days / std::max(cardCount, 1));
    if (options.shuffled) {
        for (int32_t i = cardCount - 1; i > 0; --i)
            std::swap(dayOfCard[size_t(i)], dayOfCard[size_t(random.Below(i + 1))]);
    }

    int32_t firstDay = PackedDateToDayNumber(options.firstDate);
    int32_t valueCount = base.ValueCount();
    int32_t slots = base.DimsInUse();
    std::vector<uint32_t> row(static_cast<size_t>(kLineSlotCount));
    std::vector<double> values(static_cast<size_t>(kMaxValueCount));
    for (int32_t i = 0; i < cardCount; ++i) {
        CardKey key{DayNumberToPackedDate(int64_t(firstDay) + dayOfCard[size_t(i)]), 0};
        Card* card = base.CreateCard(key);
        if (!card)
            return false;
        CardGroup* group = base.FindOrAddGroup(card, 0);
        if (!group)
            return false;
        for (int32_t l = 0; l < linesPerCard; ++l) {
            CardLine* line = base.CreateLine(group);
            if (!line)
                return false;
            for (int32_t s = 0; s < slots; ++s) {
                int32_t d = s + 1;
                row[size_t(s)] = d <= dimensions ? components[size_t(d)][size_t(random.Below(perDimension))]
                                                 : uint32_t(d);
            }
            base.SetLineComponents(line, row.data());
            for (int32_t v = 0; v < valueCount; ++v)
                values[size_t(v)] = double(int64_t(random.Below(2000001)) - 1000000) / 100.0;
            base.SetLineValues(line, values.data());
            if (options.lineTexts) {
                std::snprintf(text, sizeof text, "Line %d of card %d", l + 1, i + 1);
                line->SetText(text);
            }
        }
    }
    return true;
}

SyntheticBaseSummary SummarizeBase(const Base& base)
{
    SyntheticBaseSummary summary;
    summary.cards = base.CardCount();
    summary.groups = base.GroupCount();
    summary.lines = base.LineCount();
    summary.buckets = base.BucketCount();
    summary.components = base.CountComponentsInUse();
    summary.dimsInUse = base.DimsInUse();
    summary.componentWidth = base.ComponentWidth();
    summary.valueCount = base.ValueCount();
    for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
        for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            for (CardLine* line = base.FirstLine(group); line; line = base.NextLine(line))
                summary.valueSum += base.GetLineValue(line, 0);
        }
    }
    return summary;
}

}  // namespace vek
