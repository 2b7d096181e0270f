// AnalysisTemplate: the shared keys of the analysis kinds, the char-code form and the chart keys.
//
// Shared key lines, in the order written (a reader takes them in any order):
//
//   | key                  | value                        | written                              |
//   |----------------------|------------------------------|--------------------------------------|
//   | "xo" "xc" "xz"       | none                         | when set                             |
//   | "xw"                 | none                         | when flag w is 0                     |
//   | "xP" / "xS"          | top, left / bottom, right    | when either is nonzero               |
//   | "xE" "xT" "xM"       | int                          | when nonzero                         |
//   | 's' lines            | subset references            | as read                              |
//   | "xLc" "xLm" "xLw"    | blob ("*" and hex digits)    | when present                         |
//   | "xp" + letter        | page flags, "xpp" mode char  | see PageOptions                      |
//   | "xe" + letter        | export options               | see ExportOptions                    |
//   | "xN"                 | long text                    | when there are notes                 |
#include "model/templates/AnalysisTemplate.h"

#include <cstring>
#include <span>

#include "foundation/memory/BlockAllocator.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/String.h"
#include "foundation/strings/Utf8.h"
#include "model/base/ChangeRecord.h"
#include "model/links/LinkRename.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/base/ChangeRecord.h"

namespace vek {

namespace {

constexpr std::string_view kPageModeLetters = "-asp";
constexpr std::string_view kChartLetters = "-1235Xalu";
constexpr std::string_view kViewLetters = "NLBPR";
// A char-code field is read from at most this many bytes.
constexpr int32_t kCharCodeFieldBytes = 8;
// An encoding name is read from at most this many bytes.
constexpr int32_t kEncodingFieldBytes = 255;

void WriteFlagLine(TextWriter& writer, const char* key)
{
    writer.PutText(key);
    writer.EndRow();
}

void WriteIntPairLine(TextWriter& writer, const char* key, int32_t a, int32_t b)
{
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutInt(a);
    writer.PutSeparator();
    writer.PutInt(b);
    writer.EndRow();
}

void WriteBlobLine(TextWriter& writer, const char* key, const PageLayoutBlock& block)
{
    if (block == nullptr)
        return;
    writer.PutText(key);
    writer.PutSeparator();
    writer.PutCompressedHexBytes(std::span<const uint8_t>(block.get(), size_t(MemBlockSize(block.get()))));
    writer.EndRow();
}

// The next field as a 16-bit value; out-of-range values and a missing field leave it.
void ReadInt16Field(TextReader& reader, int16_t& field)
{
    int32_t value = field;
    if (reader.NextFieldInt(value) && value >= INT16_MIN && value <= INT16_MAX)
        field = int16_t(value);
}

void ReadBlobField(TextReader& reader, PageLayoutBlock& field)
{
    void* block = nullptr;
    if (reader.NextBinaryField(block) || block == nullptr)
        field.reset(static_cast<uint8_t*>(block));
}

bool CopyBlock(PageLayoutBlock& target, const PageLayoutBlock& source)
{
    target.reset(source != nullptr ? static_cast<uint8_t*>(MemDuplicate(source.get())) : nullptr);
    return source == nullptr || target != nullptr;
}

bool EqualsNoCase(const String& a, const char* b)
{
    return CStrCompareNoCase(a.CStr(), b) == 0;
}

// "on" or "off" into a flag; any other value leaves it.
void ReadOnOff(const String& value, bool& flag)
{
    if (EqualsNoCase(value, "on"))
        flag = true;
    else if (EqualsNoCase(value, "off"))
        flag = false;
}

}  // namespace

bool IsSharedTemplateKey(const TextReader& reader)
{
    const char* p = reader.LineStart();
    return reader.LineLength() > 0 && (p[0] == 'x' || p[0] == 's');
}

// --- Value forms ------------------------------------------------------------------------------------

void WriteCharCode(TextWriter& writer, const char* key, int32_t code)
{
    writer.PutText(key);
    writer.PutSeparator();
    if (code == 35) {
        writer.PutText("##");
    } else if (code == 160) {
        writer.PutText("#B");
    } else if (code == 2) {
        writer.PutText("#F");
    } else if (code >= 33 && code <= 127) {
        writer.PutChar(uint32_t(code));
    } else {
        writer.PutChar('#');
        writer.PutInt(code);
    }
    writer.EndRow();
}

int32_t ReadCharCode(TextReader& reader)
{
    char field[kCharCodeFieldBytes + 1];
    if (!reader.NextFieldToBuffer(field, int32_t(sizeof field)) || field[0] == '\0')
        return 0;
    if (field[0] != '#')
        return uint8_t(field[0]);
    if (field[1] == 'B')
        return 160;
    if (field[1] == 'F')
        return 2;
    if (field[1] == '#')
        return 35;
    // "#" and a decimal number; anything that does not parse gives 0.
    int64_t value = 0;
    const char* p = field + 1;
    if (*p < '0' || *p > '9')
        return 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + (*p - '0');
    if (*p != '\0')
        return 0;
    return int32_t(value % 65536);
}

void WriteViewLetter(TextWriter& writer, int32_t index)
{
    if (index < 0 || index >= int32_t(kViewLetters.size()))
        return;
    writer.PutChar('W');
    writer.PutChar(uint8_t(kViewLetters[size_t(index)]));
    writer.EndRow();
}

// --- ChartOptions -----------------------------------------------------------------------------------

void ChartOptions::ReadKeyLine(std::string_view key, TextReader& reader)
{
    char value = 0;
    if (!reader.NextFieldChar(value) || value == 0)
        return;
    if (key == "Gx") {
        size_t at = kChartLetters.find(value);
        if (at != std::string_view::npos)
            chartIndex = int32_t(at);
    } else if (key == "Gy") {
        if (value == '+')
            flagY = true;
        else if (value == '-')
            flagY = false;
    }
}

void ChartOptions::Write(TextWriter& writer) const
{
    if (chartIndex > 0 && chartIndex < int32_t(kChartLetters.size())) {
        writer.PutText("Gx");
        writer.PutSeparator();
        writer.PutChar(uint8_t(kChartLetters[size_t(chartIndex)]));
        writer.EndRow();
    }
    if (flagY) {
        writer.PutText("Gy");
        writer.PutSeparator();
        writer.PutChar('+');
        writer.EndRow();
    }
}

// --- ExportOptions ----------------------------------------------------------------------------------

void ExportOptions::ReadXmlAttributes(TextReader& reader, Base&)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (EqualsNoCase(name, "format")) {
            if (EqualsNoCase(value, "text"))
                format = 0;
            else if (EqualsNoCase(value, "html"))
                format = 1;
            else if (EqualsNoCase(value, "xml"))
                format = 2;
        } else if (EqualsNoCase(name, "wintitle")) {
            ReadOnOff(value, windowTitle);
        } else if (EqualsNoCase(name, "notes")) {
            ReadOnOff(value, notes);
        } else if (EqualsNoCase(name, "definition")) {
            ReadOnOff(value, definition);
        } else if (EqualsNoCase(name, "coltitles")) {
            ReadOnOff(value, columnTitles);
        } else if (EqualsNoCase(name, "headers")) {
            ReadOnOff(value, headers);
        } else if (EqualsNoCase(name, "datarows")) {
            ReadOnOff(value, dataRows);
        } else if (EqualsNoCase(name, "decsep")) {
            uint32_t c = value.IsEmpty() ? 0 : Utf8DecodeChar(value.CStr());
            if (c >= 33 && c <= 0xFFFF)
                decimalSeparator = int32_t(c);
        } else if (EqualsNoCase(name, "thousep")) {
            uint32_t c = value.IsEmpty() ? 0 : Utf8DecodeChar(value.CStr());
            thousandsSeparator = c < 32 || c > 0xFFFF ? 1 : int32_t(c);
        }
        // Other attribute names are not this element's: they are passed over.
    }
}

