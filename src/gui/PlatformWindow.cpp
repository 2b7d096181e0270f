// PlatformWindow: the headless stand-in for a window on the screen.
#include "gui/PlatformWindow.h"

namespace vek {

PlatformWindow::~PlatformWindow() = default;

DrawingPort* PlatformWindow::Port()
{
    const int32_t width = frame.width > 0 ? frame.width : 1;
    const int32_t height = frame.height > 0 ? frame.height : 1;
    if (!port || port->Width() != width || port->Height() != height)
        port = DrawingPort::CreateImage(width, height);
    return port.get();
}

}  // namespace vek
