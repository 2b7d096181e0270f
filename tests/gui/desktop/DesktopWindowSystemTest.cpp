// DesktopWindowSystemTest: windows on a display (Xvfb) driven by synthetic GDK events: the same pixels
// as headless, resizing, titles, the menu bar, key equivalents, printing to PDF.
#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/MainApplication.h"
#include "gui/desktop/DesktopDrops.h"
#include "gui/desktop/DesktopFileDialogs.h"
#include "gui/desktop/DesktopMenuBar.h"
#include "gui/desktop/DesktopPrinting.h"
#include "gui/desktop/DesktopWindow.h"
#include "gui/desktop/DesktopWindowSystem.h"
#include "gui/desktop/InputTranslation.h"
#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "foundation/services/Clipboard.h"
#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/TransferData.h"
#include "gui/Window.h"
#include "model/base/Base.h"
#include "platform/FileKindSniffer.h"
#include "platform/FilePath.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/WindowSystem.h"
#include "support/Watchdog.h"

namespace vek {
namespace {

using Log = std::vector<std::string>;

// Paints itself in its colour; a click moves the colour on and a key sets it from the character, so
// that the pixels tell what arrived.
class Probe final : public Control {
public:
    Probe(Pane& enclosure, OriginSize frame, Log& log) : Control(kKindCustomView, enclosure, frame, 1), log(log)
    {
        foreColour = 12;
        FinishConstruction();
    }
    ~Probe() override { PrepareDestruction(); }

    int32_t CanTakeFocus() override { return 1; }
    int32_t FirstClick(InputEvent& event, Pane* pane) override
    {
        log.push_back("click " + std::to_string(event.point.v) + "," + std::to_string(event.point.h));
        foreColour = 11 + (foreColour - 10) % 12;
        InvalidateRegion(Region(bounds), kInvalidateNow);
        return Control::FirstClick(event, pane);
    }
    int32_t KeyDown(InputEvent& event, Pane*) override
    {
        log.push_back("key " + std::to_string(event.key));
        foreColour = 11 + event.key % 12;
        Invalidate();
        return 1;
    }
    void Draw() override
    {
        DrawingPort* port = CurrentPort();
        Rect inner = bounds;
        OutsetRect(inner, -2);
        port->PaintRect(inner);
    }

private:
    Log& log;
};

class ProbeWindow final : public Window {
public:
    ProbeWindow(OriginSize frame, Log& log, int32_t pages = 0)
        : Window(1, frame, 0, nullptr, false), log(log), pages(pages)
    {
        probe = new Probe(*this, OriginSize{10, 10, 40, 80}, log);
        FinishConstruction();
    }
    ~ProbeWindow() override { PrepareDestruction(); }

    int32_t DoCommand(MenuItem& item) override
    {
        log.push_back("command " + std::to_string(item.Command()));
        return item.Command() == kCommandClose ? 1 : Window::DoCommand(item);
    }
    void PrintPhase(PrintJob& job) override
    {
        log.push_back("phase " + std::to_string(int32_t(job.phase)));
        if (job.phase == PrintPhase::LaidOut)
            job.pageCount = pages;
        if (job.phase == PrintPhase::DrawingPage)
            CurrentPort()->PaintRect(Rect{10, 10, 60, 60});
    }

