// EncodingPopup: the popup that chooses one of the nine character encodings.
#pragma once

#include <cstdint>

#include "gui/lists/PopupButton.h"

namespace vek {

// Ten items: encodings 0-2 (UTF-8 and the two UTF-16 forms), a divider, encodings 3-8.
class EncodingPopup final : public PopupButton {
public:
    EncodingPopup(Pane& enclosure, const OriginSize& frame, int32_t id, int32_t encoding);
    ~EncodingPopup() override;

    CommandTarget* PopupNotify(PopupItemRecord& record) override;

    // The encoding of the current item.
    int32_t SelectedEncoding() const { return EncodingOfItem(CurrentItem()); }
    // -1 for the divider and for items beyond the list.
    static int32_t EncodingOfItem(int32_t item);
    // Item 0 for a code that is no encoding.
    static int32_t ItemOfEncoding(int32_t encoding);
};

}  // namespace vek
