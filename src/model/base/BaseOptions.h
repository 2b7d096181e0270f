// BaseOptions: the settings of a base that its "##BaseOptions" section stores.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "foundation/strings/OwnedText.h"

namespace vek {

class Base;
class DateExpression;

constexpr int32_t kValueFieldCount = 24;
constexpr int32_t kDefaultValueFormat = 2;
constexpr int32_t kMinDimensionCaptionWidth = 47;
constexpr int32_t kMaxDimensionCaptionWidth = 150;
constexpr int32_t kMinFieldCaptionWidth = 52;
constexpr int32_t kMaxFieldCaptionWidth = 150;

// The card-number digits, caption widths, captions, value formats and value-field names and the
// reference date of a base. The base keeps one and changes it through its setters, which post the
// changes; a checkpoint keeps a copy to put back. Captions are null when they are their default text.
struct BaseOptions {
    // The defaults, with a reference date of the base (side 1).
    explicit BaseOptions(Base* base);
    ~BaseOptions();
    BaseOptions(const BaseOptions&) = delete;
    BaseOptions& operator=(const BaseOptions&) = delete;

    // Every option of the other; false, with the texts partly copied, when memory runs short.
    [[nodiscard]] bool CopyFrom(const BaseOptions& other);

    int32_t cardNumberDigits = 3;
    int32_t dimensionCaptionWidth = kMinDimensionCaptionWidth;
    int32_t fieldCaptionWidth = kMinFieldCaptionWidth;
    OwnedText cardTextCaption;
    OwnedText lineTextCaption;
    std::array<int32_t, kValueFieldCount> valueFormats{};
    std::array<OwnedText, kValueFieldCount> valueFieldNames;
    std::unique_ptr<DateExpression> referenceDate;  // never null
};

}  // namespace vek
