// The sections of a base file that this version reads but builds no objects from yet, kept line for
// line so that a base opened and saved loses none of them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "files/format/BaseFileFormat.h"

namespace vek {

class TextWriter;

// One kept section: its marker line first, then every line up to the next section marker, as the
// reader gave them (UTF-8, without line ends; empty lines included).
struct KeptSection {
    BaseFileSection section = BaseFileSection::End;
    // The object's name for named sections (trimmed; compared without case).
    std::string name;
    std::vector<std::string> lines;
};

// The commands ("##Commands") of a base, until the code that reads them into their objects exists.
// The files layer's record of the base owns them (BaseFileRecord); the section
// writer puts each back in its place in the section order.
class KeptSections {
public:
    // True for the sections kept here.
    static bool Keeps(BaseFileSection section);

    bool IsEmpty() const { return sections.empty(); }
    bool Has(BaseFileSection section) const;
    const std::vector<KeptSection>& Sections() const { return sections; }
    void Clear() { sections.clear(); }

    // Appended as it stands (the reader collects a file's sections so).
    void Add(KeptSection section) { sections.push_back(std::move(section)); }

    // Takes the sections of a file read into the base, as their own readers would take them: a
    // section is appended. Standard containers: std::bad_alloc rises to the operation.
    void Merge(KeptSections&& read);

    // Every kept section of that kind, in order.
    void Write(TextWriter& writer, BaseFileSection section) const;

private:
    static void WriteLines(TextWriter& writer, const KeptSection& section);

    std::vector<KeptSection> sections;
};

}  // namespace vek
