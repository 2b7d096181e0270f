// PasswordDialog: asks for the password of a base.
#pragma once

#include <cstdint>

#include "gui/dialogs/Dialog.h"

namespace vek {

class Base;
class CheckBox;
class String;
class TextField;

// Answer bits of PasswordDialog::Run (the password question of the model's services).
constexpr int32_t kPasswordGiven = 1;
constexpr int32_t kPasswordRemember = 2;

// The prompt (a text number whose "@0" is the base's file name), a password field and a check box
// that asks to remember the password in the keyring.
class PasswordDialog final : public Dialog {
public:
    PasswordDialog(Base* base, int32_t promptText, Window* parent);
    ~PasswordDialog() override;

    // Runs modally: 0 when cancelled or nothing was typed, else kPasswordGiven with kPasswordRemember when asked for, and
    // the typed password in `out`. The dialog's own copy is wiped.
    int32_t Run(String& out);

    TextField& Field() const { return *field; }
    CheckBox& RememberBox() const { return *remember; }

private:
    TextField* field = nullptr;
    CheckBox* remember = nullptr;
};

}  // namespace vek
