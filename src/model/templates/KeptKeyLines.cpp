// KeptKeyLines: key lines kept as they stand.
#include "model/templates/KeptKeyLines.h"

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

void KeptKeyLines::Keep(const TextReader& reader)
{
    lines.emplace_back(reader.LineStart(), size_t(reader.LineLength()));
}

void KeptKeyLines::Write(TextWriter& writer) const
{
    for (const std::string& line : lines) {
        writer.PutTextBytes(line.data(), int32_t(line.size()));
        writer.EndRow();
    }
}

}  // namespace vek
