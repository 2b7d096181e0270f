// NumberDialog: the small dialog that picks a whole number from a range with one popup.
#pragma once

#include <cstdint>
#include <string>

#include "gui/dialogs/Dialog.h"

namespace vek {

class PopupButton;

// A popup of the numbers lowest..highest, starting on 1 (on the nearest end when 1 is outside).
// Items show the whole number, single digits right-aligned in two places (" 7", "12", "365").
class NumberDialog final : public Dialog {
public:
    NumberDialog(Window* parent, int32_t highest, int32_t lowest);
    ~NumberDialog() override;

    CommandTarget* PopupNotify(PopupItemRecord& record) override;

    // The chosen number, or -1 when cancelled, when the range is empty or when memory is short.
    static int32_t Run(Window* parent, int32_t highest, int32_t lowest);

    int32_t Value() const { return value; }
    PopupButton* Popup() const { return popup; }
    // The text of the item that stands for the number.
    static std::string ItemText(int32_t number);

protected:
    void Cancel() override { value = -1; }

private:
    int32_t value = 1;
    int32_t lowest = 0;
    PopupButton* popup = nullptr;
};

}  // namespace vek