    Probe* probe = nullptr;

private:
    Log& log;
    int32_t pages;
};

DesktopWindowSystem& Desktop() { return static_cast<DesktopWindowSystem&>(Service<WindowSystem>::Get()); }

void Settle(const std::function<bool()>& done = [] { return false; }, int64_t ms = 300)
{
    RunEventLoopUntil([&] { return done() && Desktop().QueuedEvents() == 0 && ReadyThreadCount() == 0; }, ms);
    RunEventLoopPending();
}

GdkEvent* MakeButtonEvent(GtkWidget* widget, GdkEventType type, double x, double y, uint32_t time)
{
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    event->button.x = x;
    event->button.y = y;
    event->button.button = 1;
    event->button.time = time;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    return event;
}

void SendClick(GtkWidget* area, double x, double y, uint32_t time)
{
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* event = MakeButtonEvent(area, type, x, y, time);
        gtk_widget_event(area, event);
        gdk_event_free(event);
    }
}

void SendKey(GtkWidget* toplevel, uint32_t keyval, uint32_t state)
{
    for (GdkEventType type : {GDK_KEY_PRESS, GDK_KEY_RELEASE}) {
        GdkEvent* event = gdk_event_new(type);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(toplevel)));
        event->key.keyval = keyval;
        event->key.state = state;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_widget_event(toplevel, event);
        gdk_event_free(event);
    }
}

class DesktopWindows : public ::testing::Test {
public:
    void SetUp() override
    {
        ResetMouseState();
        application = std::make_unique<Application>(true);
        SetStatusTexts("VEK ", "5.6.7");
        RebuildPlatformMenus(false);
    }
    void TearDown() override
    {
        application.reset();
        Settle();
        EXPECT_EQ(LiveThreadCount(), 0);
    }

    ProbeWindow* Open(OriginSize frame, int32_t pages = 0)
    {
        auto* window = new ProbeWindow(frame, log, pages);
        window->SetVisible(true);
        window->Activate();
        Settle([&] { return Desktop().Find(*window) && gtk_widget_get_mapped(Desktop().Find(*window)->Area()); }, 3000);
        return window;
    }

    test::Watchdog watchdog{"DesktopWindows", 120};
    std::unique_ptr<Application> application;
    Log log;
};

// The backing surface a window shows is the one the headless backend draws: the same events give the
// same bytes.
TEST_F(DesktopWindows, BackingSurfaceIsTheHeadlessOneForTheSameEvents)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200});
    DesktopWindow* shown = Desktop().Find(*window);
    ASSERT_NE(shown, nullptr);
    SendClick(shown->Area(), 30, 20, 1000);
    Settle([&] { return log.size() >= 1; }, 2000);
    SendKey(shown->Toplevel(), GDK_KEY_x, 0);
    Settle([&] { return log.size() >= 2; }, 2000);
    ASSERT_EQ(log, (Log{"click 10,20", "key 120"}));
    window->Update();
    const std::string desktopPng = window->Platform().Port()->EncodePng();
    const OriginSize frame = window->Frame();
    delete window;

    DesktopWindowSystem& desktop = Desktop();
    HeadlessWindowSystem headless;
    Service<WindowSystem>::Register(&headless);
    log.clear();
    auto* twin = new ProbeWindow(frame, log);
    twin->SetVisible(true);
    twin->Activate();
    PlatformEvent down;
    down.kind = PlatformEventKind::MouseDown;
    down.location = Point{int16_t(frame.top + 20), int16_t(frame.left + 30)};
    down.button = 1;
    down.clickCount = 1;
    headless.Inject(down, twin);
    PlatformEvent up = down;
    up.kind = PlatformEventKind::MouseUp;
    headless.Inject(up, twin);
    PlatformEvent key;
    key.kind = PlatformEventKind::KeyDown;
    key.character = 'x';
    headless.Inject(key, twin);
    RunEventLoopUntil([&] { return headless.QueuedEvents() == 0 && ReadyThreadCount() == 0; }, 3000);
    twin->Update();
    const std::string headlessPng = twin->Platform().Port()->EncodePng();
    delete twin;
    Service<WindowSystem>::Register(&desktop);
    EXPECT_EQ(log, (Log{"click 10,20", "key 120"}));
    EXPECT_FALSE(desktopPng.empty());
    EXPECT_TRUE(desktopPng == headlessPng) << "the desktop's backing surface differs from the headless one";
}

