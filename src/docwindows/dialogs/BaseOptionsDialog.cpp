// BaseOptionsDialog: the working values, their popups and fields, and storing them in the base.
#include "docwindows/dialogs/BaseOptionsDialog.h"

#include <algorithm>
#include <cstring>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/Identifiers.h"
#include "foundation/strings/String.h"
#include "gui/DrawingRoutines.h"
#include "gui/PushButton.h"
#include "gui/StaticText.h"
#include "gui/editing/TextField.h"
#include "gui/lists/PopupButton.h"
#include "gui/lists/PopupItemRecord.h"
#include "model/base/Base.h"
#include "model/dates/DateExpression.h"
#include "model/links/BaseLinkRegistry.h"

namespace vek {

namespace {

constexpr int32_t kMaxCardDigits = 9;
constexpr int32_t kDecimalsGroupLeft = 242;
constexpr int32_t kDecimalsGroupWidth = 217;
constexpr int32_t kDecimalsGroupTop = 20;
constexpr int32_t kFirstRowTop = 44;
constexpr int32_t kRowSpacing = 20;
constexpr int32_t kLeftColumnBottom = 245;
constexpr int32_t kButtonArea = 50;
constexpr int32_t kDecimalsChoices = 7;  // 0-6 decimals

void CopyIntoItemRecord(PopupItemRecord& record, const std::string& text)
{
    std::strncpy(record.textBuffer, text.c_str(), sizeof record.textBuffer - 1);
    record.textBuffer[sizeof record.textBuffer - 1] = 0;
    record.text = record.textBuffer;
}

StaticText* AddOptionsLabel(Pane& enclosure, const OriginSize& frame, int32_t textId)
{
    auto* label = new StaticText(enclosure, frame, true);
    label->SetTextById(textId);
    return label;
}

TextField* AddOptionsField(Pane& enclosure, const OriginSize& frame, int32_t id, std::string_view text)
{
    auto* field = new TextField(enclosure, frame, id, true, true);
    field->SetTextBytes(text.data(), int32_t(text.size()));
    return field;
}

GroupBox* AddOptionsGroup(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t titleId)
{
    auto* group = new GroupBox(enclosure, frame, id, true);
    group->SetTitle(titleId);
    return group;
}

}  // namespace

// --- DecimalsFieldGroup ---------------------------------------------------------------------------------

int32_t DecimalsFieldGroup::GroupHeight(int32_t rows)
{
    return kFirstRowTop + kRowSpacing * std::clamp(rows, 1, kValueFieldCount) + 4;
}

DecimalsFieldGroup::DecimalsFieldGroup(Pane& enclosure, const OriginSize& frame, Base& base)
    : GroupBox(enclosure, frame, 9, false), base(base)
{
    SetTitle(text::kValueFieldsGroup);
    shown = std::clamp(base.ValueCount(), 1, kValueFieldCount);
    countPopup = new PopupButton(*this, OriginSize{5, 4, 15, 136}, kCountPopup, kValueFieldCount, shown - 1, true);
    countPopup->SetTitle(text::kValueFieldCount);
    countPopup->SetLabelWidth(95);
    String name;
    for (int32_t i = 0; i < kValueFieldCount; ++i) {
        const int16_t top = int16_t(kFirstRowTop + kRowSpacing * i);
        base.GetValueFieldName(i, name);
        names[size_t(i)] = AddOptionsField(*this, OriginSize{top, 62, 14, 84}, NameFieldId(i), name.View());
        initialCodes[size_t(i)] = base.ValueFormat(i);
        decimals[size_t(i)] = new PopupButton(*this, OriginSize{int16_t(top - 1), 152, 15, 56}, DecimalsPopupId(i),
                                              kDecimalsChoices, std::clamp(initialCodes[size_t(i)], 0, kDecimalsChoices - 1), true);
    }
    FinishConstruction();
    ShowRows(shown);
}

DecimalsFieldGroup::~DecimalsFieldGroup()
{
    PrepareDestruction();
}

void DecimalsFieldGroup::ShowRows(int32_t n)
{
    shown = std::clamp(n, 1, kValueFieldCount);
    for (int32_t i = 0; i < kValueFieldCount; ++i) {
        names[size_t(i)]->SetVisible(i < shown);
        decimals[size_t(i)]->SetVisible(i < shown);
    }
    const int32_t height = GroupHeight(shown);
    if (height != Size().v)
        ResizeBy(0, height - Size().v);
    Invalidate();
}

CommandTarget* DecimalsFieldGroup::Notify(int32_t code)
{
    CommandTarget* answer = GroupBox::Notify(code);
    if (code == kNotifyEnabled)
        Invalidate();
    return answer;
}

CommandTarget* DecimalsFieldGroup::FormatControlText(String& text, Control& control)
{
    for (TextField* field : names) {
        if (&control != field)
            continue;
        // A name is what formulas call the field by: links shown as their text, then an identifier.
        base.GetLinkRegistry().FormatInPlace(text);
        MakeIdentifier(text, nullptr, kIdentifierStart);
        return this;
    }
    return GroupBox::FormatControlText(text, control);
}

CommandTarget* DecimalsFieldGroup::PopupNotify(PopupItemRecord& record)
{
    for (PopupButton* popup : decimals) {
        if (record.popup != popup)
            continue;
        if (record.kind == PopupItemKind::Describe)
            CopyIntoItemRecord(record, " " + std::to_string(record.index) + " ");
        return this;
    }
    return GroupBox::PopupNotify(record);
}

int32_t DecimalsFieldGroup::DecimalsOf(int32_t row) const
{
    const int32_t initial = initialCodes[size_t(row)];
    const int32_t chosen = decimals[size_t(row)]->CurrentItem();
    return chosen == std::clamp(initial, 0, kDecimalsChoices - 1) ? initial : chosen;
}

void DecimalsFieldGroup::Draw()
{
    GroupBox::Draw();
    DrawTextById(Rect{26, 62, 40, 146}, text::kValueFieldNameColumn);
    DrawTextById(Rect{26, 152, 40, 212}, text::kDecimalsColumn);
    String label;
    for (int32_t i = 0; i < shown; ++i) {
        label.AssignCStr(LoadText(text::kValueField));
        label.AppendChar(' ');
        label.AppendInt(i + 1);
        const int32_t top = kFirstRowTop + kRowSpacing * i;
        DrawTextInBox(Rect{ClampCoordinate(top), 4, ClampCoordinate(top + 16), 58}, label.CStr());
    }
}

// --- BaseOptionsDialog --------------------------------------------------------------------------------

std::string BaseOptionsDialog::CardNumberSample(int32_t count)
{
    return "7343-" + std::string("123456789").substr(0, size_t(std::clamp(count, 1, kMaxCardDigits)));
}

int16_t BaseOptionsDialog::DialogWidth()
{
    return int16_t(kDecimalsGroupLeft + kDecimalsGroupWidth + 14);
}

int16_t BaseOptionsDialog::DialogHeight(int32_t valueFields)
{
    return int16_t(std::max(kLeftColumnBottom, kDecimalsGroupTop + DecimalsFieldGroup::GroupHeight(valueFields) + kButtonArea));
}

BaseOptionsDialog::BaseOptionsDialog(Base& base, Window* parent)
    : Dialog(DialogWidth(), DialogHeight(base.ValueCount()), DialogOwner{&base, &base.GetLinkRegistry()}, parent),
      base(base), date(std::make_unique<DateExpression>(&base, 1))
{
    SetTitleById(text::kBaseOptionsTitle);
    minimumDigits = base.CardNumberDigitsNeeded();
    digits = std::clamp(base.CardNumberDigits(), 1, kMaxCardDigits);
    valueFieldCount = std::clamp(base.ValueCount(), 1, kValueFieldCount);
    date->Assign(base.ReferenceDate());

    GroupBox* numbers = AddOptionsGroup(*this, OriginSize{20, 14, 43, 199}, 1, text::kCardNumbersGroup);
    digitsPopup = new PopupButton(*numbers, OriginSize{2, 4, 15, 191}, kDigitsPopup, kMaxCardDigits, digits - 1, true);
    digitsPopup->SetTitle(text::kCardNumberDigits);
    digitsPopup->SetLabelWidth(70);

    GroupBox* captions = AddOptionsGroup(*this, OriginSize{94, 14, 45, 199}, 4, text::kCaptionsGroup);
    String caption;
    AddOptionsLabel(*captions, OriginSize{2, 4, 16, 116}, text::kCardTextCaption);
    base.CardTextCaption(caption);
    cardCaption = AddOptionsField(*captions, OriginSize{2, 126, 14, 67}, kCardCaptionField, caption.View());
    AddOptionsLabel(*captions, OriginSize{22, 4, 16, 116}, text::kLineTextCaption);
    base.LineTextCaption(caption);
    lineCaption = AddOptionsField(*captions, OriginSize{22, 126, 14, 67}, kLineCaptionField, caption.View());

    GroupBox* dateGroup = AddOptionsGroup(*this, OriginSize{170, 14, 25, 199}, 7, text::kBaseDateGroup);
    AddOptionsLabel(*dateGroup, OriginSize{2, 4, 16, 76}, text::kReferenceDate);
    String dateText;
    date->ToText(dateText);
    dateField = AddOptionsField(*dateGroup, OriginSize{2, 84, 14, 110}, kDateField, dateText.View());

    valueFields = new DecimalsFieldGroup(
        *this, OriginSize{kDecimalsGroupTop, kDecimalsGroupLeft, int16_t(DecimalsFieldGroup::GroupHeight(valueFieldCount)), kDecimalsGroupWidth},
        base);
    AddDialogButtons(0);
    FinishConstruction();
}

BaseOptionsDialog::~BaseOptionsDialog()
{
    PrepareDestruction();
}

CommandTarget* BaseOptionsDialog::FormatControlText(String& text, Control& control)
{
    if (&control == cardCaption || &control == lineCaption) {
        text.Trim();
        return this;
    }
    if (&control == dateField) {
        if (!date->ParseCString(text.CStr()) || date->Unit() == DateUnit::Reference)
            date->Clear();  // the reference date cannot be stated by itself
        date->ToText(text);
        return this;
    }
    return Dialog::FormatControlText(text, control);
}

CommandTarget* BaseOptionsDialog::PopupNotify(PopupItemRecord& record)
{
    if (record.popup == digitsPopup) {
        if (record.kind == PopupItemKind::Describe) {
            CopyIntoItemRecord(record, CardNumberSample(record.index + 1));
            // Fewer digits than the base's cards need would cut their numbers.
            if (record.index + 1 < minimumDigits)
                record.enabled = 0;
        } else {
            digits = record.index + 1;
        }
        return this;
    }
    if (valueFields != nullptr && record.popup == &valueFields->CountPopup()) {
        if (record.kind == PopupItemKind::Describe)
            CopyIntoItemRecord(record, std::to_string(record.index + 1));
        else
            SetValueFieldCount(record.index + 1);
        return this;
    }
    return Dialog::PopupNotify(record);
}

void BaseOptionsDialog::SetValueFieldCount(int32_t count)
{
    count = std::clamp(count, 1, kValueFieldCount);
    const int32_t grow = DialogHeight(count) - DialogHeight(valueFieldCount);
    valueFieldCount = count;
    if (valueFields->CountPopup().CurrentItem() != count - 1)
        valueFields->CountPopup().SelectItem(count - 1, 0);
    valueFields->ShowRows(count);
    if (grow != 0) {
        ResizeBy(0, grow);
        // The push buttons stay at the bottom edge.
        for (Pane* child = FirstChild(); child != nullptr; child = child->Next())
            if (dynamic_cast<PushButton*>(child) != nullptr)
                child->MoveBy(0, grow);
    }
    Invalidate();
}

bool BaseOptionsDialog::Confirm()
{
    if (Control* focused = FocusedControl())
        focused->CommitEdit();
    if (valueFieldCount < base.ValueCount()) {
        Message question;
        question.code = message::kFewerValueFields;
        question.titleNumber = text::kValueFieldCount;
        question.AddText(std::to_string(valueFieldCount).c_str());
        question.AddNumber(text::kDelete);
        question.AddNumber(text::kCancel);
        question.owner = this;
        question.answer = 1;  // nobody to ask: the values are kept
        if (ReportMessage(question) == 1)
            return false;
    }
    base.SetCardNumberDigits(std::max(digits, minimumDigits));
    base.SetCardTextCaption(std::string(cardCaption->Text()).c_str());
    base.SetLineTextCaption(std::string(lineCaption->Text()).c_str());
    base.SetReferenceDate(*date);
    base.SetValueCount(valueFieldCount);
    for (int32_t i = 0; i < valueFieldCount; ++i) {
        base.SetValueFieldName(i, std::string(valueFields->NameField(i).Text()).c_str());
        base.SetValueFormat(i, valueFields->DecimalsOf(i));
    }
    return true;
}

}  // namespace vek