// --- PageOptions ------------------------------------------------------------------------------------

PageOptions::~PageOptions() = default;

bool PageOptions::CopyFrom(const PageOptions& other)
{
    flagT = other.flagT;
    flagU = other.flagU;
    flagM = other.flagM;
    flagN = other.flagN;
    flagC = other.flagC;
    flagD = other.flagD;
    flagA = other.flagA;
    flagH = other.flagH;
    flagI = other.flagI;
    mode = other.mode;
    bool copied = CopyBlock(layoutC, other.layoutC);
    copied = CopyBlock(layoutM, other.layoutM) && copied;
    return CopyBlock(layoutW, other.layoutW) && copied;
}

// --- AnalysisTemplate -------------------------------------------------------------------------------

AnalysisTemplate::AnalysisTemplate(TemplateKind kind, Base& base) : Template(kind, base), subsetRefs(base) {}

AnalysisTemplate::~AnalysisTemplate() = default;

void AnalysisTemplate::ApplyKindDefaults()
{
    auto* defaults = dynamic_cast<AnalysisTemplate*>(GetBase().Templates().GetDefault(Kind()));
    if (defaults != nullptr && defaults != this) {
        bottom = defaults->bottom;
        right = defaults->right;
        displayE = defaults->displayE;
        displayT = defaults->displayT;
        widthM = defaults->widthM;
        exportOptions = defaults->exportOptions;
        (void)pageOptions.CopyFrom(defaults->pageOptions);  // a block that cannot be copied stays empty
    }
    flagC = true;
    flagZ = false;
}

