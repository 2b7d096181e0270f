// Telling the kind of a file from its first bytes and lines.
//
// Byte layouts looked at (offsets from the start of the file):
//
//   | bytes                  | kind                 | offset 5 / 6   | 11 / 12     | 13      | 14   | 32         |
//   |------------------------|----------------------|----------------|-------------|---------|------|------------|
//   | "##Uxe" or 05 13 "Uxe" | block container      | version YYMMDD | "x": password | variant | "-": stored | header word, big-endian |
//   | A5 A5 A5 "Uxe"         | packed bullet base   | version at 6   | "x" at 12   |         |      |            |
//   | A5 A5 A5 "Use"         | bullet base too old  |                |             |         |      |            |
//
// Otherwise the first nine text lines decide: "##VEK-Text" TAB version, "•••VEK-Text" TAB version,
// "<?xml" or "<VEK-xml", a line holding "#SIETYP" or "#FLAGGA".
#include "files/format/BaseFileType.h"

#include <memory>
#include <string_view>

#include "files/format/BaseFileFormat.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "foundation/streams/TextReader.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

constexpr int32_t kMagicSearchBytes = 511;
constexpr int32_t kDetectionLines = 9;
constexpr int32_t kCharSetSampleBytes = 4000;

bool StartsWithBytes(const char* bytes, int64_t n, const char* prefix, int32_t length)
{
    if (n < length)
        return false;
    for (int32_t i = 0; i < length; ++i) {
        if (bytes[i] != prefix[i])
            return false;
    }
    return true;
}

bool ContainsBytes(const char* bytes, int64_t n, const char* pattern)
{
    int32_t length = CStrLength(pattern);
    for (int64_t i = 0; i + length <= n; ++i) {
        if (StartsWithBytes(bytes + i, n - i, pattern, length))
            return true;
    }
    return false;
}

int32_t ByteAt(const char* bytes, int64_t n, int64_t offset)
{
    return offset < n ? static_cast<unsigned char>(bytes[offset]) : 0;
}

int32_t VersionAt(const char* bytes, int64_t n, int64_t offset)
{
    if (offset >= n)
        return 0;
    int64_t available = n - offset;
    return ParseVersionDate(bytes + offset, int32_t(available > 64 ? 64 : available));
}

void DetectContainer(BaseFileState& state, const char* bytes, int64_t n)
{
    state.version = VersionAt(bytes, n, 5);
    state.compressed = 1;
    if (state.version <= 19961213) {
        state.kind = kFileTooOld;
    } else if (state.version <= 19981201) {
        state.kind = kFilePacked;
    } else if (state.version <= 19981207) {
        state.kind = kFileTooOld;
    } else {
        state.newer = state.version > kBaseFileVersion ? 1 : 0;
        switch (ByteAt(bytes, n, 13)) {
        case 'N':
            state.kind = kFileContainerN;
            break;
        case 'B':
            state.kind = kFileContainerB;
            break;
        case 'U':
            state.kind = kFileContainerU;
            break;
        default:
            state.kind = kFileNothing;
            break;
        }
        if (ByteAt(bytes, n, 14) == '-')
            state.compressed = 0;
        state.headerWord = uint32_t(ByteAt(bytes, n, 32)) << 24 | uint32_t(ByteAt(bytes, n, 33)) << 16 |
                           uint32_t(ByteAt(bytes, n, 34)) << 8 | uint32_t(ByteAt(bytes, n, 35));
    }
    if (ByteAt(bytes, n, 11) == 'x')
        state.passwordNeeded = 1;
}

// One text line; true when it decides the kind.
bool DetectFromLine(BaseFileState& state, const char* line, int32_t n)
{
    static constexpr char kBulletText[] = "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2VEK-Text";
    std::string_view text(line, size_t(n));
    constexpr std::string_view kTextHeader = SectionMarker(BaseFileSection::TextHeader);
    if (StartsWithAsciiNoCase(text, kTextHeader)) {
        // The version follows the marker and its separator.
        constexpr int32_t kVersionAt = int32_t(kTextHeader.size()) + 1;
        state.version = n > kVersionAt ? ParseVersionDate(line + kVersionAt, n - kVersionAt) : 0;
        if (state.version < 19960930)
            state.kind = kFileTooOld;
        else
            state.kind = kFileText;
        state.newer = state.version > kBaseFileVersion ? 1 : 0;
        return true;
    }
    if (StartsWithAsciiNoCase(text, kBulletText)) {
        state.version = n > 18 ? ParseVersionDate(line + 18, n - 18) : 0;
        state.kind = state.version < 19930525 ? kFileBulletsTooOld : kFileTextBullets;
        state.newer = state.version > 19981105 ? 1 : 0;
        return true;
    }
    if (StartsWithAsciiNoCase(text, "<?xml") || StartsWithAsciiNoCase(text, "<VEK-xml")) {
        state.kind = kFileXml;
        return true;
    }
    if (ContainsBytes(line, n, "#SIETYP") || ContainsBytes(line, n, "#FLAGGA")) {
        state.kind = kFileSie;
        return true;
    }
    return false;
}

}  // namespace