TEST_F(DesktopWindows, ResizingOnTheDesktopResizesTheWindow)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200});
    DesktopWindow* shown = Desktop().Find(*window);
    ASSERT_NE(shown, nullptr);
    GtkAllocation menuBar{};
    gint width = 0;
    gint height = 0;
    gtk_window_get_size(GTK_WINDOW(shown->Toplevel()), &width, &height);
    EXPECT_EQ(width, 200);
    gtk_window_resize(GTK_WINDOW(shown->Toplevel()), 320, height + 60);
    Settle([&] { return window->Frame().width == 320; }, 3000);
    EXPECT_EQ(window->Frame().width, 320);
    EXPECT_EQ(window->Frame().height, 180);
    // The window draws its new area at once; the surface has the new size.
    window->Update();
    EXPECT_EQ(window->Platform().Port()->Width(), 320);
    (void)menuBar;
    delete window;
}

TEST_F(DesktopWindows, TitleShowsTheModifiedMarkAndTheOwnersTitles)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200});
    DesktopWindow* shown = Desktop().Find(*window);
    ASSERT_NE(shown, nullptr);
    window->SetTitle("example.vkx");
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(shown->Toplevel())), "example.vkx");
    window->SetModifiedMark(true);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(shown->Toplevel())), "*example.vkx");
    window->SetModifiedMark(false);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(shown->Toplevel())), "example.vkx");
    // A title that is not UTF-8 is shown with U+FFFD, never refused.
    window->SetTitle("a\xFF" "b");
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(shown->Toplevel())), "a\xEF\xBF\xBD" "b");
    delete window;
}

GtkWidget* FindMenuItemWidget(GtkWidget* shell, const std::string& label)
{
    GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
    GtkWidget* found = nullptr;
    for (GList* child = children; child && !found; child = child->next) {
        GtkWidget* item = GTK_WIDGET(child->data);
        if (!GTK_IS_MENU_ITEM(item))
            continue;
        const char* text = gtk_menu_item_get_label(GTK_MENU_ITEM(item));
        if (text && label == text)
            found = item;
    }
    g_list_free(children);
    return found;
}

TEST_F(DesktopWindows, MenuBarFollowsTheModelAndChoicesRunCommands)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200});
    DesktopWindow* shown = Desktop().Find(*window);
    ASSERT_NE(shown, nullptr);
    ResetMenuUpdateInterval();
    UpdateMenusIfNeeded();
    GtkWidget* box = gtk_bin_get_child(GTK_BIN(shown->Toplevel()));
    GList* children = gtk_container_get_children(GTK_CONTAINER(box));
    GtkWidget* bar = GTK_WIDGET(children->data);
    g_list_free(children);
    ASSERT_TRUE(GTK_IS_MENU_BAR(bar));
    for (const char* title : {"VEK", "File", "Edit", "Window"})
        EXPECT_NE(FindMenuItemWidget(bar, title), nullptr) << title;
    GtkWidget* windowMenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(FindMenuItemWidget(bar, "Window")));
    GtkWidget* close = FindMenuItemWidget(windowMenu, "Close Window");
    ASSERT_NE(close, nullptr);
    EXPECT_TRUE(gtk_widget_get_sensitive(close));
    gtk_menu_item_activate(GTK_MENU_ITEM(close));
    Settle([&] { return !log.empty(); }, 3000);
    EXPECT_EQ(log, (Log{"command -29"}));
    // The program menu holds the desktop's Quit, shown with its key.
    GtkWidget* programMenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(FindMenuItemWidget(bar, "VEK")));
    EXPECT_NE(FindMenuItemWidget(programMenu, "Quit"), nullptr);
    delete window;
}

TEST_F(DesktopWindows, KeyEquivalentsRunTheirMenuCommands)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200});
    DesktopWindow* shown = Desktop().Find(*window);
    ASSERT_NE(shown, nullptr);
    SendKey(shown->Toplevel(), GDK_KEY_w, GDK_CONTROL_MASK);
    Settle([&] { return !log.empty(); }, 3000);
    EXPECT_EQ(log, (Log{"command -29"}));
    delete window;
}

