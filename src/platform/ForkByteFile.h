#pragma once

#include "foundation/ByteFile.h"
#include "platform/ForkFile.h"

namespace vek {

// The library's text streams reach files through ByteFile; this is the platform's, a ForkFile, so that
// every file of the program is read and written one way. Registered at start-up.
class ForkByteFile : public ByteFile {
public:
    ForkByteFile();
    ~ForkByteFile() override;

    void SetUtf8Text(bool on) override { file.SetUtf8Text(on); }
    [[nodiscard]] bool OpenForRead(const char* path) override;
    // A new content from the start: the old bytes are not kept.
    [[nodiscard]] bool OpenForWrite(const char* path) override;
    // Goes on at the old end; a missing file is created.
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

private:
    ForkFile file;
};

// Makes the text streams of the library use ForkByteFile (the start-up step of the platform layer).
void RegisterPlatformFiles();

}  // namespace vek
