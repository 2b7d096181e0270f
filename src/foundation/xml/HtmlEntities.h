// HtmlEntities: the named character entities written into HTML and read back from markup.
#pragma once

#include <cstdint>
#include <span>

namespace vek {

// The named character entities the program writes into HTML and reads back from markup: the five
// markup characters, U+00A0-U+00FF with their HTML 4.01 names (except U+00A8, U+00AD, U+00AF, U+00B4
// and U+00B8, which stay characters), U+0152, U+0153, U+0178, the euro sign, the Greek letters and
// twenty mathematical signs. 169 entries; each name is written with its "&" and ";" ("&amp;").
struct HtmlEntity {
    char16_t codePoint;
    const char* name;
};

std::span<const HtmlEntity> HtmlEntityTable();

// The entry of a code point, or null.
const HtmlEntity* FindEntityEntry(uint32_t codePoint);
inline const HtmlEntity* FindHtmlEntity(uint32_t codePoint) { return FindEntityEntry(codePoint); }

}  // namespace vek