int CountPdfPages(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    const std::string bytes = text.str();
    // Page objects, not the page tree ("/Pages").
    int pages = 0;
    const std::string key = "/Type /Page";
    for (size_t at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1))
        if (at + key.size() >= bytes.size() || bytes[at + key.size()] != 's')
            ++pages;
    return pages;
}

struct PrintRequest {
    Window* window;
    int32_t mode;
    bool done = false;
};

void RunPrintRequest(void* raw)
{
    auto* request = static_cast<PrintRequest*>(raw);
    request->window->PostPrintRequest(request->mode);
    request->done = true;
}

class DesktopPrintingTest : public DesktopWindows {
public:
    void SetUp() override
    {
        DesktopWindows::SetUp();
        folder = std::string(VEK_BINARY_DIR) + "/desktop-print";
        g_mkdir_with_parents(folder.c_str(), 0700);
        pdf = folder + "/printed.pdf";
        std::remove(pdf.c_str());
        g_setenv("XDG_CONFIG_HOME", folder.c_str(), TRUE);
        g_mkdir_with_parents(UserPreferencesFolder().c_str(), 0700);
        std::ofstream settings(PrintSettingsPath());
        settings << "[Print Settings]\nprinter=Print to File\noutput-uri=file://" << pdf
                 << "\noutput-file-format=pdf\n";
    }

    void Print(Window& window)
    {
        PrintRequest request{&window, 1};
        SwitchToThread(NewCooperativeThread(RunPrintRequest, &request));
        Settle([&] { return request.done; }, 20000);
        ASSERT_TRUE(request.done) << "the print request was never answered";
    }

    std::string folder;
    std::string pdf;
};

TEST_F(DesktopPrintingTest, PrintsEveryPageToPdfWithoutADialog)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200}, 3);
    Print(*window);
    EXPECT_EQ(log, (Log{"phase 0", "phase 1", "phase 2", "phase 2", "phase 2", "phase 3"}));
    EXPECT_EQ(CountPdfPages(pdf), 3);
    EXPECT_EQ(window->CurrentPrintJob(), nullptr);
    delete window;
}

// The visible dialog GTK shows (the page setup), null when none is up.
GtkWidget* ShownDialog()
{
    GtkWidget* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item && !found; item = item->next)
        if (GTK_IS_DIALOG(item->data) && gtk_widget_get_visible(GTK_WIDGET(item->data)))
            found = GTK_WIDGET(item->data);
    g_list_free(toplevels);
    return found;
}

// Page setup shows the desktop's dialog without holding up the loop; OK keeps the paper for the
// prints to come, Cancel keeps the one before, and either answers the waiting request.
TEST_F(DesktopPrintingTest, PageSetupKeepsTheChoiceAndAlwaysAnswers)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200});
    std::remove(PageSetupPath().c_str());
    for (GtkResponseType answer : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_OK}) {
        SCOPED_TRACE(int(answer));
        ProgramEventReply reply;
        ProgramEvent event{ProgramEventKind::PageSetup, window, nullptr, &reply};
        EXPECT_EQ(HandleProgramEvent(event), 0);
        GtkWidget* dialog = nullptr;
        Settle([&] { return (dialog = ShownDialog()) != nullptr; }, 5000);
        ASSERT_NE(dialog, nullptr) << "no page setup dialog";
        EXPECT_EQ(reply.busy.load(), 1) << "the request waits for the answer";
        gtk_dialog_response(GTK_DIALOG(dialog), answer);
        Settle([&] { return reply.busy.load() == 0; }, 5000);
        EXPECT_EQ(reply.busy.load(), 0);
        std::ifstream kept(PageSetupPath());
        EXPECT_EQ(kept.good(), answer == GTK_RESPONSE_OK);
    }
    delete window;
}

TEST_F(DesktopPrintingTest, AWindowWithoutPagesEndsTheJobWithoutPrinting)
{
    ProbeWindow* window = Open(OriginSize{100, 100, 120, 200}, 0);
    Print(*window);
    EXPECT_EQ(log, (Log{"phase 0", "phase 1", "phase 3"}));
    delete window;
}

