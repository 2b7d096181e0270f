// LinesTemplate: the template of a lines analysis, its own keys kept as read.
#include "model/LinesTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

LinesTemplate::LinesTemplate(Base& base) : AnalysisTemplate(TemplateKind::Lines, base) {}

LinesTemplate::~LinesTemplate() = default;

void LinesTemplate::Reset()
{
    AnalysisTemplate::Reset();
    kindLines.Clear();
}

void LinesTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (IsSharedTemplateKey(reader))
        AnalysisTemplate::ReadKeyLine(reader, context);
    else
        kindLines.Keep(reader);
}

void LinesTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
