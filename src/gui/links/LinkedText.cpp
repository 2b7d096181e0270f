// LinkedText: drawing, hit testing and click tracking of texts with links in panes.
#include "gui/links/LinkedText.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "drawing/ClipboardText.h"
#include "drawing/DrawingState.h"
#include "gui/DrawingRoutines.h"
#include "gui/Pane.h"
#include "gui/Window.h"
#include "gui/editing/TextBoundaries.h"
#include "gui/links/LinkMenu.h"
#include "platform/events/InputEvent.h"

namespace vek {

// --- layout --------------------------------------------------------------------------------------------

std::vector<StyleRun> LinkedTextLayout::Runs(const Pane& pane, const LinkHighlight& highlight) const
{
    const uint16_t face = uint16_t(pane.GetTextStyle().flags & kFaceMask);
    std::vector<StyleRun> runs;
    runs.push_back({0, face, pane.ForeColour()});
    for (size_t i = 0; i < links.size(); ++i) {
        const LinkTextSpan& span = links[i];
        StyleRun run{span.displayStart, face, kLinkTextColor};
        if (int32_t(i) == highlight.link) {
            if (highlight.look == LinkLook::Pressed)
                run.color = kPressedLinkColor;
            else if (highlight.look == LinkLook::Hovered)
                run.face = uint16_t(face | kHoveredLinkFace);
        }
        runs.push_back(run);
        runs.push_back({span.displayStart + span.displayLength, face, pane.ForeColour()});
    }
    return runs;
}

int32_t LinkedTextLayout::LinkAtOffset(int32_t offset) const
{
    for (size_t i = 0; i < links.size(); ++i) {
        if (offset >= links[i].displayStart && offset < links[i].displayStart + links[i].displayLength)
            return int32_t(i);
    }
    return -1;
}

bool LayOutLinkedText(const Pane& pane, const char* text, LinkedTextLayout& out)
{
    out.links.clear();
    const LinkRegistry* registry = pane.GetLinkRegistry();
    if (registry == nullptr || !registry->HasLinks(text)) {
        out.display.AssignCStr(text != nullptr ? text : "");
        return false;
    }
    registry->Convert(text, out.display, nullptr, -1, nullptr, &out.links);
    return !out.links.empty();
}

void DrawLinkedText(const Pane& pane, const Rect& rect, const char* text, const LinkHighlight& highlight)
{
    if (text == nullptr)
        return;
    LinkedTextLayout layout;
    if (!LayOutLinkedText(pane, text, layout)) {
        DrawTextInRect(rect, text);
        return;
    }
    std::vector<StyleRun> runs = layout.Runs(pane, highlight);
    DrawTextInRect(rect, layout.display.View(), runs);
}

// --- hit testing ---------------------------------------------------------------------------------------

int32_t LinkAtPoint(const Pane& pane, const Rect& rect, const LinkedTextLayout& layout, Point point)
{
    if (layout.links.empty() || !IsPointInRect(point, rect))
        return -1;
    const TextStyle& style = pane.GetTextStyle();
    std::string_view display = layout.display.View();
    int32_t offset = TextOffsetAtPointInStyle(style, rect, display, point);
    if (offset < 0)
        return -1;
    // The nearest boundary may lie after the character under the point: then that character is the
    // one before it. At the end of a wrapped line the boundary is also the next line's start, so the
    // point's line is found from its left edge.
    const TextBoundaries boundaries(display);
    int32_t lineStart = TextOffsetAtPointInStyle(style, rect, display, Point{point.v, int16_t(rect.left - 16)});
    lineStart = std::max(lineStart, 0);
    Point lineAt = TextPointAtOffsetInStyle(style, rect, display, lineStart);
    Point at = TextPointAtOffsetInStyle(style, rect, display, offset);
    if (offset > lineStart && (at.v != lineAt.v || point.h < at.h)) {
        offset = boundaries.PreviousCaretStop(offset);
        at = TextPointAtOffsetInStyle(style, rect, display, offset);
    }
    if (offset >= int32_t(display.size()) || display[size_t(offset)] == '\r' || display[size_t(offset)] == '\n')
        return -1;
    // A point beyond the end of a line is beside the text, not on its last character.
    int32_t next = boundaries.NextCaretStop(offset);
    int32_t width = MeasureTextWidthInStyle(style, display.substr(size_t(offset), size_t(next - offset)));
    if (point.h < at.h || point.h > at.h + width)
        return -1;
    return layout.LinkAtOffset(offset);
}

bool FindLinkAt(Pane& pane, const Rect& rect, const char* text, const InputEvent& event, LinkHighlight& hovered)
{
    LinkedTextLayout layout;
    LayOutLinkedText(pane, text, layout);
    LinkHighlight now;
    now.link = LinkAtPoint(pane, rect, layout, event.point);
    if (now.link >= 0)
        now.look = LinkLook::Hovered;
    if (now != hovered) {
        hovered = now;
        pane.InvalidateRect(rect, kInvalidateNow);
    }
    if (now.link >= 0)
        SetCursorById(kLinkCursor);
    return now.link >= 0;
}

// --- clicks --------------------------------------------------------------------------------------------

// The global origin of the pane's coordinates: tracked events arrive in global coordinates.
static Point LinkPaneGlobalOrigin(const Pane& pane)
{
    Point origin = pane.WindowOffset();
    if (Window* window = pane.GetWindow()) {
        origin.v = int16_t(origin.v + window->Position().v);
        origin.h = int16_t(origin.h + window->Position().h);
    }
    return origin;
}

int32_t TrackLinkClick(Pane& pane, const Rect& rect, const char* text, InputEvent& event, LinkHighlight& highlight,
                       String* editableSource)
{
    const LinkRegistry* registry = pane.GetLinkRegistry();
    LinkedTextLayout layout;
    LayOutLinkedText(pane, text, layout);
    const int32_t index = LinkAtPoint(pane, rect, layout, event.point);
    if (registry == nullptr || index < 0)
        return 0;
    LinkScanner link;
    if (!registry->Convert(text, layout.display, nullptr, layout.links[size_t(index)].displayStart, &link))
        return 0;
    const bool plainClick = !(event.rightButton || event.control || event.command || event.option || event.shift);
    if (!plainClick) {
        LinkMenu menu(pane, *registry, link, editableSource);
        menu.Run(event);
        return 1;
    }
    auto show = [&](bool pressed) {
        LinkHighlight wanted{index, pressed ? LinkLook::Pressed : LinkLook::Normal};
        if (wanted != highlight) {
            highlight = wanted;
            pane.InvalidateRect(rect, kInvalidateNow);
        }
    };
    show(true);
    bool over = true;
    const Point origin = LinkPaneGlobalOrigin(pane);
    InputEvent tracked = event;
    while (tracked.WaitMouseStillDown()) {
        Point local{int16_t(tracked.point.v - origin.v), int16_t(tracked.point.h - origin.h)};
        over = LinkAtPoint(pane, rect, layout, local) == index;
        show(over);
    }
    // The release point decides, not the last move.
    Point local{int16_t(tracked.point.v - origin.v), int16_t(tracked.point.h - origin.h)};
    over = LinkAtPoint(pane, rect, layout, local) == index;
    show(false);
    if (over)
        (void)registry->OpenLink(link);
    return 1;
}

// --- making links --------------------------------------------------------------------------------------

LinkDialogRunner::~LinkDialogRunner() = default;

namespace {

class CommittingLinkDialog final : public LinkDialogRunner {
public:
    bool Run(LinkScanner& scanner, String& source, Pane&) override
    {
        LinkRegistry::ReplaceInSource(scanner, source);
        return true;
    }
};

// Control bytes removed, blanks trimmed.
void CleanLinkSelection(String& text)
{
    String clean;
    for (char c : text.View()) {
        if (uint8_t(c) >= 32)
            clean.AppendChar(c);
    }
    clean.Trim();
    text.Assign(clean);
}

}  // namespace

template <>
LinkDialogRunner& Service<LinkDialogRunner>::Headless()
{
    static CommittingLinkDialog dialog;
    return dialog;
}

int32_t MakeLinkFromSelection(Pane& pane, String& source, int32_t offset, int32_t length)
{
    const LinkRegistry* registry = pane.GetLinkRegistry();
    offset = std::clamp(offset, 0, source.Length());
    length = std::clamp(length, 0, source.Length() - offset);
    if (registry == nullptr || length == 0)
        return length;
    String selected;
    selected.AssignBytes(source.View().substr(size_t(offset), size_t(length)));
    CleanLinkSelection(selected);
    LinkScanner link;
    if (registry->ClassifyTarget(link, selected.CStr()) == LinkType::None) {
        std::optional<std::string> clipboard = GetClipboardText();
        if (clipboard && !clipboard->empty() && int32_t(clipboard->size()) < kClipboardTargetLimit &&
            clipboard->find('\r') == std::string::npos) {
            if (registry->ClassifyTarget(link, clipboard->c_str()) != LinkType::None)
                link.text.Assign(selected);
        }
    }
    if (link.type == LinkType::Registered && link.kind != nullptr) {
        (void)link.kind->Resolve(link.target, link.text);
        link.kind->Normalize(link.target, link.text);
    }
    if (link.text.IsEmpty())
        link.text.Assign(link.target.IsEmpty() ? selected : link.target);
    link.markupStart = offset;
    link.markupLength = length;
    if (!Service<LinkDialogRunner>::Get().Run(link, source, pane))
        return length;
    return link.markupLength;
}

}  // namespace vek
