// KeptCardTemplate: the card window's layout, its keys kept as read.
#include "model/templates/KeptCardTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

KeptCardTemplate::KeptCardTemplate(Base& base) : Template(TemplateKind::Card, base) {}

KeptCardTemplate::~KeptCardTemplate() = default;

void KeptCardTemplate::Reset()
{
    Template::Reset();
    kindLines.Clear();
}

void KeptCardTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext&)
{
    kindLines.Keep(reader);
}

void KeptCardTemplate::WriteDefinition(TextWriter& writer) const
{
    Template::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
