// EncodingPopup: items and encodings.
#include "gui/dialogs/EncodingPopup.h"

#include "foundation/strings/CodePages.h"
#include "gui/lists/PopupItemRecord.h"

namespace vek {

// The divider between the Unicode forms and the single-byte encodings.
constexpr int32_t kEncodingDividerItem = 3;

EncodingPopup::EncodingPopup(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t encoding)
    : PopupButton(enclosure, frame, id, kEncodingCount + 1, ItemOfEncoding(encoding), false)
{
    FinishConstruction();
}

EncodingPopup::~EncodingPopup() { PrepareDestruction(); }

int32_t EncodingPopup::EncodingOfItem(int32_t item)
{
    if (item < 0 || item == kEncodingDividerItem || item > kEncodingCount)
        return -1;
    return item < kEncodingDividerItem ? item : item - 1;
}

int32_t EncodingPopup::ItemOfEncoding(int32_t encoding)
{
    if (encoding < 0 || encoding >= kEncodingCount)
        return 0;
    return encoding < kEncodingDividerItem ? encoding : encoding + 1;
}

CommandTarget* EncodingPopup::PopupNotify(PopupItemRecord& record)
{
    if (record.kind != PopupItemKind::Describe)
        return PopupButton::PopupNotify(record);
    const int32_t encoding = EncodingOfItem(record.index);
    record.text = encoding < 0 ? nullptr : EncodingDisplayName(encoding);
    return this;
}

}  // namespace vek