int32_t AnalysisTemplate::GetWidthM(int32_t fallback) const
{
    return widthM >= 32 && widthM <= 800 ? widthM : fallback;
}

void AnalysisTemplate::OnBaseChange(const ChangeRecord& record)
{
    Template::OnBaseChange(record);
    if (const LinkRename* rename = record.GetLinkRename(); rename != nullptr)
        rename->ApplyToText(notes.Field());
}

void AnalysisTemplate::Reset()
{
    Template::Reset();
    autoOpen = false;
    flagC = false;
    flagZ = false;
    flagW = true;
    // The references are read again with the definition.
    subsetRefs.Clear();
}

void AnalysisTemplate::ReadKeyLine(TextReader& reader, const TemplateReadContext& context)
{
    if (!reader.NextFieldRaw())
        return;
    std::string_view key(reader.Token(), size_t(reader.TokenLength()));
    if (key.empty())
        return;
    if (key[0] == 's') {
        subsetRefs.ReadKeyLine(reader);
        return;
    }
    if (key[0] != 'x' || key.size() < 2)
        return;
    char third = key.size() > 2 ? key[2] : '\0';
    switch (key[1]) {
    case 'o':
        autoOpen = true;
        break;
    case 'c':
        flagC = true;
        break;
    case 'z':
        flagZ = true;
        break;
    case 'w':
        flagW = false;
        break;
    case 'P':
        ReadInt16Field(reader, top);
        ReadInt16Field(reader, left);
        break;
    case 'S':
        ReadInt16Field(reader, bottom);
        ReadInt16Field(reader, right);
        break;
    case 'E':
        if (context.IsBulletFile()) {
            if (third == '+')
                displayE = 0;
            else if (third == '-')
                displayE = 37;
        } else {
            ReadInt16Field(reader, displayE);
        }
        break;
    case 'T':
        ReadInt16Field(reader, displayT);
        break;
    case 'M':
        ReadInt16Field(reader, widthM);
        break;
    case 'N':
        (void)reader.NextLongTextField(notes.Field());  // a text that cannot be kept leaves none
        break;
    case 'L':
        if (third == 'c')
            ReadBlobField(reader, pageOptions.layoutC);
        else if (third == 'm')
            ReadBlobField(reader, pageOptions.layoutM);
        else if (third == 'w')
            ReadBlobField(reader, pageOptions.layoutW);
        break;
    case 'p':
        ReadPageKey(third, reader);
        break;
    case 'e':
        ReadExportKey(third, reader);
        break;
    default:
        break;
    }
}

