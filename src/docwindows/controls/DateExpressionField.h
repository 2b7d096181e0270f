// DateExpressionField: the selector row of a date expression.
#pragma once

#include <cstdint>

#include "docwindows/controls/SelectorRow.h"

namespace vek {

class DateExpression;

// Typed text is a date expression ("Month-1", "240131"); both menus list the date units, and a chosen
// unit replaces the whole text. A committed text is read into the bound expression and shown in its
// normalised form.
class DateExpressionField : public SelectorRow {
public:
    DateExpressionField(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~DateExpressionField() override;

    CommandTarget* FormatControlText(String& text, Control& control) override;
    int32_t OpenSelectorMenu(InputEvent& event, int32_t start, int32_t end) override;

    // Binds an expression (null: none) and shows its text.
    void SetExpression(DateExpression* expression);
    DateExpression* BoundExpression() const { return expression; }

private:
    DateExpression* expression = nullptr;
};

}  // namespace vek
