// ColumnHeader: the column's place in its window's list, its width and its title.
#include "docwindows/table/ColumnHeader.h"

#include <algorithm>

#include "docwindows/table/TableWindow.h"
#include "foundation/messages/LocalizedText.h"

namespace vek {

ColumnHeader::ColumnHeader(TableWindow& owner, int32_t textId, int32_t width) : window(owner), titleId(textId)
{
    right = std::max(width, kMinimumColumnWidth);
    window.AppendColumn(*this);
}

ColumnHeader::~ColumnHeader() { window.RemoveColumn(*this); }

void ColumnHeader::SetWidth(int32_t width)
{
    const int32_t newRight = left + std::max(width, kMinimumColumnWidth);
    const int32_t delta = newRight - right;
    if (delta == 0)
        return;
    right = newRight;
    window.ShiftColumnsAfter(*this, delta);
}

void ColumnHeader::SetTitleId(int32_t textId)
{
    titleId = textId;
    ownTitle = false;
    title.clear();
}

void ColumnHeader::SetTitle(const std::string& text)
{
    title = text;
    ownTitle = true;
}

const char* ColumnHeader::Title() const
{
    if (ownTitle)
        return title.c_str();
    const char* loaded = titleId != 0 ? LoadText(titleId) : nullptr;
    return loaded != nullptr ? loaded : "";
}

}  // namespace vek
