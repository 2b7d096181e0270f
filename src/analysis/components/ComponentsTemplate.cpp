// ComponentsTemplate: the template of a components analysis, its own keys kept as read.
#include "analysis/components/ComponentsTemplate.h"

namespace vek {

ComponentsTemplate::ComponentsTemplate(Base& base) : KeptKindTemplate(TemplateKind::Components, base) {}

ComponentsTemplate::~ComponentsTemplate() = default;

}  // namespace vek
