// ProtectedText: storing a secret text scrambled under its own key, and wiping it.
#include "foundation/streams/ProtectedText.h"

#include <string_view>

#include "foundation/streams/ByteScrambler.h"

namespace vek {

namespace {

// The key material of protected texts. Chosen once; changing it makes nothing unreadable (protected
// texts live only in memory), but it is kept here, in one place, like the keys of the file formats.
constexpr ScrambleMarker kProtectedTextMarker = {0x50, 0xB7, 0x2E};
constexpr int32_t kProtectedTextKeyLength = 64;
static_assert(ProtectedText::kMaxLength == String::kGrowthLimit / 2 - int32_t(sizeof(ScrambleMarker)),
              "the letter form of the longest text fills a String");

std::string_view ViewOf(const String& text)
{
    return {text.CStr(), std::size_t(text.Length())};
}

}  // namespace

ProtectedText::ProtectedText()
{
    RandomPrintableText(key, kProtectedTextKeyLength);
}

ProtectedText::~ProtectedText()
{
    value.WipeAndClear();
    key.WipeAndClear();
}

bool ProtectedText::SetCStr(const char* text)
{
    value.WipeAndClear();
    if (text == nullptr || text[0] == 0)
        return true;
    value.AssignCStr(text);
    if (!ScrambleToLetters(value, ViewOf(key), kProtectedTextMarker)) {
        value.WipeAndClear();
        return false;
    }
    return true;
}

void ProtectedText::Get(String& out) const
{
    out.Assign(value);
    if (!out.IsEmpty() && !UnscrambleFromLetters(out, ViewOf(key), kProtectedTextMarker))
        out.WipeAndClear();
}

bool ProtectedText::Assign(const ProtectedText& other)
{
    if (&other == this)
        return true;
    String plain;
    other.Get(plain);
    bool stored = SetCStr(plain.CStr());
    plain.WipeAndClear();
    return stored;
}

}  // namespace vek
