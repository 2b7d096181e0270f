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
#include "model/dimensions/Dimension.h"

#include "foundation/strings/CString.h"
#include "foundation/memory/HashTable.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"

namespace vek {

namespace {

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
    if (!options.singularName.IsNull() || !options.pluralName.IsNull()) {
        writer.PutText("-N");
        writer.PutSeparator();
        writer.PutFieldHeapText(options.singularName.Get());
        writer.PutSeparator();
        writer.PutFieldHeapText(options.pluralName.Get());
        writer.EndRow();
    }
    if (options.codeMode != kCaseUpper)
        WriteLetterLine(writer, "-C", kCaseModeLetters[options.codeMode]);
    if (options.textMode != kCaseKeep)
        WriteLetterLine(writer, "-T", kCaseModeLetters[options.textMode]);
    if (options.hostMode != kCaseKeep)
        WriteLetterLine(writer, "-H", kCaseModeLetters[options.hostMode]);
    if (options.display != 3) {
        writer.PutText("-S");
        writer.PutSeparator();
        writer.PutText(kDisplayCombinations[options.display]);
        writer.EndRow();
    }
    if (options.optionI != 1)
        WriteLetterLine(writer, "-I", "FSD"[options.optionI]);
    if (options.optionX)
        WriteLetterLine(writer, "-X", '+');
    if (options.codeWidth != 0 || options.textWidth != 0 || options.hostWidth != 0) {
        writer.PutText("-W");
        PutWidthField(writer, options.codeWidth);
        PutWidthField(writer, options.textWidth);
        PutWidthField(writer, options.hostWidth);
        writer.EndRow();
    }
    if (codeIndex)
        writer.WriteKeyIntLine("-EC", options.codeIndexSize);
    if (hostIndex)
        writer.WriteKeyIntLine("-EH", options.hostIndexSize);
}

bool Dimension::ReadOption(TextReader& reader, const char* key)
{
    if (key == nullptr || key[0] != '-' || key[1] == '\0')
        return true;
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
        options.codeWidth = ReadWidthField(reader);
        options.textWidth = ReadWidthField(reader);
        options.hostWidth = ReadWidthField(reader);
        break;
    case 'E': {
        int32_t value = 0;
        if ((key[2] != 'C' && key[2] != 'H') || !reader.NextFieldInt(value))
            break;
        if (value < 1)
            value = 1;
        bool tooLarge = value > kMaxIndexSize;
        (key[2] == 'C' ? options.codeIndexSize : options.hostIndexSize) = tooLarge ? kMaxIndexSize : value;
        return !tooLarge;
    }
    default:
        break;
    }
    return true;
}

bool DimensionOptions::CopyFrom(const DimensionOptions& other)
{
    codeMode = other.codeMode;
    textMode = other.textMode;
    hostMode = other.hostMode;
    display = other.display;
    optionX = other.optionX;
    optionI = other.optionI;
    codeWidth = other.codeWidth;
    textWidth = other.textWidth;
    hostWidth = other.hostWidth;
    codeIndexSize = other.codeIndexSize;
    hostIndexSize = other.hostIndexSize;
    bool singular = singularName.CopyFrom(other.singularName.Get());
    return pluralName.CopyFrom(other.pluralName.Get()) && singular;
}

bool Dimension::TakeOptions(DimensionCheckpoint& out) const
{
    out.hasCodeIndex = codeIndex != nullptr;
    out.hasHostIndex = hostIndex != nullptr;
    return out.options.CopyFrom(options);
}

void Dimension::RestoreOptions(const DimensionCheckpoint& taken)
{
    const DimensionOptions& old = taken.options;
    bool codeModeChanged = old.codeMode != options.codeMode;
    bool textModeChanged = old.textMode != options.textMode;
    bool hostModeChanged = old.hostMode != options.hostMode;
    bool displayChanged = old.display != options.display;
    bool optionXChanged = old.optionX != options.optionX;
    bool optionIChanged = old.optionI != options.optionI;
    bool widthsChanged = old.codeWidth != options.codeWidth || old.textWidth != options.textWidth ||
                         old.hostWidth != options.hostWidth;
    bool singularChanged = !CStrEqualNullAsEmpty(options.singularName.CStr(), old.singularName.Get());
    bool pluralChanged = !CStrEqualNullAsEmpty(options.pluralName.CStr(), old.pluralName.Get());
    if (!options.CopyFrom(old))
        SetOutOfMemoryError();
    // The indexes take the restored modes and sizes; one that did not exist goes again.
    if (!taken.hasCodeIndex)
        codeIndex.reset();
    else
        RebuildIndex(codeIndex, options.codeIndexSize, false, false);
    if (!taken.hasHostIndex)
        hostIndex.reset();
    else
        RebuildIndex(hostIndex, options.hostIndexSize, false, true);
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
