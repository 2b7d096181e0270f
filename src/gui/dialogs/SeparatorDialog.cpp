// SeparatorDialog: the field and the reading of a typed separator.
#include "gui/dialogs/SeparatorDialog.h"

#include "drawing/TextStyle.h"
#include "foundation/messages/TextIds.h"
#include "foundation/messages/TextSettings.h"
#include "foundation/strings/String.h"
#include "gui/StaticText.h"
#include "gui/editing/TextField.h"

namespace vek {

// Codes 0-3 are the separator popup's default, none, line end and divider, never a character.
constexpr uint32_t kFirstSeparatorCharacter = 4;

SeparatorDialog::SeparatorDialog(Window* parent, uint16_t code, int32_t titleTextId)
    : Dialog(205, 78, DialogOwner{}, parent), character(code >= kFirstSeparatorCharacter ? code : 0)
{
    SetTitleById(titleTextId);
    auto* caption = new StaticText(*this, OriginSize{13, 6, 16, 70}, false);
    TextStyle style = caption->GetTextStyle();
    style.SetAlignment(kAlignRight);
    caption->SetTextStyle(style);
    caption->SetTextById(text::kSeparatorCharacterCaption);
    caption->FinishConstruction();
    field = new TextField(*this, OriginSize{13, 85, 16, 80}, 1, true, false);
    field->FinishConstruction();
    String name;
    SeparatorName(name, character);
    field->SetText(name.CStr());
    AddDialogButtons(0);
    FinishConstruction();
}

SeparatorDialog::~SeparatorDialog() { PrepareDestruction(); }

CommandTarget* SeparatorDialog::FormatControlText(String& text, Control& control)
{
    if (&control != field)
        return Dialog::FormatControlText(text, control);
    const uint32_t code = ParseSeparator(text.CStr());
    character = code >= kFirstSeparatorCharacter && code <= 0xFFFF ? uint16_t(code) : 0;
    SeparatorName(text, character);
    return this;
}

}  // namespace vek
