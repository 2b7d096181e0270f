// DesktopWindow: one GTK window per shown window; drawing its backing surface, translating its input.
#include "gui/desktop/DesktopWindow.h"

#include <gtk/gtk.h>

#include <string>

#include "gui/desktop/DesktopDrops.h"
#include "gui/desktop/DesktopMenuBar.h"
#include "gui/desktop/DesktopWindowSystem.h"
#include "drawing/DrawingPort.h"
#include "gui/Application.h"
#include "gui/MenuBar.h"
#include "gui/Window.h"
#include "platform/events/EventHandlers.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/UiLock.h"

namespace vek {

void GtkWidgetDestroy::operator()(GtkWidget* widget) const { gtk_widget_destroy(widget); }

namespace {

DesktopWindow& Self(gpointer data) { return *static_cast<DesktopWindow*>(data); }

gboolean OnAreaDraw(GtkWidget*, cairo_t* cr, gpointer data) { return Self(data).Draw(cr) ? TRUE : FALSE; }

void OnAreaAllocate(GtkWidget*, GdkRectangle* allocation, gpointer data)
{
    Self(data).Allocated(allocation->width, allocation->height);
}

gboolean OnToplevelConfigure(GtkWidget*, GdkEvent*, gpointer data)
{
    Self(data).Configured();
    return FALSE;
}

gboolean OnAreaButton(GtkWidget*, GdkEvent* event, gpointer data) { return Self(data).Button(*event) ? TRUE : FALSE; }
gboolean OnAreaMotion(GtkWidget*, GdkEvent* event, gpointer data) { return Self(data).Motion(*event) ? TRUE : FALSE; }
gboolean OnAreaScroll(GtkWidget*, GdkEvent* event, gpointer data) { return Self(data).Scroll(*event) ? TRUE : FALSE; }
gboolean OnToplevelKey(GtkWidget*, GdkEvent* event, gpointer data) { return Self(data).Key(*event) ? TRUE : FALSE; }
gboolean OnToplevelDelete(GtkWidget*, GdkEvent*, gpointer data) { return Self(data).CloseRequested() ? TRUE : FALSE; }

gboolean OnToplevelFocusIn(GtkWidget*, GdkEvent*, gpointer data)
{
    Self(data).Focus(true);
    return FALSE;
}

gboolean OnToplevelFocusOut(GtkWidget*, GdkEvent*, gpointer data)
{
    Self(data).Focus(false);
    return FALSE;
}

// The displayed title: the window's own, then ": " and each owner's up the chain; a leading "*"
// marks changes not saved, as desktop programs show it.
std::string DisplayedTitle(const Window& window)
{
    std::string text = window.ModifiedMark() ? "*" : "";
    text += window.Title();
    int32_t depth = 0;
    for (const Window* owner = window.Owner(); owner && depth < 64; owner = owner->Owner(), ++depth) {
        text += ": ";
        text += owner->Title();
    }
    return ValidMenuText(text);
}

}  // namespace

DesktopWindow::DesktopWindow(DesktopWindowSystem& desktop, Window& owner)
    : system(desktop), window(owner), toplevel(gtk_window_new(GTK_WINDOW_TOPLEVEL))
{
    GtkWidget* top = toplevel.get();
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(top), box);
    if (window.Kind() != kKindDialogWindow) {
        menuBar = gtk_menu_bar_new();
        gtk_box_pack_start(GTK_BOX(box), menuBar, FALSE, FALSE, 0);
    }
    area = gtk_drawing_area_new();
    // The smallest content a user can make by resizing.
    gtk_widget_set_size_request(area, 48, 48);
    gtk_widget_set_can_focus(area, TRUE);
    gtk_widget_add_events(area, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                    GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
    gtk_box_pack_start(GTK_BOX(box), area, TRUE, TRUE, 0);
    if (window.Kind() == kKindDialogWindow) {
        gtk_window_set_type_hint(GTK_WINDOW(top), GDK_WINDOW_TYPE_HINT_DIALOG);
        if (window.Owner())
            if (DesktopWindow* parent = system.Find(*window.Owner())) {
                gtk_window_set_transient_for(GTK_WINDOW(top), GTK_WINDOW(parent->Toplevel()));
                gtk_window_set_modal(GTK_WINDOW(top), TRUE);
            }
    }
    g_signal_connect(area, "draw", G_CALLBACK(OnAreaDraw), this);
    g_signal_connect(area, "size-allocate", G_CALLBACK(OnAreaAllocate), this);
    g_signal_connect(area, "button-press-event", G_CALLBACK(OnAreaButton), this);
    g_signal_connect(area, "button-release-event", G_CALLBACK(OnAreaButton), this);
    g_signal_connect(area, "motion-notify-event", G_CALLBACK(OnAreaMotion), this);
    g_signal_connect(area, "scroll-event", G_CALLBACK(OnAreaScroll), this);
    g_signal_connect(top, "key-press-event", G_CALLBACK(OnToplevelKey), this);
    g_signal_connect(top, "key-release-event", G_CALLBACK(OnToplevelKey), this);
    g_signal_connect(top, "delete-event", G_CALLBACK(OnToplevelDelete), this);
    g_signal_connect(top, "configure-event", G_CALLBACK(OnToplevelConfigure), this);
    g_signal_connect(top, "focus-in-event", G_CALLBACK(OnToplevelFocusIn), this);
    g_signal_connect(top, "focus-out-event", G_CALLBACK(OnToplevelFocusOut), this);
    // Files, folders and texts dropped from the desktop; a dialog takes none.
    if (window.Kind() != kKindDialogWindow)
        AcceptDropsOn(area, window);
    RebuildMenuBar();
    SyncTitle();
}

DesktopWindow::~DesktopWindow()
{
    // Nothing of the window may be reached from a signal once it is going away.
    g_signal_handlers_disconnect_by_data(area, this);
    g_signal_handlers_disconnect_by_data(area, &window);
    g_signal_handlers_disconnect_by_data(toplevel.get(), this);
}

void DesktopWindow::Show()
{
    gtk_widget_show_all(gtk_bin_get_child(GTK_BIN(toplevel.get())));
    if (menuBar)
        system.RecordMenuBarHeight(MenuBarHeight());
    SyncFrame();
    gtk_widget_show(toplevel.get());
    gtk_window_present(GTK_WINDOW(toplevel.get()));
    gtk_widget_grab_focus(area);
}

void DesktopWindow::SyncTitle() { gtk_window_set_title(GTK_WINDOW(toplevel.get()), DisplayedTitle(window).c_str()); }

void DesktopWindow::SyncFrame()
{
    const OriginSize frame = window.Platform().frame;
    const WindowFrameMetrics metrics = system.FrameMetrics();
    settingBounds = true;
    gtk_window_move(GTK_WINDOW(toplevel.get()), frame.left - metrics.frameWidth, frame.top - metrics.titleBarHeight);
    gtk_window_resize(GTK_WINDOW(toplevel.get()), frame.width > 0 ? frame.width : 1,
                      (frame.height > 0 ? frame.height : 1) + MenuBarHeight());
    settingBounds = false;
    // The desktop answers with configure events that may still show the old place and size; until
    // one shows the new frame (or a few have passed), they are not the user's doing.
    pendingFrameEvents = kFrameEventsToSettle;
}

int32_t DesktopWindow::MenuBarHeight() const
{
    if (!menuBar)
        return 0;
    gint minimum = 0;
    gint natural = 0;
    gtk_widget_get_preferred_height(menuBar, &minimum, &natural);
    return natural;
}

bool DesktopWindow::Settling(int32_t top, int32_t left, int32_t height, int32_t width)
{
    if (pendingFrameEvents <= 0)
        return false;
    const OriginSize frame = window.Platform().frame;
    const bool matches = (top < 0 || (top == frame.top && left == frame.left)) &&
                         (height < 0 || (height == frame.height && width == frame.width));
    if (matches || --pendingFrameEvents <= 0)
        pendingFrameEvents = matches ? 0 : pendingFrameEvents;
    return true;
}

void DesktopWindow::QueueRedraw()
{
    if (!drawing)
        gtk_widget_queue_draw(area);
}

void DesktopWindow::RebuildMenuBar()
{
    if (menuBar)
        FillMenuBar(menuBar);
}

bool DesktopWindow::HasFocus() const { return gtk_window_has_toplevel_focus(GTK_WINDOW(toplevel.get())) != FALSE; }

bool DesktopWindow::Draw(cairo_t* cr)
{
    HandlerUiLock lock;
    drawing = true;
    window.Update();
    drawing = false;
    PlatformWindow& platform = window.Platform();
    // A surface that could not be made (or failed since) is never painted: the area stays as the
    // desktop left it rather than showing garbage.
    if (!platform.HasPort())
        return true;
    DrawingPort* port = platform.Port();
    if (!port || !port->Surface() || cairo_surface_status(port->Surface()) != CAIRO_STATUS_SUCCESS)
        return true;
    cairo_save(cr);
    cairo_set_source_surface(cr, port->Surface(), 0, 0);
    // On a scaled (HiDPI) screen each pixel of the surface becomes a block of device pixels: sharp, and
    // the same picture as everywhere else.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
    return true;
}

void DesktopWindow::Allocated(int32_t width, int32_t height)
{
    if (settingBounds || Settling(-1, -1, height, width))
        return;
    const OriginSize frame = window.Platform().frame;
    if (frame.width == width && frame.height == height)
        return;
    HandlerUiLock lock;
    // The user resized the window: the program's window follows, as for a bounds-changed event.
    settingBounds = true;
    window.SetFrame(OriginSize{frame.top, frame.left, ClampCoordinate(height), ClampCoordinate(width)});
    settingBounds = false;
    QueueRedraw();
}

void DesktopWindow::Configured()
{
    GdkWindow* gdkWindow = gtk_widget_get_window(area);
    if (!gdkWindow || settingBounds)
        return;
    if (!extentsRecorded) {
        GdkWindow* top = gtk_widget_get_window(toplevel.get());
        GdkRectangle outer{};
        gdk_window_get_frame_extents(top, &outer);
        gint x = 0;
        gint y = 0;
        gdk_window_get_origin(top, &x, &y);
        if (outer.width > 0 && x >= outer.x && y >= outer.y) {
            system.RecordFrameExtents(y - outer.y, x - outer.x);
            extentsRecorded = true;
        }
    }
    gint x = 0;
    gint y = 0;
    gdk_window_get_origin(gdkWindow, &x, &y);
    if (Settling(y, x, -1, -1))
        return;
    const OriginSize frame = window.Platform().frame;
    if (x == frame.left && y == frame.top)
        return;
    HandlerUiLock lock;
    settingBounds = true;
    window.SetFrame(OriginSize{ClampCoordinate(y), ClampCoordinate(x), frame.height, frame.width});
    settingBounds = false;
}

Point DesktopWindow::Global(double x, double y) const
{
    const OriginSize frame = window.Platform().frame;
    return Point{ClampCoordinate(frame.top + int32_t(y)), ClampCoordinate(frame.left + int32_t(x))};
}

bool DesktopWindow::Button(const GdkEvent& event)
{
    const GdkEventButton& button = event.button;
    if (button.type != GDK_BUTTON_PRESS && button.type != GDK_BUTTON_RELEASE)
        return true;  // the desktop's own double-click events: the clicks are counted here
    if (button.button != 1 && button.button != 3)
        return false;
    PlatformEvent platformEvent;
    platformEvent.kind = button.type == GDK_BUTTON_PRESS ? PlatformEventKind::MouseDown : PlatformEventKind::MouseUp;
    platformEvent.hasModifiers = true;
    platformEvent.modifiers = ModifiersFromGdkState(button.state);
    platformEvent.location = Global(button.x, button.y);
    platformEvent.button = button.button == 1 ? 1 : 2;
    if (button.type == GDK_BUTTON_PRESS) {
        gint doubleClickMs = 400;
        gint distance = 5;
        g_object_get(gtk_settings_get_default(), "gtk-double-click-time", &doubleClickMs, "gtk-double-click-distance",
                     &distance, nullptr);
        clicks.Press(platformEvent.button, int64_t(button.time), platformEvent.location, doubleClickMs, distance);
        gtk_widget_grab_focus(area);
    }
    platformEvent.clickCount = clicks.Count();
    system.Queue(platformEvent, &window);
    return true;
}

bool DesktopWindow::Motion(const GdkEvent& event)
{
    const GdkEventMotion& motion = event.motion;
    PlatformEvent platformEvent;
    platformEvent.kind = (motion.state & (GDK_BUTTON1_MASK | GDK_BUTTON3_MASK)) ? PlatformEventKind::MouseDragged
                                                                                 : PlatformEventKind::MouseMoved;
    platformEvent.hasModifiers = true;
    platformEvent.modifiers = ModifiersFromGdkState(motion.state);
    platformEvent.location = Global(motion.x, motion.y);
    system.Queue(platformEvent, &window);
    return true;
}

bool DesktopWindow::Scroll(const GdkEvent& event)
{
    const GdkEventScroll& scroll = event.scroll;
    PlatformEvent platformEvent;
    platformEvent.kind = PlatformEventKind::MouseWheel;
    platformEvent.hasModifiers = true;
    platformEvent.modifiers = ModifiersFromGdkState(scroll.state);
    platformEvent.location = Global(scroll.x, scroll.y);
    switch (scroll.direction) {
    case GDK_SCROLL_UP: platformEvent.wheelDelta = 1; break;
    case GDK_SCROLL_DOWN: platformEvent.wheelDelta = -1; break;
    case GDK_SCROLL_LEFT:
        platformEvent.wheelAxis = 0;
        platformEvent.wheelDelta = 1;
        break;
    case GDK_SCROLL_RIGHT:
        platformEvent.wheelAxis = 0;
        platformEvent.wheelDelta = -1;
        break;
    case GDK_SCROLL_SMOOTH:
        if (scroll.delta_y == 0) {
            platformEvent.wheelAxis = 0;
            platformEvent.wheelDelta = scroll.delta_x < 0 ? 1 : -1;
        } else {
            platformEvent.wheelDelta = scroll.delta_y < 0 ? 1 : -1;
        }
        break;
    }
    system.Queue(platformEvent, &window);
    return true;
}

bool DesktopWindow::Key(const GdkEvent& event)
{
    const GdkEventKey& key = event.key;
    // Modifier keys alone are no input; the program reads them when it needs them.
    if (key.is_modifier)
        return false;
    const uint32_t modifiers = ModifiersFromGdkState(key.state);
    // Ctrl+Q is the quit command of the desktop's application menu, which the program's menu model
    // does not hold.
    if (key.type == GDK_KEY_PRESS && (modifiers & kModifierCommand) &&
        (key.keyval == GDK_KEY_q || key.keyval == GDK_KEY_Q)) {
        if (IsSystemCommandEnabled(SystemCommand::Quit))
            HandleQuitRequest();
        return true;
    }
    const TranslatedKey translated = TranslateGdkKey(key.keyval);
    PlatformEvent platformEvent;
    platformEvent.kind = key.type == GDK_KEY_RELEASE ? PlatformEventKind::KeyUp : PlatformEventKind::KeyDown;
    platformEvent.hasModifiers = true;
    platformEvent.modifiers = modifiers;
    platformEvent.virtualKey = translated.virtualKey;
    platformEvent.character = translated.character;
    platformEvent.location = LatestMouseLocation();
    if (platformEvent.kind == PlatformEventKind::KeyDown && MapKeyCode(translated.virtualKey, translated.character) == 0)
        return false;  // nothing the program can take: the desktop's own handling goes on
    system.Queue(platformEvent, &window);
    return true;
}

bool DesktopWindow::CloseRequested()
{
    // The close box: the window decides (a dialog never closes from it); GTK never closes it itself.
    Window* target = &window;
    DesktopWindowSystem* desktop = &system;
    PostToMainThread([desktop, target] { desktop->CloseFromCloseBox(target); });
    return true;
}

void DesktopWindow::Focus(bool in)
{
    if (in) {
        HandleWindowActivation(window, true);
    }
    system.FocusChanged();
}

}  // namespace vek
