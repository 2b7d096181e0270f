// Fuzzes the reading of base files: kind detection over the bytes, then the section reader over
// them as a text base. A text that reads completely must also save stably: written, read back into
// a new base and written again, it gives the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "files/BaseFileFormat.h"
#include "files/BaseFileRecord.h"
#include "files/BaseFileType.h"
#include "files/BaseFiles.h"
#include "files/BaseSectionReader.h"
#include "files/BaseSectionWriter.h"
#include "files/SaveSettings.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/Base.h"
#include "model/BaseProtection.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

// Reads the text into the base as a text base of this version; true when it read to "##End".
bool ReadText(Base& base, const char* bytes, int64_t n)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    record.state.kind = kFileText;
    record.state.version = kBaseFileVersion;
    int32_t bom = 0;
    int32_t encoding = DetectCharSet(bytes, int32_t(n < 4000 ? n : 4000), bom);
    // As the file reader does: a text base with a NUL byte is damaged (UTF-16 aside).
    NulByteScan nul;
    if (encoding != 1 && encoding != 2)
        nul.Feed(bytes, n);
    if (nul.Found())
        return false;
    TextReader reader(bytes + bom, n - bom);
    if (encoding >= 0)
        reader.SetEncoding(encoding);
    BaseProtection work(&base);
    FilePath file("/fuzz.vkx");
    bool read = ReadBaseSections(base, reader, file, work);
    ClearError();
    return read;
}

void Write(Base& base, TextWriter& writer)
{
    SaveSettings settings;
    settings.FromBase(base);
    settings.SetFormat(kSaveFormatText);
    base.SetupDimensionOrder();
    WriteBaseSections(base, writer, settings);
    ClearError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ClearError();
    const char* bytes = reinterpret_cast<const char*>(data);
    BaseFileState state;
    DetectBaseFileTypeInBytes(state, bytes, int64_t(size));

    Base base(FilePath(), 0);
    if (!ReadText(base, bytes, int64_t(size)))
        return 0;
    TextWriter first;
    Write(base, first);
    Base again(FilePath(), 0);
    if (!ReadText(again, first.BufferedBytes().data(), int64_t(first.BufferedBytes().size())))
        std::abort();  // what the program wrote must read back
    TextWriter second;
    Write(again, second);
    if (first.BufferedBytes() != second.BufferedBytes())
        std::abort();
    return 0;
}
