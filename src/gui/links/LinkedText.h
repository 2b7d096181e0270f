// LinkedText: texts with links drawn, hit, tracked and made in panes, through the pane's LinkRegistry.
#pragma once

#include <cstdint>
#include <vector>

#include "drawing/Geometry.h"
#include "drawing/TextLayout.h"
#include "foundation/services/Service.h"
#include "foundation/strings/String.h"
#include "text/LinkRegistry.h"

namespace vek {

class Pane;
struct InputEvent;

// Colour indexes of link text: as shown, and while pressed; the face bit that marks the hovered link.
constexpr int32_t kLinkTextColor = 21;
constexpr int32_t kPressedLinkColor = 15;
constexpr uint16_t kHoveredLinkFace = kFaceUnderline;
// The cursor over a link.
constexpr int32_t kLinkCursor = 50;

// Which link of a drawn text is under the pointer (an index among its links, -1 for none) and how
// that link looks. The pane that draws the text keeps one and hands it to DrawLinkedText.
enum class LinkLook { Normal, Hovered, Pressed };
struct LinkHighlight {
    int32_t link = -1;
    LinkLook look = LinkLook::Normal;
    friend bool operator==(const LinkHighlight&, const LinkHighlight&) = default;
};

// A text's display form with its links, laid out as the pane draws it.
struct LinkedTextLayout {
    String display;
    std::vector<LinkTextSpan> links;
    // The style runs of the display form: plain text in the pane's colour and face, link text in
    // kLinkTextColor, the highlighted link pressed or underlined.
    std::vector<StyleRun> Runs(const Pane& pane, const LinkHighlight& highlight) const;
    // The link whose text holds the display offset, or -1.
    int32_t LinkAtOffset(int32_t offset) const;
};

// Fills the layout; false when the pane has no registry or the text no links (the layout then holds
// the text itself and no links).
bool LayOutLinkedText(const Pane& pane, const char* text, LinkedTextLayout& out);

// Draws the text in the rectangle in the current drawing (the pane's Draw): its display form with the
// link styles when it has links, else plainly.
void DrawLinkedText(const Pane& pane, const Rect& rect, const char* text, const LinkHighlight& highlight = {});

// The link under the point (pane coordinates) of the drawn text: the character under the point is
// taken, a point beside the text hits nothing. -1 for none.
int32_t LinkAtPoint(const Pane& pane, const Rect& rect, const LinkedTextLayout& layout, Point point);

// Hover: marks the link under the event's point as hovered in `hovered`, redraws the rectangle at once
// when that changed, and sets kLinkCursor while over a link. Answers whether the point is over a link.
bool FindLinkAt(Pane& pane, const Rect& rect, const char* text, const InputEvent& event, LinkHighlight& hovered);

// A click on the drawn text. Answers 0 unless the point is on a link. A plain click tracks the mouse
// while the button is down, the link drawn pressed while the pointer is over it (through `highlight`,
// which the pane's Draw must use), and opens the link when released over it. A context click or a
// click with a modifier runs the link's context menu (kind kLinkMenuKind, LinkMenu.h) on the pane,
// with the editing commands only when `editableSource` (the text's source) is given.
int32_t TrackLinkClick(Pane& pane, const Rect& rect, const char* text, InputEvent& event, LinkHighlight& highlight,
                       String* editableSource);

// The link dialog that edits one link of a source text: on OK it rebuilds the link's markup in the
// source (LinkRegistry::ReplaceInSource) and answers true; on Cancel it changes nothing. The dialog
// window registers itself; without it the link is committed as it was handed over, as an OK without
// edits would.
class LinkDialogRunner {
public:
    virtual ~LinkDialogRunner();
    virtual bool Run(LinkScanner& scanner, String& source, Pane& pane) = 0;
};
template <>
LinkDialogRunner& Service<LinkDialogRunner>::Headless();

// Clipboard texts at least this long (or with a line break) are never taken as a link target.
constexpr int32_t kClipboardTargetLimit = 500;

// Turns the selected bytes [offset, offset + length) of an editable source into a link: the selection
// (control bytes removed, blanks trimmed) is classified as a target; when it is none, a short
// one-line clipboard text is, and the selection becomes the link text. A registered kind refreshes
// the link, an empty link text becomes the target, and the link dialog runs on it. Answers the length
// of the link's markup in the source afterwards (the selection's length when the dialog was cancelled).
int32_t MakeLinkFromSelection(Pane& pane, String& source, int32_t offset, int32_t length);

}  // namespace vek
