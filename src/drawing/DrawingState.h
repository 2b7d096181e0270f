// DrawingState: the one process-wide drawing state and the focus stack that saves and restores it.
#pragma once

#include <cstdint>
#include <memory>

#include "drawing/ColorTable.h"
#include "drawing/DrawingPort.h"
#include "drawing/Geometry.h"
#include "drawing/Region.h"
#include "drawing/TextStyle.h"

namespace vek {

class SavedPortState;
class Window;

enum class OutputKind : int32_t { Screen = 0, PrintBlackWhite = 1, PrintColor = 2 };
enum class FocusMode : int32_t { WindowObject = 0, PlatformWindow = 1, Picture = 2, Printing = 3 };

// The colour indices and text style a view draws with.
struct ViewColors {
    int32_t fore = kColorBlack;
    int32_t back = kColorWhite;
    TextStyle style;
};

// Alignment of the pen patterns: a bit rotation and a row shift, both 0 after a focus.
struct PatternPhase {
    int16_t rotation = 0;
    int16_t rowShift = 0;
};

// The font a style resolves to (ResolveTextFont): the ascent equals the size.
struct ResolvedFont {
    int16_t family = kFontGeneva;
    int16_t size = 10;
    int16_t ascent = 10;
    int16_t lineHeight = 12;
    uint16_t face = 0;
};

// The current drawing state. Drawing runs on the main thread or on an action thread that holds the UI
// lock, so the state needs no lock of its own.
struct DrawingState {
    ViewColors colors;
    // The triple the text and icon functions read and change; the global one above by default.
    ViewColors* view = &colors;
    DepthRecord depth;
    PatternPhase phase;
    OutputKind outputKind = OutputKind::Screen;
    // The innermost focus, or null.
    SavedPortState* focus = nullptr;
    // The visible region of the focus target, in its local coordinates.
    Region visible;
    // Set when ApplyViewColors had to draw the fore colour as a pattern.
    bool patternUsed = false;
    // Text drawn and measured through the Unicode text path (0x200 styles and pictures use plain text).
    bool unicodeText = true;
    // Fractional glyph widths and outline fonts: on only while printing.
    bool fractionalWidths = false;
    DrawingPort* port = nullptr;
    ResolvedFont font;
    // The printer's line width factor (1.0 at start, 0.5 inside a print focus).
    double printLineWidth = 1.0;
    // The preferences "PixFactor" (1-3, the print offscreen's resolution) and "ColorPrint".
    int32_t pixFactor = 1;
    bool colorPrint = false;
};

DrawingState& GetDrawingState();
// The current port; null when nothing is focused.
inline DrawingPort* CurrentPort() { return GetDrawingState().port; }

// Focus targets.
// A window object: its port (null while it has no platform window: a 1-bit scratch world serves).
struct WindowTarget {
    Window* window = nullptr;
    DrawingPort* port = nullptr;
    DepthRecord depth;
};
// A platform window record (a pane drawn into an offscreen window, a modal window).
struct PlatformWindowRecord {
    Rect frame;
    DepthRecord depth;
    DrawingPort* port = nullptr;
};
// An offscreen window record with the port it owns.
struct OffscreenWindow {
    PlatformWindowRecord record;
    std::unique_ptr<DrawingPort> port;
};
// A recorded picture: creator and file type codes, frame, and the recording (null when empty).
constexpr uint32_t kPictureCreatorText = 0x74747874;  // 'ttxt'
constexpr uint32_t kPictureTypePict = 0x50494354;     // 'PICT': saved as PDF here
constexpr uint32_t kPictureTypeMacPaint = 0x504E5447;  // 'PNTG'
constexpr uint32_t kPictureTypePng = 0x504E4766;       // 'PNGf'
struct PictureRecord {
    uint32_t creator = kPictureCreatorText;
    uint32_t fileType = kPictureTypePict;
    Rect frame;
    std::unique_ptr<DrawingPort> picture;
};
// A printed page: its port and depth.
struct PrintPage {
    DrawingPort* port = nullptr;
    DepthRecord depth;
};

// The state saved while a target is focused (the data of PaneFocus), kept on the caller's stack.
// Records nest strictly: each restore undoes the most recent focus. A record still focused when it
// is destroyed is restored then.
class SavedPortState {
public:
    SavedPortState() = default;
    ~SavedPortState();
    SavedPortState(const SavedPortState&) = delete;
    SavedPortState& operator=(const SavedPortState&) = delete;

