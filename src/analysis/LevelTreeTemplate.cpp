// LevelTreeTemplate: the level definition and expansion text of the hierarchical templates.
#include "analysis/LevelTreeTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

LevelTreeTemplate::LevelTreeTemplate(TemplateKind kind, Base& base) : AnalysisTemplate(kind, base) {}

LevelTreeTemplate::~LevelTreeTemplate() = default;

void LevelTreeTemplate::Reset()
{
    AnalysisTemplate::Reset();
    levels = LevelDefinition();
    expansion.Set(nullptr);
}

int64_t LevelTreeTemplate::StoredSize() const
{
    // The definition's documented size: seven fields of four levels, four bytes each.
    return AnalysisTemplate::StoredSize() + 4 + 6 * kMaxLevels * 4 + expansion.Length() + 1;
}

void LevelTreeTemplate::WriteExpansionLine(TextWriter& writer) const
{
    writer.PutText("ZX");
    writer.PutSeparator();
    if (ConstHeapText text = expansion.Get())
        writer.PutLongText(text);
    writer.EndRow();
}

void LevelTreeTemplate::ReadExpansionField(TextReader& reader)
{
    if (!reader.NextLongTextField(expansion.Field()) || expansion.Length() == 0)
        expansion.Set(nullptr);
}

}  // namespace vek
