// KeptKeyLines: key lines of a template definition that no code reads yet, kept as they stand.
#pragma once

#include <string>
#include <vector>

namespace vek {

class TextReader;
class TextWriter;

// The key lines of a definition that belong to code not built yet (a kind's own keys), kept byte for
// byte in the order read and written back the same way, so that no base loses them. Standard
// containers: std::bad_alloc rises to the operation.
class KeptKeyLines {
public:
    void Clear() { lines.clear(); }
    bool IsEmpty() const { return lines.empty(); }
    const std::vector<std::string>& Lines() const { return lines; }
    // The reader's current line as it stands.
    void Keep(const TextReader& reader);
    // Every kept line, each ended by the writer's line end.
    void Write(TextWriter& writer) const;

private:
    std::vector<std::string> lines;
};

}  // namespace vek