void AnalysisTemplate::ReadPageKey(char letter, TextReader& reader)
{
    PageOptions& page = pageOptions;
    switch (letter) {
    case 't':
    case 'w':
        page.flagT = false;
        break;
    case 'u':
        page.flagU = false;
        break;
    case 'c':
        page.flagC = false;
        break;
    case 'd':
        page.flagD = false;
        break;
    case 'a':
        page.flagA = false;
        break;
    case 'm':
        page.flagM = true;
        break;
    case 'n':
        page.flagN = true;
        break;
    case 'h':
        page.flagH = true;
        break;
    case 'i':
        page.flagI = true;
        break;
    case 'p': {
        char value = 0;
        if (reader.NextFieldChar(value) && value != 0) {
            size_t at = kPageModeLetters.find(value);
            if (at != std::string_view::npos)
                page.mode = int32_t(at);
        }
        break;
    }
    default:
        break;
    }
}

void AnalysisTemplate::ReadExportKey(char letter, TextReader& reader)
{
    ExportOptions& options = exportOptions;
    switch (letter) {
    case 'E': {
        char name[kEncodingFieldBytes + 1];
        if (reader.NextFieldToBuffer(name, int32_t(sizeof name))) {
            int32_t id = EncodingFromName(name);
            if (id >= 0)
                options.encoding = id;
        }
        break;
    }
    case 'w':
        options.format = 1;
        break;
    case 'x':
        options.format = 2;
        break;
    case 'W':
        (void)reader.NextFieldInt(options.width);
        break;
    case 'H':
        (void)reader.NextFieldInt(options.height);
        break;
    case 'd':
        options.decimalSeparator = ReadCharCode(reader);
        break;
    case 'm':
        options.thousandsSeparator = ReadCharCode(reader);
        break;
    case 'f':
        options.fieldSeparator = ReadCharCode(reader);
        break;
    case 'q':
        options.quote = ReadCharCode(reader);
        break;
    case 'n':
        options.lineEnd = ReadCharCode(reader);
        break;
    case 'k':
        options.flagK = true;
        break;
    case 't':
        options.windowTitle = true;
        break;
    case 's':
        options.notes = true;
        break;
    case 'e':
        options.definition = true;
        break;
    case 'r':
        options.columnTitles = true;
        break;
    case 'u':
        options.flagU = true;
        break;
    case '&':
        options.flagAmpersand = true;
        break;
    case 'l':
        options.flagL = true;
        break;
    case 'h':
        options.headers = false;
        break;
    case 'a':
        options.dataRows = false;
        break;
    default:
        break;
    }
}

void AnalysisTemplate::FinishRead(const TemplateReadContext& context)
{
    Template::FinishRead(context);
    if (context.IsBulletFile())
        exportOptions.windowTitle = !exportOptions.windowTitle;
}

void AnalysisTemplate::WriteDefinition(TextWriter& writer) const
{
    WriteHeaderLine(writer);
    WriteSharedKeys(writer);
}

