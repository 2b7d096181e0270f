// DocumentWindow: the base of every window that shows one object of one open base.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "gui/Window.h"
#include "model/base/ChangeRecord.h"

namespace vek {

class Base;
class DocumentContentView;
class HeaderBar;
class IconButtonStrip;
class OutlineNode;
class OutlineView;
class PushButton;
class String;
class Template;

// Window kinds of document windows.
enum class DocumentKind : int32_t {
    CardsAnalysis = 1,
    LinesAnalysis = 2,
    ComponentsAnalysis = 3,
    TimeFunctions = 4,
    ComponentFunctions = 5,
    Subset = 6,
    BaseStatus = 8,
    BaseInfo = 9,
    Card = 10,
    DimensionEditor = 11,
    DimensionImportSetup = 12,
    WebUsers = 13,
    Authorizations = 14,
    TimeScale = 15,
    Macro = 16,
    SaveSetup = 17,
    ImportSetup = 18,
    XmlInterface = 19,
};

// Change codes the windows post about themselves.
constexpr int32_t kChangeWindowOpened = 66;
constexpr int32_t kChangeWindowCalculated = 67;
constexpr int32_t kChangeWindowClosing = 68;

// A change as the windows receive it (CommandTarget::Query): the base's change record, and the
// window it is about when a window posted it (null otherwise).
struct ChangeNotification {
    ChangeRecord record;
    const void* object = nullptr;
};

// The kind name of operation-log lines ("cards analysis" ...); null for kinds without one, which
// write no log line.
const char* GetWindowKindName(DocumentKind kind);
// The localized title of the analysis kinds 1-5 (texts 2547-2551); null for other kinds.
const char* GetAnalysisKindTitle(DocumentKind kind);

// A window that shows one object of one base. Every constructed document window is in one list, in
// order of construction; the destructor takes it out. The window logs "Opening" and "Closed" lines
// into the base's operation log and posts changes 66 (opened) and 68 (closing) to the base.
class DocumentWindow : public Window {
public:
    // flags: 0x01 or 0x10 make the window hidden. The owner follows the owner rule.
    DocumentWindow(DocumentKind kind, const OriginSize& frame, Base* base, int32_t flags);
    ~DocumentWindow() override;

    CommandTarget* Notify(int32_t code) override;
    // A ChangeNotification (NotifyWindowsOfBase passes nothing else).
    CommandTarget* Query(void* request) override;
    // Over the divider beside the outline the cursor is the resize cursor, and a click drags it.
    int32_t AdjustCursor(InputEvent& event, Pane* pane) override;
    int32_t Click(InputEvent& event, Pane* pane) override;
    // The calculate button recalculates (RecalculateIfNeeded(1)); the rest as every pane.
    CommandTarget* ControlCommand(Control& control) override;
    // A tool chosen in the tool strip becomes the window's tool (SetTool).
    CommandTarget* ControlAction() override;
    // The header bar follows the width; the outline the height; the content view both.
    void Resized(int32_t dw, int32_t dh) override;

    // --- The parts subclasses make in their constructors (all rectangles in the window) ------------
    // The header bar across the top (0, 0, window width, 30).
    void CreatePanel();
    // The outline view (item 351) at the left, 3 in, from 35 under a header bar (else 3), at least 37
    // wide and 7 less than `height` high, and the content view beside it (from width + 8) to the
    // window's right edge.
    void CreateOutlineView(int32_t width, int32_t height);
    // Resizes the outline view to the width (at least 37, at most the window width − 6) and moves the
    // content view's left edge with it; nothing without an outline view.
    void SetOutlineWidth(int32_t width);
    int32_t GetOutlineWidth() const;
    // Whether the point (window coordinates) lies on the divider: 2 to 7 pixels right of the outline
    // view, over its height.
    bool IsOnDivider(Point point) const;
    // The tool strip in the header bar at x, 3 (56 × 24, growing with its icons); null without a
    // header bar. The second strip, at 171, 3, is not kept by the window.
    IconButtonStrip* CreateToolStrip(int32_t x, std::span<const int32_t> icons, int32_t selected);
    IconButtonStrip* CreateSecondToolStrip(std::span<const int32_t> icons, int32_t selected);
    // Selects the tool strip's button and tells SetTool.
    void SelectTool(int32_t tool);
    // The default button "Calculate" (text 3119) at 33, 5, 70 × 20 in the header bar; null without one.
    PushButton* CreateCalculateButton();
    // Stores a value in the content view, which redraws when it changed.
    void SetContentItem(int32_t value);
    // Outline operations; all do nothing (or answer null) without an outline view.
    OutlineNode* AddOutlineNode(OutlineNode* parent, int32_t id);
    void DeleteOutlineNode(OutlineNode* node);
    void RevealOutlineNode(OutlineNode* node);
    void RevealOutlineNodeById(int32_t id);
    void ReselectOutlineNode();
    void SelectOutlineNodeById(int32_t id);

