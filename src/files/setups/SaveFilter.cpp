#include "files/setups/SaveFilter.h"

#include "files/setups/SaveSettings.h"
#include "foundation/messages/PendingError.h"
#include "model/base/Base.h"
#include "model/selections/SelectionTexts.h"

namespace vek {

namespace {

// Set once at start-up by the template layer; null until then.
constinit TemplateLineCollector templateLineCollector = nullptr;

}  // namespace

void SetTemplateLineCollector(TemplateLineCollector collector)
{
    templateLineCollector = collector;
}

SaveFilter::SaveFilter(Base& base, const SelectionTexts* texts, int32_t filterLevel,
                       std::unique_ptr<BitSet> templateLines)
    : base(base), selection(base, nullptr), filterLevel(filterLevel), templateLines(std::move(templateLines))
{
    if (texts != nullptr)
        selection.ApplyTexts(*texts);
    (void)selection.Prepare(SelectionCheck::None);
    const ComponentSelection& components = selection.Components();
    bool componentsMatter = false;
    for (int32_t d = 1; d < int32_t(kDimensionCount); ++d)
        componentsMatter = componentsMatter || components.HasExpression(d);
    bool valuesMatter = false;
    for (int32_t i = 0; i < base.ValueCount(); ++i)
        valuesMatter = valuesMatter || selection.ValueText(i) != nullptr;
    linesMatter = componentsMatter || valuesMatter || selection.LineTextText() != nullptr ||
                  selection.Formula().HasCode() || components.HasExpression(0) || this->templateLines != nullptr;
}

SaveFilter::~SaveFilter() = default;

std::unique_ptr<SaveFilter> SaveFilter::FromSettings(Base& base, const SaveSettings& settings)
{
    bool selects = settings.HasSelection() &&
                   (settings.Format() == kSaveFormatSie || settings.SavesSection(SaveSection::Dimension) ||
                    settings.SavesSection(SaveSection::Cards));
    if (!selects && !settings.TemplateLinesOnly())
        return nullptr;
    std::unique_ptr<BitSet> lines;
    if (settings.TemplateLinesOnly() && templateLineCollector != nullptr) {
        lines = std::make_unique<BitSet>(base.CardRecords().linePool.ElementCount());
        lines->SetAll(0);
        if (!templateLineCollector(base, settings, *lines))
            lines.reset();
    }
    const SelectionTexts* texts = settings.HasSelection() ? settings.CardSelection() : nullptr;
    if (texts != nullptr && &texts->GetBase() != &base)
        texts = nullptr;  // a selection made for another base names none of this one's components
    return std::make_unique<SaveFilter>(base, texts, settings.FilterLevel(), std::move(lines));
}

bool SaveFilter::LineMatches(const CardLine* line) const
{
    if (templateLines != nullptr && !templateLines->GetBit(int32_t(line->index)))
        return false;
    return selection.MatchesLine(line);
}

bool SaveFilter::GroupMatches(const CardGroup* group) const
{
    if (!selection.AdmitsGroup(group))
        return false;
    for (const CardLine* line = base.FirstLine(group); line != nullptr; line = base.NextLine(line))
        if (LineMatches(line))
            return true;
    return false;
}

bool SaveFilter::CardPasses(const Card* card) const
{
    CardKey key;
    base.GetCardKey(card, key);
    if (!selection.KeyInRange(key) || !selection.MatchesCard(card))
        return false;
    if (!linesMatter)
        return true;
    for (const CardGroup* group = base.FirstGroup(card); group != nullptr; group = base.NextGroup(group))
        if (GroupMatches(group))
            return true;
    return false;
}

bool SaveFilter::GroupPasses(const CardGroup* group) const
{
    return filterLevel < kFilterGroups || GroupMatches(group);
}

bool SaveFilter::LinePasses(const CardLine* line) const
{
    return filterLevel < kFilterLines || LineMatches(line);
}

}  // namespace vek
