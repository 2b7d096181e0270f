// Reading and writing the fields of a setup's keyed lines: the import setups and the dimension import
// setups take and write their numbers and texts the same way, so that both accept and refuse the same
// input and write the same form.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

// The reader's current token; empty when there is none.
inline std::string_view SetupFieldToken(const TextReader& reader)
{
    return {reader.Token() != nullptr ? reader.Token() : "", size_t(reader.TokenLength())};
}

// The next field as a whole number; false when there is none or it is not one.
inline bool NextSetupFieldNumber(TextReader& reader, int32_t& out)
{
    if (!reader.NextField())
        return false;
    std::string_view text = SetupFieldToken(reader);
    if (text.empty() || text.size() > 10)
        return false;
    auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && ptr == text.data() + text.size();
}

// The next field as it stands (not trimmed); empty when there is none.
inline void NextSetupFieldText(TextReader& reader, std::string& out)
{
    out.clear();
    if (reader.NextFieldRaw())
        out.assign(reader.Token(), size_t(reader.TokenLength()));
}

// A line of the key alone.
inline void WriteSetupKey(TextWriter& writer, const char* key)
{
    writer.PutText(key);
    writer.EndRow();
}

// A line of the key and a text; nothing when the text is empty.
inline void WriteSetupKeyText(TextWriter& writer, const char* key, const std::string& text)
{
    if (text.empty())
        return;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutTextBytes(text.data(), int32_t(text.size()));
    writer.EndRow();
}

// A line of the key and a whole number.
inline void WriteSetupKeyNumber(TextWriter& writer, const char* key, int32_t value)
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutInt(value);
    writer.EndRow();
}

} // namespace vek
