// MemoryByteFile: files kept in memory, which serve until the platform's files are registered.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/streams/ByteFile.h"

namespace vek {

// A small file system in memory: the bytes of each file by its path text, compared exactly (no
// folders: every path that is not empty and does not end in "/" can hold a file). One per process
// (MemoryFiles()); tests put and read files here. Safe to use from several threads.
class MemoryFileSystem {
public:
    // The file's bytes; nothing when there is no file at the path.
    std::optional<std::string> Get(std::string_view path) const;
    // Creates or replaces the file.
    void Put(std::string_view path, std::string_view bytes);
    // False when there was no file.
    bool Remove(std::string_view path);
    // Moves the file, replacing one at `to`; a file open on it stays open on it. False when missing.
    bool Rename(std::string_view from, std::string_view to);
    int32_t FileCount() const;
    // Removes every file and the capacity.
    void Clear();
    // A write that would make one file larger than this fails with 607, as on a full disk; -1 for no
    // limit.
    void SetCapacity(int64_t bytes);

private:
    friend class MemoryByteFile;
    using Node = std::shared_ptr<std::string>;

    Node Find(std::string_view path) const;
    // The file at the path, created empty when missing.
    Node FindOrCreate(std::string_view path);
    void Replace(std::string_view path, std::string bytes);
    int64_t Capacity() const;

    mutable std::mutex mutex;
    std::map<std::string, Node, std::less<>> files;
    int64_t capacity = -1;
};

MemoryFileSystem& MemoryFiles();

// The maker of in-memory files (the headless ByteFileMaker; tests register it over the platform's).
std::unique_ptr<ByteFile> MakeMemoryByteFile();

// A file of MemoryFiles(), keeping every promise of ByteFile: a rewrite is collected apart and put in
// place at Close, appending changes the file at once, failures are the numbered file messages.
class MemoryByteFile final : public ByteFile {
public:
    MemoryByteFile() = default;
    ~MemoryByteFile() override;

    [[nodiscard]] bool OpenForRead(const char* path) override;
    [[nodiscard]] bool OpenForWrite(const char* path) override;
    [[nodiscard]] bool OpenForAppend(const char* path) override;
    void Close() override;
    void Discard() override;
    bool IsOpen() const override { return mode != Mode::closed; }
    bool HasFailed() const override { return failed; }
    int64_t Read(void* buffer, int64_t n) override;
    int64_t Write(const void* bytes, int64_t n) override;
    int64_t GetSize() const override;
    int64_t GetPosition() const override { return position; }
    void SetPosition(int64_t offset) override;
    void SetSize() override;
    ByteFileStatus StatusOf(const char* path) const override;

private:
    enum class Mode { closed, reading, replacing, appending };

    bool Start(const char* path);
    void Fail(int32_t code);
    std::string& Bytes() { return mode == Mode::replacing ? fresh : *node; }
    const std::string& Bytes() const { return mode == Mode::replacing ? fresh : *node; }

    Mode mode = Mode::closed;
    bool failed = false;
    bool errorPendingAtOpen = false;
    std::string path;
    MemoryFileSystem::Node node;  // reading and appending: the file itself
    std::string fresh;            // replacing: the new contents
    int64_t position = 0;
};

}  // namespace vek
