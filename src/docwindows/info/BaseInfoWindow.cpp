// BaseInfoWindow: the stale marks, the recomputation and the drawing of the figures.
#include "docwindows/info/BaseInfoWindow.h"

#include <string>

#include "docwindows/info/BaseInfoText.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/TextIds.h"
#include "foundation/services/Clipboard.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/DrawingRoutines.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "model/base/Base.h"

namespace vek {

namespace {

constexpr OriginSize kBaseInfoFrame{0, 0, 380, 520};
// Which changes make which figures stale.
constexpr int32_t kStaleCards = 1;
constexpr int32_t kStaleNamedObjects = 2;
constexpr int32_t kStaleWindows = 4;
constexpr int32_t kStaleAll = 7;
constexpr int32_t kChangeBaseInfoRebuild = 7;

Rect BaseInfoRect(int32_t left, int32_t top, int32_t width)
{
    return Rect{int16_t(top), int16_t(left), int16_t(top + 14), int16_t(left + width)};
}

// A label at the left of a pane row and its value right of it.
void DrawBaseInfoRow(int32_t left, int32_t top, int32_t label, const std::string& value)
{
    DrawTextById(BaseInfoRect(left, top, 130), label);
    DrawTextInBox(BaseInfoRect(left + 132, top, 76), value.c_str());
}

std::string BaseInfoNumber(int64_t count)
{
    return count == 0 ? std::string("-") : std::to_string(count);
}

}  // namespace

BaseInfoWindow::BaseInfoWindow(Base& base, int32_t flags)
    : DocumentWindow(DocumentKind::BaseInfo, kBaseInfoFrame, &base, flags)
{
    SetTitle(LoadText(text::kBaseInfoTitle));
    FinishConstruction();
}

BaseInfoWindow::~BaseInfoWindow()
{
    PrepareDestruction();
    if (Base* base = GetBase(); base != nullptr && !baseClosing)
        base->ForgetInfoWindow(this);
}

void BaseInfoWindow::Activate(int32_t)
{
    if (IsVisible())
        DocumentWindow::Activate();
}

const BaseInfoFigures& BaseInfoWindow::Figures()
{
    if (dirty != 0 && GetBase() != nullptr && !baseClosing) {
        figures = BaseInfoFigures::Compute(*GetBase());
        dirty = 0;
    }
    return figures;
}

CommandTarget* BaseInfoWindow::Notify(int32_t code)
{
    CommandTarget* answer = DocumentWindow::Notify(code);
    if (code == kNotifyTick && dirty != 0 && IsVisible() && !baseClosing) {
        (void)Figures();
        Invalidate();
    }
    return answer;
}

CommandTarget* BaseInfoWindow::Query(void* request)
{
    CommandTarget* answer = DocumentWindow::Query(request);
    const auto* notification = static_cast<const ChangeNotification*>(request);
    if (notification == nullptr)
        return answer;
    switch (notification->record.code) {
    case kChangeComponents:
    case kChangeComponentsDeleted:
    case kChangeCardContents:
    case kChangeCards: dirty |= kStaleCards; break;
    case kChangeNamedObject: dirty |= kStaleNamedObjects; break;
    case kChangeWindowOpened:
    case kChangeWindowCalculated:
    case kChangeWindowClosing: dirty |= kStaleWindows; break;
    case kChangeBaseInfoRebuild:
    case kChangePluralName:
    case kChangeDimensionsInUse: dirty = kStaleAll; break;
    case kChangeBaseClosing:
        // The base is going: it forgets the window now, and the window goes with it.
        if (!baseClosing && GetBase() != nullptr)
            GetBase()->ForgetInfoWindow(this);
        baseClosing = true;
        (void)DeferClose(*this, CloseMode::WindowsOnly);
        break;
    default: break;
    }
    return answer;
}

void BaseInfoWindow::UpdateMenus()
{
    DocumentWindow::UpdateMenus();
    if (MenuItem* copy = FindMenuItemByCommand(kCommandCopy))
        copy->SetEnabled(!baseClosing);
}

int32_t BaseInfoWindow::DoCommand(MenuItem& item)
{
    if (item.Command() != kCommandCopy || baseClosing || GetBase() == nullptr)
        return DocumentWindow::DoCommand(item);
    const BaseInfoFigures& shown = Figures();
    ClipboardWriter clipboard;
    WriteBaseInfoText(clipboard, *GetBase(), shown);
    return 1;
}

void BaseInfoWindow::Draw()
{
    DocumentWindow::Draw();
    if (baseClosing)
        return;
    const BaseInfoFigures& shown = Figures();
    String size;
    // The file pane.
    FormatByteSize(size, shown.memoryUse);
    DrawBaseInfoRow(15, 24, text::kBaseInfoMemoryUse, size.CStr());
    FormatByteSize(size, shown.fileSize);
    DrawBaseInfoRow(15, 39, text::kBaseInfoFileSizeShort, size.CStr());
    // The card pane.
    DrawTextById(BaseInfoRect(15, 70, 208), text::kBaseInfoCardsHeading);
    const struct {
        int32_t label;
        int32_t count;
    } cardRows[] = {{text::kBaseInfoCards, shown.cards},
                    {text::kBaseInfoLines, shown.lines},
                    {text::kBaseInfoCardsWithText, shown.cardsWithText},
                    {text::kBaseInfoCardsWithNotes, shown.cardsWithNotes}};
    int32_t top = 85;
    for (const auto& row : cardRows) {
        DrawBaseInfoRow(15, top, row.label, BaseInfoNumber(row.count));
        top += 15;
    }
    DrawBaseInfoRow(15, top, text::kBaseInfoFirstCard, shown.firstCardKey);
    DrawBaseInfoRow(15, top + 15, text::kBaseInfoLastCard, shown.lastCardKey);
    // The dimension pane: a row per dimension up to the highest with components, then the totals.
    DrawTextById(BaseInfoRect(245, 9, 120), text::kBaseInfoDimensionsHeading);
    DrawTextById(BaseInfoRect(375, 9, 60), text::kBaseInfoUsedColumn);
    DrawTextById(BaseInfoRect(437, 9, 60), text::kBaseInfoComponentsColumn);
    top = 24;
    String name;
    auto dimensionRow = [&](const char* label, const BaseInfoDimensionFigures& counts) {
        DrawTextInBox(BaseInfoRect(245, top, 128), label);
        DrawTextInBox(BaseInfoRect(375, top, 60), BaseInfoNumber(counts.used).c_str());
        DrawTextInBox(BaseInfoRect(437, top, 60), BaseInfoNumber(counts.components).c_str());
        top += 15;
    };
    for (int32_t d = 0; d <= shown.highestWithComponents && GetBase() != nullptr; ++d) {
        GetBase()->DimensionPluralName(d, name);
        dimensionRow(name.CStr(), shown.dimensions[size_t(d)]);
    }
    dimensionRow(LoadText(text::kBaseInfoTotal), shown.dimensions[kBaseInfoTotal]);
}

}  // namespace vek
