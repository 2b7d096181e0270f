// Offscreen: the print path keeps a transparent offscreen, so that its coverage can be laid onto the
// page in white (bit clear) or in a colour (or), as the black-and-white printer needs.
#include "drawing/Offscreen.h"

#include <algorithm>

namespace vek {

OffscreenBuffer::~OffscreenBuffer() = default;

bool OffscreenBuffer::Create(int32_t width, int32_t height, int16_t depth)
{
    world = DrawingPort::CreateImage(width, height, DepthRecord{depth, depth > 8 ? 1 : 0},
                                     DrawingPort::Background::Transparent);
    rect = world != nullptr ? MakeRect(0, 0, width, height) : Rect{};
    return world != nullptr;
}

void OffscreenBuffer::Dispose()
{
    world.reset();
    rect = Rect{};
}

void OffscreenBuffer::CopyToPort(const Rect& destination, bool erase) const
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || world == nullptr)
        return;
    if (erase)
        port->EraseRect(destination);
    port->CopyFrom(*world, rect, destination, DrawingPort::Transfer::Or);
}

Rect MapToOffscreen(const OffscreenDrawing& context, const Rect& rect)
{
    int32_t f = context.factor;
    return MakeRect((rect.left - context.requested.left) * f, (rect.top - context.requested.top) * f,
                    (rect.right - context.requested.left) * f, (rect.bottom - context.requested.top) * f);
}

Region MapToOffscreen(const OffscreenDrawing& context, const Region& region)
{
    Region out;
    for (int32_t i = 0, n = region.RectCount(); i < n; ++i)
        AddRectToRegion(out, MapToOffscreen(context, region.RectAt(i)));
    return out;
}

bool OpenOffscreenDrawing(OffscreenDrawing& context)
{
    DrawingState& state = GetDrawingState();
    if (context.open || state.port == nullptr || context.requested.IsEmpty())
        return false;
    context.factor = std::clamp(state.pixFactor, 1, 3);
    context.offscreenRect =
        MakeRect(0, 0, context.requested.Width() * context.factor, context.requested.Height() * context.factor);
    context.world = DrawingPort::CreateImage(context.offscreenRect.Width(), context.offscreenRect.Height(), state.depth,
                                            DrawingPort::Background::Transparent);
    if (context.world == nullptr)
        return false;
    context.world->MakeTransparent();
    context.savedOutputKind = state.outputKind;
    context.savedPort = state.port;
    Region clip = MapToOffscreen(context, context.savedPort->Clip());
    context.world->SetClip(clip);
    context.world->SetForeColor(TableColor(kColorBlack));
    context.world->SetLineWidthFactor(1.0);
    state.outputKind = OutputKind::Screen;
    state.port = context.world.get();
    context.open = true;
    return true;
}

Rect BeginOffscreenRect(OffscreenDrawing& context, const Rect& rect)
{
    context.requested = rect;
    if (!OpenOffscreenDrawing(context))
        return Rect{};
    return context.offscreenRect;
}

Region BeginOffscreenRegion(OffscreenDrawing& context, const Region& region)
{
    context.requested = region.Bounds();
    if (!OpenOffscreenDrawing(context))
        return Region();
    return MapToOffscreen(context, region);
}

void CopyOffscreenDrawing(OffscreenDrawing& context, int32_t colorOrMode)
{
    if (!context.open)
        return;
    DrawingPort* page = context.savedPort;
    if (colorOrMode == kOffscreenKeepFore) {
        // What the layer drew, in its own colours and patterns, over the page.
        page->CopyFrom(*context.world, context.offscreenRect, context.requested, DrawingPort::Transfer::Or);
    } else {
        RgbColor color = colorOrMode == kOffscreenBitClear ? TableColor(kColorWhite) : TableColor(colorOrMode);
        page->CopyFrom(*context.world, context.offscreenRect, context.requested,
                       DrawingPort::Transfer::ColorThroughMask, color);
    }
    context.world->MakeTransparent();
}

void CloseOffscreenDrawing(OffscreenDrawing& context)
{
    if (!context.open)
        return;
    DrawingState& state = GetDrawingState();
    state.port = context.savedPort;
    state.outputKind = context.savedOutputKind;
    context.world.reset();
    context.open = false;
}

}  // namespace vek
