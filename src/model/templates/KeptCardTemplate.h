// KeptCardTemplate: the card window's layout template with its key lines kept as read.
#pragma once

#include "model/templates/KeptKeyLines.h"
#include "model/templates/Template.h"

namespace vek {

// The template of the card window's layout (kind 10) in a program without the analysis layer, which
// registers the kind's own class (CardTemplate): its key lines are kept as read and written back
// after the header line, so that no base loses them.
class KeptCardTemplate : public Template {
public:
    explicit KeptCardTemplate(Base& base);
    ~KeptCardTemplate() override;

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;

    const KeptKeyLines& KindKeyLines() const { return kindLines; }

private:
    KeptKeyLines kindLines;
};

}  // namespace vek
