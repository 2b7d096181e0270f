// BusyIndicator: the animation of a document window that spans the expected work of a computation.
#pragma once

#include <cstdint>

#include "gui/Control.h"

namespace vek {

// Icon frames 5828..5852: 8 single steps up to frame 5835, then 17 doubled ones, 42 steps in all, so
// the last frame comes when the work added with AddWork is done. Idle it shows 5827. Frames are drawn
// at most once per 31 ms unless three were skipped, and always the last one.
class BusyIndicator final : public Control {
public:
    static constexpr int32_t kIdleIcon = 5827;
    static constexpr int32_t kFirstFrame = 5828;
    static constexpr int32_t kDoublingFrame = 5835;
    static constexpr int32_t kLastFrame = 5852;

    BusyIndicator(Pane& enclosure, const OriginSize& frame, int32_t id);
    ~BusyIndicator() override;

    void Draw() override;

    void Start();
    void AddWork(int64_t units);
    void DoubleStep();
    void Tick();
    void Stop();
    void Reset();

    int32_t Icon() const { return icon; }
    int64_t Step() const { return step; }
    int64_t Countdown() const { return countdown; }

private:
    void NextFrame();
    void DrawFrameNow();

    int32_t icon = kIdleIcon;
    int64_t total = 0;
    int64_t countdown = 0;
    int64_t step = 0;
    int64_t lastDraw = 0;
    int32_t skipped = 0;
};

}  // namespace vek
