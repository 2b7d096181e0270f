// BaseInfoWindow: the window (kind 9) that shows the figures of one open base.
#pragma once

#include <cstdint>

#include "docwindows/DocumentWindow.h"
#include "docwindows/info/BaseInfoFigures.h"
#include "model/base/ModelServices.h"

namespace vek {

// Shows the base's file, its memory use, its cards and lines and, per dimension, its components and
// how many of them the lines use. The figures are recomputed on the next tick after a change that
// can alter them: changes 11, 12, 27 and 28 (cards and components), 65 (named objects), 66-68
// (windows), 7, 17 and 31 (the dimensions). It is the model's link to the base's info window
// (ModelServices::OpenBaseInfoWindow) and tells the base when it goes; when the base goes first
// (change 5), the window closes without touching it again.
class BaseInfoWindow final : public DocumentWindow, public BaseWindowLink {
public:
    // flags: bit 0x01 hidden (the web service's unregistered window).
    BaseInfoWindow(Base& base, int32_t flags);
    ~BaseInfoWindow() override;

    CommandTarget* Notify(int32_t code) override;
    CommandTarget* Query(void* request) override;
    void UpdateMenus() override;
    // Copy puts the figures on the clipboard as text (WriteBaseInfoText), tab-separated.
    int32_t DoCommand(MenuItem& item) override;
    void Draw() override;
    // BaseWindowLink.
    void Activate(int32_t flags) override;

    // The figures, recomputed first when a change made them stale.
    const BaseInfoFigures& Figures();
    bool IsStale() const { return dirty != 0; }

private:
    BaseInfoFigures figures;
    int32_t dirty = 7;
    bool baseClosing = false;
};

}  // namespace vek
