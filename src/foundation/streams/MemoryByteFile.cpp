// MemoryByteFile: byte files held in the in-memory file system of headless runs and tests.
#include "foundation/streams/MemoryByteFile.h"

#include <cstring>
#include <exception>
#include <new>

#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"

namespace vek {

// ---- MemoryFileSystem

std::unique_ptr<ByteFile> MakeMemoryByteFile()
{
    return std::unique_ptr<ByteFile>(new (std::nothrow) MemoryByteFile());
}

MemoryFileSystem& MemoryFiles()
{
    static MemoryFileSystem system;
    return system;
}

MemoryFileSystem::Node MemoryFileSystem::Find(std::string_view path) const
{
    std::lock_guard lock(mutex);
    auto found = files.find(path);
    return found == files.end() ? nullptr : found->second;
}

MemoryFileSystem::Node MemoryFileSystem::FindOrCreate(std::string_view path)
{
    std::lock_guard lock(mutex);
    auto found = files.find(path);
    if (found != files.end())
        return found->second;
    Node node = std::make_shared<std::string>();
    files.emplace(std::string(path), node);
    return node;
}

void MemoryFileSystem::Replace(std::string_view path, std::string bytes)
{
    // A new node, so that a file open for reading keeps the old bytes, as on a disk.
    Node node = std::make_shared<std::string>(std::move(bytes));
    std::lock_guard lock(mutex);
    files.insert_or_assign(std::string(path), std::move(node));
}

std::optional<std::string> MemoryFileSystem::Get(std::string_view path) const
{
    Node node = Find(path);
    if (!node)
        return std::nullopt;
    return *node;
}

void MemoryFileSystem::Put(std::string_view path, std::string_view bytes)
{
    Replace(path, std::string(bytes));
}

bool MemoryFileSystem::Remove(std::string_view path)
{
    std::lock_guard lock(mutex);
    auto found = files.find(path);
    if (found == files.end())
        return false;
    files.erase(found);
    return true;
}

bool MemoryFileSystem::Rename(std::string_view from, std::string_view to)
{
    std::lock_guard lock(mutex);
    auto found = files.find(from);
    if (found == files.end())
        return false;
    Node node = found->second;
    files.erase(found);
    files.insert_or_assign(std::string(to), std::move(node));
    return true;
}

int32_t MemoryFileSystem::FileCount() const
{
    std::lock_guard lock(mutex);
    return int32_t(files.size());
}

void MemoryFileSystem::Clear()
{
    std::lock_guard lock(mutex);
    files.clear();
    capacity = -1;
}

void MemoryFileSystem::SetCapacity(int64_t bytes)
{
    std::lock_guard lock(mutex);
    capacity = bytes;
}

int64_t MemoryFileSystem::Capacity() const
{
    std::lock_guard lock(mutex);
    return capacity;
}

// ---- MemoryByteFile

MemoryByteFile::~MemoryByteFile()
{
    // Left by an exception (memory ran short midway), the new contents are incomplete.
    if (std::uncaught_exceptions() > 0)
        Discard();
    else
        Close();
}

void MemoryByteFile::Fail(int32_t code)
{
    failed = true;
    if (IsErrorPending())
        return;
    SetErrorCode(code);
    Message& message = GetPendingError().message;
    message.AddFileName(path.c_str());
    message.AddNumber(text::kCancel);
}

bool MemoryByteFile::Start(const char* name)
{
    Close();
    failed = false;
    path = name == nullptr ? "" : name;
    position = 0;
    if (path.empty() || path.back() == '/') {
        Fail(message::kCannotOpen);
        return false;
    }
    return true;
}

bool MemoryByteFile::OpenForRead(const char* name)
{
    if (!Start(name))
        return false;
    node = MemoryFiles().Find(path);
    if (!node) {
        Fail(message::kCannotOpen);
        return false;
    }
    mode = Mode::reading;
    return true;
}

bool MemoryByteFile::OpenForWrite(const char* name)
{
    if (!Start(name))
        return false;
    errorPendingAtOpen = IsErrorPending();
    fresh.clear();
    mode = Mode::replacing;
    return true;
}

bool MemoryByteFile::OpenForAppend(const char* name)
{
    if (!Start(name))
        return false;
    node = MemoryFiles().FindOrCreate(path);
    position = int64_t(node->size());
    mode = Mode::appending;
    return true;
}

void MemoryByteFile::Close()
{
    if (mode == Mode::replacing) {
        bool cancelled = !errorPendingAtOpen && IsErrorPending();
        if (cancelled)
            failed = true;
        if (!failed)
            MemoryFiles().Replace(path, std::move(fresh));
    }
    Discard();
}

void MemoryByteFile::Discard()
{
    fresh.clear();
    fresh.shrink_to_fit();
    node.reset();
    mode = Mode::closed;
}

int64_t MemoryByteFile::Read(void* buffer, int64_t n)
{
    if (n <= 0 || buffer == nullptr)
        return 0;
    if (mode != Mode::reading) {
        Fail(message::kReadFailed);
        return 0;
    }
    int64_t size = int64_t(node->size());
    int64_t count = position >= size ? 0 : (n < size - position ? n : size - position);
    if (count > 0)
        std::memcpy(buffer, node->data() + position, size_t(count));
    position += count;
    return count;
}

int64_t MemoryByteFile::Write(const void* bytes, int64_t n)
{
    if (n <= 0)
        return 0;
    if ((mode != Mode::replacing && mode != Mode::appending) || bytes == nullptr || failed) {
        Fail(message::kWriteFailed);
        return 0;
    }
    std::string& target = Bytes();
    int64_t capacity = MemoryFiles().Capacity();
    if (capacity >= 0 && position + n > capacity) {
        Fail(message::kWriteFailed);
        return 0;
    }
    if (position + n > int64_t(target.size()))
        target.resize(size_t(position + n));
    std::memcpy(target.data() + position, bytes, size_t(n));
    position += n;
    return n;
}

int64_t MemoryByteFile::GetSize() const
{
    return mode == Mode::closed ? 0 : int64_t(Bytes().size());
}

void MemoryByteFile::SetPosition(int64_t offset)
{
    if (mode == Mode::reading)
        position = offset < 0 ? 0 : offset;
}

void MemoryByteFile::SetSize()
{
    if (mode == Mode::replacing || mode == Mode::appending)
        Bytes().resize(size_t(position));
}

ByteFileStatus MemoryByteFile::StatusOf(const char* name) const
{
    MemoryFileSystem::Node found = name == nullptr ? nullptr : MemoryFiles().Find(name);
    if (!found)
        return {};
    return {ByteFileKind::regular, int64_t(found->size())};
}

}  // namespace vek
