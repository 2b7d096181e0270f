// SelectorRow: the menu mark, the click and key rules that open the menus, the menus' item requests.
#include "docwindows/controls/SelectorRow.h"

#include <algorithm>

#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "drawing/TextLayout.h"
#include "foundation/messages/LocalizedText.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuRequest.h"
#include "gui/Window.h"
#include "gui/controls/PopupMenu.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/InputEvent.h"

namespace vek {

namespace {

constexpr int64_t kTokenShowMs = 250;
constexpr int32_t kSelectorLineHeight = 16;
constexpr int32_t kOperatorCharacterInset = 5;
constexpr int32_t kOperatorNameInset = 20;
constexpr int32_t kOperatorExtraWidth = 21;
constexpr int32_t kNameExtraWidth = 8;

// Characters as they are inserted.
constexpr const char* kNotSign = "\xC2\xAC";
constexpr const char* kPlusMinus = "\xC2\xB1";
constexpr const char* kPilcrow = "\xC2\xB6";
constexpr const char* kEllipsisSign = "\xE2\x80\xA6";

constexpr SelectorMenuEntry kSeparatorLine{};

constexpr SelectorMenuEntry kPatternMenu[] = {
    {"|", 1500}, {"&", 1501}, {kPlusMinus, 1502}, {kNotSign, 1503}, kSeparatorLine, {"(", 1504}, {")", 1505},
    {"\\", 1506}, kSeparatorLine, {"\\", 1600}, {"{", 1601}, {"}", 1602}, {";", 1603}, {"+", 1604}, {":", 1605},
    {"*", 1606}, {"?", 1607}, {"^", 1608}, {kEllipsisSign, 1609},
};
constexpr SelectorMenuEntry kShortPatternMenu[] = {
    {"|", 1500}, {"&", 1501}, {kPlusMinus, 1502}, {kNotSign, 1503}, kSeparatorLine, {"(", 1504}, {")", 1505},
    kSeparatorLine, {"\\", 1506}, {">", 1512}, {"<", 1513}, {kEllipsisSign, 1511},
};
constexpr SelectorMenuEntry kComponentOperatorMenu[] = {
    {"|", 1500}, {"&", 1501}, {kPlusMinus, 1502}, {kNotSign, 1503}, kSeparatorLine, {"(", 1504}, {")", 1505},
    kSeparatorLine, {"\\", 1506}, {"!", 1507}, {"?", 1508}, {kPilcrow, 1509}, {"^", 1510}, {kEllipsisSign, 1511},
    kSeparatorLine, {"=", 1514}, {"@", 1515},
};
constexpr SelectorMenuEntry kSubsetOperatorMenu[] = {
    {"|", 1500}, {"&", 1501}, {kPlusMinus, 1502}, {kNotSign, 1503}, kSeparatorLine, {"(", 1504}, {")", 1505},
    kSeparatorLine, {"cards", 0}, {"groups", 0}, {"unbalanced", 0},
};
constexpr SelectorMenuEntry kDateUnitRowMenu[] = {
    {"|", 1500}, {"&", 1501}, {kPlusMinus, 1502}, {kNotSign, 1503}, kSeparatorLine, {"(", 1504}, {")", 1505},
    kSeparatorLine, {"\\", 1506}, {">", 1512}, {"<", 1513}, {kEllipsisSign, 1511}, kSeparatorLine,
    {"Day", 0}, {"Week", 0}, {"Month", 0}, {"Quarter", 0}, {"Year", 0}, {"File", 0}, {"Reference", 0},
};
constexpr SelectorMenuEntry kDateUnitMenu[] = {
    {"Day", 0}, {"Week", 0}, {"Month", 0}, {"Quarter", 0}, {"Year", 0}, {"File", 0}, {"Reference", 0},
};

// The byte offset of a hit-test answer (before the start or after the end of the text).
int32_t SelectorOffsetOf(int32_t offset, int32_t length)
{
    if (offset == kOffsetAfterEnd)
        return length;
    if (offset == kOffsetBeforeStart)
        return 0;
    return std::clamp(offset, 0, length);
}

}  // namespace

std::span<const SelectorMenuEntry> PatternMenuEntries() { return kPatternMenu; }
std::span<const SelectorMenuEntry> ShortPatternMenuEntries() { return kShortPatternMenu; }
std::span<const SelectorMenuEntry> ComponentOperatorEntries() { return kComponentOperatorMenu; }
std::span<const SelectorMenuEntry> SubsetOperatorEntries() { return kSubsetOperatorMenu; }
std::span<const SelectorMenuEntry> DateUnitRowEntries() { return kDateUnitRowMenu; }
std::span<const SelectorMenuEntry> DateUnitEntries() { return kDateUnitMenu; }

// --- SelectorRow ----------------------------------------------------------------------------------

SelectorRow::SelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id, bool finish)
    : TextField(enclosure, frame, id, true, false)
{
    SetReturnMode(ReturnMode::Commit);
    UpdateTextArea();
    if (finish)
        FinishConstruction();
}

