// UiText: borrowing, copying, loading and reloading the texts of the interface.
#include "foundation/strings/UiText.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/messages/LocalizedText.h"

namespace vek {

void UiText::DropCopy()
{
    BlankHeapText(copy);
    MemFree(copy);
    copy = nullptr;
}

void UiText::Free()
{
    if (text == copy)
        text = nullptr;
    MemFree(copy);
    copy = nullptr;
}

void UiText::Clear()
{
    text = nullptr;
    DropCopy();
    number = 0;
}

void UiText::SetBorrowed(const char* borrowed)
{
    DropCopy();
    text = borrowed != nullptr && *borrowed != 0 ? borrowed : nullptr;
    number = 0;
}

void UiText::SetBorrowedAsIs(const char* borrowed)
{
    DropCopy();
    text = borrowed;
    number = 0;
}

void UiText::SetById(int32_t textNumber)
{
    DropCopy();
    number = textNumber;
    text = textNumber != 0 ? LoadText(textNumber) : nullptr;
}

void UiText::SetCopy(const char* source)
{
    SetHeapText(copy, source);
    text = copy;
    number = 0;
}

void UiText::SetCopyBytes(const char* bytes, int32_t n)
{
    SetHeapTextFromBytes(copy, bytes, n);
    text = copy;
    number = 0;
}

void UiText::SetCopyHeapText(ConstHeapText source)
{
    SetHeapBlock(copy, source);
    text = copy;
    number = 0;
}

void UiText::Reload()
{
    if (number != 0)
        text = LoadText(number);
}

}  // namespace vek

