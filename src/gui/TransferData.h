// TransferData: the package in which dragged or dropped content travels: typed items of text or files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/FilePath.h"

namespace vek {

class String;
class Window;

// Item types, one bit each.
constexpr uint32_t kTransferText = 1;
constexpr uint32_t kTransferLinkText = 2;
constexpr uint32_t kTransferFile = 4;
constexpr uint32_t kTransferFolder = 8;

struct TransferItem {
    TransferItem* next = nullptr;
    uint32_t type = 0;
    std::unique_ptr<FilePath> file;  // file and folder items
    std::string bytes;               // text items, as they came (no terminator)
};

// A list of typed items; the newest item is found first. The package owns its items.
class TransferData {
public:
    TransferData() = default;
    ~TransferData();
    TransferData(const TransferData&) = delete;
    TransferData& operator=(const TransferData&) = delete;

    void Clear();
    // Each adds nothing for an empty text (or a length of 0 or less).
    void AddText(uint32_t type, const char* text);
    void AddBytes(uint32_t type, const char* bytes, int32_t length);
    void AddString(uint32_t type, const String& text);
    void AddFile(uint32_t type, const FilePath& path);
    // The newest item with a type bit of the mask; null when none.
    TransferItem* FindItem(uint32_t mask) const;

    // Hands the package to the application's pending drops, or deletes it when there is none.
    static void PostDropOrDiscard(std::unique_ptr<TransferData> package);

    TransferData* next = nullptr;  // the application's list of pending drops
    Window* target = nullptr;      // the window that receives it

private:
    void Push(std::unique_ptr<TransferItem> item);
    TransferItem* firstItem = nullptr;
};

}  // namespace vek
