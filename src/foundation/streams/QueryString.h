// QueryString: the fields name=value of URL query texts.
#pragma once

#include <cstdint>
#include <string_view>

namespace vek {

class String;

// URL query texts: a page name, "?", then fields name=value joined by "&". Fields are separated by
// "&" or "?", and the start of the text starts a field too. A field matches a name when it begins
// with the name followed by "="; names compare exactly.
//
// Values are escaped in the manner of HTML forms: a blank is "+", other bytes that would be read
// as something else are "%" and two upper-case hexadecimal digits. Decoding takes upper-case digits
// only.
//
// The operations that build and edit a query held in a String are members of String (String.h):
// AppendPercentByte, AppendQueryParam, RemoveQueryParam, SetQueryParam, RemoveQueryField, TidyQuery,
// EscapeUrlSpecials, DecodeQueryValue and DecodePercent. The readers below take the query as bytes.

// True when some field equals name=value exactly (followed by a separator or the end).
[[nodiscard]] bool QueryHasField(std::string_view query, std::string_view name, std::string_view value);
// True when some field has that name: "name=..." or the name alone ("?version").
[[nodiscard]] bool QueryHasParam(std::string_view query, std::string_view name);
// The decoded value of the first field of that name; empty when there is none.
void QueryGetParam(std::string_view query, std::string_view name, String& value);
// The decoded value of the index-th (from 0) field of that name whose value is not empty; fields with
// empty values are not counted. Empty when there is none.
void QueryGetParamAt(std::string_view query, std::string_view name, int32_t index, String& value);
// The next name=value pair of a URL text, read from the cursor, which moves past the field:
// - a "/" forgets the start of the field, so path segments are never pairs;
// - the last "=" of a field starts the value;
// - a field with a start, an "=" and a non-empty name gives the pair (the value decoded).
// Returns false, with name and value empty and the cursor at the end, when no pair is left.
[[nodiscard]] bool NextQueryPair(std::string_view& cursor, String& name, String& value);

}  // namespace vek
