// The keys of the reader settings that import and dimension import setups share, and the loop over a
// setup section's keyed lines.
//
//   | key          | value                                                      |
//   |--------------|------------------------------------------------------------|
//   | "FX" / "FV"  | fixed positions on / off                                   |
//   | "A" name     | encoding (old files: the letter after "A")                 |
//   | "CB" / "CC"  | count bytes on / off                                       |
//   | "PX" / "PI"  | drop control characters on / off; "PS" the drop characters |
//   | "T", "S"     | terminator, separator (character codes; negative: + 256)   |
//   | "RX" n       | records skipped (0-999)                                    |
//   | "CF" "CT" "CS" | translate from, translate to, skip characters            |
#include "files/setups/SetupFields.h"

#include "files/setups/ImportSetup.h"
#include "files/setups/ImportSetupSettings.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/CodePages.h"
#include "model/named/NamedObjects.h"

namespace vek {

namespace {

// The encoding of an "A" line: the name, else the old letter after "A"; false for neither.
bool ReadSetupEncoding(TextReader& reader, std::string_view key, int32_t& encoding)
{
    int32_t byName = reader.NextField() ? EncodingFromName(SetupFieldToken(reader)) : -1;
    if (byName >= 0) {
        encoding = byName;
        return true;
    }
    switch (key.size() >= 2 ? key[1] : '\0') {
    case '7': case 'E': encoding = kEncodingSystem; return true;
    case 'M': encoding = kEncodingMacRoman; return true;
    case 'P': encoding = kEncodingPc8; return true;
    case 'W': encoding = kEncodingLatin1; return true;
    default: return false;
    }
}

}  // namespace

bool ReadSetupCharCode(TextReader& reader, uint16_t& target, const ImportReaderKeyForm& form)
{
    int32_t value = 0;
    if (!NextSetupFieldNumber(reader, value))
        return false;
    if (value < 0)
        value += 256;
    if (value < 1 || value > form.largestCharCode)
        return false;
    target = uint16_t(value);
    return true;
}

bool ReadImportReaderKey(TextReader& reader, std::string_view key, ImportReaderSettings& settings,
                         const ImportReaderKeyForm& form)
{
    auto is = [&](std::string_view name) { return form.byLeadingLetters ? key.starts_with(name) : key == name; };
    if (key.starts_with("A"))
        return ReadSetupEncoding(reader, key, settings.encoding) || !form.encodingRequired;
    if (key.starts_with("FV") || key.starts_with("FX")) {
        settings.fixedPositions = key[1] == 'X';
        return true;
    }
    if (is("CB") || is("CC")) {
        settings.countBytes = key[1] == 'B';
        return true;
    }
    if (is("PX") || is("PI")) {
        settings.dropControlChars = key[1] == 'X';
        return true;
    }
    if (is("PS")) {
        NextSetupFieldText(reader, settings.dropChars);
        return true;
    }
    if (is("CF") || is("CT") || is("CS")) {
        NextSetupFieldText(reader, key[1] == 'F'   ? settings.translateFrom
                                   : key[1] == 'T' ? settings.translateTo
                                                   : settings.skipChars);
        return true;
    }
    if (is("T"))
        return ReadSetupCharCode(reader, settings.terminator, form);
    if (is("S"))
        return ReadSetupCharCode(reader, settings.separator, form);
    if (is("RX")) {
        int32_t value = 0;
        if (!NextSetupFieldNumber(reader, value) || value < 0 || value > 999)
            return false;
        settings.skipRecords = value;
        return true;
    }
    return false;
}

void WriteImportReaderHead(TextWriter& writer, const ImportReaderSettings& settings, const ImportReaderKeyForm& form)
{
    if (settings.fixedPositions)
        WriteSetupKey(writer, "FX");
    writer.PutText("A");
    writer.PutSeparator();
    const char* encodingName = EncodingShortName(settings.encoding);
    writer.PutText(encodingName != nullptr ? encodingName : "UTF-8");
    writer.EndRow();
    WriteSetupKey(writer, settings.countBytes ? "CB" : "CC");
    WriteSetupKey(writer, settings.dropControlChars ? "PX" : "PI");
    WriteSetupKeyText(writer, "PS", settings.dropChars);
    if (settings.terminator != 13)
        WriteSetupKeyNumber(writer, "T", settings.terminator & form.largestCharCode);
    if (settings.separator != 9)
        WriteSetupKeyNumber(writer, "S", settings.separator & form.largestCharCode);
}

void WriteImportReaderTranslation(TextWriter& writer, const ImportReaderSettings& settings)
{
    WriteSetupKeyText(writer, "CF", settings.translateFrom);
    WriteSetupKeyText(writer, "CT", settings.translateTo);
    WriteSetupKeyText(writer, "CS", settings.skipChars);
}

void ReadSetupSectionLines(TextReader& reader, const SetupReadContext& context,
                           const std::function<bool(std::string_view key)>& readKey,
                           const std::function<bool()>& continuesAt)
{
    while (!IsErrorPending() && reader.ReadLine()) {
        if (!reader.NextField())
            continue;
        std::string_view key = SetupFieldToken(reader);
        if (key.empty())
            continue;
        if (IsSectionMarker(key.data(), int32_t(key.size()))) {
            reader.RestartLine();
            if (continuesAt && continuesAt())
                continue;
            reader.RestartLine();
            break;
        }
        // The key is copied: reading its value moves the token it points into.
        std::string keyText(key);
        if (!readKey(keyText) && context.passedOver)
            context.passedOver({reader.LineStart(), size_t(reader.LineLength())});
    }
}

}  // namespace vek
