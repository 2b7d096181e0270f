// ProgressBar: the bar of a long operation inside a dialog, cheap enough to advance once per record.
#pragma once

#include <cstdint>

#include "gui/Control.h"

namespace vek {

// Filled in proportion to the units done of a total. Advance looks at the clock only when a pixel
// boundary or a poll mark (every 512 units) is passed, and the bar is drawn at most once per 31 ms
// (and when full), so a tight loop may call it for every record.
class ProgressBar final : public Control {
public:
    // The frame is {top, left, height, width}; a bar made invisible shows itself at Start.
    ProgressBar(Pane& enclosure, const OriginSize& frame, int32_t id, bool visible);
    ~ProgressBar() override;

    void Draw() override;

    // A total of zero or less shows an idle (empty) bar that no Advance fills: nothing is divided by it.
    void Start(int64_t total);
    void Advance(int64_t units);
    // Fills the bar and draws it.
    void Finish();

    int64_t Units() const { return units; }
    int32_t FilledPixels() const { return pixels; }
    int64_t Threshold() const { return threshold; }

private:
    void Update();
    void Poll();
    void DrawNow();

    int64_t units = 0;
    int32_t pixels = 0;
    double pixelsPerUnit = 0;
    int64_t threshold = INT64_MAX;
    int64_t nextPoll = 512;
    int64_t lastDraw = 0;
    int64_t lastPoll = 0;
};

}  // namespace vek
