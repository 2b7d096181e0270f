// BaseWindow: an open base's name, modified mark and counts in a window of its own.
#include "app/BaseWindow.h"

#include <string>

#include "foundation/strings/String.h"
#include "gui/Application.h"
#include "gui/StaticText.h"
#include "model/base/Base.h"

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

void BaseWindow::Refresh()
{
    String name;
    base.Path().GetDisplayFileName(name);
    SetTitle(name.CStr());
    SetModifiedMark(base.IsModified());
}

}  // namespace vek
