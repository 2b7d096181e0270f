// PlatformWindow: the part of a window that stands for its window on the screen.
#pragma once

#include <memory>
#include <string>

#include "drawing/DrawingPort.h"
#include "drawing/Geometry.h"
#include "drawing/Region.h"

namespace vek {

// What a window keeps of its platform window: where its content lies on the screen, its title, whether
// it is shown and highlighted, the region that waits to be redrawn, and the picture of its content.
// Without a display this record is all there is; the windowed backend will attach a real window.
class PlatformWindow {
public:
    PlatformWindow() = default;
    ~PlatformWindow();
    PlatformWindow(const PlatformWindow&) = delete;
    PlatformWindow& operator=(const PlatformWindow&) = delete;

    // The content frame in global coordinates.
    OriginSize frame;
    std::string title;
    bool shown = false;
    bool highlighted = false;
    bool modified = false;  // the document has changes not saved
    int32_t options = 0;
    // Window coordinates; drawn at the next update.
    Region updateRegion;

    // The content's pixels, made or resized to the frame on demand; null when no image can be made.
    DrawingPort* Port();
    bool HasPort() const { return port != nullptr; }

private:
    std::unique_ptr<DrawingPort> port;
};


}  // namespace vek