    bool IsActive() const { return active; }
    FocusMode Mode() const { return mode; }
    Point Origin() const { return origin; }
    SavedPortState* Previous() const { return previous; }
    Window* TargetWindow() const { return window; }

    // The platform window record PaneFocus makes for offscreen drawing; disposed with the record.
    std::unique_ptr<OffscreenWindow> offscreenWindow;

private:
    friend void SavePortState(SavedPortState&, DrawingPort*);
    friend void RestorePortState(SavedPortState&);
    friend void SetFocusOrigin(SavedPortState&, Point);
    friend void GetFocusVisibleRegion(const SavedPortState&, Region&);
    friend void FocusWindowObject(SavedPortState&, const WindowTarget&);
    friend void FocusPlatformWindow(SavedPortState&, PlatformWindowRecord&, const DepthRecord*);
    friend void FocusPicture(SavedPortState&, PictureRecord&, const Rect&);
    friend void FocusPrintPage(SavedPortState&, PrintPage&);

    int32_t reserved = 0;
    FocusMode mode = FocusMode::WindowObject;
    Point origin;
    DrawingPort* savedPort = nullptr;
    SavedPortState* previous = nullptr;
    Point savedPortOrigin;
    Region savedVisible;
    Region savedClip;
    ViewColors savedColors;
    DepthRecord savedDepth;
    PatternPhase savedPhase;
    OutputKind savedOutputKind = OutputKind::Screen;
    Window* window = nullptr;
    PlatformWindowRecord* platformWindow = nullptr;
    PictureRecord* picture = nullptr;
    PrintPage* page = nullptr;
    double savedLineWidth = 1.0;
    bool active = false;
};

// Focusing: each saves the state and makes the target current.
void FocusWindowObject(SavedPortState& record, const WindowTarget& target);
// With a view record, its depth is copied into the window record first.
void FocusPlatformWindow(SavedPortState& record, PlatformWindowRecord& window, const DepthRecord* view);
// Starts recording into picture.picture (made anew) over the frame; a MacPaint picture's frame is cut
// to 576 × 720. Nothing is recorded when the recording cannot be made.
void FocusPicture(SavedPortState& record, PictureRecord& picture, const Rect& frame);
void FocusPrintPage(SavedPortState& record, PrintPage& page);
// The common save step (the record's mode and target already set).
void SavePortState(SavedPortState& record, DrawingPort* port);
// Undoes the record's focus.
void RestorePortState(SavedPortState& record);
// Moves the drawing coordinates' origin to the point of the target; clip and visible region stay
// where they are on the target.
void SetFocusOrigin(SavedPortState& record, Point origin);
void GetFocusVisibleRegion(const SavedPortState& record, Region& out);
// Sets the current port's clip (local coordinates).
void SetClipRegion(const Region& region);

// Colours and patterns.
// Makes the port's colours and pen match the view's fore and back colour indices.
void ApplyViewColors();
// Fore colour and pen for drawing colour a (b where a cannot be shown).
void SetForeColorMix(int32_t a, int32_t b);
void SetPenPatternAligned(const PenPattern& pattern);
void SetPatternPhase(int32_t rotation, int32_t rowShift);
// The pattern aligned to the phase (rows shifted, bits rotated), as SetPenPatternAligned uses it.
PenPattern AlignPattern(const PenPattern& pattern, PatternPhase phase);

// Print line width.
void SetPrintLineWidth(double width);
void PushPrintLineWidth(double& slot, double width);
void RestorePrintLineWidth(double slot);

// The table from platform windows to the program's windows: a platform window's reference constant
// is 0x5ac3c000 plus a 14-bit slot index.
constexpr uint32_t kWindowRefBase = 0x5ac3c000;
// A slot for the window: its reference constant, or 0 when all 16384 slots are taken.
uint32_t AllocateWindowRefSlot(Window* window);
// The window of a reference constant; null for one that is not this program's or not in the table.
Window* WindowFromPlatformWindow(uint32_t referenceConstant);
void FreeWindowRefSlot(uint32_t referenceConstant);

// Cursor: the id of the current cursor; each change counts, so that callers can see whether a handler
// changed it.
void SetCursorById(int32_t id);
int32_t GetCursorId();
uint32_t GetCursorChangeCount();

}  // namespace vek
