// ForkByteFile: the program's files (ForkFile) behind the library's file interface, and their registration.
#pragma once

#include "foundation/streams/ByteFile.h"
#include "platform/ForkFile.h"

namespace vek {

// Every file the program reads or writes through ByteFile is a ForkFile: one implementation of reading,
// atomic saving and appending. Registered at start-up (RegisterPlatformFiles).
class ForkByteFile : public ByteFile {
public:
    ForkByteFile();
    ~ForkByteFile() override;

    [[nodiscard]] bool OpenForRead(const char* path) override;
    // A new content from the start: the old bytes are not kept.
    [[nodiscard]] bool OpenForWrite(const char* path) override;
    // Goes on at the old end, in place; a missing file is created.
    [[nodiscard]] bool OpenForAppend(const char* path) override;
    void Close() override { file.Close(); }
    void Discard() override { file.Discard(); }
    bool IsOpen() const override { return file.IsOpen(); }
    bool HasFailed() const override { return file.HasFailed(); }
    int64_t Read(void* buffer, int64_t n) override { return file.Read(buffer, n); }
    int64_t Write(const void* bytes, int64_t n) override { return file.Write(bytes, n); }
    int64_t GetSize() const override { return file.GetSize(); }
    int64_t GetPosition() const override { return file.GetPosition(); }
    void SetPosition(int64_t offset) override { file.SetPosition(offset); }
    void SetSize() override { file.SetSize(); }
    ByteFileStatus StatusOf(const char* path) const override;

private:
    ForkFile file;
};

// Makes every ByteFile of the program a ForkByteFile (the start-up step of the platform's files).
void RegisterPlatformFiles();

}  // namespace vek
