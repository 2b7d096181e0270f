// CardsTemplate: the template of a cards analysis, its own keys kept as read.
#include "model/CardsTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

CardsTemplate::CardsTemplate(Base& base) : AnalysisTemplate(TemplateKind::Cards, base) {}

CardsTemplate::~CardsTemplate() = default;

void CardsTemplate::Reset()
{
    AnalysisTemplate::Reset();
    kindLines.Clear();
}

void CardsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (IsSharedTemplateKey(reader))
        AnalysisTemplate::ReadKeyLine(reader, context);
    else
        kindLines.Keep(reader);
}

void CardsTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
