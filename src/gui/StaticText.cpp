// StaticText: drawing a wrapped text, and following language and enabled-state changes.
#include "gui/StaticText.h"

#include "foundation/messages/LocalizedText.h"
#include "gui/DrawingRoutines.h"

namespace vek {

StaticText::StaticText(Pane& enclosure, const OriginSize& frame, bool finish)
    : Control(kKindStaticText, enclosure, frame, 0)
{
    if (finish)
        FinishConstruction();
}

StaticText::~StaticText() { PrepareDestruction(); }

CommandTarget* StaticText::Notify(int32_t code)
{
    CommandTarget* answer = Control::Notify(code);
    if (code == kNotifyEnabled) {
        Invalidate();
    } else if (code == kNotifyGlobalSetting && textId != 0) {
        SetTextById(textId);
    }
    return answer;
}

void StaticText::ParentChanged(int32_t code)
{
    Control::ParentChanged(code);
    if (code == kNotifyBackground) {
        if (Pane* outer = EnclosingPane())
            SetDrawingStyle(outer->BackColour());
        Invalidate();
    }
}

void StaticText::Resized(int32_t dw, int32_t dh)
{
    // Aligned or wrapped text moves as a whole when the rectangle changes, not only in the new strip.
    if (textStyle.flags & 0x3d00)
        InvalidateRegion(controlRegion, kInvalidateNoClip);
    Control::Resized(dw, dh);
}

void StaticText::Draw()
{
    if (!text.empty())
        DrawTextInRectEnabled(bounds, text.c_str(), IsEnabled());
}

void StaticText::SetTextById(int32_t number)
{
    const char* loaded = LoadText(number);
    text = loaded ? loaded : "";
    textId = number;
    Invalidate();
}

void StaticText::SetTextString(const char* characters)
{
    text = characters ? characters : "";
    textId = 0;
    Invalidate();
}

}  // namespace vek
