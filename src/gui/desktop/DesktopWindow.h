// DesktopWindow: the GTK window that shows one window of the program.
#pragma once

#include <cstdint>

#include "gui/desktop/InputTranslation.h"
#include "gui/desktop/GtkHandles.h"

struct _GtkWidget;
union _GdkEvent;
struct _cairo;

namespace vek {

class DesktopWindowSystem;
class Window;

// A toplevel with the menu bar (not for dialogs) above a drawing area of the window's content size.
// The drawing area paints the window's backing surface as it is, after drawing what waits in the
// update region; the area's events become platform events in global coordinates.
class DesktopWindow {
public:
    DesktopWindow(DesktopWindowSystem& system, Window& window);
    ~DesktopWindow();
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    void Show();
    void SyncTitle();
    void SyncFrame();
    void QueueRedraw();
    void RebuildMenuBar();
    _GtkWidget* Toplevel() const { return toplevel.get(); }
    _GtkWidget* Area() const { return area; }
    Window& Owner() const { return window; }
    bool HasFocus() const;

    // The signal handlers' bodies.
    bool Draw(_cairo* cr);
    void Allocated(int32_t width, int32_t height);
    void Configured();
    bool Button(const _GdkEvent& event);
    bool Motion(const _GdkEvent& event);
    bool Scroll(const _GdkEvent& event);
    bool Key(const _GdkEvent& event);
    bool CloseRequested();
    void Focus(bool in);

private:
    Point Global(double x, double y) const;
    int32_t MenuBarHeight() const;
    // True while the desktop's answers to a frame the program set are still arriving (a negative
    // position or size is not compared); each call counts one answer.
    bool Settling(int32_t top, int32_t left, int32_t height, int32_t width);

    static constexpr int32_t kFrameEventsToSettle = 6;

    DesktopWindowSystem& system;
    Window& window;
    GtkWidgetHandle toplevel;
    _GtkWidget* menuBar = nullptr;  // owned by the toplevel
    _GtkWidget* area = nullptr;     // owned by the toplevel
    ClickCounter clicks;
    bool settingBounds = false;
    bool drawing = false;
    bool extentsRecorded = false;
    int32_t pendingFrameEvents = 0;
};

}  // namespace vek
