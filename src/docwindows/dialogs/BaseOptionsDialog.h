// BaseOptionsDialog: the options of a base: card-number digits, captions, the reference date, the
// value fields with their names and decimals.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/containers/GroupBox.h"
#include "gui/dialogs/Dialog.h"
#include "model/base/BaseOptions.h"

namespace vek {

class Base;
class DateExpression;
class PopupButton;
class TextField;

// The value-field rows of the base options dialog: a name field and a decimals popup (0-6 decimals)
// per value field, of which the first `shown` rows are visible; the group's height follows. A field
// whose decimals code is none of those keeps it unless its popup is changed.
class DecimalsFieldGroup final : public GroupBox {
public:
    // Control ids: the count popup, then per row i the name field and the decimals popup.
    static constexpr int32_t kCountPopup = 10;
    static constexpr int32_t NameFieldId(int32_t row) { return 11 + 2 * row; }
    static constexpr int32_t DecimalsPopupId(int32_t row) { return 12 + 2 * row; }
    // Height of a group that shows the rows.
    static int32_t GroupHeight(int32_t rows);

    DecimalsFieldGroup(Pane& enclosure, const OriginSize& frame, Base& base);
    ~DecimalsFieldGroup() override;

    CommandTarget* Notify(int32_t code) override;
    CommandTarget* FormatControlText(String& text, Control& control) override;
    CommandTarget* PopupNotify(PopupItemRecord& record) override;
    void Draw() override;

    // The decimals code of a row: the popup's choice, or the base's code while it was not changed.
    int32_t DecimalsOf(int32_t row) const;
    // Shows the first n rows (1-24) and fits the group's height to them.
    void ShowRows(int32_t n);
    int32_t ShownRows() const { return shown; }
    TextField& NameField(int32_t row) const { return *names[size_t(row)]; }
    PopupButton& Decimals(int32_t row) const { return *decimals[size_t(row)]; }
    PopupButton& CountPopup() const { return *countPopup; }

private:
    Base& base;
    PopupButton* countPopup = nullptr;
    std::array<TextField*, kValueFieldCount> names{};
    std::array<PopupButton*, kValueFieldCount> decimals{};
    std::array<int32_t, kValueFieldCount> initialCodes{};
    int32_t shown = 0;
};

// Edits the options of a base; nothing changes in the base before the default button, and lowering
// the number of value fields is confirmed first (message 4209; unattended, the fields are kept and
// the dialog stays open).
class BaseOptionsDialog final : public Dialog {
public:
    // Control ids.
    static constexpr int32_t kDigitsPopup = 2;
    static constexpr int32_t kCardCaptionField = 5;
    static constexpr int32_t kLineCaptionField = 6;
    static constexpr int32_t kDateField = 8;

    explicit BaseOptionsDialog(Base& base, Window* parent = nullptr);
    ~BaseOptionsDialog() override;

    CommandTarget* FormatControlText(String& text, Control& control) override;
    CommandTarget* PopupNotify(PopupItemRecord& record) override;

    // The sample of a digit count: 7343, a dash and the first `digits` digits of "123456789".
    static std::string CardNumberSample(int32_t digits);
    // The dialog's size for a count of value fields.
    static int16_t DialogWidth();
    static int16_t DialogHeight(int32_t valueFields);

    PopupButton& DigitsPopup() const { return *digitsPopup; }
    TextField& CardCaptionField() const { return *cardCaption; }
    TextField& LineCaptionField() const { return *lineCaption; }
    TextField& DateField() const { return *dateField; }
    DecimalsFieldGroup& ValueFields() const { return *valueFields; }
    int32_t ChosenDigits() const { return digits; }
    int32_t ChosenValueFieldCount() const { return valueFieldCount; }

protected:
    bool Confirm() override;

private:
    void SetValueFieldCount(int32_t count);

    Base& base;
    std::unique_ptr<DateExpression> date;
    int32_t minimumDigits = 1;
    int32_t digits = 1;
    int32_t valueFieldCount = 1;
    PopupButton* digitsPopup = nullptr;
    TextField* cardCaption = nullptr;
    TextField* lineCaption = nullptr;
    TextField* dateField = nullptr;
    DecimalsFieldGroup* valueFields = nullptr;
};

}  // namespace vek
