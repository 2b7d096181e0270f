// DrawingServices: registering the real text measure and preparing the drawing state at start-up.
#include "drawing/DrawingServices.h"

#include "foundation/services/TextMeasure.h"
#include "drawing/DrawingState.h"
#include "drawing/Fonts.h"
#include "drawing/TextLayout.h"

namespace vek {

namespace {

// The width in the current text style, as drawn.
class DrawnTextMeasure final : public TextMeasure {
public:
    ~DrawnTextMeasure() override;
    int32_t MeasureTextWidth(std::string_view text) override
    {
        if (text.size() > size_t(INT32_MAX))
            text = text.substr(0, size_t(INT32_MAX));
        return vek::MeasureTextWidth(text.data(), int32_t(text.size()));
    }
};

DrawnTextMeasure::~DrawnTextMeasure() = default;

}  // namespace

void RegisterDrawingServices()
{
    static DrawnTextMeasure measure;
    LoadPatterns();
    UpdateHighlightColors(ThemeHighlightColor());
    InitFonts();
    Service<TextMeasure>::Register(&measure);
}

}  // namespace vek
