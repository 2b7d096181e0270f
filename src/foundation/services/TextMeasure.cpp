// TextMeasure: the headless measure that serves until the drawing layer registers its own.
#include "foundation/services/TextMeasure.h"

#include "foundation/strings/Utf8.h"

namespace vek {

TextMeasure::~TextMeasure() = default;

FixedWidthTextMeasure::~FixedWidthTextMeasure() = default;

int32_t FixedWidthTextMeasure::MeasureTextWidth(std::string_view text)
{
    int32_t characters = 0;
    for (char c : text) {
        if (!Utf8IsContinuation(uint8_t(c)))
            ++characters;
    }
    return 6 * characters;
}

template <>
TextMeasure& Service<TextMeasure>::Headless()
{
    static FixedWidthTextMeasure measure;
    return measure;
}

}  // namespace vek
