// The alias store is a cache file that any program may have damaged: its records are parsed from
// untrusted bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/AliasStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto records = vek::AliasStore::ParseRecords(std::string_view(reinterpret_cast<const char*>(data), size));
    size_t total = 0;
    for (const auto& record : records)
        total += 20 + record.data.size();
    if (total > size || records.size() > size_t(vek::AliasStore::kMaxRecords))
        abort();
    return 0;
}
