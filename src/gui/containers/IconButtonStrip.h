// IconButtonStrip: a row of up to 7 icon buttons of which one is selected, like a tool palette.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gui/Control.h"

namespace vek {

// Clicking an icon selects it and tells the window through ControlAction. Icon i occupies the 24 by
// 24 cell at x = i x 28.
class IconButtonStrip : public Control {
public:
    static constexpr int32_t kMaximumIcons = 7;
    static constexpr int32_t kPitch = 28;
    static constexpr int32_t kCell = 24;

    // The list ends at its first 0 (or its end); only the first 7 ids are kept.
    IconButtonStrip(Pane& enclosure, const OriginSize& frame, int32_t id, std::span<const int32_t> icons, int32_t selected,
                    bool finish);
    ~IconButtonStrip() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    void Draw() override;

    // Resizes the strip to (count - 1) x 28 + 25 pixels.
    void SetIcons(std::span<const int32_t> icons);
    void SetIconsAndSelection(std::span<const int32_t> icons, int32_t selected);
    // 0 outside the cells (and between them); else the icon's id.
    int32_t IconAt(Point point, bool inside) const;

    int32_t IconCount() const { return int32_t(icons.size()); }
    int32_t SelectedIcon() const { return selectedIcon; }
    int32_t PressedIcon() const { return pressedIcon; }

private:
    Rect CellRect(int32_t iconId) const;
    void DrawCell(int32_t index);

    std::vector<int32_t> icons;
    int32_t selectedIcon = 0;
    int32_t pressedIcon = 0;
};

}  // namespace vek