// Regression: a request for a window with no job (or none at all) must still be answered, or its
// poster waits for ever.
TEST_F(DesktopPrintingTest, ARequestWithoutAJobIsAnsweredAtOnce)
{
    ProgramEventReply reply;
    ProgramEvent event{ProgramEventKind::Print, nullptr, nullptr, &reply};
    Desktop().RunPrintJob(event);
    EXPECT_EQ(reply.busy.load(), 0);
}

struct KeyCase {
    uint32_t keyval;
    int32_t key;
};

TEST(DesktopInput, KeysBecomeTheProgramsKeyCodes)
{
    const KeyCase cases[] = {
        {GDK_KEY_a, 'a'},       {GDK_KEY_Left, 28},   {GDK_KEY_Right, 29},     {GDK_KEY_Up, 30},
        {GDK_KEY_Down, 31},     {GDK_KEY_Home, 1},    {GDK_KEY_End, 4},        {GDK_KEY_Page_Up, 11},
        {GDK_KEY_Page_Down, 12}, {GDK_KEY_BackSpace, 8}, {GDK_KEY_Tab, 9},     {GDK_KEY_Return, 13},
        {GDK_KEY_KP_Enter, 3},  {GDK_KEY_Escape, 27}, {GDK_KEY_Delete, 25},    {GDK_KEY_F1, 20},
        {GDK_KEY_F4, 23},       {GDK_KEY_Clear, 26},  {GDK_KEY_adiaeresis, 0xE4}, {GDK_KEY_Shift_L, 0},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.keyval);
        const TranslatedKey key = TranslateGdkKey(c.keyval);
        EXPECT_EQ(MapKeyCode(key.virtualKey, key.character), c.key);
    }
}

TEST(DesktopInput, ModifiersMapCtrlToCommandAndAltToOption)
{
    EXPECT_EQ(ModifiersFromGdkState(GDK_CONTROL_MASK), kModifierCommand);
    EXPECT_EQ(ModifiersFromGdkState(GDK_MOD1_MASK), kModifierOption);
    EXPECT_EQ(ModifiersFromGdkState(GDK_SHIFT_MASK | GDK_LOCK_MASK), kModifierShift | kModifierCapsLock);
    EXPECT_EQ(ModifiersFromGdkState(0), 0u);
}

TEST(DesktopInput, ClicksCountWithinTimeDistanceAndButton)
{
    ClickCounter counter;
    EXPECT_EQ(counter.Press(1, 1000, Point{10, 10}, 400, 5), 1);
    EXPECT_EQ(counter.Press(1, 1200, Point{12, 11}, 400, 5), 2);
    EXPECT_EQ(counter.Press(1, 1500, Point{12, 11}, 400, 5), 3);
    EXPECT_EQ(counter.Press(1, 1901, Point{12, 11}, 400, 5), 1);  // too late
    EXPECT_EQ(counter.Press(1, 2000, Point{30, 11}, 400, 5), 1);  // too far
    EXPECT_EQ(counter.Press(2, 2100, Point{30, 11}, 400, 5), 1);  // another button
}

