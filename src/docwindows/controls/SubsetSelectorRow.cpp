// SubsetSelectorRow: names, operators and compiling of subset formulas.
#include "docwindows/controls/SubsetSelectorRow.h"

#include <algorithm>

#include "docwindows/DocumentWindow.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/ChangeRecord.h"
#include "model/selections/SubsetFormula.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

// Bytes that end a name: the formula's operators ("±" and "¬" start with these lead bytes only
// inside their two-byte forms, which are checked whole).
bool IsSubsetOperatorAt(std::string_view text, size_t i)
{
    switch (text[i]) {
    case '|': case '&': case '(': case ')': return true;
    default: break;
    }
    return text.compare(i, 2, "\xC2\xB1") == 0 || text.compare(i, 2, "\xC2\xAC") == 0;
}

size_t SubsetOperatorLength(std::string_view text, size_t i)
{
    return uint8_t(text[i]) == 0xC2 ? 2 : 1;
}

// Leaves out a leading keyword of the formula ("cards name" names "name").
size_t SkipSubsetKeywords(std::string_view text, size_t begin, size_t end)
{
    static constexpr std::string_view kWords[] = {"cards", "groups", "unbalanced"};
    for (bool again = true; again;) {
        again = false;
        while (begin < end && text[begin] == ' ')
            ++begin;
        for (std::string_view word : kWords) {
            if (end - begin > word.size() && CStrStartsWithNoCase(text.substr(begin, end - begin), word) &&
                text[begin + word.size()] == ' ') {
                begin += word.size();
                again = true;
            }
        }
    }
    return begin;
}

void AddSubsetOperandNames(std::vector<std::string>& names, const SubsetOperandList* list)
{
    if (list == nullptr)
        return;
    for (int32_t i = 0; i < list->OperandCount(); ++i)
        if (const SubsetOperand* operand = list->OperandAt(i); operand != nullptr && !operand->OperandName().empty())
            names.emplace_back(operand->OperandName());
}

}  // namespace

SubsetSelectorRow::SubsetSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id)
    : SelectorRow(enclosure, frame, id, false)
{
    FinishConstruction();
}

SubsetSelectorRow::~SubsetSelectorRow()
{
    PrepareDestruction();
}

void SubsetSelectorRow::SetFormula(SubsetFormula* bound)
{
    formula = bound;
    ShowFormula();
}

void SubsetSelectorRow::ShowFormula()
{
    if (formula == nullptr)
        return;
    String text;
    formula->FormatText(text, FormulaSpacing::Kept);
    SetTextBytes(text.CStr(), text.Length());
}

void SubsetSelectorRow::UpdateVisibility()
{
    const SubsetOperandList* list = formula != nullptr ? formula->GlobalList() : nullptr;
    SetVisible(list == nullptr || list->OperandCount() > 0);
}

std::vector<std::string> SubsetSelectorRow::OperandNames() const
{
    std::vector<std::string> names;
    if (formula != nullptr) {
        AddSubsetOperandNames(names, formula->OwnerSelections());
        AddSubsetOperandNames(names, formula->FurtherList());
        AddSubsetOperandNames(names, formula->GlobalList());
    }
    return names;
}

CommandTarget* SubsetSelectorRow::Query(void* request)
{
    CommandTarget* answer = SelectorRow::Query(request);
    const auto* notification = static_cast<const ChangeNotification*>(request);
    if (notification != nullptr && formula != nullptr && notification->record.code == kChangeSubset) {
        const SubsetPayload* payload = notification->record.Get<SubsetPayload>();
        if (payload != nullptr && payload->subset != nullptr && formula->RefersToSubset(payload->subset))
            ShowFormula();
    }
    return answer;
}

CommandTarget* SubsetSelectorRow::FormatControlText(String& text, Control& control)
{
    if (formula != nullptr && &control == this) {
        formula->SetText(text);
        return this;
    }
    return SelectorRow::FormatControlText(text, control);
}

void SubsetSelectorRow::GetTokenRange(int32_t& start, int32_t& length)
{
    const std::string_view text = Text();
    const size_t at = size_t(std::clamp(start, 0, int32_t(text.size())));
    size_t begin = 0;
    for (size_t i = 0; i < at; ++i)
        if (IsSubsetOperatorAt(text, i))
            begin = i + SubsetOperatorLength(text, i);
    size_t end = at;
    while (end < text.size() && !IsSubsetOperatorAt(text, end))
        ++end;
    begin = std::min(SkipSubsetKeywords(text, std::min(begin, at), end), end);
    while (end > begin && text[end - 1] == ' ')
        --end;
    start = int32_t(begin);
    length = int32_t(end - begin);
}

int32_t SubsetSelectorRow::OpenSelectorMenu(InputEvent& event, int32_t, int32_t)
{
    if (formula == nullptr)
        return -1;
    switch (MenuMode()) {
    case SelectorMenuMode::Token: {
        const std::vector<std::string> names = OperandNames();
        const std::string_view selected = Text().substr(size_t(SelectionStart()), size_t(SelectionLength()));
        int32_t initial = -1;
        for (size_t i = 0; i < names.size() && initial < 0; ++i)
            if (names[i].size() == selected.size() && CStrStartsWithNoCase(std::string_view(names[i]), selected))
                initial = int32_t(i);
        const int32_t chosen = RunNameMenu(event, names, initial);
        if (chosen >= 0)
            ForgetSavedSelection();
        return chosen;
    }
    case SelectorMenuMode::Insert: return RunEntryMenu(event, SubsetOperatorEntries(), SelectorMenuLook::Operators);
    default: return -1;
    }
}

}  // namespace vek