void AnalysisTemplate::WriteSharedKeys(TextWriter& writer) const
{
    // 1. Flags.
    if (autoOpen)
        WriteFlagLine(writer, "xo");
    if (flagC)
        WriteFlagLine(writer, "xc");
    if (flagZ)
        WriteFlagLine(writer, "xz");
    if (!flagW)
        WriteFlagLine(writer, "xw");
    // 2. The window rectangle.
    if (top != 0 || left != 0)
        WriteIntPairLine(writer, "xP", top, left);
    if (bottom != 0 || right != 0)
        WriteIntPairLine(writer, "xS", bottom, right);
    // 3. Display settings.
    if (displayE != 0)
        writer.WriteKeyIntLine("xE", displayE);
    if (displayT != 0)
        writer.WriteKeyIntLine("xT", displayT);
    if (widthM != 0)
        writer.WriteKeyIntLine("xM", widthM);
    // 4. Subset references.
    subsetRefs.Write(writer);
    // 5. Layout blocks.
    const PageOptions& page = pageOptions;
    WriteBlobLine(writer, "xLc", page.layoutC);
    WriteBlobLine(writer, "xLm", page.layoutM);
    WriteBlobLine(writer, "xLw", page.layoutW);
    // 6. Page flags.
    if (!page.flagT)
        WriteFlagLine(writer, "xpt");
    if (!page.flagU)
        WriteFlagLine(writer, "xpu");
    if (page.flagM)
        WriteFlagLine(writer, "xpm");
    if (page.flagN)
        WriteFlagLine(writer, "xpn");
    if (!page.flagC)
        WriteFlagLine(writer, "xpc");
    if (!page.flagD)
        WriteFlagLine(writer, "xpd");
    if (!page.flagA)
        WriteFlagLine(writer, "xpa");
    if (page.flagH)
        WriteFlagLine(writer, "xph");
    if (page.flagI)
        WriteFlagLine(writer, "xpi");
    if (page.mode != 3 && page.mode >= 0 && page.mode < int32_t(kPageModeLetters.size())) {
        writer.PutText("xpp");
        writer.PutSeparator();
        writer.PutChar(uint8_t(kPageModeLetters[size_t(page.mode)]));
        writer.EndRow();
    }
    // 7.-12. Export options.
    const ExportOptions& options = exportOptions;
    const char* encodingName = EncodingShortName(options.encoding);
    writer.WriteKeyTextLine("xeE", encodingName != nullptr ? encodingName : EncodingShortName(kEncodingUtf8));
    if (options.format == 1)
        WriteFlagLine(writer, "xew");
    else if (options.format == 2)
        WriteFlagLine(writer, "xex");
    if (options.width != 0)
        writer.WriteKeyIntLine("xeW", options.width);
    if (options.height != 0)
        writer.WriteKeyIntLine("xeH", options.height);
    if (options.windowTitle)
        WriteFlagLine(writer, "xet");
    if (options.notes)
        WriteFlagLine(writer, "xes");
    if (options.definition)
        WriteFlagLine(writer, "xee");
    if (options.columnTitles)
        WriteFlagLine(writer, "xer");
    if (!options.headers)
        WriteFlagLine(writer, "xeh");
    if (!options.dataRows)
        WriteFlagLine(writer, "xea");
    if (options.decimalSeparator != 0)
        WriteCharCode(writer, "xed", options.decimalSeparator);
    // Always written: its default is 1 (none), so leaving out 0 (the system's separator) would read
    // back as none.
    WriteCharCode(writer, "xem", options.thousandsSeparator);
    if (options.fieldSeparator != 9)
        WriteCharCode(writer, "xef", options.fieldSeparator);
    if (options.quote != 1)
        WriteCharCode(writer, "xeq", options.quote);
    if (options.lineEnd != 0)
        WriteCharCode(writer, "xen", options.lineEnd);
    if (options.flagK)
        WriteFlagLine(writer, "xek");
    if (options.flagU)
        WriteFlagLine(writer, "xeu");
    if (options.flagAmpersand)
        WriteFlagLine(writer, "xe&");
    if (options.flagL)
        WriteFlagLine(writer, "xel");
    // 13. Notes.
    if (notes.Length() > 0) {
        writer.PutText("xN");
        writer.PutSeparator();
        writer.PutLongText(notes.Get());
        writer.EndRow();
    }
}

void AnalysisTemplate::ClearSettings()
{
    Template::ClearSettings();
    exportOptions.format = 2;
}

void AnalysisTemplate::SetOption(const char* optionName, const char* value)
{
    if (optionName != nullptr && std::strcmp(optionName, "notestext") == 0) {
        notes.Set(value);
        return;
    }
    Template::SetOption(optionName, value);
}

int64_t AnalysisTemplate::StoredSize() const
{
    return Template::StoredSize() + 180;
}

}  // namespace vek
