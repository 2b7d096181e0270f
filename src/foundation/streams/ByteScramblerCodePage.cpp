// ByteScrambler: mixing a key text in the bytes of a code page.
#include "foundation/streams/ByteScrambler.h"

#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"

namespace vek {

void ByteScrambler::MixText(std::string_view key, int32_t encoding)
{
    if (encoding == 0) {
        MixText(key);
        return;
    }
    String upper;
    upper.AssignBytes(key.data(), static_cast<int32_t>(key.size()));
    CStrToUpper(upper.Data());
    String converted;
    converted.AssignUtf8AsCodePage(upper.CStr(), encoding);
    upper.WipeAndClear();
    MixKeyBytes(converted);
    converted.WipeAndClear();
}

}  // namespace vek
