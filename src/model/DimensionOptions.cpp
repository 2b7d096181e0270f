// The option lines of a dimension in the dimension section of a base file.
//
//   key    values                                         written when
//   "-N"   singular name, plural name                      either name is set
//   "-C"   one letter of "ULDWSN"                          codeMode not 0
//   "-T"   one letter                                      textMode not 5
//   "-H"   one letter                                      hostMode not 5
//   "-S"   combination text ("C" ... "CHT")                display not 3
//   "-I"   one letter of "FSD"                             optionI not 1
//   "-X"   "+"                                             optionX set
//   "-W"   code, text, host width (empty field for 0)      any width set
//   "-EC"  entries in the code index                       the code index exists
//   "-EH"  entries in the host index                       the host index exists
#include "model/Dimension.h"

#include "foundation/strings/CString.h"
#include "foundation/memory/HashTable.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/Base.h"
#include "model/ChangeRecord.h"

namespace vek {

namespace {

// Index sizes read from a file are expected counts for a table; a damaged file must not make the
// base allocate a table for billions of entries.
constexpr int32_t kMaxIndexSizeFromFile = 1 << 24;

void WriteLetterLine(TextWriter& writer, const char* key, char letter)
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutChar(uint32_t(static_cast<unsigned char>(letter)));
    writer.EndRow();
}

void PutWidthField(TextWriter& writer, int32_t width)
{
    writer.PutSeparator();
    if (width != 0)
        writer.PutInt(width);
}

int32_t ReadWidthField(TextReader& reader)
{
    String field;
    if (!reader.NextFieldToString(field) || field.IsEmpty())
        return 0;
    int32_t value = 0;
    bool negative = false;
    const char* p = field.CStr();
    if (*p == '-') {
        negative = true;
        ++p;
    }
    // Widths are pixels; anything outside 24..500 reads as the default later, so a long number
    // is simply taken as "out of range".
    int32_t digits = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (++digits > 6)
            return 0;
        value = value * 10 + (*p - '0');
    }
    return negative ? -value : value;
}

}  // namespace

void Dimension::WriteOptions(TextWriter& writer) const
{
    if (!singularName.IsNull() || !pluralName.IsNull()) {
        writer.PutText("-N");
        writer.PutSeparator();
        writer.PutHeapText(singularName.Get());
        writer.PutSeparator();
        writer.PutHeapText(pluralName.Get());
        writer.EndRow();
    }
    if (codeMode != kCaseUpper)
        WriteLetterLine(writer, "-C", kCaseModeLetters[codeMode]);
    if (textMode != kCaseKeep)
        WriteLetterLine(writer, "-T", kCaseModeLetters[textMode]);
    if (hostMode != kCaseKeep)
        WriteLetterLine(writer, "-H", kCaseModeLetters[hostMode]);
    if (display != 3) {
        writer.PutText("-S");
        writer.PutSeparator();
        writer.PutText(kDisplayCombinations[display]);
        writer.EndRow();
    }
    if (optionI != 1)
        WriteLetterLine(writer, "-I", "FSD"[optionI]);
    if (optionX)
        WriteLetterLine(writer, "-X", '+');
    if (codeWidth != 0 || textWidth != 0 || hostWidth != 0) {
        writer.PutText("-W");
        PutWidthField(writer, codeWidth);
        PutWidthField(writer, textWidth);
        PutWidthField(writer, hostWidth);
        writer.EndRow();
    }
    if (codeIndex)
        writer.WriteKeyIntLine("-EC", codeIndexSize);
    if (hostIndex)
        writer.WriteKeyIntLine("-EH", hostIndexSize);
}

