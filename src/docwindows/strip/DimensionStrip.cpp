// DimensionStrip: the compact strip's lists, the items' rectangles and the strip's height.
#include "docwindows/strip/DimensionStrip.h"

#include <algorithm>

#include "model/base/Base.h"
#include "model/dimensions/Component.h"
#include "model/selections/Selection.h"

namespace vek {

namespace {

struct FieldRows {
    int32_t item;
    int32_t top;
};
// The date and text rows of the field column, each 12 pixels high.
constexpr FieldRows kFieldRows[] = {
    {kStripFromDateItem, 7}, {kStripToDateItem, 24}, {kStripCardTitleItem, 45}, {kStripLineTextItem, 62}, {kStripNotesItem, 79},
};
constexpr int32_t kFieldRowHeight = 12;
constexpr int32_t kCompactTop = 96;
constexpr int32_t kSubsetTop = 100;
constexpr int32_t kStripDimensionCount = static_cast<int32_t>(kDimensionCount);

}  // namespace

DimensionStrip::DimensionStrip(Base& forBase) : base(forBase) { SetShownCount(1); }

void DimensionStrip::Bind(const Selection* bound)
{
    selection = bound;
    RecomputeShownDimensions();
}

int32_t DimensionStrip::DimensionCount() const
{
    int32_t count = 1;
    for (int32_t d = 0; d < kStripDimensionCount; ++d) {
        if (base.IsDimensionInUse(d))
            count = d + 1;
    }
    return count;
}

bool DimensionStrip::CarriesCondition(int32_t d) const
{
    return selection != nullptr && d >= 0 && d < kStripDimensionCount && selection->Components().HasExpression(d);
}

void DimensionStrip::RecomputeShownDimensions()
{
    shown.clear();
    const int32_t count = DimensionCount();
    for (int32_t d = 0; d < count && static_cast<int32_t>(shown.size()) < kMaxCompactRows; ++d) {
        if (CarriesCondition(d))
            shown.push_back(d);
    }
    if (shown.empty())
        shown.push_back(0);
    SetShownCount(static_cast<int32_t>(shown.size()));
}

void DimensionStrip::SetShownCount(int32_t count)
{
    count = std::clamp(count, 1, kMaxCompactRows);
    shown.resize(static_cast<size_t>(count), 0);
    freeList.clear();
    const int32_t last = shown.back();
    for (int32_t d = 0; d < DimensionCount(); ++d) {
        if (d == last || std::find(shown.begin(), shown.end(), d) == shown.end())
            freeList.push_back(d);
    }
}

int32_t DimensionStrip::PositionOfShownDimension(int32_t d) const
{
    const auto at = std::find(shown.begin(), shown.end(), d);
    return at == shown.end() ? -1 : static_cast<int32_t>(at - shown.begin());
}

int32_t DimensionStrip::FreeListIndex(int32_t d) const
{
    const auto at = std::find(freeList.begin(), freeList.end(), d);
    return at == freeList.end() ? -1 : static_cast<int32_t>(at - freeList.begin());
}

StripChoice DimensionStrip::ChooseLastRowDimension(int32_t d)
{
    if (!CarriesCondition(shown.back())) {
        shown.back() = d;
        SetShownCount(ShownCount());
        return StripChoice::Replaced;
    }
    if (ShownCount() >= kMaxCompactRows || PositionOfShownDimension(d) >= 0)
        return StripChoice::Replaced;
    shown.push_back(d);
    SetShownCount(ShownCount());
    changed = true;
    return StripChoice::Appended;
}

Rect DimensionStrip::GetItemRect(int32_t item, int32_t fullStripRight) const
{
    const int32_t captionWidth = base.DimensionCaptionWidth();
    const int32_t fieldWidth = base.FieldCaptionWidth();
    const int32_t fieldLeft = captionWidth + fullStripRight + 18;
    const int32_t fieldRight = fieldLeft + fieldWidth;
    if (item >= 1 && item <= kStripDimensionCount)
        return MakeRect(5, kStripRowStep * item - 10, captionWidth + 5, kStripRowStep * item + 2);
    for (const FieldRows& row : kFieldRows) {
        if (row.item == item)
            return MakeRect(fieldLeft, row.top, fieldRight, row.top + kFieldRowHeight);
    }
    if (item >= kStripFirstCompactItem && item <= kStripLastCompactItem) {
        const int32_t position = PositionOfShownDimension(item - kStripFirstCompactItem);
        if (position < 0)
            return Rect{};
        const int32_t top = kCompactTop + kStripRowStep * position;
        return MakeRect(fieldLeft, top, fieldRight, top + kFieldRowHeight);
    }
    if (item == kStripSubsetItem) {
        const int32_t top = kStripRowStep * ShownCount() + kSubsetTop;
        return MakeRect(fieldLeft, top, fieldRight, top + kFieldRowHeight);
    }
    return Rect{};
}

int32_t DimensionStrip::GetStripHeight(int32_t wanted) const
{
    int32_t withComponents = 0;
    for (int32_t d = 0; d < kStripDimensionCount; ++d) {
        if (base.DimensionHasComponents(d))
            ++withComponents;
    }
    const int32_t rows = std::max(ShownCount(), DimensionCount() > 1 ? 2 : 0);
    return std::max({kStripRowStep * withComponents + 26, kStripRowStep * rows + 103, wanted});
}

}  // namespace vek
