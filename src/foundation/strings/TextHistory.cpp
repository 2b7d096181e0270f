// TextHistory: pushing texts and moving back and forward through them.
#include "foundation/strings/TextHistory.h"

#include "foundation/strings/String.h"

namespace vek {

TextHistory::~TextHistory()
{
    Clear();
}

void TextHistory::ReleaseFrom(int32_t first)
{
    for (int32_t i = first; i < count; ++i)
        SetHeapText(slots[i], nullptr);
    count = first;
}

void TextHistory::Clear()
{
    ReleaseFrom(0);
    current = -1;
}

void TextHistory::Push(const char* text)
{
    if (text == nullptr || text[0] == 0)
        return;
    if (current >= 0 && CompareHeapText(slots[current], text) == 0)
        return;
    HeapText copy = NewHeapText(text);
    if (copy == nullptr)
        return;
    ReleaseFrom(current + 1);
    if (count == kCapacity) {
        SetHeapText(slots[0], nullptr);
        for (int32_t i = 1; i < kCapacity; ++i)
            slots[i - 1] = slots[i];
        slots[kCapacity - 1] = copy;
        current = kCapacity - 1;
        return;
    }
    slots[count] = copy;
    current = count;
    ++count;
}

void TextHistory::Back(String& text)
{
    Push(text.CStr());
    if (current >= 0 && CompareHeapText(slots[current], text.CStr()) == 0)
        --current;
    if (current >= 0)
        text.AssignHeapText(slots[current]);
}

void TextHistory::Forward(String& text)
{
    if (current + 1 < count) {
        ++current;
        text.AssignHeapText(slots[current]);
    }
}

void TextHistory::UpdateFlags(const char* shown)
{
    canGoBack = current > 0 || (current == 0 && CompareHeapText(slots[0], shown == nullptr ? "" : shown) != 0);
    canGoForward = current + 1 < count;
}

}  // namespace vek
