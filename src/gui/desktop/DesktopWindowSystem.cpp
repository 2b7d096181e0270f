// DesktopWindowSystem: GTK windows for the program's windows, the screens, and the desktop's start-up.
#include "gui/desktop/DesktopWindowSystem.h"

#include <gtk/gtk.h>

#include "gui/desktop/DesktopClipboard.h"
#include "gui/desktop/DesktopFileDialogs.h"
#include "gui/desktop/DesktopPrinting.h"
#include "gui/desktop/DesktopWindow.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "platform/events/EventHandlers.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/UiLock.h"

namespace vek {

DesktopWindowSystem::DesktopWindowSystem() = default;
DesktopWindowSystem::~DesktopWindowSystem() = default;

Rect DesktopWindowSystem::AvailableScreenArea(Point global)
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return HeadlessWindowSystem::kScreen;
    GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, global.h, global.v);
    if (!monitor)
        monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return HeadlessWindowSystem::kScreen;
    GdkRectangle area{};
    gdk_monitor_get_workarea(monitor, &area);
    return Rect{ClampCoordinate(area.y), ClampCoordinate(area.x), ClampCoordinate(area.y + area.height),
                ClampCoordinate(area.x + area.width)};
}

uint32_t DesktopWindowSystem::CurrentModifiers()
{
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return 0;
    GdkKeymap* keymap = gdk_keymap_get_for_display(display);
    uint32_t state = keymap ? gdk_keymap_get_modifier_state(keymap) : 0;
    // The pointer's state holds what the keymap may not report (under a virtual server, for one).
    if (GdkSeat* seat = gdk_display_get_default_seat(display))
        if (GdkDevice* pointer = gdk_seat_get_pointer(seat)) {
            GdkModifierType pointerState{};
            gdk_device_get_state(pointer, gdk_get_default_root_window(), nullptr, &pointerState);
            state |= uint32_t(pointerState);
        }
    return ModifiersFromGdkState(state);
}

bool DesktopWindowSystem::TakeTrackingEvent(int32_t mode, PlatformEvent& event)
{
    return queue.TakeTrackingEvent(mode, event);
}

void DesktopWindowSystem::Queue(const PlatformEvent& event, Window* window) { queue.Push(event, window, CurrentModifiers()); }

DesktopWindow* DesktopWindowSystem::Find(const Window& window)
{
    auto it = windows.find(&window);
    return it == windows.end() ? nullptr : it->second.get();
}

void DesktopWindowSystem::WindowChanged(Window& window, WindowChange change)
{
    DesktopWindow* shown = Find(window);
    switch (change) {
    case WindowChange::Visibility:
        if (window.Platform().shown && window.IsVisible()) {
            if (!shown) {
                auto made = std::make_unique<DesktopWindow>(*this, window);
                shown = made.get();
                windows.emplace(&window, std::move(made));
            }
            shown->Show();
        } else if (shown) {
            // A hidden window has no window on the screen; showing it again makes a new one.
            windows.erase(&window);
        }
        break;
    case WindowChange::Frame:
        if (shown)
            shown->SyncFrame();
        break;
    case WindowChange::Title:
        if (shown)
            shown->SyncTitle();
        // Windows owned by this one show its title after theirs.
        for (auto& [other, desktopWindow] : windows)
            if (other->Owner() == &window)
                desktopWindow->SyncTitle();
        break;
    case WindowChange::Highlight:
        break;
    case WindowChange::Content:
        if (shown)
            shown->QueueRedraw();
        break;
    }
}

void DesktopWindowSystem::RunPrintJob(ProgramEvent& event) { RunDesktopPrintJob(event); }

void DesktopWindowSystem::RunPageSetup(ProgramEvent& event)
{
    DesktopWindow* shown = event.window ? Find(*event.window) : nullptr;
    RunDesktopPageSetup(event, shown ? GTK_WINDOW(shown->Toplevel()) : nullptr);
}

void DesktopWindowSystem::WindowDestroyed(Window& window)
{
    ForgetPrintWindow(window);
    queue.ForgetWindow(window);
    windows.erase(&window);
}

void DesktopWindowSystem::MenusRebuilt()
{
    for (auto& [window, desktopWindow] : windows)
        desktopWindow->RebuildMenuBar();
}

WindowFrameMetrics DesktopWindowSystem::FrameMetrics()
{
    if (menuBarHeight == 0) {
        // Placement needs the menu bar's height before the first window exists: a bar with one item
        // measures it.
        GtkWidget* bar = gtk_menu_bar_new();
        g_object_ref_sink(bar);
        gtk_menu_shell_append(GTK_MENU_SHELL(bar), gtk_menu_item_new_with_label("X"));
        gtk_widget_show_all(bar);
        gint minimum = 0;
        gint natural = 0;
        gtk_widget_get_preferred_height(bar, &minimum, &natural);
        gtk_widget_destroy(bar);
        g_object_unref(bar);
        menuBarHeight = natural;
    }
    return WindowFrameMetrics{frameTop + menuBarHeight, frameSide};
}

int32_t DesktopWindowSystem::ScaleFactor()
{
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
    if (!monitor && display && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    return monitor ? gdk_monitor_get_scale_factor(monitor) : 1;
}

void DesktopWindowSystem::RecordFrameExtents(int32_t top, int32_t side)
{
    frameTop = top;
    frameSide = side;
}

void DesktopWindowSystem::RecordMenuBarHeight(int32_t height) { menuBarHeight = height; }

void DesktopWindowSystem::FocusChanged()
{
    if (focusCheckPosted)
        return;
    focusCheckPosted = true;
    // Focus moves out of one window before it arrives in the next: the application is inactive only
    // when, once that settled, none of its windows has the focus.
    PostToMainThread([this] {
        focusCheckPosted = false;
        bool any = false;
        for (auto& [window, desktopWindow] : windows)
            any = any || desktopWindow->HasFocus();
        if (any != applicationActive) {
            applicationActive = any;
            HandleApplicationActivation(any);
        }
    });
}

void DesktopWindowSystem::CloseFromCloseBox(Window* window)
{
    // The window may have gone while the request waited.
    if (!window || windows.find(window) == windows.end())
        return;
    HandlerUiLock lock;
    if (window->Kind() == kKindDialogWindow)
        return;
    CommandTarget::CloseIfAllowed(window, CloseMode::Normal);
    RefreshAfterAction();
}

bool StartDesktopServices(int* argc, char*** argv)
{
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(argc, argv))
        return false;
    static DesktopWindowSystem system;
    Service<WindowSystem>::Register(&system);
    static DesktopClipboard clipboard;
    Service<ClipboardService>::Register(&clipboard);
    static DesktopFileDialogs fileDialogs;
    Service<FileDialogService>::Register(&fileDialogs);
    return true;
}

}  // namespace vek
