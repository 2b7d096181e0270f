// LinkedTextTest: texts with links in a pane, driven headless: hit testing in laid-out texts, clicks
// that open a link and drags that do not, the link's context menu, making a link from a selection,
// showing a linked file's folder, and the picture of linked text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "drawing/ClipboardText.h"
#include "foundation/messages/PendingError.h"
#include "gui/Application.h"
#include "gui/Control.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuRequest.h"
#include "gui/Window.h"
#include "drawing/DrawingState.h"
#include "gui/links/LinkMenu.h"
#include "gui/links/LinkedText.h"
#include "platform/ProcessLauncher.h"
#include "platform/events/CooperativeThreads.h"
#include "platform/events/EventLoop.h"
#include "platform/events/InputEvent.h"
#include "platform/events/WindowSystem.h"
#include "support/GoldenPicture.h"
#include "support/PinnedFonts.h"

namespace vek {
namespace {

// Records what would have been handed to the desktop's opener.
class RecordingOpener final : public DesktopOpener {
public:
    int32_t Launch(const char* target) override
    {
        opened.emplace_back(target);
        return 0;
    }
    std::vector<std::string> opened;
};

class LinkWindow final : public Window {
public:
    explicit LinkWindow(LinkRegistry& registry) : Window(kKindDialogWindow, OriginSize{100, 100, 120, 320}, 0, nullptr, false)
    {
        linkRegistry = &registry;
        FinishConstruction();
    }
    ~LinkWindow() override { PrepareDestruction(); }
};

// A view that draws one text with its links, keeps the hovered or pressed link, and tracks clicks on
// it; its source is editable when asked.
class LinkView final : public Control {
public:
    LinkView(Pane& enclosure, const OriginSize& frame) : Control(kKindCustomView, enclosure, frame, 1)
    {
        FinishConstruction();
    }
    ~LinkView() override { PrepareDestruction(); }
    void Draw() override
    {
        looks.push_back(highlight.look);
        DrawLinkedText(*this, bounds, source.CStr(), highlight);
    }
    int32_t Click(InputEvent& event, Pane*) override
    {
        return TrackLinkClick(*this, bounds, source.CStr(), event, highlight, editable ? &source : nullptr);
    }
    String source;
    bool editable = false;
    LinkHighlight highlight;
    std::vector<LinkLook> looks;
};

class LinkedTextTest : public ::testing::Test {
public:
    void SetUp() override
    {
        PinTestFonts();
        ResetMouseState();
        PutClipboardText("");
        ClearError();
        application = std::make_unique<Application>(true);
        window = new LinkWindow(registry);
        view = new LinkView(*window, OriginSize{10, 10, 60, 300});
        RunUntilQuiet();
    }
    void TearDown() override
    {
        application.reset();
        ClearError();
    }

    void RunUntilQuiet()
    {
        ASSERT_TRUE(RunEventLoopUntil([&] { return system.QueuedEvents() == 0 && ReadyThreadCount() == 0; }, 5000));
        RunEventLoopPending();
    }

    // A point on the first character of `aim` in the view's display form.
    Point PointOn(const char* aim, const Rect& rect)
    {
        LinkedTextLayout layout;
        LayOutLinkedText(*view, view->source.CStr(), layout);
        size_t at = layout.display.View().find(aim);
        EXPECT_NE(at, std::string_view::npos) << aim;
        Point p = TextPointAtOffsetInStyle(view->GetTextStyle(), rect, layout.display.View(), int32_t(at));
        return Point{int16_t(p.v - 3), int16_t(p.h + 2)};
    }

    PlatformEvent Mouse(PlatformEventKind kind, Point local, int32_t button = 1)
    {
        PlatformEvent event;
        event.kind = kind;
        event.button = button;
        event.clickCount = kind == PlatformEventKind::MouseDown ? 1 : 0;
        event.location = Point{int16_t(window->Position().v + view->WindowOffset().v + local.v),
                               int16_t(window->Position().h + view->WindowOffset().h + local.h)};
        return event;
    }

