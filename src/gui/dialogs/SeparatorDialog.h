// SeparatorDialog: the small dialog in which a separator character is typed.
#pragma once

#include <cstdint>

#include "gui/dialogs/Dialog.h"

namespace vek {

class TextField;

// One field that shows the character's name ("Tab", "Comma", "#7", "|") and reads back what is
// typed (a name, "#" and a code, or the character). Codes below 4 stand for the separator popup's
// own choices (default, none, line end, divider) and cannot be typed: such a text empties the field.
class SeparatorDialog final : public Dialog {
public:
    SeparatorDialog(Window* parent, uint16_t character, int32_t titleTextId);
    ~SeparatorDialog() override;

    CommandTarget* FormatControlText(String& text, Control& control) override;

    // After the run: the character (0 when cancelled or emptied).
    uint16_t Character() const { return character; }
    TextField* Field() const { return field; }

protected:
    void Cancel() override { character = 0; }

private:
    uint16_t character = 0;
    TextField* field = nullptr;
};

}  // namespace vek
