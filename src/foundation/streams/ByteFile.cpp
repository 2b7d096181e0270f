// ByteFile: making byte files through the registered maker, in memory until a platform registers one.
#include "foundation/streams/ByteFile.h"

#include "foundation/streams/MemoryByteFile.h"

namespace vek {

ByteFile::~ByteFile() = default;

template <>
ByteFileMaker& Service<ByteFileMaker>::Headless()
{
    return MakeMemoryByteFile;
}

std::unique_ptr<ByteFile> NewByteFile()
{
    return Service<ByteFileMaker>::Get()();
}

}  // namespace vek
