// Query texts from outside: the readers must stay inside their bytes, and a value appended by
// AppendQueryParam must read back as exactly one field of its own, whatever it holds.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "foundation/streams/QueryString.h"
#include "foundation/strings/String.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace vek;
    std::string_view query(reinterpret_cast<const char*>(data), size);

    // Readers over arbitrary bytes.
    String name;
    String value;
    std::string_view cursor = query;
    int32_t pairs = 0;
    while (NextQueryPair(cursor, name, value)) {
        if (name.IsEmpty() || ++pairs > int32_t(size))
            std::abort();
    }
    if (!cursor.empty())
        std::abort();
    QueryGetParam(query, "base", value);
    QueryGetParamAt(query, "a", 1, value);
    (void)QueryHasField(query, "t", "1");

    // Editors over the same bytes as a String.
    String text;
    text.AssignBytes(query.data(), int32_t(size > 30000 ? 30000 : size));
    String edited;
    edited.Assign(text);
    edited.RemoveQueryParam("a");
    edited.RemoveQueryField("t", "1");
    edited.TidyQuery();
    edited.Assign(text);
    edited.EscapeUrlSpecials();
    edited.Assign(text);
    edited.DecodeQueryValue();
    if (edited.Length() > text.Length())
        std::abort();

    // Round trip: the bytes up to the first NUL, appended as a value, come back as they were.
    std::string plain(query.substr(0, query.find('\0')));
    String link;
    link.AssignCStr("page?x=1");
    link.AppendQueryParam("v", plain.c_str());
    if (link.Length() <= 8)
        return 0;  // too long to append: nothing was added
    std::string_view linkText(link.CStr(), size_t(link.Length()));
    std::string_view reader = linkText;
    if (!NextQueryPair(reader, name, value) || std::strcmp(name.CStr(), "x") != 0 ||
        std::strcmp(value.CStr(), "1") != 0)
        std::abort();
    if (!NextQueryPair(reader, name, value) || std::strcmp(name.CStr(), "v") != 0 ||
        value.Length() != int32_t(plain.size()) || std::memcmp(value.CStr(), plain.data(), plain.size()) != 0)
        std::abort();
    if (NextQueryPair(reader, name, value))
        std::abort();
    QueryGetParam(linkText, "v", value);
    if (value.Length() != int32_t(plain.size()) || std::memcmp(value.CStr(), plain.data(), plain.size()) != 0)
        std::abort();
    return 0;
}