    HeaderBar* Panel() const { return headerBar; }
    IconButtonStrip* ToolStrip() const { return toolStrip; }
    OutlineView* Outline() const { return outlineView; }
    DocumentContentView* ContentView() const { return contentView; }

    // --- The window's own operations, with their defaults --------------------------------------------
    // Moves the outline's current node (1 next, −1 previous, −9 first, else last).
    virtual void MoveToAdjacentRow(int32_t step, uint32_t modifiers);
    // Tools 4100-4103 of the tool strips; nothing by default.
    virtual void SetTool(int32_t tool);
    // The header bar's own drawing, clicks and resizing; nothing (0: not handled) by default.
    virtual void DrawPanel();
    virtual void PanelResized(int32_t dw, int32_t dh);
    virtual int32_t ClickPanel(InputEvent& event);
    // Recalculates the window's content when it is out of date (always with force); 0 by default.
    virtual int32_t RecalculateIfNeeded(int32_t force);

    DocumentKind WindowKind() const { return kind; }
    Base* GetBase() const { return base; }
    void* ShownObject() const { return shownObject; }
    // The shown object, and the template when the object is one (the title takes its path name).
    void SetShownObject(void* object, Template* shownTemplate);
    DocumentWindow* NextOpenWindow() const { return nextOpen; }

    // The title: with a parent, the parent's title, " >> " and the kind title; else a named
    // template's path name; else the kind title, a blank and the lowest number n >= 1 that no open
    // document window has in its title.
    void SetWindowTitle(const DocumentWindow* parent);
    // The platform title: the titles of the owner chain from the top, each followed by ": ", then
    // the window's own.
    const std::string& PlatformTitle() const { return platformTitle; }

    // Posts a change about this window to its base (nothing without a base).
    void PostChange(int32_t code);
    // The "Calculated" log line; the computations call it when they finished.
    void LogCalculated();

    // A question 3208 with the text of the number, its count put in for argument 0; true for the
    // first answer (718).
    bool ConfirmWithCount(int32_t textNumber, int64_t count);

    // The first open document window, and the program-wide list.
    static DocumentWindow* First();
    static int32_t OpenCount();

private:
    void Log(int32_t verbCode);
    void RebuildPlatformTitle();

    DocumentKind kind;
    void TrackDivider(InputEvent& event);

    Base* base;
    // Set when the base announced its closing: a window that closes after it (a deferred close) must
    // not log or post through the freed base.
    bool baseGone = false;
    // Children, owned by the window as every pane; null until made.
    HeaderBar* headerBar = nullptr;
    IconButtonStrip* toolStrip = nullptr;
    std::vector<int32_t> toolIcons;  // the tool strip's, for selecting
    OutlineView* outlineView = nullptr;
    DocumentContentView* contentView = nullptr;
    void* shownObject = nullptr;
    Template* shownTemplate = nullptr;
    DocumentWindow* nextOpen = nullptr;
    std::string platformTitle;
};

// The owner of a new window of the kind for the base: none for no base, for the base status window
// (kind 8) and while the base is the only open base; otherwise the base's status window.
Window* GetOwnerForKind(Base* base, DocumentKind kind);

// Passes a change to every open document window of the base, in list order, then to every plain
// window and dialog of the application.
void NotifyWindowsOfBase(const ChangeNotification& notification, Base* base);
// The same for every open document window whatever its base (broadcast changes 1 and 2).
void NotifyAllDocumentWindows(const ChangeNotification& notification);
void InvalidateAllWindows();
// Asks each document window of the base except its status window to close, first in the list first;
// false as soon as one refuses (or stays open), true when none is left.
bool CloseWindowsOfBase(Base& base, CloseMode mode);
// The first open document window showing the object; null for a null object.
DocumentWindow* FindWindowOfObject(const void* object);

// A byte count with its unit (texts 3147-3150): "999 bytes", "1.0 KB", "10 KB", "1.5 MB" ...;
// a negative count gives "-".
void FormatByteSize(String& out, int64_t bytes);
// The localized name of a colour index (texts 2400-2416); null for an index without one.
const char* GetColourName(int32_t colourIndex);
// A selector row request's window item: codes 15 and 16 the dimension + 1, 35 → 65, 36 → 66, 37 the
// row + 67, 61 and 62 → 3133; 0 otherwise.
int32_t GetItemIdOfRequest(int32_t requestCode, int32_t dimension, int32_t row);
// When the text is longer than maxLength, asks (message 2100) whether to cut it: answer 0 cuts it and
// answers true, answer 1 answers false (the caller stops), any other answer true without change.
bool AskTruncateText(std::string& text, int32_t maxLength, Window* object);

}  // namespace vek
