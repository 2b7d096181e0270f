// Text bytes from outside: decoding, validation, case-insensitive comparison and the UTF-16 round
// trip must stay inside their bytes, step forward on every byte, and never lose or split a character.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "foundation/strings/WideString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    if (size > 100000)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    const char* text = bytes.c_str();  // ends at the first NUL of the input
    auto n = static_cast<int32_t>(bytes.size());

    // Every decoding step advances, and the walk ends exactly at the NUL.
    int32_t characters = 0;
    const char* p = text;
    while (*p != 0) {
        const char* before = p;
        Utf8NextChar(p);
        if (p <= before || p > text + std::char_traits<char>::length(text))
            std::abort();
        ++characters;
    }
    if (characters != Utf8CharCount(text))
        std::abort();

    // Bounded decoding and the cut helpers stay inside the bytes.
    for (const char* q = bytes.data(); q < bytes.data() + n;)
        Utf8NextCharIn(q, bytes.data() + n);
    for (int32_t cut = 0; cut <= n; cut += 1 + n / 64) {
        int32_t before = Utf8SafeCut(bytes.data(), n, cut);
        int32_t after = Utf8BoundaryAfter(bytes.data(), n, cut);
        if (before > cut || after < cut || after > n)
            std::abort();
    }
    (void)Utf8Classify(bytes.data(), n);

    // Through 16-bit units and back: the result is well-formed UTF-8 with one character per unit.
    WideString wide;
    wide.AssignUtf8Bytes(bytes.data(), n);
    String back;
    back.AssignWide(wide);
    if (!Utf8IsValid(back.CStr(), back.Length()) || Utf8CharCount(back.CStr()) != wide.Length())
        std::abort();

    // Case-insensitive comparison is an order, and upper-casing keeps a text equal to itself.
    std::string half(text, std::char_traits<char>::length(text) / 2);
    const char* other = text + half.size();
    if (CStrCompareNoCase(text, other) != -CStrCompareNoCase(other, text))
        std::abort();
    std::string upper(text);
    CStrToUpper(upper.data());
    if (CStrEqualNoCase(text, upper.c_str()) != 1)
        std::abort();

    String s;
    s.AssignCStr(text);
    s.ComposeAccents();
    s.ReplaceAll(half.c_str(), "x");
    std::string lines(text);
    CStrNormalizeLineEnds(lines.data());
    return 0;
}
