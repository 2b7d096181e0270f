// PasswordDialog: the prompt, the field and the answer bits.
#include "docwindows/dialogs/PasswordDialog.h"

#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/strings/String.h"
#include "gui/StaticText.h"
#include "gui/controls/CheckBox.h"
#include "gui/editing/TextField.h"
#include "model/base/Base.h"
#include "model/links/BaseLinkRegistry.h"

namespace vek {

namespace {

constexpr int16_t kPasswordDialogWidth = 340;
constexpr int16_t kPasswordDialogHeight = 130;

}  // namespace

PasswordDialog::PasswordDialog(Base* base, int32_t promptText, Window* parent)
    : Dialog(kPasswordDialogWidth, kPasswordDialogHeight,
             DialogOwner{base, base != nullptr ? &base->GetLinkRegistry() : nullptr}, parent)
{
    SetTitleById(text::kPasswordTitle);
    Message prompt;
    prompt.code = promptText;
    if (base != nullptr) {
        String name;
        base->GetFileName(name);
        prompt.AddText(name.CStr());
    }
    String text;
    prompt.Format(text);
    auto* question = new StaticText(*this, OriginSize{12, 15, 32, 310}, true);
    question->SetTextString(text.CStr());
    field = new TextField(*this, OriginSize{50, 18, 16, 300}, 1, true, true);
    field->SetPasswordMode(true);
    remember = new CheckBox(*this, OriginSize{74, 15, 16, 300}, 2, true);
    remember->SetLabel(text::kRememberPassword);
    AddDialogButtons(0);
    FinishConstruction();
}

PasswordDialog::~PasswordDialog()
{
    PrepareDestruction();
}

int32_t PasswordDialog::Run(String& out)
{
    RunModal();
    // Nothing typed is no answer: an empty password is never a base's, and saying it is would only
    // report a wrong password.
    if (WasCancelled() || field->TextLength() == 0)
        return 0;
    out.AssignBytes(field->Text());
    field->ClearText();
    return kPasswordGiven | (remember->Value() ? kPasswordRemember : 0);
}

}  // namespace vek
