// KeptKindTemplate: an analysis template whose kind's own key lines are kept as read.
#pragma once

#include "model/templates/AnalysisTemplate.h"
#include "model/templates/KeptKeyLines.h"

namespace vek {

// A template of an analysis kind whose own keys no code reads: the shared part reads its keys, the
// other key lines are kept as read and written back after the shared keys, so that no base loses
// them. The template registry makes one for every analysis kind that nobody registered; the kinds
// whose own keys are not built yet (components, component functions) derive from it.
class KeptKindTemplate : public AnalysisTemplate {
public:
    KeptKindTemplate(TemplateKind kind, Base& base);
    ~KeptKindTemplate() override;

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;

    // The kind's own key lines as read (the kind's real keys take this member's place).
    const KeptKeyLines& KindKeyLines() const { return kindLines; }

private:
    KeptKeyLines kindLines;
};

}  // namespace vek