int32_t ParseVersionDate(const char* bytes, int32_t n)
{
    int32_t i = 0;
    while (i < n && static_cast<unsigned char>(bytes[i]) < 33)
        ++i;
    int32_t value = 0;
    for (int32_t digits = 0; digits < 6 && i < n && bytes[i] >= '0' && bytes[i] <= '9'; ++digits, ++i)
        value = value * 10 + (bytes[i] - '0');
    if (value < 1)
        return 0;
    if (value < 890101)
        value += 1000000;
    return value + 19000000;
}

void DetectBaseFileTypeInBytes(BaseFileState& state, const char* bytes, int64_t n)
{
    state.kind = kFileNothing;
    state.newer = 0;
    state.compressed = 0;
    state.headerWord = 0;
    state.version = 0;
    state.passwordNeeded = 0;
    state.verdictLine = 1;
    if (bytes == nullptr || n < 0)
        n = 0;
    if (n > kDetectionSampleBytes)
        n = kDetectionSampleBytes;

    if (StartsWithBytes(bytes, n, "##Uxe", 5) || StartsWithBytes(bytes, n, "\x05\x13Uxe", 5)) {
        DetectContainer(state, bytes, n);
        return;
    }
    if (StartsWithBytes(bytes, n, "\xA5\xA5\xA5Uxe", 6)) {
        state.kind = kFilePackedBullets;
        state.version = VersionAt(bytes, n, 6);
        if (state.version < 19930525)
            state.kind = kFileBulletsTooOld;
        state.newer = state.version > 19981105 ? 1 : 0;
        if (ByteAt(bytes, n, 12) == 'x')
            state.passwordNeeded = 1;
        return;
    }
    if (StartsWithBytes(bytes, n, "\xA5\xA5\xA5Use", 6)) {
        state.kind = kFileBulletsTooOld;
        return;
    }

    int32_t bom = 0;
    int32_t encoding = DetectCharSet(bytes, int32_t(n < kCharSetSampleBytes ? n : kCharSetSampleBytes), bom);
    TextReader reader(bytes + bom, n - bom);
    if (encoding >= 0)
        reader.SetEncoding(encoding);
    for (int32_t line = 1; line <= kDetectionLines && reader.ReadLine(); ++line) {
        if (DetectFromLine(state, reader.LineStart(), reader.LineLength())) {
            state.verdictLine = line;
            return;
        }
    }
    int64_t head = n < kMagicSearchBytes ? n : kMagicSearchBytes;
    if (ContainsBytes(bytes, head, "#VEK") || ContainsBytes(bytes, head, "#Uxe") || ContainsBytes(bytes, head, "\x13Uxe"))
        state.kind = kFileDamaged;
    else
        state.kind = kFileOtherText;
}

void DetectBaseFileType(BaseFileState& state, const FilePath& path)
{
    DetectBaseFileTypeInBytes(state, nullptr, 0);
    state.kind = kFileNothing;
    std::unique_ptr<ByteFile> file = NewByteFile();
    if (!file || !file->OpenForRead(path.CStr()))
        return;
    std::unique_ptr<char[]> sample(new (std::nothrow) char[kDetectionSampleBytes]);
    if (!sample) {
        file->Close();
        return;
    }
    int64_t n = file->Read(sample.get(), kDetectionSampleBytes);
    file->Close();
    DetectBaseFileTypeInBytes(state, sample.get(), n < 0 ? 0 : n);
}

bool IsReadableBaseFile(const FilePath& path)
{
    BaseFileState state;
    DetectBaseFileType(state, path);
    return state.kind != kFileNothing && state.kind != kFileOtherText;
}

void VersionName(int32_t version, String& text)
{
    const char* name = version >= 20121122   ? "VEK 5.6"
                       : version >= 20080813 ? "VEK 5.4"
                       : version >= 20051004 ? "VEK 5.3"
                       : version >= 20041020 ? "VEK 5.2"
                       : version >= 20001219 ? "VEK 5.0"
                       : version >= 19981105 ? "VEK 4.1"
                       : version >= 1        ? "VEK 4.0"
                                             : nullptr;
    if (name != nullptr)
        text.AssignCStr(name);
}

const char* OldVersionName()
{
    return "VEK 3.0";
}

}  // namespace vek