// The program's own menus stand in the menu bar of its windows, between Edit and Window, and follow the
// base in front: its dimension names, enabled while it is open.
TEST(DesktopProgramMenus, TheBaseAndAnalysesMenusFollowTheBaseInFront)
{
    test::Watchdog watchdog{"DesktopProgramMenus", 120};
    ResetMouseState();
    {
        MainApplication application;
        application.OpenDocument(0, FilePath(std::string_view(VEK_EXAMPLE_BASE)));
        ASSERT_NE(Base::CurrentBase(), nullptr);
        Window* window = application.ActiveWindow();
        ASSERT_NE(window, nullptr);
        Settle([&] { return Desktop().Find(*window) && gtk_widget_get_mapped(Desktop().Find(*window)->Area()); }, 3000);
        ResetMenuUpdateInterval();
        UpdateMenusIfNeeded();
        DesktopWindow* shown = Desktop().Find(*window);
        ASSERT_NE(shown, nullptr);
        GtkWidget* box = gtk_bin_get_child(GTK_BIN(shown->Toplevel()));
        GList* children = gtk_container_get_children(GTK_CONTAINER(box));
        GtkWidget* bar = GTK_WIDGET(children->data);
        g_list_free(children);
        ASSERT_TRUE(GTK_IS_MENU_BAR(bar));
        std::vector<std::string> titles;
        GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
        for (GList* item = items; item; item = item->next)
            titles.push_back(gtk_menu_item_get_label(GTK_MENU_ITEM(item->data)));
        g_list_free(items);
        EXPECT_EQ(titles, (std::vector<std::string>{"VEK", "File", "Edit", "Base", "Analyses", "Window"}));
        GtkWidget* baseMenuItem = FindMenuItemWidget(bar, "Base");
        ASSERT_NE(baseMenuItem, nullptr);
        EXPECT_TRUE(gtk_widget_get_sensitive(baseMenuItem));
        GtkWidget* baseMenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(baseMenuItem));
        GtkWidget* dimensionsItem = FindMenuItemWidget(baseMenu, "Dimensions");
        ASSERT_NE(dimensionsItem, nullptr);
        GtkWidget* dimensions = gtk_menu_item_get_submenu(GTK_MENU_ITEM(dimensionsItem));
        EXPECT_NE(FindMenuItemWidget(dimensions, "Accounts"), nullptr) << "the example base names its dimension 2";
        delete window;
        Settle();
    }
    while (Base* base = Base::FirstBase())
        delete base;
    Settle();
}

// The file chooser answers an action's request from the loop: the request waits (busy) while the
// chooser is up, and every answer completes it.
class DesktopFileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vek-chooser-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        basePath = folder + "/chosen.vkx";
        std::ifstream in(VEK_EXAMPLE_BASE, std::ios::binary);
        std::ofstream(basePath, std::ios::binary) << in.rdbuf();
        textPath = folder + "/notes.txt";
        std::ofstream(textPath) << "not a base\n";
    }
    void TearDown() override
    {
        for (const std::string& file : {basePath, textPath})
            std::remove(file.c_str());
        std::remove(folder.c_str());
    }

    // Serves the request as the main thread does; the chooser is then up and the request waiting.
    GtkWidget* Start(ProgramEvent& event)
    {
        EXPECT_EQ(HandleProgramEvent(event), 0);
        GtkWidget* chooser = DesktopFileDialogs::OpenChooser();
        EXPECT_NE(chooser, nullptr);
        return chooser;
    }
    // Waits until the chooser has loaded its folder and shows the file as chosen.
    static std::string ShownChoice(GtkWidget* chooser)
    {
        std::string shown;
        RunEventLoopUntil([&] {
            gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
            shown = name ? name : "";
            g_free(name);
            return !shown.empty();
        }, 5000);
        return shown;
    }

    test::Watchdog watchdog{"DesktopFileDialogs", 120};
    std::string folder;
    std::string basePath;
    std::string textPath;
};

TEST_F(DesktopFileDialogsTest, TheOpenChooserShowsBasesAndAnswersTheWaitingAction)
{
    FilePath path{std::string_view(folder + "/")};
    FileDialogRequest request{&path, kFileKindsBaseAndInterchange, false};
    ProgramEventReply reply;
    ProgramEvent event{ProgramEventKind::GetFile, nullptr, &request, &reply};
    GtkWidget* chooser = Start(event);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(reply.busy.load(), 1) << "the action waits while the chooser is up";

    GtkFileFilter* filter = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(chooser));
    ASSERT_NE(filter, nullptr);
    GtkFileFilterInfo info{};
    info.contains = GTK_FILE_FILTER_FILENAME;
    info.filename = basePath.c_str();
    EXPECT_TRUE(gtk_file_filter_filter(filter, &info)) << "a base file is offered";
    info.filename = textPath.c_str();
    EXPECT_FALSE(gtk_file_filter_filter(filter, &info)) << "a file of no kind asked for is not";

    ASSERT_TRUE(gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), basePath.c_str()));
    EXPECT_EQ(ShownChoice(chooser), basePath);
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    EXPECT_EQ(reply.busy.load(), 0);
    EXPECT_TRUE(request.chosen);
    EXPECT_EQ(path.Text(), basePath);
    EXPECT_EQ(DesktopFileDialogs::OpenChooser(), nullptr);
}

