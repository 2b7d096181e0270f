// NumberDialog: building, item texts and the chosen value.
#include "gui/dialogs/NumberDialog.h"

#include <algorithm>
#include <cstdio>

#include "foundation/memory/MemoryHandle.h"
#include "foundation/messages/TextIds.h"
#include "gui/lists/PopupButton.h"
#include "gui/lists/PopupItemRecord.h"

namespace vek {

// What a dialog of this size needs; short of it the dialog is not built at all.
constexpr int64_t kNumberDialogReserve = 10240;

NumberDialog::NumberDialog(Window* parent, int32_t highest, int32_t lowestNumber)
    : Dialog(205, 77, DialogOwner{}, parent), lowest(lowestNumber)
{
    SetTitleById(text::kMenuLevels);
    AddDialogButtons(0);
    const int64_t count = std::max<int64_t>(int64_t(highest) - lowest + 1, 0);
    const int32_t items = int32_t(std::min<int64_t>(count, INT32_MAX));
    const int32_t current = items > 0 ? int32_t(std::clamp<int64_t>(int64_t(1) - lowest, 0, items - 1)) : 0;
    value = items > 0 ? lowest + current : -1;
    popup = new PopupButton(*this, OriginSize{13, 13, 15, 120}, 1, items, current, false);
    popup->SetTitle(text::kNumberCaption);
    popup->SetLabelWidth(35);
    popup->FinishConstruction();
    FinishConstruction();
}

NumberDialog::~NumberDialog() { PrepareDestruction(); }

std::string NumberDialog::ItemText(int32_t number)
{
    // The whole number: the older form kept only the tens and units digits, so 100 read " 0".
    char text[16];
    std::snprintf(text, sizeof text, "%2d", number);
    return text;
}

CommandTarget* NumberDialog::PopupNotify(PopupItemRecord& record)
{
    const int64_t number = int64_t(lowest) + record.index;
    if (record.kind == PopupItemKind::Describe) {
        const std::string text = ItemText(int32_t(number));
        std::snprintf(record.textBuffer, sizeof record.textBuffer, "%s", text.c_str());
        record.text = record.textBuffer;
    } else if (record.kind == PopupItemKind::Chosen) {
        value = int32_t(number);
    }
    return this;
}

int32_t NumberDialog::Run(Window* parent, int32_t highest, int32_t lowest)
{
    if (!TestHandleAlloc(kNumberDialogReserve) || highest < lowest)
        return -1;
    NumberDialog dialog(parent, highest, lowest);
    dialog.RunModal();
    return dialog.WasCancelled() ? -1 : dialog.Value();
}

}  // namespace vek
