#pragma once

#include <array>
#include <cstdint>

#include "foundation/strings/HeapText.h"
#include "model/dimensions/Component.h"

namespace vek {

class Base;
class String;
class TextWriter;

// The texts of the component-selection expressions of the 32 dimensions (one each or none), on which
// the stored form of a selection is built. A text is owned; an empty text is stored as none.
class DimensionTexts {
public:
    DimensionTexts() = default;
    ~DimensionTexts();
    DimensionTexts(const DimensionTexts&) = delete;
    DimensionTexts& operator=(const DimensionTexts&) = delete;

    // Empty texts for a base (kept for writing in its display order; not owned).
    void Init(const Base* owner);
    void Free();
    // Blanks every text before releasing it.
    void Clear();
    // Copies the other's texts; a text that cannot be copied becomes none.
    void Assign(const DimensionTexts& other);

    // Sets the text of dimension d (none for null or empty); d outside 0..31 is ignored.
    void SetText(int32_t d, const char* bytes, int32_t length);
    void SetFromString(int32_t d, const String& text);
    // The text of d, or null.
    const char* Text(int32_t d) const;

    // For each position of the base's display order of dimensions whose dimension has a text: the key
    // immediately followed by the position counted from 1, the separator, the text, the line end.
    void Write(TextWriter& writer, const char* key) const;

    bool Equals(const DimensionTexts& other) const;
    bool IsSet() const;
    // The texts' block footprints.
    int64_t StoredSize() const;

private:
    const Base* base = nullptr;
    std::array<HeapText, kDimensionCount> texts{};
};

}  // namespace vek
