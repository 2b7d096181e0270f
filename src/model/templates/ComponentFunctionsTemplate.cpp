// ComponentFunctionsTemplate: the template of a component-functions analysis, its own keys kept as read.
#include "model/templates/ComponentFunctionsTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

ComponentFunctionsTemplate::ComponentFunctionsTemplate(Base& base) : AnalysisTemplate(TemplateKind::ComponentFunctions, base) {}

ComponentFunctionsTemplate::~ComponentFunctionsTemplate() = default;

void ComponentFunctionsTemplate::Reset()
{
    AnalysisTemplate::Reset();
    kindLines.Clear();
}

void ComponentFunctionsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (IsSharedTemplateKey(reader))
        AnalysisTemplate::ReadKeyLine(reader, context);
    else
        kindLines.Keep(reader);
}

void ComponentFunctionsTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
