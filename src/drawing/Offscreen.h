// Offscreen: double-buffer worlds and the print-resolution offscreen that black-and-white printing
// draws shapes through.
#pragma once

#include <cstdint>
#include <memory>

#include "drawing/DrawingState.h"

namespace vek {

// A world of its own pixels: the rectangle (0, 0, height, width) and its port.
class OffscreenBuffer {
public:
    OffscreenBuffer() = default;
    ~OffscreenBuffer();
    OffscreenBuffer(const OffscreenBuffer&) = delete;
    OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

    // False (and no world) when the size is not 1-32767 or memory is short.
    [[nodiscard]] bool Create(int32_t width, int32_t height, int16_t depth);
    void Dispose();
    bool IsValid() const { return world != nullptr; }
    const Rect& Bounds() const { return rect; }
    DrawingPort* Port() const { return world.get(); }
    // Copies the whole buffer onto the rectangle of the current port, erasing the destination first
    // when asked; what the buffer left transparent shows what is below.
    void CopyToPort(const Rect& destination, bool erase) const;

private:
    Rect rect;
    std::unique_ptr<DrawingPort> world;
};

// Drawing a shape at print resolution: the requested rectangle of the current port, enlarged by
// PixFactor in an offscreen whose coverage is then copied onto the page in a colour.
struct OffscreenDrawing {
    OutputKind savedOutputKind = OutputKind::Screen;
    DrawingPort* savedPort = nullptr;
    std::unique_ptr<DrawingPort> world;
    Rect offscreenRect;
    Rect requested;
    int32_t factor = 1;
    bool open = false;
};

// Copy modes of CopyOffscreenDrawing beside colour indices.
constexpr int32_t kOffscreenKeepFore = 100;  // lay what was drawn, in its colours, over the page
constexpr int32_t kOffscreenBitClear = 101;  // the covered area becomes white

// Opens the offscreen over the rectangle; returns the rectangle in offscreen coordinates (empty when
// nothing could be opened: the caller then draws nothing).
Rect BeginOffscreenRect(OffscreenDrawing& context, const Rect& rect);
// Opens the offscreen over the region's bounds and maps the region into it.
Region BeginOffscreenRegion(OffscreenDrawing& context, const Region& region);
[[nodiscard]] bool OpenOffscreenDrawing(OffscreenDrawing& context);
// Rectangles and regions of the requested area in offscreen coordinates.
Rect MapToOffscreen(const OffscreenDrawing& context, const Rect& rect);
Region MapToOffscreen(const OffscreenDrawing& context, const Region& region);
// Copies what was drawn onto the requested rectangle (colour index, 100 or 101) and empties the
// offscreen for the next layer.
void CopyOffscreenDrawing(OffscreenDrawing& context, int32_t colorOrMode);
void CloseOffscreenDrawing(OffscreenDrawing& context);

}  // namespace vek
