// CardTemplate: the card window's layout, its keys kept as read.
#include "model/templates/CardTemplate.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

CardTemplate::CardTemplate(Base& base) : Template(TemplateKind::Card, base) {}

CardTemplate::~CardTemplate() = default;

void CardTemplate::Reset()
{
    Template::Reset();
    kindLines.Clear();
}

void CardTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext&)
{
    kindLines.Keep(reader);
}

void CardTemplate::WriteDefinition(TextWriter& writer) const
{
    Template::WriteDefinition(writer);
    kindLines.Write(writer);
}

}  // namespace vek
