#include "model/cards/RecordPool.h"

#include <cstring>

namespace vek {

RecordPool::RecordPool(int32_t elementSize, int32_t documentedSize)
    : elements(elementSize, 0, PageFill::Zero), documentedSize(documentedSize)
{
}

void* RecordPool::Alloc()
{
    uint32_t index;
    void* record;
    if (freeHead != kNoRecord) {
        index = freeHead;
        record = elements.At(int32_t(index));
        if (record == nullptr)
            return nullptr;
        freeHead = static_cast<PoolRecordHeader*>(record)->next;
        --freeCount;
        std::memset(record, 0, size_t(elements.ElementSize()));
    } else {
        if (elements.Count() == INT32_MAX)
            return nullptr;
        index = uint32_t(elements.Count());
        // Records past the end of a pool's pages are zero already (PageFill::Zero): memory fresh
        // from the system is, and clearing it again costs as much as filling it.
        record = elements.AtGrow(int32_t(index));
        if (record == nullptr)
            return nullptr;
    }
    auto* header = static_cast<PoolRecordHeader*>(record);
    header->index = index;
    header->next = kNoRecord;
    ++liveCount;
    return record;
}

void RecordPool::Free(uint32_t index)
{
    void* record = At(index);
    if (record == nullptr)
        return;
    auto* header = static_cast<PoolRecordHeader*>(record);
    header->next = freeHead;
    freeHead = index;
    ++freeCount;
    --liveCount;
}

void RecordPool::Clear()
{
    elements.Free();
    freeHead = kNoRecord;
    liveCount = 0;
    freeCount = 0;
}

}  // namespace vek
