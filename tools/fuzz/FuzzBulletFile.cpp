// Fuzzes the older bullet-format bases: the input is read as a plain bullet text (in the system code
// page) into a base, and as a packed file (code table and bit blocks) whose text goes to the same
// section reader. Reading must end, whatever the bytes, without touching memory outside its buffers.
#include <cstdint>

#include "files/format/BaseFileRecord.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/format/PackedBaseFileReader.h"
#include "foundation/messages/PendingError.h"
#include "foundation/services/Service.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/streams/MemoryByteFile.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

constexpr int32_t kSystemCodePage = 3;

void ReadInto(TextReader& reader, int32_t kind)
{
    Base base(FilePath(), 0);
    BaseFileRecord& record = BaseFileRecord::Of(base);
    record.state.kind = kind;
    record.state.version = 19970101;
    BaseProtection work(&base);
    FilePath file("/fuzz.vek");
    (void)ReadBaseSections(base, reader, file, work);
    ClearError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ClearError();
    const char* bytes = reinterpret_cast<const char*>(data);
    {
        TextReader reader(bytes, int64_t(size));
        reader.SetEncoding(kSystemCodePage);
        ReadInto(reader, kFileTextBullets);
    }
    ScopedService<ByteFileMaker> memory(MakeMemoryByteFile);
    MemoryFiles().Put("/fuzz.packed", {bytes, size});
    {
        PackedBaseFileReader reader;
        reader.SetEncoding(kSystemCodePage);
        if (reader.Open("/fuzz.packed"))
            ReadInto(reader, kFilePackedBullets);
        ClearError();
    }
    MemoryFiles().Remove("/fuzz.packed");
    return 0;
}
