#include "foundation/ByteFile.h"

#include <atomic>
#include <new>

#include "foundation/MemoryByteFile.h"

namespace vek {

static constinit std::atomic<ByteFileMaker> registeredByteFileMaker{nullptr};

ByteFile::~ByteFile() = default;

void RegisterByteFileMaker(ByteFileMaker maker)
{
    registeredByteFileMaker.store(maker);
}

std::unique_ptr<ByteFile> NewByteFile()
{
    if (ByteFileMaker maker = registeredByteFileMaker.load())
        return maker();
    return std::unique_ptr<ByteFile>(new (std::nothrow) MemoryByteFile());
}

}  // namespace vek
