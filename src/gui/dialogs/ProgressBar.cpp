// ProgressBar: thresholds, polls and drawing.
#include "gui/dialogs/ProgressBar.h"

#include <algorithm>
#include <cmath>

#include "drawing/Theme.h"
#include "foundation/services/Clock.h"

namespace vek {

// Drawing and polling happen only when more time than this has passed since the last time.
constexpr int64_t kProgressIntervalMs = 30;
constexpr int64_t kProgressPollUnits = 512;

ProgressBar::ProgressBar(Pane& enclosure, const OriginSize& frame, int32_t id, bool visible)
    : Control(kKindCustomView, enclosure, frame, id)
{
    SetVisible(visible);
    FinishConstruction();
}

ProgressBar::~ProgressBar() { PrepareDestruction(); }

void ProgressBar::Draw() { DrawProgressTrack(bounds, pixels); }

void ProgressBar::Start(int64_t total)
{
    units = 0;
    pixels = 0;
    nextPoll = kProgressPollUnits;
    lastDraw = 0;
    lastPoll = 0;
    // The older bar divided the width by the total; a total of zero (an empty source) crashed there.
    if (total > 0) {
        pixelsPerUnit = double(bounds.Width()) / double(total);
        threshold = std::llround(1.0 / pixelsPerUnit);
    } else {
        pixelsPerUnit = 0;
        threshold = INT64_MAX;
    }
    if (!IsVisible())
        SetVisible(true);
    else
        Invalidate();
}

void ProgressBar::Advance(int64_t n)
{
    units += n;
    if (units >= threshold)
        Update();
    else if (units >= nextPoll)
        Poll();
}

void ProgressBar::Poll()
{
    nextPoll = units + kProgressPollUnits;
    // A running modal loop would be given a turn here; the action threads already serve input.
    lastPoll = CurrentTimeMs();
}

void ProgressBar::Update()
{
    Poll();
    const int32_t width = bounds.Width();
    pixels = int32_t(std::min<double>(std::llround(double(units) * pixelsPerUnit), width));
    // Rounding can put the next pixel's unit at the current one when a unit spans several pixels.
    threshold = std::max<int64_t>(std::llround(double(pixels + 1) / pixelsPerUnit), units + 1);
    const int64_t now = lastPoll;
    if (now - lastDraw > kProgressIntervalMs || pixels >= width) {
        lastDraw = now;
        DrawNow();
    }
}

void ProgressBar::Finish()
{
    pixels = bounds.Width();
    threshold = INT64_MAX;
    DrawNow();
}

void ProgressBar::DrawNow()
{
    if (IsVisible())
        InvalidateRect(bounds, kInvalidateNow);
}

}  // namespace vek
