// UnknownComponentDialog: asks which component a typed code that matches nothing stands for.
#pragma once

#include <cstdint>

#include "gui/dialogs/Dialog.h"

namespace vek {

class Base;
class ComponentSelectorRow;
class PushButton;
class StaticText;

// Shown while data is read, when a code names no component of its dimension: the question with the
// code, a selector row holding the code (all of it selected) and, beside it, the component the row's
// text names. OK is enabled while the text names a component, is empty (no component) or the
// dimension has none.
class UnknownComponentDialog final : public Dialog {
public:
    // Codes longer than this are shown cut, at a character boundary.
    static constexpr int32_t kShownCodeLimit = 255;

    UnknownComponentDialog(Base& base, int32_t dimension, Window* parent);
    ~UnknownComponentDialog() override;

    CommandTarget* TargetChanged(CommandTarget* target, int32_t code) override;
    void Draw() override;

    // Puts the question and the code into the dialog, growing it for a long question.
    void Prepare(const char* code, int32_t length);
    // Looks the row's text up: the match text and the default button follow it.
    void Update();
    // Prepare, run modally; the chosen component (the dimension's root for an empty text), or -1
    // after Cancel, when the pending error says that the user cancelled the reading.
    int32_t Run(const char* code, int32_t length);

    int32_t Chosen() const { return chosen; }
    ComponentSelectorRow& Row() const { return *row; }
    const StaticText& Question() const { return *question; }
    const StaticText& Match() const { return *match; }
    PushButton& DefaultButton() const { return *okButton; }

protected:
    bool Confirm() override;
    void Cancel() override;

private:
    Base& base;
    int32_t dimension;
    int32_t chosen = -1;
    uint32_t found = 0;
    StaticText* question = nullptr;
    ComponentSelectorRow* row = nullptr;
    StaticText* match = nullptr;
    PushButton* okButton = nullptr;
};

}  // namespace vek
