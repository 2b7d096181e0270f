// ComponentsTemplate: the template of a components analysis.
#pragma once

#include "model/templates/AnalysisTemplate.h"
#include "model/templates/KeptKeyLines.h"

namespace vek {

// The template of a components analysis (kind 3), made by the template factory (Base::NewTemplate). Until
// the kind's own keys are built, the key lines that the shared part does not read are kept as read
// and written back after the shared keys.
class ComponentsTemplate : public AnalysisTemplate {
public:
    explicit ComponentsTemplate(Base& base);
    ~ComponentsTemplate() override;

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;

    // The kind's own key lines as read (the kind's real keys take this member's place).
    const KeptKeyLines& KindKeyLines() const { return kindLines; }

private:
    KeptKeyLines kindLines;
};

}  // namespace vek
