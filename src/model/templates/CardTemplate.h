// CardTemplate: the template of the card window's layout.
#pragma once

#include "model/templates/Template.h"
#include "model/templates/KeptKeyLines.h"

namespace vek {

// The template of the card window's layout (kind 10), made by the template factory
// (Base::NewTemplate). Until its own keys are built, its key lines are kept as read and written back
// after the header line.
class CardTemplate : public Template {
public:
    explicit CardTemplate(Base& base);
    ~CardTemplate() override;

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;

    // The kind's own key lines as read (the kind's real keys take this member's place).
    const KeptKeyLines& KindKeyLines() const { return kindLines; }

private:
    KeptKeyLines kindLines;
};

}  // namespace vek
