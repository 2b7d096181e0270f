// Preferences files are edited by hand and cut short by crashes: any bytes must load without reading
// outside the input, and the keys that load stay unique and ordered.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "foundation/strings/CString.h"
#include "platform/PreferenceStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vek::PreferenceStore store;
    store.ReadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    for (int32_t i = 1; i < store.Count(); ++i) {
        // Keys stay unique and ordered without regard to case.
        if (vek::CStrCompareNoCase(store.KeyAt(i - 1), store.KeyAt(i)) >= 0)
            abort();
    }
    return 0;
}