    HeadlessWindowSystem system;
    ScopedService<WindowSystem> systemScope{&system};
    RecordingOpener opener;
    ScopedService<DesktopOpener> openerScope{&opener};
    LinkRegistry registry{"test"};
    std::unique_ptr<Application> application;
    LinkWindow* window = nullptr;
    LinkView* view = nullptr;
};

TEST_F(LinkedTextTest, HitTestingFindsTheLinkUnderThePoint)
{
    struct Case {
        const char* name;
        const char* text;
        bool wrap;
        int16_t width;
        const char* aim;  // the point goes on its first character
        int32_t link;
    };
    const Case cases[] = {
        {"a bare URL", "see http://example.com now", false, 300, "example", 0},
        {"its last character", "see http://example.com now", false, 300, "m now", 0},
        {"plain text before it", "see http://example.com now", false, 300, "see", -1},
        {"plain text after it", "see http://example.com now", false, 300, "now", -1},
        {"the second of two links", "<a href=\"a.org\">one</a> and <a href=\"b.org\">two</a>", false, 300, "two", 1},
        {"a link on the second line", "first line\rsecond <a href=\"x.org\">the link</a>", false, 300, "the link", 0},
        {"the same place on the first line", "first line is long\rsecond <a href=\"x.org\">the link</a>", false, 300,
         "is long", -1},
        {"UTF-8 link text", "Årsredovisning för <a file=\"/tmp/ö.txt\">räkenskapsår ö</a>", false, 300, "kenskaps", 0},
        {"a wrapped link", "words words words words words http://wrapped.example.org/", true, 120, "wrapped", 0},
        {"no links at all", "just words", false, 300, "words", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->source.AssignCStr(c.text);
        TextStyle style = view->GetTextStyle();
        style.flags = uint16_t(c.wrap ? style.flags | kTextWrap : style.flags & ~kTextWrap);
        view->SetTextStyle(style);
        const Rect rect{0, 0, 60, c.width};
        LinkedTextLayout layout;
        LayOutLinkedText(*view, view->source.CStr(), layout);
        EXPECT_EQ(LinkAtPoint(*view, rect, layout, PointOn(c.aim, rect)), c.link);
    }
}

TEST_F(LinkedTextTest, NothingIsHitBesideTheTextOrOutsideItsRectangle)
{
    view->source.AssignCStr("go http://example.org\rx");
    const Rect rect{0, 0, 60, 300};
    LinkedTextLayout layout;
    LayOutLinkedText(*view, view->source.CStr(), layout);
    const Point onLink = PointOn("example", rect);
    EXPECT_EQ(LinkAtPoint(*view, rect, layout, onLink), 0);
    // Far right of the link's line: the link ends the line but the point is not on it.
    EXPECT_EQ(LinkAtPoint(*view, rect, layout, Point{onLink.v, 290}), -1);
    EXPECT_EQ(LinkAtPoint(*view, Rect{int16_t(onLink.v + 1), 0, 60, 300}, layout, onLink), -1);
}

TEST_F(LinkedTextTest, HoveringMarksTheLinkAndSetsTheCursor)
{
    view->source.AssignCStr("see http://example.com now");
    InputEvent event;
    event.point = PointOn("example", view->Bounds());
    EXPECT_TRUE(FindLinkAt(*view, view->Bounds(), view->source.CStr(), event, view->highlight));
    EXPECT_EQ(view->highlight, (LinkHighlight{0, LinkLook::Hovered}));
    EXPECT_EQ(GetCursorId(), kLinkCursor);
    event.point = PointOn("see", view->Bounds());
    EXPECT_FALSE(FindLinkAt(*view, view->Bounds(), view->source.CStr(), event, view->highlight));
    EXPECT_EQ(view->highlight, LinkHighlight{});
}

TEST_F(LinkedTextTest, AClickOpensTheLinkAndADragAwayDoesNot)
{
    struct Case {
        const char* name;
        std::vector<const char*> path;  // where the pointer goes while the button is down; null: off the text
        bool opens;
    };
    const Case cases[] = {
        {"a click", {}, true},
        {"moving within the link", {"ample"}, true},
        {"dragging off the link", {"now"}, false},
        {"dragging off the view", {nullptr}, false},
        {"dragging away and back", {"now", "example"}, true},
    };
    view->source.AssignCStr("see http://example.org/ now");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        opener.opened.clear();
        view->looks.clear();
        Point at = PointOn("example", view->Bounds());
        system.Inject(Mouse(PlatformEventKind::MouseDown, at), window);
        for (const char* aim : c.path) {
            at = aim != nullptr ? PointOn(aim, view->Bounds()) : Point{90, 400};
            system.Inject(Mouse(PlatformEventKind::MouseDragged, at), window);
        }
        system.Inject(Mouse(PlatformEventKind::MouseUp, at), window);
        RunUntilQuiet();
        EXPECT_EQ(opener.opened, c.opens ? std::vector<std::string>{"http://example.org/"} : std::vector<std::string>{});
        // Drawn pressed while tracked, normal at the end.
        EXPECT_NE(std::find(view->looks.begin(), view->looks.end(), LinkLook::Pressed), view->looks.end());
        EXPECT_EQ(view->highlight.look, LinkLook::Normal);
    }
}

TEST_F(LinkedTextTest, AClickBesideTheLinkIsNotTaken)
{
    view->source.AssignCStr("see http://example.org/ now");
    InputEvent event;
    event.point = PointOn("see", view->Bounds());
    EXPECT_EQ(TrackLinkClick(*view, view->Bounds(), view->source.CStr(), event, view->highlight, nullptr), 0);
    EXPECT_TRUE(opener.opened.empty());
}

// The commands of the menu as AddMenuCommand lists them.
std::vector<uint16_t> LinkMenuCommands(LinkMenu& menu, Pane& pane)
{
    MenuRequest record;
    record.pane = &pane;
    record.messageKind = kLinkMenuKind;
    menu.HandleMessage(record);
    std::vector<uint16_t> out;
    for (const uint16_t* c = record.commands; *c != 0; ++c)
        out.push_back(*c);
    return out;
}

TEST_F(LinkedTextTest, TheContextMenuOffersWhatTheLinkAndTheSourceAllow)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("vek-links-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "data.txt") << "data";
    std::ofstream(folder / "empty.txt");
    const std::string withData = (folder / "data.txt").string();
    const std::string empty = (folder / "empty.txt").string();
    const std::string missing = (folder / "missing.txt").string();
    constexpr uint16_t kSep = kMenuSeparator;
    struct Case {
        const char* name;
        std::string text;
        bool editable;
        std::vector<uint16_t> commands;
    };
    const Case cases[] = {
        {"a URL, read-only", "x http://example.org", false, {215}},
        {"a URL, editable", "x http://example.org", true, {214, 215, 217, 218, kSep, 729, 730}},
        {"a file with data", "file=\"" + withData + "\"", true, {214, 215, 217, 218, kSep, 729, 730, kSep, 731}},
        {"an empty file", "file=\"" + empty + "\"", false, {215, kSep, 732}},
        {"a missing file", "file=\"" + missing + "\"", false, {215, kSep, 732}},
        {"a folder", "<a file=\"" + folder.string() + "\">f</a>", false, {215, kSep, 732}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        String source;
        source.AssignBytes(c.text);
        String display;
        std::vector<LinkTextSpan> spans;
        registry.Convert(source.CStr(), display, nullptr, -1, nullptr, &spans);
        ASSERT_EQ(spans.size(), 1u);
        LinkScanner link;
        ASSERT_TRUE(registry.Convert(source.CStr(), display, nullptr, spans[0].displayStart, &link));
        LinkMenu menu(*view, registry, link, c.editable ? &source : nullptr);
        EXPECT_EQ(LinkMenuCommands(menu, *view), c.commands);
    }
    ClearError();
    std::filesystem::remove_all(folder);
}

// A link dialog that changes the link text, or one that is cancelled.
class FakeLinkDialog final : public LinkDialogRunner {
public:
    bool Run(LinkScanner& scanner, String& source, Pane&) override
    {
        ++runs;
        if (cancel)
            return false;
        if (!newText.empty())
            scanner.text.AssignBytes(newText);
        LinkRegistry::ReplaceInSource(scanner, source);
        return true;
    }
    bool cancel = false;
    std::string newText;
    int32_t runs = 0;
};

TEST_F(LinkedTextTest, MenuCommandsEditTheMarkupInTheSource)
{
    const std::string markup = "<a href=\"http://x.org\">X</a>";
    FakeLinkDialog dialog;
    dialog.newText = "Y";
    ScopedService<LinkDialogRunner> dialogScope{&dialog};
    struct Case {
        const char* name;
        uint16_t command;
        std::string source;
        std::string clipboard;
    };
    const Case cases[] = {
        {"cut", kLinkCutMarkup, "a  b", markup},
        {"copy", kLinkCopyMarkup, "a " + markup + " b", markup},
        {"delete", kLinkDelete, "a  b", ""},
        {"duplicate", kLinkDuplicate, "a " + markup + " " + markup + " b", ""},
        {"edit", kLinkEdit, "a <a href=\"http://x.org\">Y</a> b", ""},
        {"remove the link, keep its text", kLinkRemoveKeepText, "a X b", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutClipboardText("");
        String source;
        source.AssignBytes("a " + markup + " b");
        String display;
        LinkScanner link;
        ASSERT_TRUE(registry.Convert(source.CStr(), display, nullptr, 2, &link));
        LinkMenu menu(*view, registry, link, &source);
        MenuRequest record;
        record.pane = view;
        record.messageKind = kLinkMenuKind;
        record.phase = 3;
        record.index = c.command;
        menu.HandleMessage(record);
        EXPECT_EQ(std::string(source.View()), c.source);
        EXPECT_EQ(GetClipboardText().value_or(""), c.clipboard);
    }
}

TEST_F(LinkedTextTest, AContextClickRunsTheLinkMenuOnThePane)
{
    view->source.AssignCStr("see http://example.org/ now");
    view->editable = true;
    // The items: Cut, Copy, Clear, Duplicate, -, Edit, Remove: Down three times reaches Clear.
    Point at = PointOn("example", view->Bounds());
    system.Inject(Mouse(PlatformEventKind::MouseDown, at, 2), window);
    for (uint32_t key : {31u, 31u, 31u, 13u}) {
        PlatformEvent k;
        k.kind = PlatformEventKind::KeyDown;
        k.character = key;
        system.Inject(k, window);
    }
    system.Inject(Mouse(PlatformEventKind::MouseUp, at, 2), window);
    RunUntilQuiet();
    EXPECT_EQ(std::string(view->source.View()), "see  now");
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_EQ(view->AttachedLinkMenu(), nullptr);
}

TEST_F(LinkedTextTest, MakingALinkFromASelection)
{
    struct Case {
        const char* name;
        std::string source;
        std::string selection;  // found in the source
        std::string clipboard;
        LinkType type;
        std::string target;
    };
    const std::string longUrl = "http://example.org/" + std::string(500 - 19 - 1, 'a');
    const Case cases[] = {
        {"a host name", "go to www.example.com now", "www.example.com", "", LinkType::Url, "http://www.example.com"},
        {"a URL with blanks and a control byte", "go to \x01http://example.org/ now", "\x01http://example.org/ ", "",
         LinkType::Url, "http://example.org/"},
        {"words take the clipboard's URL", "see the site here", "the site", "http://example.org", LinkType::Url,
         "http://example.org"},
        {"a clipboard text of 499 bytes", "see the site here", "the site", longUrl, LinkType::Url, longUrl},
        {"a clipboard text of 500 bytes", "see the site here", "the site", longUrl + "a", LinkType::None, ""},
        {"a clipboard text with a line break", "see the site here", "the site", "http://example.org\rx", LinkType::None,
         ""},
        {"words without a target", "see the site here", "the site", "", LinkType::None, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PutClipboardText(c.clipboard);
        String source;
        source.AssignBytes(c.source);
        const int32_t offset = int32_t(c.source.find(c.selection));
        const int32_t length = int32_t(c.selection.size());
        const int32_t markup = MakeLinkFromSelection(*view, source, offset, length);
        // The markup replaced the selection, and the link shows what was selected (trimmed).
        EXPECT_EQ(source.Length(), int32_t(c.source.size()) - length + markup);
        String display;
        LinkScanner link;
        registry.Convert(source.CStr(), display, nullptr, offset + 1, &link);
        EXPECT_EQ(link.type, c.type);
        if (c.type != LinkType::None) {
            EXPECT_EQ(std::string(link.target.View()), c.target);
            EXPECT_EQ(link.markupStart, offset);
            EXPECT_EQ(link.markupLength, markup);
        }
    }
}

TEST_F(LinkedTextTest, ACancelledLinkDialogLeavesTheSource)
{
    FakeLinkDialog dialog;
    dialog.cancel = true;
    ScopedService<LinkDialogRunner> dialogScope{&dialog};
    String source;
    source.AssignCStr("go to www.example.com now");
    EXPECT_EQ(MakeLinkFromSelection(*view, source, 6, 15), 15);
    EXPECT_EQ(dialog.runs, 1);
    EXPECT_EQ(std::string(source.View()), "go to www.example.com now");
}

TEST_F(LinkedTextTest, RevealingALinkedFileOpensItsFolder)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("vek-reveal-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a b.txt") << "data";
    LinkScanner link;
    link.type = LinkType::File;
    link.target.AssignBytes((folder / "a b.txt").string());
    EXPECT_TRUE(registry.RevealLinkedFile(link));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(std::filesystem::path(opener.opened[0]), folder);
    // A file whose folder is gone: nothing is launched, the folder is reported.
    link.target.AssignBytes((folder / "gone" / "x.txt").string());
    EXPECT_FALSE(registry.RevealLinkedFile(link));
    EXPECT_EQ(GetPendingError().message.code, 603);
    ClearError();
    link.type = LinkType::Url;
    link.target.AssignCStr("http://example.org");
    EXPECT_FALSE(registry.RevealLinkedFile(link));
    EXPECT_EQ(opener.opened.size(), 1u);
    std::filesystem::remove_all(folder);
}

TEST_F(LinkedTextTest, LinkedTextRendersLikeTheGoldenPicture)
{
    view->source.AssignCStr("Plain text, http://example.org/ and\r<a file=\"/tmp/notes.txt\">a linked file</a>, "
                            "<a href=\"www.example.com\">hovered</a>.");
    view->highlight = LinkHighlight{2, LinkLook::Hovered};
    view->Invalidate();
    RunUntilQuiet();
    test::ExpectMatchesGoldenPicture(window->RenderPng(), VEK_SOURCE_DIR "/tests/fixtures/gui/LinkedText.png",
                                     "LinkedText");
}

}  // namespace
}  // namespace vek
