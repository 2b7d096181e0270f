// SeparatorPopup: letters by kind, item texts, the other value and the separator dialog.
#include "gui/dialogs/SeparatorPopup.h"

#include <cstdio>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/messages/TextSettings.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "gui/dialogs/SeparatorDialog.h"
#include "gui/lists/PopupItemRecord.h"

namespace vek {

namespace {

struct SeparatorKindRow {
    const char* letters;
    uint16_t defaultCharacter;  // 0: the process's separator of the kind
};

// By SeparatorKind.
constexpr SeparatorKindRow kSeparatorKinds[] = {
    {"D-,.", 0}, {"D-N B.,", 0}, {"D-T, ;", 9}, {"D-N\"'_", kSeparatorNone}, {"D-RLC", 13}, {"D-RL", 13},
};

std::string LoadedText(int32_t number)
{
    const char* text = LoadText(number);
    return text ? text : "";
}

}  // namespace

uint16_t SeparatorLetterCode(char letter)
{
    switch (letter) {
    case 'D': return kSeparatorDefault;
    case 'N': return kSeparatorNone;
    case 'C': return kSeparatorReturnLineFeed;
    case '-': return kSeparatorDivider;
    case 'T': return 9;
    case 'R': return 13;
    case 'L': return 10;
    case 'B': return 160;
    default: return uint8_t(letter);
    }
}

uint32_t ResolveSeparatorCode(uint32_t code, SeparatorKind kind)
{
    if (code > kSeparatorDivider && code != 0xFEFF)
        return code;
    if (code == kSeparatorNone)
        return 0;
    if (kind == SeparatorKind::Decimal)
        return GetSeparators().decimalSeparator;
    if (kind == SeparatorKind::Grouping)
        return GetSeparators().thousandsSeparator;
    return code;
}

std::string SeparatorText(uint16_t code)
{
    if (code == kSeparatorDefault)
        return "\n";
    if (code == kSeparatorReturnLineFeed)
        return "\r\n";
    char bytes[8] = {};
    const int32_t n = Utf8EncodeChar(bytes, code);
    return std::string(bytes, size_t(n > 0 ? n : 0));
}

std::string SeparatorItemText(uint16_t code, uint16_t defaultCharacter, bool listOpen)
{
    std::string text;
    switch (code) {
    case kSeparatorDefault:
        if (defaultCharacter == kSeparatorNone || defaultCharacter == 0)
            text = LoadedText(text::kSeparatorNone);
        else
            text = SeparatorItemText(defaultCharacter, kSeparatorNone, false);
        if (listOpen)
            text += LoadedText(text::kLanguageDefaultSuffix);
        return text;
    case kSeparatorNone: return LoadedText(text::kSeparatorNone);
    case kSeparatorReturnLineFeed: return LoadedText(text::kSeparatorReturnLineFeed);
    case 9: return LoadedText(text::kSeparatorTab);
    case 10: return LoadedText(text::kSeparatorLineFeed) + (listOpen ? " (LF)" : "");
    case 13: return LoadedText(text::kSeparatorReturn) + (listOpen ? " (CR)" : "");
    case 32: return LoadedText(text::kSeparatorSpace);
    case 44: return LoadedText(text::kSeparatorComma);
    case 46: return LoadedText(text::kSeparatorPoint);
    case 59: return LoadedText(text::kSeparatorSemicolon);
    case 160: return LoadedText(text::kSeparatorNoBreakSpace);
    default: break;
    }
    if (code <= 32)
        return "#" + std::to_string(code);
    return SeparatorText(code);
}

SeparatorPopup::SeparatorPopup(Pane& enclosure, const OriginSize& frame, int32_t id, uint16_t& bound, int32_t kind,
                               int32_t title)
    : PopupButton(enclosure, frame, id, 0, 0, false), variable(bound), titleTextId(title)
{
    const int32_t index = kind & 0xF;
    const SeparatorKindRow& row = kSeparatorKinds[index < int32_t(std::size(kSeparatorKinds)) ? index : 0];
    letters = row.letters;
    if ((kind & kSeparatorKeepDefault) == 0)
        letters.erase(0, 2);
    defaultCharacter = row.defaultCharacter;
    if (index == int32_t(SeparatorKind::Decimal))
        defaultCharacter = GetSeparators().decimalSeparator;
    else if (index == int32_t(SeparatorKind::Grouping))
        defaultCharacter = GetSeparators().thousandsSeparator ? GetSeparators().thousandsSeparator : kSeparatorNone;
    int32_t current = ItemOfCode(variable);
    if (current < 0 && variable != kSeparatorReturnLineFeed && variable != kSeparatorDivider) {
        otherValue = variable;
        current = LetterCount();
    }
    SetItemCount(LetterCount() + (HasOther() ? 1 : 0) + 2);
    SelectItem(current < 0 ? 0 : current, 0);
    if (titleTextId > 0)
        SetTitle(titleTextId);
    FinishConstruction();
}

SeparatorPopup::~SeparatorPopup() { PrepareDestruction(); }

int32_t SeparatorPopup::ItemOfCode(uint16_t code) const
{
    for (int32_t i = 0; i < LetterCount(); ++i) {
        if (letters[size_t(i)] != '-' && SeparatorLetterCode(letters[size_t(i)]) == code)
            return i;
    }
    return -1;
}

CommandTarget* SeparatorPopup::PopupNotify(PopupItemRecord& record)
{
    const int32_t otherItem = HasOther() ? LetterCount() : -1;
    const int32_t dividerItem = LetterCount() + (HasOther() ? 1 : 0);
    const int32_t dialogItem = dividerItem + 1;
    if (record.kind == PopupItemKind::Describe) {
        std::string text;
        if (record.index < LetterCount()) {
            const char letter = letters[size_t(record.index)];
            if (letter != '-')
                text = SeparatorItemText(SeparatorLetterCode(letter), defaultCharacter, IsListOpen());
        } else if (record.index == otherItem) {
            text = SeparatorItemText(otherValue, defaultCharacter, IsListOpen());
        } else if (record.index == dialogItem) {
            text = LoadedText(text::kSeparatorOther);
            record.selectable = 0;
        }
        if (text.empty()) {
            record.text = nullptr;
        } else {
            std::snprintf(record.textBuffer, sizeof record.textBuffer, "%s", text.c_str());
            record.text = record.textBuffer;
        }
        return this;
    }
    if (record.kind == PopupItemKind::Chosen) {
        if (record.index < LetterCount())
            StoreValue(SeparatorLetterCode(letters[size_t(record.index)]));
        else if (record.index == otherItem)
            StoreValue(otherValue);
        else if (record.index == dialogItem)
            ChooseOther();
    }
    return this;
}

void SeparatorPopup::ChooseOther()
{
    Window* window = GetWindow();
    SeparatorDialog dialog(window, variable, titleTextId > 0 ? titleTextId : text::kSeparatorOther);
    dialog.RunModal();
    if (!dialog.WasCancelled() && dialog.Character() != 0)
        SetValue(dialog.Character());
}

void SeparatorPopup::SetValue(uint16_t code)
{
    const int32_t item = ItemOfCode(code);
    if (item >= 0) {
        SelectItem(item, 0);
    } else if (code != kSeparatorReturnLineFeed && code != kSeparatorDivider) {
        if (!HasOther()) {
            otherValue = code;
            SetItemCount(ItemCount() + 1);
        }
        otherValue = code;
        SelectItem(LetterCount(), 0);
        Invalidate();
    } else {
        return;
    }
    StoreValue(code);
}

void SeparatorPopup::StoreValue(uint16_t code)
{
    if (variable == code)
        return;
    variable = code;
    ControlChanged(*this);
}

SeparatorPopup* AddSeparatorPopup(Pane& enclosure, Point& point, int32_t titleTextId, int32_t id, uint16_t& variable,
                                  int32_t kind, int32_t labelWidth)
{
    auto* popup = new SeparatorPopup(enclosure, OriginSize{point.v, point.h, 15, 191}, id, variable, kind, titleTextId);
    if (labelWidth > 0)
        popup->SetLabelWidth(labelWidth);
    point.v = int16_t(point.v + 19);
    return popup;
}

}  // namespace vek
