// StaticText: a control that shows one wrapped text and takes neither the focus nor clicks.
#pragma once

#include <cstdint>
#include <string>

#include "gui/Control.h"

namespace vek {

// One text, wrapped in the control's rectangle, grey while disabled. A text set by number follows
// language changes; a text set as characters stays as it was given. No text draws nothing.
class StaticText : public Control {
public:
    // The frame is {top, left, height, width} in the enclosure's coordinates; with finish the
    // construction is completed at once.
    StaticText(Pane& enclosure, const OriginSize& frame, bool finish);
    ~StaticText() override;

    CommandTarget* Notify(int32_t code) override;
    void ParentChanged(int32_t code) override;
    void Resized(int32_t dw, int32_t dh) override;
    void Draw() override;

    // Each setter redraws the control.
    void SetTextById(int32_t textId);
    void SetTextString(const char* text);  // copied; null or empty is no text
    const std::string& Text() const { return text; }

private:
    std::string text;
    int32_t textId = 0;
};

}  // namespace vek
