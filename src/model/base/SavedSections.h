// SavedSections: the section texts of named objects as they stood at a checkpoint.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

// Keeps the section text (Write) of named objects that an import may read again under their names
// (time scales, macros, save setups), so that a rollback can read the old text back into them. T
// has Write(TextWriter&) for its marker line and lines, and Read(TextReader&) for the lines after
// the marker. The objects must outlive the keeping.
template <typename T>
class SavedSections {
public:
    // Standard containers let std::bad_alloc rise to the operation (DESIGN: out of memory).
    void Keep(T& object)
    {
        TextWriter writer;
        object.Write(writer);
        saved.push_back(Entry{&object, std::string(writer.BufferedBytes())});
    }

    // Reads the kept text back into every object whose text now differs from it; the others are left
    // alone (a read posts its change).
    void RestoreChanged()
    {
        for (const Entry& entry : saved) {
            TextWriter now;
            entry.object->Write(now);
            if (now.BufferedBytes() == entry.text)
                continue;
            TextReader reader(entry.text.data(), int64_t(entry.text.size()));
            if (reader.ReadLine())  // the marker line
                entry.object->Read(reader);
        }
        saved.clear();
    }

    void Clear() { saved.clear(); }

private:
    struct Entry {
        T* object;
        std::string text;
    };
    std::vector<Entry> saved;
};

}  // namespace vek
