// BusyIndicator: the frame steps and their drawing.
#include "gui/dialogs/BusyIndicator.h"

#include "drawing/Icons.h"
#include "foundation/services/Clock.h"
#include "gui/Window.h"

namespace vek {

constexpr int64_t kBusyIntervalMs = 30;
constexpr int32_t kBusyStepsInAll = 42;
constexpr int32_t kBusyMostSkipped = 3;

BusyIndicator::BusyIndicator(Pane& enclosure, const OriginSize& frame, int32_t id)
    : Control(kKindCustomView, enclosure, frame, id)
{
    FinishConstruction();
}

BusyIndicator::~BusyIndicator() { PrepareDestruction(); }

void BusyIndicator::Draw() { DrawPicture(bounds, icon); }

void BusyIndicator::Reset()
{
    icon = kIdleIcon;
    Invalidate();
}

void BusyIndicator::Start()
{
    if (auto* enclosure = dynamic_cast<Pane*>(Enclosure()); enclosure && enclosure != GetWindow())
        enclosure->Invalidate();
    icon = kFirstFrame;
    total = 0;
    countdown = 0;
    step = 0;
    skipped = 0;
    lastDraw = CurrentTimeMs();
    DrawFrameNow();
}

void BusyIndicator::AddWork(int64_t units)
{
    total += units;
    step = countdown = total / kBusyStepsInAll;
}

void BusyIndicator::DoubleStep()
{
    step *= 2;
    countdown *= 2;
}

void BusyIndicator::Tick()
{
    if (--countdown < 0)
        NextFrame();
}

void BusyIndicator::NextFrame()
{
    countdown = step;
    if (icon == kDoublingFrame)
        step *= 2;
    if (icon >= kLastFrame || icon < kFirstFrame)
        return;
    ++icon;
    const int64_t now = CurrentTimeMs();
    if (now - lastDraw > kBusyIntervalMs || skipped >= kBusyMostSkipped || icon == kLastFrame) {
        lastDraw = now;
        skipped = 0;
        DrawFrameNow();
    } else {
        ++skipped;
    }
}

void BusyIndicator::Stop()
{
    icon = kLastFrame;
    DrawFrameNow();
}

void BusyIndicator::DrawFrameNow()
{
    if (GetWindow() && GetWindow()->IsVisible() && IsVisible())
        InvalidateRect(bounds, kInvalidateNow);
}

}  // namespace vek
