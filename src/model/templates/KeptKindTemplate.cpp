// KeptKindTemplate: an analysis template whose kind's own key lines are kept as read.
#include "model/templates/KeptKindTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

KeptKindTemplate::KeptKindTemplate(TemplateKind kind, Base& base) : AnalysisTemplate(kind, base) {}

KeptKindTemplate::~KeptKindTemplate() = default;

void KeptKindTemplate::Reset()
{
    AnalysisTemplate::Reset();
    kindLines.Clear();
}

void KeptKindTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (IsSharedTemplateKey(reader))
        AnalysisTemplate::ReadKeyLine(reader, context);
    else
        kindLines.Keep(reader);
}

void KeptKindTemplate::WriteDefinition(TextWriter& writer) const
{
    AnalysisTemplate::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
