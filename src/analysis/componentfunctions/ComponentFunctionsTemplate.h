// ComponentFunctionsTemplate: the template of a component-functions analysis.
#pragma once

#include "model/templates/KeptKindTemplate.h"

namespace vek {

// The template of a component-functions analysis (kind 5), made by the template factory that the
// analysis layer registers. Until the kind's own keys are built, its key lines are kept as read.
class ComponentFunctionsTemplate : public KeptKindTemplate {
public:
    explicit ComponentFunctionsTemplate(Base& base);
    ~ComponentFunctionsTemplate() override;
};

}  // namespace vek
