// DrawingState: the focus stack, the colour rules for devices of every depth, the window slot table.
#include "drawing/DrawingState.h"

#include <algorithm>
#include <vector>

#include "drawing/Fonts.h"

namespace vek {

namespace {

constinit DrawingState* drawingState = nullptr;

// The world a window object without a platform window draws into: 1 bit deep, 128 × 128.
DrawingPort* ScratchPort()
{
    static std::unique_ptr<DrawingPort> scratch = DrawingPort::CreateImage(128, 128, DepthRecord{1, 0});
    return scratch.get();
}

struct WindowSlots {
    std::vector<uintptr_t> slots;  // a window pointer, or (next free index << 1) | 1
    int32_t freeHead = -1;
};

WindowSlots& GetWindowSlots()
{
    static WindowSlots table;
    return table;
}

int32_t cursorId = 0;
uint32_t cursorChanges = 0;

}  // namespace

DrawingState& GetDrawingState()
{
    if (drawingState == nullptr) {
        static DrawingState state;
        drawingState = &state;
    }
    return *drawingState;
}

SavedPortState::~SavedPortState()
{
    if (active)
        RestorePortState(*this);
}

void SavePortState(SavedPortState& record, DrawingPort* port)
{
    DrawingState& state = GetDrawingState();
    record.savedPort = state.port;
    record.previous = state.focus;
    state.focus = &record;
    record.active = true;
    state.port = port;
    record.savedPortOrigin = port != nullptr ? port->Origin() : Point{};
    record.savedVisible = state.visible;
    record.savedClip = port != nullptr ? port->Clip() : Region();
    record.savedColors = *state.view;
    record.savedDepth = state.depth;
    record.savedPhase = state.phase;
    record.savedOutputKind = state.outputKind;
    record.origin = Point{};
    record.reserved = 0;
    if (port != nullptr)
        port->SetOrigin(0, 0);
    Region visible;
    GetFocusVisibleRegion(record, visible);
    state.visible = visible;
    if (port != nullptr)
        port->SetClip(visible);
    state.phase = PatternPhase{};
    state.fractionalWidths = record.mode == FocusMode::Printing;
}

void FocusWindowObject(SavedPortState& record, const WindowTarget& target)
{
    record.mode = FocusMode::WindowObject;
    record.window = target.window;
    DrawingPort* port = target.port != nullptr ? target.port : ScratchPort();
    SavePortState(record, port);
    DrawingState& state = GetDrawingState();
    state.depth = target.port != nullptr ? target.depth : DepthRecord{1, 0};
    state.outputKind = OutputKind::Screen;
}

void FocusPlatformWindow(SavedPortState& record, PlatformWindowRecord& window, const DepthRecord* view)
{
    record.mode = FocusMode::PlatformWindow;
    record.platformWindow = &window;
    if (view != nullptr)
        window.depth = *view;
    SavePortState(record, window.port);
    DrawingState& state = GetDrawingState();
    state.depth = window.depth;
    state.outputKind = OutputKind::Screen;
}

void FocusPicture(SavedPortState& record, PictureRecord& picture, const Rect& frame)
{
    record.mode = FocusMode::Picture;
    record.picture = &picture;
    Rect cut = frame;
    if (picture.fileType == kPictureTypeMacPaint) {
        cut.right = ClampCoordinate(std::min<int32_t>(cut.right, cut.left + 576));
        cut.bottom = ClampCoordinate(std::min<int32_t>(cut.bottom, cut.top + 720));
    }
    picture.frame = cut;
    picture.picture = DrawingPort::CreateRecording(cut);
    DrawingState& state = GetDrawingState();
    SavedPortState* enclosing = state.focus;
    DepthRecord depth = state.depth;
    SavePortState(record, picture.picture.get());
    if (picture.fileType == kPictureTypeMacPaint)
        state.depth = DepthRecord{1, 0};
    else if (enclosing != nullptr && enclosing->Mode() == FocusMode::WindowObject)
        state.depth = depth;
    else
        state.depth = DepthRecord{8, 1};
    state.outputKind = OutputKind::Screen;
}

void FocusPrintPage(SavedPortState& record, PrintPage& page)
{
    record.mode = FocusMode::Printing;
    record.page = &page;
    SavePortState(record, page.port);
    DrawingState& state = GetDrawingState();
    state.depth = page.depth;
    state.outputKind = state.colorPrint ? OutputKind::PrintColor : OutputKind::PrintBlackWhite;
    PushPrintLineWidth(record.savedLineWidth, 0.5);
}

void RestorePortState(SavedPortState& record)
{
    if (!record.active)
        return;
    DrawingState& state = GetDrawingState();
    DrawingPort* port = state.port;
    if (record.mode == FocusMode::PlatformWindow && port != nullptr) {
        port->PenNormal();
        port->SetForeColor(TableColor(kColorBlack));
        port->SetBackColor(TableColor(kColorWhite));
    } else if (record.mode == FocusMode::Printing) {
        RestorePrintLineWidth(record.savedLineWidth);
    }
    if (port != nullptr) {
        port->SetOrigin(record.savedPortOrigin.h, record.savedPortOrigin.v);
        port->SetClip(record.savedClip);
    }
    state.visible = record.savedVisible;
    state.port = record.savedPort;
    state.focus = record.previous;
    record.active = false;
    state.phase = record.savedPhase;
    state.depth = record.savedDepth;
    state.outputKind = record.savedOutputKind;
    if (state.focus != nullptr) {
        *state.view = record.savedColors;
        ApplyViewColors();
        ApplyTextStyle(state.view->style);
    }
    state.fractionalWidths = state.focus != nullptr && state.focus->Mode() == FocusMode::Printing;
}

void SetFocusOrigin(SavedPortState& record, Point origin)
{
    DrawingState& state = GetDrawingState();
    int32_t dh = int32_t(record.origin.h) - origin.h;
    int32_t dv = int32_t(record.origin.v) - origin.v;
    record.origin = origin;
    if (state.focus == &record && state.port != nullptr) {
        Region clip = state.port->Clip();
        clip.Offset(dh, dv);
        state.port->SetClip(clip);
        state.visible.Offset(dh, dv);
        state.port->SetOrigin(-origin.h, -origin.v);
    }
}

void GetFocusVisibleRegion(const SavedPortState& record, Region& out)
{
    DrawingState& state = GetDrawingState();
    if (record.mode == FocusMode::PlatformWindow && record.platformWindow != nullptr) {
        out.SetRect(record.platformWindow->frame);
    } else if (record.mode == FocusMode::Picture && record.picture != nullptr) {
        Rect frame = record.picture->frame;
        ShiftRect(frame, -record.origin.h, -record.origin.v);
        out.SetRect(frame);
    } else if (state.port != nullptr) {
        out.SetRect(state.port->PortBounds());
    } else {
        out.SetEmpty();
    }
}

void SetClipRegion(const Region& region)
{
    if (DrawingPort* port = CurrentPort())
        port->SetClip(region);
}

PenPattern AlignPattern(const PenPattern& pattern, PatternPhase phase)
{
    int32_t r = ((phase.rotation % 8) + 8) % 8;
    int32_t s = ((phase.rowShift % 8) + 8) % 8;
    if (r == 0 && s == 0)
        return pattern;
    PenPattern out{};
    for (int32_t j = 0; j < 8; ++j) {
        uint8_t row = pattern[size_t(j)];
        row = uint8_t((row << r) | (row >> ((8 - r) % 8)));
        out[size_t(((j - s) % 8 + 8) % 8)] = row;
    }
    return out;
}

void SetPenPatternAligned(const PenPattern& pattern)
{
    if (DrawingPort* port = CurrentPort())
        port->SetPenPattern(AlignPattern(pattern, GetDrawingState().phase));
}

void SetPatternPhase(int32_t rotation, int32_t rowShift)
{
    GetDrawingState().phase = PatternPhase{int16_t(rotation & 0x7fff), int16_t(rowShift & 0x7fff)};
}

void ApplyViewColors()
{
    DrawingState& state = GetDrawingState();
    state.patternUsed = false;
    DrawingPort* port = state.port;
    if (port == nullptr)
        return;
    int32_t f = state.view->fore;
    int32_t b = state.view->back;
    int32_t d = state.depth.depth;
    int32_t c = state.depth.colorDevice;
    bool shows = f == 0 || f == 10 || (c == 0 && d >= 3 && !(f >= 11 && f <= 23)) || (c != 0 && d > 3) ||
                 state.outputKind == OutputKind::PrintColor;
    if (shows) {
        port->SetForeColor(TableColor(f));
        port->SetPenPattern(FixedPenPattern(FixedPen::Solid));
    } else if (b == kColorBlack) {
        port->SetForeColor(TableColor(kColorWhite));
        if (f == 30) {
            port->SetPenPattern(FixedPenPattern(FixedPen::Solid));
        } else if (f < 10 || f == 29) {
            SetPenPatternAligned(FixedPenPattern(FixedPen::InverseDotted));
            state.patternUsed = true;
        } else {
            port->SetPenPattern(FixedPenPattern(FixedPen::Back));
        }
    } else {
        port->SetForeColor(TableColor(kColorBlack));
        if (f == 30) {
            port->SetPenPattern(FixedPenPattern(FixedPen::Back));
        } else if (f > 9 && f != 29) {
            port->SetPenPattern(FixedPenPattern(FixedPen::Solid));
        } else {
            SetPenPatternAligned(FixedPenPattern(FixedPen::Dotted));
            state.patternUsed = true;
        }
    }
    if (d < 3) {
        if (b == kColorHighlight) {
            b = kColorBlack;
            port->SetForeColor(TableColor(kColorWhite));
        } else if (b != kColorBlack) {
            b = kColorWhite;
        }
    } else if (!(c != 0 || b < 11 || b == kColorHighlight || b == 26)) {
        b = kColorWhite;
    }
    port->SetBackPattern(FixedPenPattern(FixedPen::Back));
    port->SetBackColor(TableColor(b));
}

void SetForeColorMix(int32_t a, int32_t b)
{
    DrawingState& state = GetDrawingState();
    DrawingPort* port = state.port;
    if (port == nullptr)
        return;
    int32_t d = state.depth.depth;
    int32_t c = state.depth.colorDevice;
    bool cannotShow = a != 0 && a != 10 && ((c == 0 && (d < 3 || a > 10)) || (c != 0 && d < 4)) &&
                      state.outputKind != OutputKind::PrintColor;
    if (!cannotShow) {
        port->SetForeColor(TableColor(a));
        port->SetPenPattern(FixedPenPattern(FixedPen::Solid));
        return;
    }
    if (a != b) {
        SetForeColorMix(b, b);
        return;
    }
    PenPattern pattern = ColorPattern(a);
    if (state.view->back == kColorBlack) {
        port->SetForeColor(TableColor(kColorWhite));
        for (uint8_t& row : pattern)
            row = uint8_t(~row);
    } else {
        port->SetForeColor(TableColor(kColorBlack));
    }
    SetPenPatternAligned(pattern);
}

void SetPrintLineWidth(double width)
{
    DrawingState& state = GetDrawingState();
    state.printLineWidth = width;
    if (state.port != nullptr)
        state.port->SetLineWidthFactor(width);
}

void PushPrintLineWidth(double& slot, double width)
{
    slot = GetDrawingState().printLineWidth;
    SetPrintLineWidth(width);
}

void RestorePrintLineWidth(double slot) { SetPrintLineWidth(slot); }

uint32_t AllocateWindowRefSlot(Window* window)
{
    WindowSlots& table = GetWindowSlots();
    int32_t index;
    if (table.freeHead >= 0) {
        index = table.freeHead;
        table.freeHead = int32_t(table.slots[size_t(index)] >> 1) - 1;
    } else {
        if (table.slots.size() >= 16384)
            return 0;
        index = int32_t(table.slots.size());
        table.slots.push_back(0);
    }
    table.slots[size_t(index)] = reinterpret_cast<uintptr_t>(window);
    return kWindowRefBase + uint32_t(index);
}

Window* WindowFromPlatformWindow(uint32_t referenceConstant)
{
    WindowSlots& table = GetWindowSlots();
    if ((referenceConstant & 0xFFFFC000u) != kWindowRefBase)
        return nullptr;
    uint32_t index = referenceConstant & 0x3FFFu;
    if (index >= table.slots.size())
        return nullptr;
    uintptr_t slot = table.slots[index];
    if ((slot & 1u) != 0)
        return nullptr;
    return reinterpret_cast<Window*>(slot);
}

void FreeWindowRefSlot(uint32_t referenceConstant)
{
    WindowSlots& table = GetWindowSlots();
    if ((referenceConstant & 0xFFFFC000u) != kWindowRefBase)
        return;
    uint32_t index = referenceConstant & 0x3FFFu;
    if (index >= table.slots.size() || (table.slots[index] & 1u) != 0)
        return;
    // Free slots hold (next free index + 1) << 1 | 1, so that a pointer is never mistaken for one.
    table.slots[index] = (uintptr_t(table.freeHead + 1) << 1) | 1u;
    table.freeHead = int32_t(index);
}

void SetCursorById(int32_t id)
{
    if (id < 0)
        return;
    cursorId = id;
    ++cursorChanges;
}

int32_t GetCursorId() { return cursorId; }

uint32_t GetCursorChangeCount() { return cursorChanges; }

}  // namespace vek
