#include "foundation/ByteFile.h"

#include "foundation/MemoryByteFile.h"

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
