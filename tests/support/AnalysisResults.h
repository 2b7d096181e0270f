// AnalysisResults: a host that records how a computation ended, and the result rows as text lines.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "analysis/AnalysisComputation.h"
#include "analysis/AnalysisHost.h"

namespace vek::test {

struct RecordingHost : AnalysisHost {
    void EndRun(AnalysisRunEnd e) override { end = e; }
    AnalysisRunEnd end = AnalysisRunEnd::Completed;
};

// The rows as vek-tool analyze prints them: tab-separated, texts as they are, numbers as %g.
struct CollectedRows : ResultRowReader {
    void Row(std::span<const ResultCell> cells) override
    {
        std::string line;
        for (const ResultCell& cell : cells) {
            if (!line.empty())
                line += '\t';
            if (cell.kind == ResultCell::Kind::Text) {
                line += cell.text;
            } else if (cell.kind == ResultCell::Kind::Number) {
                char buffer[64];
                std::snprintf(buffer, sizeof buffer, "%g", cell.number);
                line += buffer;
            }
        }
        rows.push_back(line);
    }
    std::vector<std::string> rows;
};

}  // namespace vek::test
