// AliasStore: files on removable volumes, remembered so that their paths keep working.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vek {

// Files on removable volumes, remembered so that a path text keeps working when the volume comes back
// under another mount folder (/media/<user>/NAME, /run/media/<user>/NAME, /media/NAME, /mnt/NAME) or
// when an old file names it as "/Volumes/NAME/...".
//
// The store is a small cache file ("VEK Alias Data" in the user's preferences folder) of at most 256
// records, newest first, keyed by two case-insensitive hashes of the path text as it was given. All
// integers are big-endian:
//
//   offset  size  field
//   0       4     magic 0x18F07605
//   4       4     HashTextNoCase of the whole text, modulus 0xFFFFFD
//   8       4     HashTextNoCase of the whole text, modulus 0xFFFFEF
//   12      4     HashTextNoCase of the volume name (modulus 0xFFFFFD), 0 for no volume
//   16      2     length n of the record data (signed, 1..32767)
//   18      2     the same length again (the old in-memory size)
//   20      n     record data: volume name, NUL, path inside the volume, NUL, last full path
//
// Reading stops at the first record whose magic or lengths are wrong; writing back keeps what was read
// before it. Errors of the store are silent: it is a cache. Volumes are not mounted on request: a
// volume that is not mounted cannot be resolved.

// Where a file sits on a removable volume.
struct VolumePlace {
    std::string volume;  // the volume's name (the mount folder's last component)
    std::string inside;  // the path below the volume's folder, without a leading "/"
};

struct AliasRecord {
    VolumePlace place;
    std::string lastPath;  // the full path the file had when it was recorded
};

// The folders under which removable volumes are mounted, most specific first.
std::vector<std::string> RemovableVolumeRoots();

class AliasStore {
public:
    static constexpr uint32_t kMagic = 0x18F07605;
    static constexpr int32_t kMaxRecords = 256;

    AliasStore(std::string storeFile, std::vector<std::string> volumeRoots);
    // The user's store over the system's mount folders.
    static AliasStore UserStore();

    // Splits a path text that names a removable volume ("/volumes/" without case, or one of the mount
    // folders); false for any other text.
    bool SplitVolumeText(std::string_view text, VolumePlace& place) const;
    // The record stored for exactly this text (compared without case).
    bool FindRecord(std::string_view text, AliasRecord& record) const;
    // Puts the record for the text first, dropping an older one for the same text.
    void StoreRecord(std::string_view text, const AliasRecord& record) const;
    // The existing file a record names now: its last path, else the same place on a volume of the same
    // name under any mount folder.
    bool ResolveRecord(const AliasRecord& record, std::string& target) const;
    // A text on a removable volume: the file it names now (its record, else the same place on a volume
    // of that name). Refreshes the record when one was used.
    bool Resolve(std::string_view text, std::string& target) const;
    // A text on a removable volume whose file exists at `existingPath`: stores its record.
    void Record(std::string_view text, const std::string& existingPath) const;

    // A record as the file holds it, and the records of a file's bytes (at most 256, up to the first
    // damaged one).
    struct StoredRecord {
        int32_t hash1 = 0;
        int32_t hash2 = 0;
        int32_t volumeHash = 0;
        std::string data;
    };
    static std::vector<StoredRecord> ParseRecords(std::string_view bytes);

private:
    std::vector<StoredRecord> ReadRecords() const;

    std::string storeFile;
    std::vector<std::string> roots;
};

}  // namespace vek
