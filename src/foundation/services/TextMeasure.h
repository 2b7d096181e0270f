// TextMeasure: the drawn width of a text, as the model needs it for column and caption widths.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/services/Service.h"

namespace vek {

// The drawn width of UTF-8 text in the current font, in pixels. The drawing layer registers the real
// measure at start-up; without it the headless measure answers 6 pixels a character.
class TextMeasure {
public:
    virtual ~TextMeasure();
    virtual int32_t MeasureTextWidth(std::string_view text) = 0;
};

// 6 pixels a character (continuation bytes do not count).
class FixedWidthTextMeasure final : public TextMeasure {
public:
    ~FixedWidthTextMeasure() override;
    int32_t MeasureTextWidth(std::string_view text) override;
};

template <>
TextMeasure& Service<TextMeasure>::Headless();

// MeasureTextWidth of the current measure.
inline int32_t MeasureTextWidth(std::string_view text) { return Service<TextMeasure>::Get().MeasureTextWidth(text); }

}  // namespace vek
