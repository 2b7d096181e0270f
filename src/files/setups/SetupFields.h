// Reading and writing the fields of a setup's keyed lines: the import setups and the dimension import
// setups take and write their numbers and texts the same way, so that both accept and refuse the same
// input and write the same form. Both also share the keys of how the text file is read
// (ImportReaderSettings) and the loop over a section's keyed lines.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

struct ImportReaderSettings;
struct SetupReadContext;

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

// How a kind of setup reads the keys of its reader settings. The two kinds have always read them a
// little differently, and the files of both hold what each wrote, so each keeps its form.
struct ImportReaderKeyForm {
    // A key is matched by its leading letters ("CBX" reads as "CB"), else as a whole; "A" and "F"
    // lines are matched by their letters in either form ("A" takes the old encoding letter after it).
    bool byLeadingLetters;
    // The largest character code of "T" and "S" (and "D"); old files wrote negative 8-bit codes.
    int32_t largestCharCode;
    // An "A" line whose name and letter give no encoding is passed over, else taken unchanged.
    bool encodingRequired;
};
inline constexpr ImportReaderKeyForm kImportSetupKeyForm{false, 65535, false};
inline constexpr ImportReaderKeyForm kDimImportSetupKeyForm{true, 255, true};

// One keyed line of the reader settings: "FX"/"FV", "A", "CB"/"CC", "PX"/"PI", "PS", "T", "S", "RX",
// "CF", "CT", "CS". False when the key is none of them or its value is out of range (the line is
// then the kind's own or passed over).
[[nodiscard]] bool ReadImportReaderKey(TextReader& reader, std::string_view key, ImportReaderSettings& settings,
                                       const ImportReaderKeyForm& form);
// A character code of "T", "S" or "D" into target (1 to form.largestCharCode; negative + 256).
[[nodiscard]] bool ReadSetupCharCode(TextReader& reader, uint16_t& target, const ImportReaderKeyForm& form);
// The reader settings' leading lines "FX", "A", "CB"/"CC", "PX"/"PI", "PS", "T", "S" (codes cut to
// form.largestCharCode), and their translation lines "CF", "CT", "CS": each kind writes its own keys
// between them.
void WriteImportReaderHead(TextWriter& writer, const ImportReaderSettings& settings, const ImportReaderKeyForm& form);
void WriteImportReaderTranslation(TextWriter& writer, const ImportReaderSettings& settings);

// The keyed lines of a setup section, up to the next section marker (left as the reader's current
// line) or the end of input, each handed to readKey with its key; a line it does not take is passed
// over (context.passedOver). A marker for which continuesAt answers true (after it is read as the
// current line from its start) belongs to the section and is not handed on.
void ReadSetupSectionLines(TextReader& reader, const SetupReadContext& context,
                           const std::function<bool(std::string_view key)>& readKey,
                           const std::function<bool()>& continuesAt);

} // namespace vek
