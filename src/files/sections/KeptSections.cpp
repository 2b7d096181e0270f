// Kept sections of a base file: taking them from a read and writing them back.
#include "files/sections/KeptSections.h"

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

bool KeptSections::Keeps(BaseFileSection section)
{
    switch (section) {
    case BaseFileSection::Commands:
        return true;
    default:
        return false;
    }
}

bool KeptSections::Has(BaseFileSection section) const
{
    for (const KeptSection& kept : sections) {
        if (kept.section == section)
            return true;
    }
    return false;
}

void KeptSections::Merge(KeptSections&& read)
{
    for (KeptSection& section : read.sections) {
        sections.push_back(std::move(section));
    }
    read.sections.clear();
}

void KeptSections::WriteLines(TextWriter& writer, const KeptSection& section)
{
    for (const std::string& line : section.lines) {
        writer.PutTextBytes(line.data(), int32_t(line.size()));
        writer.EndRow();
    }
}

void KeptSections::Write(TextWriter& writer, BaseFileSection section) const
{
    for (const KeptSection& kept : sections) {
        if (IsErrorPending())
            return;
        if (kept.section == section)
            WriteLines(writer, kept);
    }
}

}  // namespace vek
