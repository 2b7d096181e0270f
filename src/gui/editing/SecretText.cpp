// SecretText: wiping through a volatile pointer, which the optimiser must keep.
#include "gui/editing/SecretText.h"

namespace vek {

void WipeBytes(void* bytes, size_t n)
{
    volatile unsigned char* p = static_cast<volatile unsigned char*>(bytes);
    for (size_t i = 0; i < n; ++i)
        p[i] = 0;
}

void SecretText::Wipe()
{
    WipeBytes(bytes.data(), bytes.capacity());
    bytes.clear();
}

void SecretText::Assign(std::string_view text)
{
    // Wiped first so that a shorter text leaves nothing of the longer one behind its end.
    Wipe();
    bytes.assign(text.data(), text.size());
}

void SecretText::Replace(size_t at, size_t count, std::string_view with)
{
    const size_t oldSize = bytes.size();
    bytes.replace(at, count, with.data(), with.size());
    // Bytes that moved left out of the tail stay behind the new end until wiped.
    if (bytes.size() < oldSize)
        WipeBytes(bytes.data() + bytes.size(), oldSize - bytes.size());
}

}  // namespace vek
