// OwnedText: the single owner of one heap text.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>

#include "foundation/strings/HeapText.h"

namespace vek {

// Owns one heap text (HeapText.h: an allocator block of the text and its NUL, or null for no text)
// and releases it when it goes; the block is blanked first, as SetHeapText does, so passwords leave
// no trace in freed memory. Move-only: a copy is made on purpose with CopyFrom, which can fail.
// The holder stays one pointer wide, so records keep their size.
class OwnedText {
public:
    OwnedText() = default;
    // Takes over a block made by the heap-text functions.
    explicit OwnedText(HeapText adopted) : text(adopted) {}
    ~OwnedText() { SetHeapText(text, nullptr); }
    OwnedText(OwnedText&& other) noexcept : text(std::exchange(other.text, nullptr)) {}
    OwnedText& operator=(OwnedText&& other) noexcept
    {
        if (this != &other) {
            SetHeapText(text, nullptr);
            text = std::exchange(other.text, nullptr);
        }
        return *this;
    }
    OwnedText(const OwnedText&) = delete;
    OwnedText& operator=(const OwnedText&) = delete;

    // The text; null for none.
    ConstHeapText Get() const { return text; }
    // The text, "" for none.
    const char* CStr() const { return text != nullptr ? text : ""; }
    std::string_view View() const { return {CStr(), size_t(HeapTextLength(text))}; }
    int32_t Length() const { return HeapTextLength(text); }
    bool IsNull() const { return text == nullptr; }

    // The stored field, for the SetHeapText family and the readers that fill a field in place.
    HeapText& Field() { return text; }
    // Gives up the block to the caller, who must release it.
    [[nodiscard]] HeapText Release() { return std::exchange(text, nullptr); }

    // Replaces the text (SetHeapText); an empty text stores none.
    void Set(const char* newText) { SetHeapText(text, newText); }
    // A copy of the other's block; false, with this text null, when memory runs short.
    [[nodiscard]] bool CopyFrom(ConstHeapText source)
    {
        SetHeapBlock(text, source);
        return source == nullptr || text != nullptr;
    }

private:
    HeapText text = nullptr;
};

}  // namespace vek
