// BaseInfoFigures: counting cards, texts and the components the lines use, with their hosts.
#include "docwindows/info/BaseInfoFigures.h"

#include <vector>

#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"
#include "model/dimensions/Component.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

bool HasBaseInfoText(ConstHeapText text)
{
    return text != nullptr && text[0] != '\0';
}

std::string BaseInfoCardKey(const Base& base, const Card* card)
{
    CardKey key;
    base.GetCardKey(card, key);
    String text;
    FormatCardKey(text, key, base.CardNumberDigits());
    return text.CStr();
}

}  // namespace

BaseInfoFigures BaseInfoFigures::Compute(Base& base)
{
    BaseInfoFigures figures;
    figures.memoryUse = base.GetMemoryUse().used;
    if (!base.Path().IsEmpty()) {
        figures.fileSize = base.Path().GetDataSize();
        figures.fileTime = base.Path().GetModificationTime();
    }
    figures.cards = base.CardCount();
    figures.groups = base.GroupCount();
    figures.lines = base.LineCount();

    const RecordPool& pool = base.ComponentPool();
    // Marks by component number (pool index): 1 used by a line, 2 counted with the hosts.
    std::vector<uint8_t> marks(size_t(pool.ElementCount()), 0);
    auto mark = [&marks](uint32_t number) {
        if (number < marks.size())
            marks[number] |= 1;
    };
    const int32_t slots = base.DimsInUse();
    Card* end = base.ChainEnd();
    for (Card* card = base.FirstCard(); card != end; card = base.NextCard(card)) {
        if (figures.firstCardKey.empty())
            figures.firstCardKey = BaseInfoCardKey(base, card);
        if (HasBaseInfoText(card->title))
            ++figures.cardsWithText;
        if (HasBaseInfoText(card->notes))
            ++figures.cardsWithNotes;
        for (CardGroup* group = base.FirstGroup(card); group; group = base.NextGroup(group)) {
            mark(uint32_t(group->key));
            for (CardLine* line = base.FirstLine(group); line; line = base.NextLine(line)) {
                if (HasBaseInfoText(line->Text()))
                    ++figures.linesWithText;
                for (int32_t slot = 0; slot < slots; ++slot)
                    mark(base.GetLineComponent(line, slot));
            }
        }
    }
    if (figures.cards > 0)
        figures.lastCardKey = BaseInfoCardKey(base, base.LastCard());

    for (int32_t d = 0; d < kBaseInfoTotal; ++d) {
        const Component* root = base.Root(d);
        if (root == nullptr)
            continue;
        BaseInfoDimensionFigures& counts = figures.dimensions[size_t(d)];
        for (const Component* c = root->NextInPreorder(pool); c != nullptr && !c->IsRoot(); c = c->NextInPreorder(pool)) {
            ++counts.components;
            if (c->number >= marks.size() || (marks[c->number] & 1) == 0)
                continue;
            ++counts.used;
            // The component and its hosts up to the first one already counted.
            for (const Component* up = c; up != nullptr && !up->IsRoot() && (marks[up->number] & 2) == 0;
                 up = pool.Get<Component>(up->parent)) {
                marks[up->number] |= 2;
                ++counts.usedWithHosts;
            }
        }
        if (counts.components > 0)
            figures.highestWithComponents = d;
        BaseInfoDimensionFigures& total = figures.dimensions[kBaseInfoTotal];
        total.components += counts.components;
        total.used += counts.used;
        total.usedWithHosts += counts.usedWithHosts;
    }
    return figures;
}

}  // namespace vek
