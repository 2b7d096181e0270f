// TabNotice: how a tab control asks its owner for tab titles and tells it of the selected tab.
#pragma once

#include <cstdint>

namespace vek {

class TabControl;

enum class TabNoticeKind : int32_t { Describe = 0, Selected = 1, DrawPage = 2 };

struct TabNotice {
    TabNoticeKind kind = TabNoticeKind::Describe;
    TabControl* control = nullptr;
    // The tab asked about, the new tab, or the current tab.
    int32_t index = 0;
    // Selected: the previous tab (-1 none).
    int32_t previous = -1;
    // Describe answer: the title; a tab without text counts as disabled.
    const char* text = nullptr;
    // Describe answer, preset 1.
    int32_t enabled = 1;
    // Describe answer, preset 0: a tab with an icon is 8 pixels wider.
    int32_t icon = 0;
};

}  // namespace vek
