// DesktopWindowSystem: the window system on a display, under GTK 3 on X11.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "platform/events/WindowSystem.h"

struct _GtkWidget;

namespace vek {

class DesktopWindow;

// Every shown Window of the program gets a GTK window of its own (DesktopWindow) that shows the
// window's backing surface and turns the display's input into platform events, served through the
// same queue as injected input. GTK is called from the main thread only.
class DesktopWindowSystem final : public WindowSystem {
public:
    DesktopWindowSystem();
    ~DesktopWindowSystem() override;

    bool HasDisplay() const override { return true; }
    Rect AvailableScreenArea(Point global) override;
    uint32_t CurrentModifiers() override;
    bool TakeTrackingEvent(int32_t mode, PlatformEvent& event) override;
    void WindowChanged(Window& window, WindowChange change) override;
    void WindowDestroyed(Window& window) override;
    void MenusRebuilt() override;
    WindowFrameMetrics FrameMetrics() override;
    int32_t ScaleFactor() override;
    void RunPrintJob(ProgramEvent& event) override;
    void RunPageSetup(ProgramEvent& event) override;

    // An event of the display for the window (null: the application).
    void Queue(const PlatformEvent& event, Window* window);
    int32_t QueuedEvents() const { return queue.Size(); }
    // The GTK window that shows the window; null while it is not shown.
    DesktopWindow* Find(const Window& window);
    // The desktop reported the frame it puts around windows (once a window is mapped).
    void RecordFrameExtents(int32_t top, int32_t side);
    void RecordMenuBarHeight(int32_t height);
    // One of the windows gained or lost the keyboard focus; the application follows once the focus
    // settled.
    void FocusChanged();
    // The close box of a window was clicked: the window closes when it allows it (a dialog never does).
    void CloseFromCloseBox(Window* window);

private:
    PlatformEventQueue queue;
    std::unordered_map<const Window*, std::unique_ptr<DesktopWindow>> windows;
    int32_t frameTop = 0;
    int32_t frameSide = 0;
    int32_t menuBarHeight = 0;
    bool applicationActive = false;
    bool focusCheckPosted = false;
};

// Opens the display (X11 only) and registers the desktop window system (with its printing) and the
// desktop's clipboard; false (nothing registered) when no display can be opened.
[[nodiscard]] bool StartDesktopServices(int* argc, char*** argv);

}  // namespace vek
