// ComponentsTemplate: the template of a components analysis, its own keys kept as read.
#include "model/templates/ComponentsTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

ComponentsTemplate::ComponentsTemplate(Base& base) : AnalysisTemplate(TemplateKind::Components, base) {}

ComponentsTemplate::~ComponentsTemplate() = default;

void ComponentsTemplate::Reset()
{
    AnalysisTemplate::Reset();
    kindLines.Clear();
}

void ComponentsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (IsSharedTemplateKey(reader))
        AnalysisTemplate::ReadKeyLine(reader, context);
    else
        kindLines.Keep(reader);
}

void ComponentsTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
