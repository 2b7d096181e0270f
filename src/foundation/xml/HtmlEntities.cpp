// HtmlEntities: the table of named entities, and decoding entities in a text.
#include "foundation/xml/HtmlEntities.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "foundation/strings/CString.h"
#include "foundation/strings/Utf8.h"

namespace vek {

namespace {

constexpr HtmlEntity kEntities[] = {
    {0x0022, "&quot;"},   {0x0026, "&amp;"},    {0x0027, "&apos;"},   {0x003C, "&lt;"},
    {0x003E, "&gt;"},
    {0x00A0, "&nbsp;"},   {0x00A1, "&iexcl;"},  {0x00A2, "&cent;"},   {0x00A3, "&pound;"},
    {0x00A4, "&curren;"}, {0x00A5, "&yen;"},    {0x00A6, "&brvbar;"}, {0x00A7, "&sect;"},
    {0x00A9, "&copy;"},   {0x00AA, "&ordf;"},   {0x00AB, "&laquo;"},  {0x00AC, "&not;"},
    {0x00AE, "&reg;"},    {0x00B0, "&deg;"},    {0x00B1, "&plusmn;"}, {0x00B2, "&sup2;"},
    {0x00B3, "&sup3;"},   {0x00B5, "&micro;"},  {0x00B6, "&para;"},   {0x00B7, "&middot;"},
    {0x00B9, "&sup1;"},   {0x00BA, "&ordm;"},   {0x00BB, "&raquo;"},  {0x00BC, "&frac14;"},
    {0x00BD, "&frac12;"}, {0x00BE, "&frac34;"}, {0x00BF, "&iquest;"},
    {0x00C0, "&Agrave;"}, {0x00C1, "&Aacute;"}, {0x00C2, "&Acirc;"},  {0x00C3, "&Atilde;"},
    {0x00C4, "&Auml;"},   {0x00C5, "&Aring;"},  {0x00C6, "&AElig;"},  {0x00C7, "&Ccedil;"},
    {0x00C8, "&Egrave;"}, {0x00C9, "&Eacute;"}, {0x00CA, "&Ecirc;"},  {0x00CB, "&Euml;"},
    {0x00CC, "&Igrave;"}, {0x00CD, "&Iacute;"}, {0x00CE, "&Icirc;"},  {0x00CF, "&Iuml;"},
    {0x00D0, "&ETH;"},    {0x00D1, "&Ntilde;"}, {0x00D2, "&Ograve;"}, {0x00D3, "&Oacute;"},
    {0x00D4, "&Ocirc;"},  {0x00D5, "&Otilde;"}, {0x00D6, "&Ouml;"},   {0x00D7, "&times;"},
    {0x00D8, "&Oslash;"}, {0x00D9, "&Ugrave;"}, {0x00DA, "&Uacute;"}, {0x00DB, "&Ucirc;"},
    {0x00DC, "&Uuml;"},   {0x00DD, "&Yacute;"}, {0x00DE, "&THORN;"},  {0x00DF, "&szlig;"},
    {0x00E0, "&agrave;"}, {0x00E1, "&aacute;"}, {0x00E2, "&acirc;"},  {0x00E3, "&atilde;"},
    {0x00E4, "&auml;"},   {0x00E5, "&aring;"},  {0x00E6, "&aelig;"},  {0x00E7, "&ccedil;"},
    {0x00E8, "&egrave;"}, {0x00E9, "&eacute;"}, {0x00EA, "&ecirc;"},  {0x00EB, "&euml;"},
    {0x00EC, "&igrave;"}, {0x00ED, "&iacute;"}, {0x00EE, "&icirc;"},  {0x00EF, "&iuml;"},
    {0x00F0, "&eth;"},    {0x00F1, "&ntilde;"}, {0x00F2, "&ograve;"}, {0x00F3, "&oacute;"},
    {0x00F4, "&ocirc;"},  {0x00F5, "&otilde;"}, {0x00F6, "&ouml;"},   {0x00F7, "&divide;"},
    {0x00F8, "&oslash;"}, {0x00F9, "&ugrave;"}, {0x00FA, "&uacute;"}, {0x00FB, "&ucirc;"},
    {0x00FC, "&uuml;"},   {0x00FD, "&yacute;"}, {0x00FE, "&thorn;"},  {0x00FF, "&yuml;"},
    {0x0152, "&OElig;"},  {0x0153, "&oelig;"},  {0x0178, "&Yuml;"},   {0x20AC, "&euro;"},
    {0x0391, "&Alpha;"},  {0x0392, "&Beta;"},   {0x0393, "&Gamma;"},  {0x0394, "&Delta;"},
    {0x0395, "&Epsilon;"}, {0x0396, "&Zeta;"},  {0x0397, "&Eta;"},    {0x0398, "&Theta;"},
    {0x0399, "&Iota;"},   {0x039A, "&Kappa;"},  {0x039B, "&Lambda;"}, {0x039C, "&Mu;"},
    {0x039D, "&Nu;"},     {0x039E, "&Xi;"},     {0x039F, "&Omicron;"}, {0x03A0, "&Pi;"},
    {0x03A1, "&Rho;"},    {0x03A3, "&Sigma;"},  {0x03A4, "&Tau;"},    {0x03A5, "&Upsilon;"},
    {0x03A6, "&Phi;"},    {0x03A7, "&Chi;"},    {0x03A8, "&Psi;"},    {0x03A9, "&Omega;"},
    {0x03B1, "&alpha;"},  {0x03B2, "&beta;"},   {0x03B3, "&gamma;"},  {0x03B4, "&delta;"},
    {0x03B5, "&epsilon;"}, {0x03B6, "&zeta;"},  {0x03B7, "&eta;"},    {0x03B8, "&theta;"},
    {0x03B9, "&iota;"},   {0x03BA, "&kappa;"},  {0x03BB, "&lambda;"}, {0x03BC, "&mu;"},
    {0x03BD, "&nu;"},     {0x03BE, "&xi;"},     {0x03BF, "&omicron;"}, {0x03C0, "&pi;"},
    {0x03C1, "&rho;"},    {0x03C2, "&sigmaf;"}, {0x03C3, "&sigma;"},  {0x03C4, "&tau;"},
    {0x03C5, "&upsilon;"}, {0x03C6, "&phi;"},   {0x03C7, "&chi;"},    {0x03C8, "&psi;"},
    {0x03C9, "&omega;"},
    {0x2200, "&forall;"}, {0x2202, "&part;"},   {0x2203, "&exist;"},  {0x2205, "&empty;"},
    {0x2207, "&nabla;"},  {0x2208, "&isin;"},   {0x2209, "&notin;"},  {0x220B, "&ni;"},
    {0x220F, "&prod;"},   {0x2211, "&sum;"},    {0x2212, "&minus;"},  {0x221A, "&radic;"},
    {0x221E, "&infin;"},  {0x2227, "&and;"},    {0x2228, "&or;"},     {0x2248, "&asymp;"},
    {0x2260, "&ne;"},     {0x2261, "&equiv;"},  {0x2264, "&le;"},     {0x2265, "&ge;"},
};

static_assert(std::size(kEntities) == 169);

// The entries' positions in code-point order, for a binary search: escaping looks up every non-ASCII
// character it writes.
constexpr auto kByCodePoint = [] {
    std::array<uint8_t, std::size(kEntities)> order{};
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<uint8_t>(i);
    std::sort(order.begin(), order.end(),
              [](uint8_t a, uint8_t b) { return kEntities[a].codePoint < kEntities[b].codePoint; });
    return order;
}();

constexpr bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The entity whose name (after its "&", up to and including its ";") the text begins with.
const HtmlEntity* EntityAt(const char* text)
{
    for (const HtmlEntity& entity : kEntities) {
        const char* name = entity.name + 1;
        const char* p = text;
        while (*name != 0 && *p == *name) {
            ++p;
            ++name;
        }
        if (*name == 0)
            return &entity;
    }
    return nullptr;
}

}  // namespace

std::span<const HtmlEntity> HtmlEntityTable() { return kEntities; }

const HtmlEntity* FindEntityEntry(uint32_t codePoint)
{
    const uint8_t* at = std::lower_bound(kByCodePoint.begin(), kByCodePoint.end(), codePoint,
                                         [](uint8_t i, uint32_t c) { return kEntities[i].codePoint < c; });
    return at != kByCodePoint.end() && kEntities[*at].codePoint == codePoint ? &kEntities[*at] : nullptr;
}

// A named entity becomes its character in UTF-8, the form of every text in memory (a single byte, the
// low byte of the code point, would be a bad byte for every character above U+007F). No entity name is
// shorter than four bytes and no character longer than three, so decoding in place never overtakes
// the text still to be read.
int32_t CStrDecodeEntities(char* text)
{
    if (text == nullptr)
        return 0;
    const char* read = text;
    char* write = text;
    while (*read != 0) {
        if (*read != '&') {
            *write++ = *read++;
            continue;
        }
        const char* after = read + 1;
        if (after[0] == '#' && IsDecimalDigit(after[1]) && IsDecimalDigit(after[2]) && after[3] == ';') {
            int32_t value = 10 * (after[1] - '0') + (after[2] - '0');
            if (value >= 1 && value <= 31) {
                *write++ = static_cast<char>(value);
                read = after + 4;
                continue;
            }
        } else if (const HtmlEntity* entity = EntityAt(after)) {
            write += Utf8EncodeChar(write, entity->codePoint);
            read = after + std::strlen(entity->name) - 1;
            continue;
        }
        *write++ = *read++;
    }
    *write = 0;
    return static_cast<int32_t>(write - text);
}

}  // namespace vek