TEST_F(DesktopFileDialogsTest, CancellingOrClosingCompletesTheRequestWithoutAChoice)
{
    for (GtkResponseType answer : {GTK_RESPONSE_CANCEL, GTK_RESPONSE_DELETE_EVENT}) {
        SCOPED_TRACE(int(answer));
        FilePath path{std::string_view(basePath)};
        FileDialogRequest request{&path, kFileKindsBaseAndInterchange, true};
        ProgramEventReply reply;
        ProgramEvent event{ProgramEventKind::GetFile, nullptr, &request, &reply};
        GtkWidget* chooser = Start(event);
        ASSERT_NE(chooser, nullptr);
        gtk_dialog_response(GTK_DIALOG(chooser), answer);
        EXPECT_EQ(reply.busy.load(), 0) << "the action never waits for ever";
        EXPECT_FALSE(request.chosen);
        EXPECT_EQ(path.Text(), basePath) << "a cancelled dialog leaves the path as it was";
    }
}

TEST_F(DesktopFileDialogsTest, TheSaveChooserProposesTheFolderAndName)
{
    FilePath path{std::string_view(folder + "/Proposed name.vek")};
    FileDialogRequest request{&path, 0, false};
    ProgramEventReply reply;
    ProgramEvent event{ProgramEventKind::PutFile, nullptr, &request, &reply};
    GtkWidget* chooser = Start(event);
    ASSERT_NE(chooser, nullptr);
    gchar* name = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
    EXPECT_STREQ(name, "Proposed name.vek");
    g_free(name);
    EXPECT_EQ(ShownChoice(chooser), folder + "/Proposed name.vek");
    // The chooser checks the folder before it lets an answer through, from the loop.
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    RunEventLoopUntil([&] { return reply.busy.load() == 0; }, 5000);
    EXPECT_EQ(reply.busy.load(), 0);
    EXPECT_TRUE(request.chosen);
    EXPECT_EQ(path.Text(), folder + "/Proposed name.vek");
}

std::string FileUri(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri ? uri : "";
    g_free(uri);
    return text;
}

// Dropped files and folders become one package each, the last first; what is no local file is left
// out; texts and the program's links come as one item.
TEST_F(DesktopFileDialogsTest, DropsBecomeTheProgramsPackages)
{
    const std::string spaced = folder + "/with space.vkx";
    std::ofstream(spaced) << "x";
    const std::vector<std::string> uris{FileUri(basePath), FileUri(folder), "https://example.org/a.vkx", FileUri(spaced)};
    std::vector<std::unique_ptr<TransferData>> packages = PackagesForUris(uris);
    ASSERT_EQ(packages.size(), 3u);
    const std::pair<uint32_t, std::string> expected[] = {
        {kTransferFile, spaced}, {kTransferFolder, folder}, {kTransferFile, basePath}};
    for (size_t i = 0; i < packages.size(); ++i) {
        SCOPED_TRACE(i);
        TransferItem* item = packages[i]->FindItem(kTransferFile | kTransferFolder);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->type, expected[i].first);
        EXPECT_EQ(item->file->Text(), expected[i].second);
    }
    std::remove(spaced.c_str());

    std::unique_ptr<TransferData> text = PackageForText(DropKind::Text, std::string_view("Kassa\0", 6));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->FindItem(kTransferText)->bytes, "Kassa") << "a terminating zero is no part of the text";
    std::unique_ptr<TransferData> link = PackageForText(DropKind::Link, "vek:T:abcd");
    ASSERT_NE(link, nullptr);
    EXPECT_NE(link->FindItem(kTransferLinkText), nullptr);
    EXPECT_EQ(PackageForText(DropKind::Text, std::string_view("\0", 1)), nullptr);
}

