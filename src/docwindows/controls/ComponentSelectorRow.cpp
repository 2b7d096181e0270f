// ComponentSelectorRow: tokens of the selection syntax, the component popup and compiling.
#include "docwindows/controls/ComponentSelectorRow.h"

#include <string>

#include "docwindows/DocumentWindow.h"
#include "docwindows/controls/ComponentPopup.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "model/selections/ComponentExpressionText.h"
#include "model/selections/ComponentSelection.h"
#include "platform/events/InputEvent.h"

namespace vek {

ComponentSelectorRow::ComponentSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id, Base& base,
                                           int32_t dimension)
    : SelectorRow(enclosure, frame, id, false), base(base), dimension(dimension)
{
    FinishConstruction();
}

ComponentSelectorRow::~ComponentSelectorRow()
{
    PrepareDestruction();
}

void ComponentSelectorRow::SetSelection(ComponentSelection* bound)
{
    selection = bound;
    ShowSelection();
}

void ComponentSelectorRow::ShowSelection()
{
    if (selection == nullptr)
        return;
    String text;
    selection->FormatDimension(dimension, text, " ");
    SetTextBytes(text.CStr(), text.Length());
}

CommandTarget* ComponentSelectorRow::Query(void* request)
{
    CommandTarget* answer = SelectorRow::Query(request);
    const auto* notification = static_cast<const ChangeNotification*>(request);
    if (notification != nullptr) {
        const ChangeRecord& record = notification->record;
        const bool shown = record.code == kChangeComponents || record.code == kChangeCodeMode || record.code == kChangeTextMode;
        if (shown && record.base == &base && record.dimension == dimension)
            ShowSelection();
    }
    return answer;
}

CommandTarget* ComponentSelectorRow::FormatControlText(String& text, Control& control)
{
    if (selection != nullptr && &control == this) {
        selection->SetFromString(dimension, text);
        return this;
    }
    return SelectorRow::FormatControlText(text, control);
}

void ComponentSelectorRow::GetTokenRange(int32_t& start, int32_t& length)
{
    const std::string_view text = Text();
    const size_t at = size_t(std::clamp(start, 0, int32_t(text.size())));
    for (size_t position = 0; position < text.size();) {
        const expressiontext::Token token = expressiontext::TokenAt(text, position);
        if (token.kind == expressiontext::Token::End)
            break;
        if (token.kind == expressiontext::Token::Word && token.begin <= at && at <= token.end) {
            size_t end = token.end;
            while (end > token.begin && text[end - 1] == ' ')
                --end;
            start = int32_t(token.begin);
            length = int32_t(end - token.begin);
            return;
        }
        position = std::max(token.end, position + 1);
    }
}

uint32_t ComponentSelectorRow::TokenComponent()
{
    int32_t start = SelectionStart();
    int32_t length = SelectionLength();
    GetTokenRange(start, length);
    std::string token(Text().substr(size_t(start), size_t(length)));
    uint32_t number = base.LookupComponent(dimension, token.c_str(), int32_t(token.size()));
    if (number < kDimensionCount) {
        std::erase_if(token, [](char c) { return c == '\'' || c == '"'; });
        number = base.LookupComponent(dimension, token.c_str(), int32_t(token.size()));
    }
    return number;
}

int32_t ComponentSelectorRow::OpenSelectorMenu(InputEvent& event, int32_t, int32_t)
{
    if (!base.DimensionHasComponents(dimension))
        return -1;
    switch (MenuMode()) {
    case SelectorMenuMode::Token: {
        const uint32_t number = TokenComponent();
        const Component* target = number >= kDimensionCount ? base.ComponentAt(number) : nullptr;
        String code;
        RunComponentPopup(code, base, dimension, target, event.point, *this, event);
        if (code.IsEmpty())
            return -1;
        std::string quoted;
        if (!expressiontext::AppendWord(quoted, code.View()))
            return -1;
        ReplaceSelection(quoted.c_str());
        ForgetSavedSelection();
        return 0;
    }
    case SelectorMenuMode::Insert: return RunEntryMenu(event, ComponentOperatorEntries(), SelectorMenuLook::Operators);
    default: return -1;
    }
}

}  // namespace vek
