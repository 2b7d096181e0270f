// CardTemplate: the template of the card window's layout (kind 10): column widths and the notes area.
#pragma once

#include <array>
#include <cstdint>

#include "model/templates/AnalysisTemplate.h"
#include "model/templates/KeptKeyLines.h"

namespace vek {

// The layout a card window is opened with, copied whole into each card window.
struct CardLayout {
    std::array<int32_t, 32> dimensionWidths{};  // per dimension 0-31; 0 unset
    int32_t textWidth = 0;                      // the line-text column
    std::array<int32_t, 24> valueWidths{};      // per value field 0-23
    bool notesShown = false;

    bool operator==(const CardLayout&) const = default;
};

// The card window's layout template: each base keeps one as its kind-10 defaults template, the card
// window is made from it and writes its layout back into it. A width below 16 counts as unset (the
// window uses its own default).
//
// Its own key lines follow the shared keys of AnalysisTemplate; fields after the key are separated
// by a tab:
//
//   | key  | fields                                             | written                            |
//   |------|----------------------------------------------------|------------------------------------|
//   | "wL" | the text column's width                            | when not 0                         |
//   | "wV" | one per value field of the base, empty for 0;      | when a value field's width is not 0|
//   |      | reading takes up to 24                             |                                    |
//   | "wD" | 32, one per dimension, empty for a dimension not   | when a dimension in use has a      |
//   |      | in use or width 0                                  | width                              |
//   | "Nx" | none: the notes area is shown                      | when shown                         |
//   | "xW" | 34: dimension 0, dimension 1, text, value 0, then  | never; read only from the bullet   |
//   |      | dimensions 2-31 (value widths 1-23 are cleared)    | files (format versions 6 and 7)    |
//
// Trailing empty fields are dropped. Which bytes stay as they were: a definition written before this
// class existed held only the header line (the defaults) or what the original layout template wrote,
// so the shared keys are written only when the definition held them or one of them is not at its
// default, and key lines nobody reads are kept as read and written back last.
class CardTemplate final : public AnalysisTemplate {
public:
    explicit CardTemplate(Base& base);
    ~CardTemplate() override;

    CardLayout& Layout() { return layout; }
    const CardLayout& Layout() const { return layout; }

    // The card window's size from the stored width and height (right and bottom of the shared part):
    // width 500 when unset and at least 350; height 180 when unset, 93 less with the notes area, and
    // at least 121.
    int32_t WindowWidth() const;
    int32_t WindowHeight() const;

    void Reset() override;
    void ReadKeyLine(TextReader& reader, const TemplateReadContext& context) override;
    void WriteDefinition(TextWriter& writer) const override;
    int64_t StoredSize() const override;

private:
    bool ReadOwnKey(TextReader& reader, const TemplateReadContext& context);
    bool SharedKeysAtDefaults() const;

    CardLayout layout;
    KeptKeyLines otherLines;
    bool sharedKeysRead = false;
};

}  // namespace vek