// A base file dropped on a window that does not take it is opened as the program opens a file.
TEST_F(DesktopFileDialogsTest, ABaseDroppedOnAWindowIsOpened)
{
    ResetMouseState();
    {
        MainApplication application;
        Log log;
        auto* window = new ProbeWindow(OriginSize{100, 100, 120, 200}, log);
        window->SetVisible(true);
        PostDroppedPackages(*window, PackagesForUris(std::vector<std::string>{FileUri(basePath)}));
        application.RunIdleTasks();
        Base* opened = Base::FirstBase();
        ASSERT_NE(opened, nullptr);
        EXPECT_EQ(opened->Path().Text(), basePath);
        EXPECT_EQ(application.DropsDelivered(), 1);
        while (Pane* child = application.FirstChild())
            delete child;
        Settle();
    }
    while (Base* base = Base::FirstBase())
        delete base;
    Settle();
}

TEST(DesktopClipboardTest, TextGoesThroughTheDesktopsClipboard)
{
    ClipboardService& clipboard = Service<ClipboardService>::Get();
    clipboard.PutText("Kassa\n1910 \xC3\xA4");
    EXPECT_EQ(clipboard.GetText(), "Kassa\n1910 \xC3\xA4");
    clipboard.PutText("");
    EXPECT_EQ(clipboard.GetText(), "");
}

// Regression: the program's title (the first status text, shown as the program menu's title) was cut
// at a fixed byte count; a cut inside a UTF-8 character made a text GTK refuses.
std::string SmallPng(int width, int height)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 0.8, 0.1, 0.1);
    cairo_paint(cr);
    cairo_destroy(cr);
    std::string png;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
            return CAIRO_STATUS_SUCCESS;
        },
        &png);
    cairo_surface_destroy(surface);
    return png;
}

// A picture copied by the program is an image on the desktop's clipboard, in place of its text; a
// picture that cannot be decoded leaves the clipboard empty rather than holding the old text.
TEST(DesktopClipboardTest, PicturesGoToTheDesktopsClipboardAsImages)
{
    ClipboardService& clipboard = Service<ClipboardService>::Get();
    clipboard.PutText("before");
    clipboard.PutPicture(SmallPng(7, 5));
    GdkPixbuf* image = gtk_clipboard_wait_for_image(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(image), 7);
    EXPECT_EQ(gdk_pixbuf_get_height(image), 5);
    g_object_unref(image);
    EXPECT_EQ(clipboard.GetText(), "");

    clipboard.PutText("before");
    clipboard.PutPicture("not a picture");
    EXPECT_EQ(clipboard.GetText(), "");
    EXPECT_FALSE(gtk_clipboard_wait_is_image_available(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD)));
}

TEST(DesktopMenuText, StatusTextsAreCutAtCharacterBoundaries)
{
    SetStatusTexts("\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5"
                   "\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5\xC3\xA5",
                   "5.6.7");
    const std::string title = ProgramTitle();
    EXPECT_EQ(title.size(), 30u);
    EXPECT_TRUE(g_utf8_validate(title.data(), gssize(title.size()), nullptr));
    SetStatusTexts("VEK ", "5.6.7");
}

TEST(DesktopMenuText, InvalidUtf8BecomesReplacementCharacters)
{
    EXPECT_EQ(ValidMenuText("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(ValidMenuText("Caf\xC3"), "Caf\xEF\xBF\xBD");
    EXPECT_EQ(ValidMenuText(""), "");
}

}  // namespace
}  // namespace vek
