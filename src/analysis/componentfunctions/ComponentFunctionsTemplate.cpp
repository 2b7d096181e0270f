// ComponentFunctionsTemplate: the template of a component-functions analysis, its own keys kept as read.
#include "analysis/componentfunctions/ComponentFunctionsTemplate.h"

namespace vek {

ComponentFunctionsTemplate::ComponentFunctionsTemplate(Base& base)
    : KeptKindTemplate(TemplateKind::ComponentFunctions, base)
{
}

ComponentFunctionsTemplate::~ComponentFunctionsTemplate() = default;

}  // namespace vek
