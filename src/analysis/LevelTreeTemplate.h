// LevelTreeTemplate: what the templates of the hierarchical analyses share: the level definition and
// the expansion text.
#pragma once

#include "analysis/LevelDefinition.h"
#include "foundation/strings/OwnedText.h"
#include "model/templates/AnalysisTemplate.h"

namespace vek {

// The base of the components (kind 3) and component-functions (kind 5) templates. The kinds read
// and write the "P" and "K" lines of the level definition and the "ZX" expansion text among their
// own keys, in their own order, through the definition's and this class's helpers.
class LevelTreeTemplate : public AnalysisTemplate {
public:
    LevelTreeTemplate(TemplateKind kind, Base& base);
    ~LevelTreeTemplate() override;

    LevelDefinition& Levels() { return levels; }
    const LevelDefinition& Levels() const { return levels; }
    // The expansion text of the level tree (null when none): which rows a window shows expanded.
    ConstHeapText ExpansionText() const { return expansion.Get(); }
    void SetExpansionText(const char* text) { expansion.Set(text); }

    // The level defaults and no expansion text, after the shared reset.
    void Reset() override;
    int64_t StoredSize() const override;

protected:
    // "ZX", a separator and the expansion text.
    void WriteExpansionLine(TextWriter& writer) const;
    // The field after "ZX"; an empty field clears the text.
    void ReadExpansionField(TextReader& reader);

private:
    LevelDefinition levels;
    OwnedText expansion;
};

}  // namespace vek
