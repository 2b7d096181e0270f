// InMemoryFilesEnvironment: runs a test program's files in memory in place of the platform's.
#pragma once

#include <gtest/gtest.h>

#include "foundation/streams/MemoryByteFile.h"

namespace vek {

// Start-up registers the platform's files; the foundation's own tests keep their files in memory
// (MemoryFiles()), so that they test the streams without a disk. The environment starts after the
// services and puts back what was registered when the tests end.
class InMemoryFilesEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        previous = Service<ByteFileMaker>::Registered();
        Service<ByteFileMaker>::Register(&MakeMemoryByteFile);
    }
    void TearDown() override { Service<ByteFileMaker>::Register(previous); }

private:
    ByteFileMaker* previous = nullptr;
};

inline ::testing::Environment* const inMemoryFiles =
    ::testing::AddGlobalTestEnvironment(new InMemoryFilesEnvironment);

}  // namespace vek
