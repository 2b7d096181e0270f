// UiText: the text of a window title, menu item or control, borrowed, owned or loaded by number.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"

namespace vek {

// The text of a window title, menu item or control: borrowed from the caller (who keeps it alive),
// an owned copy, or loaded by text number (LoadText) and loaded again after the interface language
// changes (Reload).
class UiText {
public:
    UiText() = default;
    // The owner's destructor calls Free; an owned copy is not released by itself.
    UiText(const UiText&) = delete;
    UiText& operator=(const UiText&) = delete;

    const char* Text() const { return text; }
    int32_t Number() const { return number; }

    void Free();  // releases the copy
    void Clear();  // no text; the copy is blanked and released
    // The caller's text, stored as null when empty; the copy is blanked and released.
    void SetBorrowed(const char* borrowed);
    // The same, keeping the pointer also to an empty text.
    void SetBorrowedAsIs(const char* borrowed);
    // The localized text of the number (null for 0); the number is kept for Reload.
    void SetById(int32_t textNumber);
    void SetCopy(const char* source);
    void SetCopyBytes(const char* bytes, int32_t n);
    void SetCopyHeapText(ConstHeapText source);
    // Loads the text of the number again (after a change of interface language); nothing for 0.
    void Reload();

private:
    void DropCopy();

    const char* text = nullptr;
    HeapText copy = nullptr;
    int32_t number = 0;
};

}  // namespace vek
