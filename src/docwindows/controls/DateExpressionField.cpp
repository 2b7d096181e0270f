// DateExpressionField: reading, normalising and the date-unit menu.
#include "docwindows/controls/DateExpressionField.h"

#include "foundation/strings/String.h"
#include "model/dates/DateExpression.h"

namespace vek {

DateExpressionField::DateExpressionField(Pane& enclosure, const OriginSize& frame, int32_t id)
    : SelectorRow(enclosure, frame, id, false)
{
    FinishConstruction();
}

DateExpressionField::~DateExpressionField()
{
    PrepareDestruction();
}

void DateExpressionField::SetExpression(DateExpression* bound)
{
    expression = bound;
    if (expression == nullptr)
        return;
    String text;
    expression->ToText(text);
    SetTextBytes(text.CStr(), text.Length());
}

CommandTarget* DateExpressionField::FormatControlText(String& text, Control& control)
{
    if (expression != nullptr && &control == this) {
        expression->ParseAndNormalize(text);
        return this;
    }
    return SelectorRow::FormatControlText(text, control);
}

int32_t DateExpressionField::OpenSelectorMenu(InputEvent& event, int32_t, int32_t)
{
    if (MenuMode() == SelectorMenuMode::None)
        return -1;
    // A unit stands for the whole expression, so the choice replaces all of it.
    SelectAll();
    ForgetSavedSelection();
    return RunEntryMenu(event, DateUnitEntries(), SelectorMenuLook::Names);
}

}  // namespace vek