void Dimension::ReadOption(TextReader& reader, const char* key)
{
    if (key == nullptr || key[0] != '-' || key[1] == '\0')
        return;
    char letter = 0;
    switch (key[1]) {
    case 'C':
        if (reader.NextFieldChar(letter))
            SetCodeModeLetter(letter);
        break;
    case 'T':
        if (reader.NextFieldChar(letter))
            SetTextModeLetter(letter);
        break;
    case 'H':
        if (reader.NextFieldChar(letter))
            SetHostModeLetter(letter);
        break;
    case 'I':
        if (reader.NextFieldChar(letter))
            SetOptionILetter(letter);
        break;
    case 'X':
        if (reader.NextFieldChar(letter)) {
            if (letter == '+')
                SetOptionX(true);
            else if (letter == '-')
                SetOptionX(false);
        }
        break;
    case 'S': {
        String text;
        if (reader.NextFieldToString(text))
            SetDisplayText(text.CStr());
        break;
    }
    case 'N': {
        String singular;
        String plural;
        reader.NextFieldToString(singular);
        reader.NextFieldToString(plural);
        SetSingularName(singular.CStr());
        SetPluralName(plural.CStr());
        break;
    }
    case 'W':
        codeWidth = ReadWidthField(reader);
        textWidth = ReadWidthField(reader);
        hostWidth = ReadWidthField(reader);
        break;
    case 'E': {
        int32_t value = 0;
        if ((key[2] != 'C' && key[2] != 'H') || !reader.NextFieldInt(value))
            break;
        if (value < 1)
            value = 1;
        if (value > kMaxIndexSizeFromFile)
            value = kMaxIndexSizeFromFile;
        (key[2] == 'C' ? codeIndexSize : hostIndexSize) = value;
        break;
    }
    default:
        break;
    }
}

bool Dimension::TakeOptions(DimensionOptions& out) const
{
    out.codeMode = codeMode;
    out.textMode = textMode;
    out.hostMode = hostMode;
    out.display = display;
    out.optionX = optionX;
    out.optionI = optionI;
    out.codeWidth = codeWidth;
    out.textWidth = textWidth;
    out.hostWidth = hostWidth;
    out.codeIndexSize = codeIndexSize;
    out.hostIndexSize = hostIndexSize;
    out.hasCodeIndex = codeIndex != nullptr;
    out.hasHostIndex = hostIndex != nullptr;
    return out.singularName.CopyFrom(singularName.Get()) && out.pluralName.CopyFrom(pluralName.Get());
}

void Dimension::RestoreOptions(const DimensionOptions& options)
{
    bool codeModeChanged = options.codeMode != codeMode;
    bool textModeChanged = options.textMode != textMode;
    bool hostModeChanged = options.hostMode != hostMode;
    bool displayChanged = options.display != display;
    bool optionXChanged = options.optionX != optionX;
    bool optionIChanged = options.optionI != optionI;
    bool widthsChanged = options.codeWidth != codeWidth || options.textWidth != textWidth || options.hostWidth != hostWidth;
    bool singularChanged = !CStrEqualNullAsEmpty(singularName.CStr(), options.singularName.Get());
    bool pluralChanged = !CStrEqualNullAsEmpty(pluralName.CStr(), options.pluralName.Get());
    codeMode = options.codeMode;
    textMode = options.textMode;
    hostMode = options.hostMode;
    display = options.display;
    optionX = options.optionX;
    optionI = options.optionI;
    codeWidth = options.codeWidth;
    textWidth = options.textWidth;
    hostWidth = options.hostWidth;
    if ((singularChanged && !singularName.CopyFrom(options.singularName.Get())) ||
        (pluralChanged && !pluralName.CopyFrom(options.pluralName.Get())))
        SetOutOfMemoryError();
    // The indexes take the restored modes and sizes; one that did not exist goes again.
    codeIndexSize = options.codeIndexSize;
    hostIndexSize = options.hostIndexSize;
    if (!options.hasCodeIndex)
        codeIndex.reset();
    else
        RebuildIndex(codeIndex, codeIndexSize, false, false);
    if (!options.hasHostIndex)
        hostIndex.reset();
    else
        RebuildIndex(hostIndex, hostIndexSize, false, true);
    if (codeModeChanged)
        Notify(kChangeCodeMode);
    if (textModeChanged)
        Notify(kChangeTextMode);
    if (hostModeChanged)
        Notify(kChangeHostMode);
    if (displayChanged)
        Notify(kChangeDisplayCombination);
    if (codeModeChanged || textModeChanged || hostModeChanged || displayChanged)
        Notify(kChangeComponentDisplay);
    if (optionXChanged)
        Notify(kChangeOptionX);
    if (optionIChanged)
        Notify(kChangeOptionI);
    if (widthsChanged)
        Notify(kChangeColumnWidths);
    if (singularChanged)
        Notify(kChangeSingularName);
    if (pluralChanged)
        Notify(kChangePluralName);
}

}  // namespace vek
