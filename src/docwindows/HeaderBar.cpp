// HeaderBar and DocumentContentView: drawing the band, and handing its work to the window.
#include "docwindows/HeaderBar.h"

#include "docwindows/DocumentWindow.h"
#include "drawing/ColorTable.h"
#include "drawing/Shapes.h"

namespace vek {

namespace {

// The band in the dialogs' light grey, the line under it a middle grey.
constexpr int32_t kHeaderBackColour = kColorDialogBackground;
constexpr int32_t kHeaderLineColour = 5;

}  // namespace

HeaderBar::HeaderBar(DocumentWindow& owner, int32_t width)
    : Control(kKindCustomView, owner, OriginSize{0, 0, int16_t(kHeight), int16_t(width)}, 0), window(owner)
{
    FinishConstruction();
}

HeaderBar::~HeaderBar() { PrepareDestruction(); }

void HeaderBar::Draw()
{
    Rect band = bounds;
    FillRectColor(band, kHeaderBackColour);
    Rect line = band;
    line.top = int16_t(line.bottom - 1);
    FillRectColor(line, kHeaderLineColour);
    window.DrawPanel();
}

int32_t HeaderBar::Click(InputEvent& event, Pane* pane)
{
    if (int32_t taken = Control::Click(event, pane))
        return taken;
    return pane == this ? window.ClickPanel(event) : 0;
}

void HeaderBar::Resized(int32_t dw, int32_t dh)
{
    Control::Resized(dw, dh);
    window.PanelResized(dw, dh);
}

DocumentContentView::DocumentContentView(DocumentWindow& owner, const OriginSize& frame)
    : Control(kKindCustomView, owner, frame, 0)
{
    FinishConstruction();
}

DocumentContentView::~DocumentContentView() { PrepareDestruction(); }

void DocumentContentView::Draw() {}

void DocumentContentView::SetItem(int32_t value)
{
    if (value == item)
        return;
    item = value;
    Invalidate();
}

}  // namespace vek
