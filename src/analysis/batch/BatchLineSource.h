// BatchLineSource: the window or computation whose shown card lines a batch operation takes.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/AnalysisComputation.h"

namespace vek {

// What the aggregation and the transformation ask of their source (an analysis window's
// SummarizeCards and ChangeCards hooks, or a computation run without a window).
class BatchLineSource {
public:
    virtual ~BatchLineSource();
    // Gives every shown line, card by card in key order, until the reader stops; false then.
    virtual bool ReadLines(ShownLineReader& reader) = 0;
    // The name the operation log gives the source.
    virtual const char* Name() const = 0;
};

// The lines of the last result of a computation.
class ComputationLineSource final : public BatchLineSource {
public:
    ComputationLineSource(const AnalysisComputation& computation, const char* name)
        : computation(computation), name(name ? name : "")
    {
    }
    ~ComputationLineSource() override;
    bool ReadLines(ShownLineReader& reader) override { return computation.ReadShownLines(reader); }
    const char* Name() const override { return name.c_str(); }

private:
    const AnalysisComputation& computation;
    std::string name;
};

}  // namespace vek
