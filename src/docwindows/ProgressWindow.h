// ProgressWindow: the small window of a long file operation on a base, with its bar and time left.
#pragma once

#include <cstdint>
#include <string>

#include "docwindows/ProgressEstimate.h"
#include "gui/Window.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"

namespace vek {

class Base;
class StaticText;

// Kinds of progress window: the two reading kinds show the time left and the Stop and Cancel buttons.
enum class ProgressKind : int32_t {
    Reading = 0,
    Importing = 1,
    Writing = 3,
    Releasing = 5,  // releasing card texts (the model's kind 5)
};

// The window of one long operation on a base. Made hidden; shown by SetBar only when the operation
// has lasted more than 250 ms, is not nearly done, and a display can show it (never headless). While
// any progress window exists the application refuses to quit. Every open progress window is in one
// list, newest first; a new one is placed 16 right of and 12 below the newest.
//
// It is also the model's progress display (ProgressDisplay): steps by text number, totals and counts.
class ProgressWindow final : public Window, public ProgressDisplay {
public:
    ProgressWindow(ProgressKind kind, Base* base, const FilePath& file);
    ~ProgressWindow() override;

    CommandTarget* ControlCommand(Control& control) override;
    void UpdateMenus() override;
    void Draw() override;

    // A new run: `total` units; more samples for a steadier time estimate.
    void Start(int64_t total, bool moreSamples);
    // A report of the units done: one within 200 ms of the last recorded report is passed over,
    // unless the total is reached.
    void Report(int64_t done);
    // The pacing, the time left and the bar for `done` at `now` (milliseconds).
    void Advance(int64_t done, int64_t now);
    void SetBar(int32_t pixels, int64_t now);

    // ProgressDisplay.
    void SetStep(int32_t textNumber) override;
    void SetTotal(int64_t total) override;
    void SetCount(int64_t count) override;

    ProgressKind OperationKind() const { return kind; }
    Base* GetBase() const { return base; }
    const ProgressEstimate& Estimate() const { return estimate; }
    const std::string& Caption() const { return caption; }
    const std::string& TimeLeftText() const { return timeLeftText; }
    // Cancel (701) was pressed: the operation is to drop what it read.
    bool DiscardRequested() const { return discardRequested; }

    // The open progress windows, newest first.
    static ProgressWindow* First();
    ProgressWindow* NextWindow() const { return next; }
    static bool AnyOpen() { return First() != nullptr; }

    // Whether progress windows show themselves at all (on by default).
    static void SetShowProgress(bool show);
    static bool ShowProgress();

    // Button ids.
    static constexpr int32_t kStopButton = 704;
    static constexpr int32_t kCancelButton = 701;

private:
    bool HasTimeLeft() const { return kind == ProgressKind::Reading || kind == ProgressKind::Importing; }
    void ShowTimeLeft(int32_t seconds);

    ProgressKind kind;
    Base* base;
    FilePath file;
    ProgressWindow* next = nullptr;
    ProgressEstimate estimate;
    int64_t lastReport = 0;
    int32_t step = -1;
    std::string caption;
    std::string timeLeftText;
    int32_t shownTimeSeconds = -1;
    StaticText* captionText = nullptr;
    StaticText* timeText = nullptr;
    bool discardRequested = false;
    bool editMenuWasEnabled = true;
};

// The model's progress display for a base: a progress window of the kind (an application exists),
// else the display that shows nothing.
std::unique_ptr<ProgressDisplay> OpenProgressWindow(int32_t kind, Base* base);

}  // namespace vek
