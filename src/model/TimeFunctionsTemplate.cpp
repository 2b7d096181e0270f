// TimeFunctionsTemplate: the template of a time-functions analysis, its own keys kept as read.
#include "model/TimeFunctionsTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

TimeFunctionsTemplate::TimeFunctionsTemplate(Base& base) : AnalysisTemplate(TemplateKind::TimeFunctions, base) {}

TimeFunctionsTemplate::~TimeFunctionsTemplate() = default;

void TimeFunctionsTemplate::Reset()
{
    AnalysisTemplate::Reset();
    kindLines.Clear();
}

void TimeFunctionsTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (IsSharedTemplateKey(reader))
        AnalysisTemplate::ReadKeyLine(reader, context);
    else
        kindLines.Keep(reader);
}

void TimeFunctionsTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
