#include "model/dimensions/DimensionTexts.h"

#include "foundation/memory/BlockAllocator.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"

namespace vek {

DimensionTexts::~DimensionTexts()
{
    Free();
}

void DimensionTexts::Init(const Base* owner)
{
    Free();
    base = owner;
}

void DimensionTexts::Free()
{
    for (HeapText& text : texts) {
        MemFree(text);
        text = nullptr;
    }
}

void DimensionTexts::Clear()
{
    for (HeapText& text : texts) {
        BlankHeapText(text);
        MemFree(text);
        text = nullptr;
    }
}

void DimensionTexts::Assign(const DimensionTexts& other)
{
    if (this == &other)
        return;
    for (uint32_t d = 0; d < kDimensionCount; ++d)
        SetHeapBlock(texts[d], other.texts[d]);
}

void DimensionTexts::SetText(int32_t d, const char* bytes, int32_t length)
{
    if (d < 0 || d >= int32_t(kDimensionCount))
        return;
    SetHeapTextFromBytes(texts[d], bytes, bytes ? length : 0);
}

void DimensionTexts::SetFromString(int32_t d, const String& text)
{
    SetText(d, text.CStr(), text.Length());
}

const char* DimensionTexts::Text(int32_t d) const
{
    return d >= 0 && d < int32_t(kDimensionCount) ? texts[d] : nullptr;
}

void DimensionTexts::Write(TextWriter& writer, const char* key) const
{
    if (!base)
        return;
    for (int32_t position = 0; position < base->DimensionOrderCount(); ++position) {
        const char* text = Text(base->DimensionOrderAt(position));
        if (!text)
            continue;
        String numberedKey;
        numberedKey.AssignCStr(key);
        numberedKey.AppendInt(position + 1);
        writer.WriteKeyTextLine(numberedKey.CStr(), text);
    }
}

bool DimensionTexts::Equals(const DimensionTexts& other) const
{
    for (uint32_t d = 0; d < kDimensionCount; ++d) {
        if (CompareHeapText(texts[d], other.texts[d] ? other.texts[d] : "") != 0)
            return false;
    }
    return true;
}

bool DimensionTexts::IsSet() const
{
    for (ConstHeapText text : texts) {
        if (text)
            return true;
    }
    return false;
}

int64_t DimensionTexts::StoredSize() const
{
    int64_t total = 0;
    for (ConstHeapText text : texts)
        total += MemBlockFootprint(text);
    return total;
}

}  // namespace vek
