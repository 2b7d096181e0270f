// ComponentsTemplate: the template of a components analysis.
#pragma once

#include "model/templates/KeptKindTemplate.h"

namespace vek {

// The template of a components analysis (kind 3), made by the template factory that the analysis
// layer registers. Until the kind's own keys are built, its key lines are kept as read.
class ComponentsTemplate : public KeptKindTemplate {
public:
    explicit ComponentsTemplate(Base& base);
    ~ComponentsTemplate() override;
};

}  // namespace vek
