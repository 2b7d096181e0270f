// AliasStore: recording files on removable volumes and finding them under a new mount folder.
#include "platform/AliasStore.h"

#include <algorithm>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/strings/CString.h"
#include "foundation/memory/Hash.h"
#include "foundation/messages/PendingError.h"
#include "platform/FilePath.h"
#include "platform/ForkFile.h"
#include "platform/PathText.h"

namespace vek {

static constexpr int32_t kRecordHeaderSize = 20;
static constexpr int32_t kMaxRecordData = 32767;
static constexpr int32_t kMaxVolumeName = 256;
static constexpr int32_t kPathModulus1 = 0xFFFFFD;
static constexpr int32_t kPathModulus2 = 0xFFFFEF;
static constexpr char kVolumesPrefix[] = "/volumes/";

static std::string CurrentLoginName()
{
    long wanted = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(wanted > 0 ? static_cast<size_t>(wanted) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return {};
}

std::vector<std::string> RemovableVolumeRoots()
{
    std::vector<std::string> roots;
    std::string user = CurrentLoginName();
    if (!user.empty() && user.find('/') == std::string::npos) {
        roots.push_back("/media/" + user);
        roots.push_back("/run/media/" + user);
    }
    roots.push_back("/media");
    roots.push_back("/mnt");
    roots.push_back("/Volumes");
    return roots;
}

static bool PathExists(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0;
}

static void PutBigEndian32(std::string& out, uint32_t value)
{
    for (int32_t shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

static void PutBigEndian16(std::string& out, uint32_t value)
{
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

static uint32_t GetBigEndian(std::string_view bytes, size_t at, int32_t width)
{
    uint32_t value = 0;
    for (int32_t i = 0; i < width; ++i)
        value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

static std::string EncodeRecordData(const AliasRecord& record)
{
    std::string data = record.place.volume;
    data.push_back('\0');
    data += record.place.inside;
    data.push_back('\0');
    data += record.lastPath;
    return data;
}

static bool DecodeRecordData(const std::string& data, AliasRecord& record)
{
    size_t first = data.find('\0');
    size_t second = first == std::string::npos ? first : data.find('\0', first + 1);
    if (second == std::string::npos)
        return false;
    record.place.volume = data.substr(0, first);
    record.place.inside = data.substr(first + 1, second - first - 1);
    record.lastPath = data.substr(second + 1);
    return !record.place.volume.empty();
}

AliasStore::AliasStore(std::string storeFile, std::vector<std::string> volumeRoots)
    : storeFile(std::move(storeFile)), roots(std::move(volumeRoots))
{
}

AliasStore AliasStore::UserStore()
{
    return AliasStore(UserPreferencesFolder() + "/VEK Alias Data", RemovableVolumeRoots());
}

bool AliasStore::SplitVolumeText(std::string_view text, VolumePlace& place) const
{
    std::string whole(text.substr(0, text.find('\0')));
    size_t start = std::string::npos;
    if (CStrStartsWithNoCase(whole.c_str(), kVolumesPrefix))
        start = sizeof kVolumesPrefix - 1;
    for (size_t i = 0; start == std::string::npos && i < roots.size(); ++i) {
        if (whole.size() > roots[i].size() && whole.compare(0, roots[i].size(), roots[i]) == 0 &&
            whole[roots[i].size()] == '/')
            start = roots[i].size() + 1;
    }
    if (start == std::string::npos)
        return false;
    size_t slash = whole.find('/', start);
    place.volume = whole.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    place.inside = slash == std::string::npos ? std::string() : whole.substr(slash + 1);
    NormalizePathText(place.inside);
    return !place.volume.empty() && place.volume.size() <= kMaxVolumeName && place.volume != "." &&
           place.volume != "..";
}

std::vector<AliasStore::StoredRecord> AliasStore::ReadRecords() const
{
    std::vector<StoredRecord> records;
    PreservedErrorState quiet;
    FilePath file;
    file.SetFromSystemPath(storeFile);
    if (!file.Exists())
        return records;
    ForkFile fork;
    if (!fork.OpenForRead(file))
        return records;
    int64_t limit = int64_t(kMaxRecords) * (kRecordHeaderSize + kMaxRecordData);
    std::string bytes(static_cast<size_t>(std::min(fork.GetSize(), limit)), '\0');
    bytes.resize(static_cast<size_t>(fork.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
    return ParseRecords(bytes);
}

std::vector<AliasStore::StoredRecord> AliasStore::ParseRecords(std::string_view bytes)
{
    std::vector<StoredRecord> records;
    size_t at = 0;
    while (records.size() < size_t(kMaxRecords) && bytes.size() - at >= size_t(kRecordHeaderSize)) {
        if (GetBigEndian(bytes, at, 4) != kMagic)
            break;
        int32_t length = static_cast<int16_t>(GetBigEndian(bytes, at + 16, 2));
        int32_t memorySize = static_cast<int16_t>(GetBigEndian(bytes, at + 18, 2));
        if (length < 1 || memorySize < 1 || bytes.size() - at - kRecordHeaderSize < size_t(length))
            break;
        StoredRecord record;
        record.hash1 = static_cast<int32_t>(GetBigEndian(bytes, at + 4, 4));
        record.hash2 = static_cast<int32_t>(GetBigEndian(bytes, at + 8, 4));
        record.volumeHash = static_cast<int32_t>(GetBigEndian(bytes, at + 12, 4));
        record.data = std::string(bytes.substr(at + kRecordHeaderSize, static_cast<size_t>(length)));
        records.push_back(std::move(record));
        at += kRecordHeaderSize + static_cast<size_t>(length);
    }
    return records;
}

bool AliasStore::FindRecord(std::string_view text, AliasRecord& record) const
{
    std::string key(text.substr(0, text.find('\0')));
    int32_t hash1 = HashTextNoCase(key.c_str(), kPathModulus1);
    int32_t hash2 = HashTextNoCase(key.c_str(), kPathModulus2);
    for (const StoredRecord& stored : ReadRecords()) {
        if (stored.hash1 == hash1 && stored.hash2 == hash2)
            return DecodeRecordData(stored.data, record);
    }
    return false;
}

void AliasStore::StoreRecord(std::string_view text, const AliasRecord& record) const
{
    std::string key(text.substr(0, text.find('\0')));
    StoredRecord fresh;
    fresh.hash1 = HashTextNoCase(key.c_str(), kPathModulus1);
    fresh.hash2 = HashTextNoCase(key.c_str(), kPathModulus2);
    VolumePlace place;
    fresh.volumeHash = SplitVolumeText(key, place) ? HashTextNoCase(place.volume.c_str(), kPathModulus1) : 0;
    fresh.data = EncodeRecordData(record);
    if (fresh.data.size() > size_t(kMaxRecordData))
        return;
    std::vector<StoredRecord> records = ReadRecords();
    std::string bytes;
    int32_t count = 0;
    auto append = [&](const StoredRecord& stored) {
        PutBigEndian32(bytes, kMagic);
        PutBigEndian32(bytes, static_cast<uint32_t>(stored.hash1));
        PutBigEndian32(bytes, static_cast<uint32_t>(stored.hash2));
        PutBigEndian32(bytes, static_cast<uint32_t>(stored.volumeHash));
        PutBigEndian16(bytes, static_cast<uint32_t>(stored.data.size()));
        PutBigEndian16(bytes, static_cast<uint32_t>(stored.data.size()));
        bytes += stored.data;
        ++count;
    };
    append(fresh);
    for (const StoredRecord& stored : records) {
        if (count >= kMaxRecords)
            break;
        if (stored.hash1 != fresh.hash1 || stored.hash2 != fresh.hash2)
            append(stored);
    }
    PreservedErrorState quiet;
    std::string folder = storeFile.substr(0, storeFile.rfind('/'));
    if (!folder.empty())
        MakeFolders(folder);
    FilePath file;
    file.SetFromSystemPath(storeFile);
    ForkFile fork;
    if (!fork.OpenForWrite(file))
        return;
    if (fork.Write(bytes.data(), static_cast<int64_t>(bytes.size())) == static_cast<int64_t>(bytes.size()))
        fork.SetSize();
    fork.Close();
}

bool AliasStore::ResolveRecord(const AliasRecord& record, std::string& target) const
{
    if (PathExists(record.lastPath)) {
        target = record.lastPath;
        return true;
    }
    for (const std::string& root : roots) {
        std::string candidate = root + "/" + record.place.volume;
        if (!record.place.inside.empty())
            candidate += "/" + record.place.inside;
        if (PathExists(candidate)) {
            target = candidate;
            return true;
        }
    }
    return false;
}

bool AliasStore::Resolve(std::string_view text, std::string& target) const
{
    VolumePlace place;
    if (!SplitVolumeText(text, place))
        return false;
    std::string given(text.substr(0, text.find('\0')));
    NormalizePathText(given);
    if (PathExists(given))
        return false;
    AliasRecord record;
    if (!FindRecord(text, record)) {
        record.place = place;
        record.lastPath.clear();
    }
    if (!ResolveRecord(record, target))
        return false;
    Record(text, target);
    return true;
}

void AliasStore::Record(std::string_view text, const std::string& existingPath) const
{
    AliasRecord record;
    if (!SplitVolumeText(text, record.place) || !PathExists(existingPath))
        return;
    VolumePlace actual;
    if (SplitVolumeText(existingPath, actual))
        record.place = actual;
    record.lastPath = existingPath;
    StoreRecord(text, record);
}

// --- FilePath's part -------------------------------------------------------------------------------

// Only texts that can name a removable volume reach the store.
static bool MayNameRemovableVolume(std::string_view text)
{
    std::string head(text.substr(0, std::min<size_t>(text.size(), 16)));
    return CStrStartsWithNoCase(head.c_str(), kVolumesPrefix) || head.rfind("/media/", 0) == 0 ||
           head.rfind("/run/media/", 0) == 0 || head.rfind("/mnt/", 0) == 0;
}

int32_t FilePath::ResolveAlias(std::string_view text)
{
    if (!MayNameRemovableVolume(text))
        return 0;
    std::string target;
    if (!AliasStore::UserStore().Resolve(text, target))
        return 0;
    SetFromSystemPath(target);
    return 1;
}

void FilePath::RecordAlias(std::string_view text) const
{
    if (!MayNameRemovableVolume(text) || !Exists())
        return;
    AliasStore::UserStore().Record(text, std::string(Text()));
}

}  // namespace vek