SelectorRow::~SelectorRow()
{
    PrepareDestruction();
}

void SelectorRow::SetModesAllowed(bool token, bool insert)
{
    tokenAllowed = token;
    insertAllowed = insert;
}

Rect SelectorRow::MarkRect() const
{
    if (!IsEnabled())
        return Rect{};
    return Rect{bounds.top, ClampCoordinate(bounds.right - kSelectorMarkWidth), bounds.bottom, bounds.right};
}

void SelectorRow::UpdateTextArea()
{
    SetTextRight(IsEnabled() ? bounds.right - kSelectorMarkWidth : bounds.right);
}

CommandTarget* SelectorRow::Notify(int32_t code)
{
    CommandTarget* answer = TextField::Notify(code);
    if (code == kNotifyOpened || code == kNotifyEnabled)
        UpdateTextArea();
    return answer;
}

void SelectorRow::Draw()
{
    if (IsEnabled()) {
        if (DrawingPort* port = CurrentPort()) {
            const RgbColor fore = port->ForeColor();
            port->SetForeColor(TableColor(kColorBlack));
            DrawArrow(bounds.right - 1, 5, 3, kArrowRight);
            port->SetForeColor(fore);
        }
    }
    TextField::Draw();
}

int32_t SelectorRow::ClickMenuMode(const InputEvent& event, bool insideMark, bool& pending)
{
    const bool secondary = event.rightButton || event.control;
    pending = insideMark && secondary;
    if (!secondary) {
        if (event.option)
            return int32_t(SelectorMenuMode::Insert);
        if (!insideMark && !event.command)
            return -1;
        return int32_t(SelectorMenuMode::Token);
    }
    if (insideMark || event.option)
        return int32_t(SelectorMenuMode::Insert);
    return int32_t(event.command ? SelectorMenuMode::Token : SelectorMenuMode::None);
}

int32_t SelectorRow::Click(InputEvent& event, Pane* pane)
{
    if (!IsEnabled() || pane != this)
        return TextField::Click(event, pane);
    if (!IsFocused())
        TakeFocus();
    const bool insideMark = IsPointInRect(event.point, MarkRect());
    const int32_t length = TextLength();
    const int32_t offset =
        SelectorOffsetOf(TextOffsetAtPointInStyle(GetTextStyle(), TextRect(), Text(), event.point), length);
    if (!insideMark && (event.command || event.option))
        SetSelection(offset, 0);
    const int32_t mode = ClickMenuMode(event, insideMark, pending);
    if (mode < 0)
        return TextField::Click(event, pane);
    if (mode == int32_t(SelectorMenuMode::None)) {
        menuMode = SelectorMenuMode::None;
        TrackPaneDrag(*this, 0, event, -1);
        return 1;
    }
    menuMode = SelectorMenuMode(mode);
    event.point = Point{5, ClampCoordinate(bounds.right - 4)};
    RunSelectorMenu(event, offset, offset);
    return 1;
}

int32_t SelectorRow::KeyDown(InputEvent& event, Pane* pane)
{
    const bool arrow = event.key >= 28 && event.key <= 31;
    if (!arrow || !IsEnabled() || !IsFocused() || !(event.option || event.command || event.control))
        return TextField::KeyDown(event, pane);
    menuMode = event.option ? SelectorMenuMode::Insert : event.command ? SelectorMenuMode::Token : SelectorMenuMode::None;
    event.point = Point{5, ClampCoordinate(bounds.right - 4)};
    const int32_t start = SelectionStart();
    RunSelectorMenu(event, start, start + SelectionLength());
    return 1;
}

void SelectorRow::RunSelectorMenu(InputEvent& event, int32_t start, int32_t end)
{
    if ((menuMode == SelectorMenuMode::Token && !tokenAllowed) || (menuMode == SelectorMenuMode::Insert && !insertAllowed)) {
        menuMode = SelectorMenuMode::None;
        return;
    }
    if (menuMode == SelectorMenuMode::None) {
        TrackPaneDrag(*this, 0, event, -1);
        return;
    }
    SetSelection(start, end - start);
    savedStart = -1;
    if (menuMode == SelectorMenuMode::Token)
        SelectToken();
    OpenSelectorMenu(event, start, end);
    if (menuMode == SelectorMenuMode::Token && savedStart >= 0)
        SetSelection(savedStart, savedLength);
    savedStart = -1;
    menuMode = SelectorMenuMode::None;
}

void SelectorRow::SelectToken()
{
    savedStart = SelectionStart();
    savedLength = SelectionLength();
    int32_t start = savedStart;
    int32_t length = savedLength;
    GetTokenRange(start, length);
    if (start == savedStart && length == savedLength) {
        savedStart = -1;
        return;
    }
    SetSelection(start, length);
    // The user sees what the choice will replace.
    if (window != nullptr) {
        window->Update();
        DelayYielding(kTokenShowMs);
    }
}

