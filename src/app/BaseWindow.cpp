// BaseWindow: an open base's name, modified mark and counts in a window of its own.
#include "app/BaseWindow.h"

#include <algorithm>
#include <string>

#include "drawing/TextLayout.h"
#include "foundation/numbers/CardKey.h"
#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/StaticText.h"
#include "model/base/Base.h"
#include "model/cards/Card.h"

namespace vek {

namespace {

constexpr int32_t kBaseWindowLineHeight = 18;
constexpr int32_t kBaseWindowWidth = 360;

std::vector<std::string> BaseSummaryLines(Base& base)
{
    std::vector<std::string> lines;
    for (int32_t d = 0; d < int32_t(kDimensionCount); ++d) {
        if (!base.IsDimensionInUse(d))
            continue;
        String name;
        base.DimensionPluralName(d, name);
        lines.push_back(std::string(name.View()) + ": " + std::to_string(base.CountComponents(d)));
    }
    lines.push_back("Cards: " + std::to_string(base.CardCount()));
    lines.push_back("Lines: " + std::to_string(base.LineCount()));
    return lines;
}

bool IsBaseStillOpen(const Base& wanted)
{
    for (Base* base = Base::FirstBase(); base; base = base->NextBase())
        if (base == &wanted)
            return true;
    return false;
}

int32_t BaseWindowHeight(Base& base) { return 16 + kBaseWindowLineHeight * int32_t(BaseSummaryLines(base).size()); }

}  // namespace

BaseWindow::BaseWindow(Base& shown)
    : Window(1, OriginSize{0, 0, int16_t(BaseWindowHeight(shown)), kBaseWindowWidth}, 0, nullptr, false), base(shown)
{
    const std::vector<std::string> texts = BaseSummaryLines(base);
    int32_t top = 8;
    for (const std::string& text : texts) {
        auto* line = new StaticText(*this, OriginSize{int16_t(top), 12, kBaseWindowLineHeight, kBaseWindowWidth - 24}, true);
        line->SetTextString(text.c_str());
        lines.push_back(line);
        top += kBaseWindowLineHeight;
    }
    FinishConstruction();
    Refresh();
}

BaseWindow::~BaseWindow() { PrepareDestruction(); }

CommandTarget* BaseWindow::Notify(int32_t code)
{
    if (code == kNotifyTick)
        SetModifiedMark(IsBaseStillOpen(base) && base.IsModified());
    // The front window's base is the one the menus show.
    if (code == kNotifyActivation && IsActive() && IsBaseStillOpen(base) && Base::CurrentBase() != &base)
        Base::SetCurrentBase(&base);
    return Window::Notify(code);
}

BaseWindow* BaseWindow::Find(const Base& wanted)
{
    Application* application = Application::Get();
    if (!application)
        return nullptr;
    for (Pane* pane = application->FirstChild(); pane; pane = pane->Next())
        if (auto* window = dynamic_cast<BaseWindow*>(pane); window && &window->base == &wanted)
            return window;
    return nullptr;
}

void BaseWindow::PrintPhase(PrintJob& job)
{
    switch (job.phase) {
    case PrintPhase::Preparing: break;
    case PrintPhase::LaidOut: {
        printedLines.clear();
        if (!IsBaseStillOpen(base))
            return;
        printedLines.push_back(Title());
        printedLines.push_back(std::string());
        for (const std::string& line : BaseSummaryLines(base))
            printedLines.push_back(line);
        printedLines.push_back(std::string());
        char key[32];
        for (Card* card = base.FirstCard(); card != base.ChainEnd(); card = base.NextCard(card)) {
            CardKey cardKey;
            base.GetCardKey(card, cardKey);
            FormatCardKey(key, cardKey, 6);
            printedLines.push_back(std::string(key) + "  " + (card->title ? card->title : ""));
        }
        linesPerPage = std::max<int32_t>(1, job.pageRect.Height() / kBaseWindowLineHeight);
        job.pageCount = (int32_t(printedLines.size()) + linesPerPage - 1) / linesPerPage;
        break;
    }
    case PrintPhase::DrawingPage: {
        const size_t first = size_t(job.currentPage - 1) * size_t(linesPerPage);
        int32_t top = job.pageRect.top;
        for (size_t i = first; i < printedLines.size() && i < first + size_t(linesPerPage); ++i) {
            const Rect line{ClampCoordinate(top), job.pageRect.left, ClampCoordinate(top + kBaseWindowLineHeight),
                            job.pageRect.right};
            DrawTextInRect(line, printedLines[i]);
            top += kBaseWindowLineHeight;
        }
        break;
    }
    case PrintPhase::Finished: printedLines.clear(); break;
    }
}

void BaseWindow::Refresh()
{
    String name;
    base.Path().GetDisplayFileName(name);
    SetTitle(name.CStr());
    SetModifiedMark(base.IsModified());
}

}  // namespace vek
