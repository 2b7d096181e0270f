// AnalysisHost and AnalysisSelection: what an analysis computation asks of the window that runs it.
#pragma once

#include <cstdint>

#include "text/SortDirection.h"

namespace vek {

class Base;
struct Card;
struct CardGroup;
struct CardLine;

// How a run ended, as the window is told at its end. Every outcome but Completed marks the result
// out of date.
enum class AnalysisRunEnd : int32_t {
    Completed,
    Failed,      // the selection refused to be prepared
    Cancelled,   // the cancel flag stopped the walk; the rows so far are kept
    Incomplete,  // memory ran short; the rows so far are kept and message 3951 is pending
};

// The window side of a computation. The analysis windows implement it; the defaults are those of a
// run without a window (the tool, the tests, the web pages): no progress shown, the process-wide
// cancel flag, plain texts compared without regard to case.
class AnalysisHost {
public:
    virtual ~AnalysisHost();

    virtual void StartProgress(int32_t total);
    virtual void StepProgress();
    virtual void EndProgress();
    // Tested before each card; the default is the pending error's flag.
    virtual bool CancelRequested() const;
    // The run's end; a window marks its result out of date for every outcome but Completed.
    virtual void EndRun(AnalysisRunEnd end);
    // The run dropped sort keys that added nothing: the sort marks and the sort panel are rebuilt.
    virtual void SortKeysChanged();
    // -1, 0 or 1 comparing two components by the display form of an item display (2 code, 3 text,
    // 4 host). The default compares the texts without regard to case, a missing text last.
    virtual int32_t CompareRowValues(const Base& base, uint32_t a, uint32_t b, int32_t itemDisplay) const;
    // -1, 0 or 1 comparing two texts in their display form in a direction; an empty text sorts last
    // in both directions.
    virtual int32_t CompareDisplayTexts(const char* a, const char* b, SortDirection direction) const;
};

// What a computation asks of its selection: the compiled selection of the window's template.
class AnalysisSelection {
public:
    virtual ~AnalysisSelection();

    // False when the selection refuses (the user stopped, a check failed); the run then fails.
    [[nodiscard]] virtual bool Prepare() = 0;
    virtual bool MatchesCard(const Card* card) const = 0;
    // Whether the group's key is in the selection's group set.
    virtual bool AdmitsGroup(const CardGroup* group) const = 0;
    virtual bool MatchesLine(const CardLine* line) const = 0;
    // True only when MatchesLine accepts every line, so that a walk over millions of lines skips the
    // test per line; a selection that cannot tell says false.
    virtual bool MatchesEveryLine() const { return false; }
};

// The selection that admits every card, group and line: a template without selection texts.
class AdmitAllSelection final : public AnalysisSelection {
public:
    ~AdmitAllSelection() override;
    bool Prepare() override { return true; }
    bool MatchesCard(const Card*) const override { return true; }
    bool AdmitsGroup(const CardGroup*) const override { return true; }
    bool MatchesLine(const CardLine*) const override { return true; }
    bool MatchesEveryLine() const override { return true; }
};

}  // namespace vek