int32_t SelectorRow::OpenSelectorMenu(InputEvent&, int32_t, int32_t) { return -1; }

void SelectorRow::GetTokenRange(int32_t&, int32_t&) {}

int32_t SelectorRow::RunEntryMenu(InputEvent& event, std::span<const SelectorMenuEntry> entries, SelectorMenuLook menuLook)
{
    lines.clear();
    for (const SelectorMenuEntry& entry : entries) {
        MenuLine line;
        line.separator = entry.insert == nullptr;
        if (!line.separator) {
            line.insert = entry.insert;
            line.textId = entry.textId;
            const char* name = entry.textId != 0 ? LoadText(entry.textId) : nullptr;
            line.shown = name != nullptr ? name : entry.insert;
        }
        lines.push_back(std::move(line));
    }
    look = menuLook;
    return RunLines(event, -1);
}

int32_t SelectorRow::RunNameMenu(InputEvent& event, const std::vector<std::string>& names, int32_t initial)
{
    lines.clear();
    for (const std::string& name : names) {
        MenuLine line;
        line.insert = name;
        line.shown = name;
        lines.push_back(std::move(line));
    }
    look = SelectorMenuLook::Names;
    return RunLines(event, initial);
}

int32_t SelectorRow::RunLines(InputEvent& event, int32_t initial)
{
    if (lines.empty())
        return -1;
    const int32_t chosen = TrackPaneDrag(*this, kSelectorMenuKind, event, initial);
    lines.clear();
    return chosen;
}

void SelectorRow::HandleMessage(MenuRequest& record)
{
    if (record.messageKind != kSelectorMenuKind || record.pane != this) {
        // While a menu of the row runs, the text field's own menu requests are not answered.
        if (menuMode == SelectorMenuMode::None)
            TextField::HandleMessage(record);
        return;
    }
    switch (record.phase) {
    case 0: {
        const size_t count = std::min(lines.size(), size_t(MenuRequest::kInlineCommands - 1));
        for (size_t i = 0; i < count; ++i)
            record.commands[i] = lines[i].separator ? kMenuSeparator : uint16_t(i + 1);
        record.commands[count] = 0;
        break;
    }
    case 1: {
        if (record.index < 0 || size_t(record.index) >= lines.size())
            break;
        const MenuLine& line = lines[size_t(record.index)];
        record.ownerDrawn = 1;
        record.height = kSelectorLineHeight;
        const int32_t width = MeasureTextWidthInStyle(GetTextStyle(), line.shown);
        record.width = width + (look == SelectorMenuLook::Operators ? kOperatorExtraWidth + kOperatorNameInset : kNameExtraWidth);
        break;
    }
    case 2: {
        if (record.index < 0 || size_t(record.index) >= lines.size())
            break;
        const MenuLine& line = lines[size_t(record.index)];
        Rect rect = record.itemRect;
        if (look == SelectorMenuLook::Names) {
            rect.left = ClampCoordinate(rect.left + kOperatorCharacterInset);
            DrawTextInRect(rect, line.shown);
            break;
        }
        if (line.textId != 0) {
            Rect character = rect;
            character.left = ClampCoordinate(rect.left + kOperatorCharacterInset);
            DrawTextInRect(character, line.insert);
        }
        rect.left = ClampCoordinate(rect.left + kOperatorNameInset);
        DrawTextInRect(rect, line.shown);
        break;
    }
    case 3: {
        const int32_t index = record.index - 1;
        if (index < 0 || size_t(index) >= lines.size() || lines[size_t(index)].separator)
            break;
        ReplaceSelection(lines[size_t(index)].insert.c_str());
        break;
    }
    default: break;
    }
}

// --- PatternSelectorRow and DateUnitSelectorRow --------------------------------------------------

PatternSelectorRow::PatternSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id,
                                       std::span<const SelectorMenuEntry> entries)
    : SelectorRow(enclosure, frame, id, false), entries(entries)
{
    FinishConstruction();
}

PatternSelectorRow::~PatternSelectorRow()
{
    PrepareDestruction();
}

int32_t PatternSelectorRow::OpenSelectorMenu(InputEvent& event, int32_t, int32_t)
{
    return RunEntryMenu(event, entries, SelectorMenuLook::Operators);
}

DateUnitSelectorRow::DateUnitSelectorRow(Pane& enclosure, const OriginSize& frame, int32_t id)
    : PatternSelectorRow(enclosure, frame, id, DateUnitRowEntries())
{
}

DateUnitSelectorRow::~DateUnitSelectorRow()
{
    PrepareDestruction();
}

PatternSelectorRow* CreatePatternSelectorRow(Window& window, const OriginSize& frame, int32_t id)
{
    return new PatternSelectorRow(window, frame, id, PatternMenuEntries());
}

PatternSelectorRow* CreateShortPatternSelectorRow(Window& window, const OriginSize& frame, int32_t id)
{
    return new PatternSelectorRow(window, frame, id, ShortPatternMenuEntries());
}

}  // namespace vek
