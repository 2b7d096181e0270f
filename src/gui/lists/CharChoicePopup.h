// CharChoicePopup: a popup over a choice string of UI language indices, with the program's own
// language as its first, default item.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gui/lists/PopupButton.h"

namespace vek {

// Items: 0 the application's own language (followed by " (default)" while the list is open), 1 a
// divider, then one item per choice byte. The choice bytes end at the first byte of 128 or more.
class CharChoicePopup : public PopupButton {
public:
    CharChoicePopup(Pane& enclosure, const OriginSize& frame, int32_t id, std::span<const uint8_t> choices,
                    uint8_t chosen, bool isDefault);
    ~CharChoicePopup() override;

    CommandTarget* PopupNotify(PopupItemRecord& record) override;

    // The application's own language when item 0 is current, else the chosen byte.
    int32_t SelectedChoice() const;
    bool IsDefault() const { return CurrentItem() == 0; }

    static int32_t CountItems(std::span<const uint8_t> choices);
    static int32_t IndexOfChoice(std::span<const uint8_t> choices, uint8_t chosen);

private:
    int32_t ownLanguage = 0;
    std::vector<uint8_t> choiceBytes;
};

}  // namespace vek
