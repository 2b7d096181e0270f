// TransferData: building packages of typed items and posting them as drops.
#include "gui/TransferData.h"

#include "foundation/strings/String.h"
#include "gui/Application.h"

namespace vek {

TransferData::~TransferData() { Clear(); }

void TransferData::Clear()
{
    while (firstItem) {
        std::unique_ptr<TransferItem> item(firstItem);
        firstItem = item->next;
    }
}

void TransferData::Push(std::unique_ptr<TransferItem> item)
{
    item->next = firstItem;
    firstItem = item.release();
}

void TransferData::AddText(uint32_t type, const char* text)
{
    if (!text || !*text)
        return;
    AddBytes(type, text, int32_t(std::char_traits<char>::length(text)));
}

void TransferData::AddBytes(uint32_t type, const char* bytes, int32_t length)
{
    if (!bytes || length <= 0)
        return;
    auto item = std::make_unique<TransferItem>();
    item->type = type;
    item->bytes.assign(bytes, size_t(length));
    Push(std::move(item));
}

void TransferData::AddString(uint32_t type, const String& text) { AddBytes(type, text.CStr(), text.Length()); }

void TransferData::AddFile(uint32_t type, const FilePath& path)
{
    auto item = std::make_unique<TransferItem>();
    item->type = type;
    item->file = std::make_unique<FilePath>(path);
    Push(std::move(item));
}

TransferItem* TransferData::FindItem(uint32_t mask) const
{
    for (TransferItem* item = firstItem; item; item = item->next)
        if (item->type & mask)
            return item;
    return nullptr;
}

void TransferData::PostDropOrDiscard(std::unique_ptr<TransferData> package)
{
    if (Application* application = Application::Get())
        application->PostDrop(std::move(package));
}

}  // namespace vek
