// BaseFileKind and BaseFileState: the kinds of base file told apart when a base is opened.
#pragma once

#include <cstdint>

namespace vek {

class FilePath;
class String;

// The kinds of file that opening a base tells apart by their first bytes and lines.
enum BaseFileKind : int32_t {
    kFileNothing = 0,          // nothing readable (also a container of an unknown variant)
    kFileContainerN = 1,       // block container, variant "N"
    kFileContainerB = 2,       // block container, variant "B"
    kFileContainerU = 3,       // block container, variant "U" (templates)
    kFilePacked = 4,           // packed container of 1996-1998
    kFileText = 5,             // "##VEK-Text" plain text base
    kFilePackedBullets = 6,    // packed bullet-format base
    kFileTextBullets = 7,      // plain bullet-format base ("•••VEK-Text")
    kFileTooOld = 8,           // base too old
    kFileBulletsTooOld = 9,    // bullet base too old, or "•••Use"
    kFileNewerRefused = 10,    // newer than the program and not confirmed
    kFileXml = 11,             // XML interface input
    kFileSie = 12,             // SIE file
    kFileOtherText = 13,       // any other text: imported through an import setup
    kFileDamaged = 14,         // a base magic within the first bytes, but no header recognised
};

// Flags of a read (BaseFileState::flags).
constexpr int32_t kReadImport = 1;          // into an open base
constexpr int32_t kReadSkipOpenDirect = 4;  // no open-direct steps afterwards
constexpr int32_t kReadStartLog = 8;        // start a log file for the base when it has none

// What detection and the read of one file know; the base keeps it while the file loads, and a
// nested read saves and restores it.
struct BaseFileState {
    int32_t kind = kFileNothing;
    int32_t newer = 0;           // the file's version is later than the program's
    int32_t compressed = 0;      // container blocks are compressed
    uint32_t headerWord = 0;     // the container header's reserved word
    int32_t version = 0;         // yyyymmdd, 0 when none
    int32_t flags = 0;           // kRead... of the call
    int32_t amountColumns = 1;   // amounts per "##Cards" line
    int32_t passwordNeeded = 0;  // the container says the base has a password
    int32_t verdictLine = 1;     // the line (from 1) on which the kind was decided
};

// The first bytes detection looks at for text lines; longer first lines are not seen whole.
constexpr int32_t kDetectionSampleBytes = 65536;

// Fills kind, newer, compressed, headerWord, version, passwordNeeded and verdictLine from the file
// (opened and closed here). A file that cannot be opened is kind 0, with the file's error pending.
void DetectBaseFileType(BaseFileState& state, const FilePath& path);
// The same over the first bytes of a file (up to kDetectionSampleBytes of them).
void DetectBaseFileTypeInBytes(BaseFileState& state, const char* bytes, int64_t n);
// True when the detected kind is neither 0 nor 13.
bool IsReadableBaseFile(const FilePath& path);

// A version date field: bytes below 33 skipped, then up to 6 digits YYMMDD; 0 for none or zero,
// years below 89 in the 2000s ("981105" is 19981105, "121122" is 20121122). Never reads beyond n.
int32_t ParseVersionDate(const char* bytes, int32_t n);

// The program version that wrote a file of that version ("VEK 5.6" ...); 0 leaves the text.
void VersionName(int32_t version, String& text);
// The program version of bullet-format files.
const char* OldVersionName();

}  // namespace vek
