#pragma once

#include <string>
#include <string_view>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek::test {

// Runs `readSection` for every line whose first field is `marker`, the way the base-file reader
// dispatches sections: the section reader is called with the marker line current and its field
// cursor after the marker, and the line at which it stopped is looked at again.
template <typename ReadSection>
void DispatchSections(TextReader& reader, std::string_view marker, ReadSection&& readSection)
{
    bool haveLine = reader.ReadLine();
    while (haveLine) {
        if (reader.NextField() && std::string_view(reader.Token(), size_t(reader.TokenLength())) == marker) {
            readSection(reader);
            if (reader.LineStart() != nullptr)
                continue;
        }
        haveLine = reader.ReadLine();
    }
}

inline std::string Written(const TextWriter& writer)
{
    return std::string(writer.BufferedBytes());
}

}  // namespace vek::test
