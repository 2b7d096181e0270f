// Kept sections of a base file: taking them from a read and writing them back.
#include "files/KeptSections.h"

#include "foundation/strings/CString.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

bool KeptSections::Keeps(BaseFileSection section)
{
    switch (section) {
    case BaseFileSection::Subset:
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

KeptSection* KeptSections::FindSameObject(const KeptSection& section)
{
    for (KeptSection& kept : sections) {
        if (kept.section != section.section)
            continue;
        switch (section.section) {
        case BaseFileSection::Subset:
            if (CStrEqualNoCase(kept.name.c_str(), section.name.c_str()))
                return &kept;
            break;
        default:
            break;
        }
    }
    return nullptr;
}

void KeptSections::Merge(KeptSections&& read)
{
    for (KeptSection& section : read.sections) {
        if (KeptSection* same = FindSameObject(section))
            *same = std::move(section);
        else
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
