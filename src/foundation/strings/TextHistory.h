// TextHistory: the back-and-forward list behind undo and redo of an editable text field.
#pragma once

#include <cstdint>

#include "foundation/strings/HeapText.h"

namespace vek {

class String;

// The back-and-forward list behind undo and redo of an editable text field: up to 12 texts, the
// oldest dropped first, and the position of the text shown. A text that cannot be copied (memory
// short) is not recorded.
class TextHistory {
public:
    static constexpr int32_t kCapacity = 12;

    TextHistory() = default;
    ~TextHistory();
    TextHistory(const TextHistory&) = delete;
    TextHistory& operator=(const TextHistory&) = delete;

    void Clear();
    bool HasEntries() const { return count > 0; }
    int32_t Count() const { return count; }
    int32_t Current() const { return current; }
    // The entry at i, or null.
    const char* Entry(int32_t i) const { return i >= 0 && i < count ? slots[i] : nullptr; }
    bool CanGoBack() const { return canGoBack; }
    bool CanGoForward() const { return canGoForward; }

    // Records a text as the newest entry after the current one (entries ahead of it are dropped).
    // Null, empty, or equal to the current entry: nothing.
    void Push(const char* text);
    // Records the text shown, then steps back one entry and puts it into the string.
    void Back(String& text);
    // Steps forward one entry and puts it into the string; nothing at the newest entry.
    void Forward(String& text);
    // Sets the two flags for the text now shown.
    void UpdateFlags(const char* shown);

private:
    void ReleaseFrom(int32_t first);

    int32_t count = 0;
    int32_t current = -1;
    bool canGoBack = false;
    bool canGoForward = false;
    HeapText slots[kCapacity] = {};
};

}  // namespace vek
