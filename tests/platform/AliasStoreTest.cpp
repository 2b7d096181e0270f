// Tests of AliasStore: texts on removable volumes, the record file, and finding remounted files.
#include "platform/AliasStore.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

class AliasStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    AliasStore Store() const
    {
        return AliasStore(folder.Path("config/VEK/VEK Alias Data"),
                          {folder.Path("media/alice"), folder.Path("media"), folder.Path("mnt")});
    }
    // The texts' volume names of the records in the file, in order (walking the record headers).
    std::vector<std::string> RecordVolumes() const
    {
        std::string bytes = folder.Read("config/VEK/VEK Alias Data");
        std::vector<std::string> volumes;
        size_t at = 0;
        while (bytes.size() - at >= 20 && bytes.compare(at, 4, "\x18\xF0\x76\x05") == 0) {
            size_t length = (uint8_t(bytes[at + 16]) << 8) | uint8_t(bytes[at + 17]);
            volumes.push_back(bytes.substr(at + 20, bytes.find('\0', at + 20) - at - 20));
            at += 20 + length;
        }
        return volumes;
    }

    TestFolder folder;
};

TEST_F(AliasStoreTest, SplitsTextsOnRemovableVolumes)
{
    AliasStore store = Store();
    struct Case {
        std::string text;
        bool expected;
        const char* volume;
        const char* inside;
    };
    const Case cases[] = {
        {"/Volumes/USB Stick/dir/x.txt", true, "USB Stick", "dir/x.txt"},
        {"/VOLUMES/usb", true, "usb", ""},
        {folder.Path("media/alice/CARD/a//b.txt"), true, "CARD", "a/b.txt"},
        {folder.Path("media/CARD/b.txt"), true, "CARD", "b.txt"},
        {folder.Path("mnt/disk/c"), true, "disk", "c"},
        {"/Volumes/", false, "", ""},
        {"/home/alice/x", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        VolumePlace place;
        ASSERT_EQ(store.SplitVolumeText(c.text, place), c.expected);
        if (c.expected) {
            EXPECT_EQ(place.volume, c.volume);
            EXPECT_EQ(place.inside, c.inside);
        }
    }
}

TEST_F(AliasStoreTest, FindsAFileWhenItsVolumeIsMountedElsewhere)
{
    AliasStore store = Store();
    std::string first = folder.Write("mnt/USB/bases/Sales.vek", "x");
    std::string target;
    // A text from an old file: found on a mounted volume of that name, and remembered.
    ASSERT_TRUE(store.Resolve("/Volumes/USB/bases/Sales.vek", target));
    EXPECT_EQ(target, first);
    EXPECT_EQ(RecordVolumes(), (std::vector<std::string>{"USB"}));
    // The volume comes back under another mount folder.
    std::filesystem::create_directories(folder.Path("media/alice"));
    std::filesystem::rename(folder.Path("mnt/USB"), folder.Path("media/alice/USB"));
    ASSERT_TRUE(store.Resolve("/Volumes/USB/bases/Sales.vek", target));
    EXPECT_EQ(target, folder.Path("media/alice/USB/bases/Sales.vek"));
    // Not mounted at all: nothing to resolve.
    std::filesystem::remove_all(folder.Path("media/alice/USB"));
    EXPECT_FALSE(store.Resolve("/Volumes/USB/bases/Sales.vek", target));
    EXPECT_FALSE(store.Resolve("/home/x/Sales.vek", target));
}

TEST_F(AliasStoreTest, OneRecordPerTextNewestFirstAtMost256)
{
    AliasStore store = Store();
    auto record = [](const char* volume) {
        AliasRecord r;
        r.place.volume = volume;
        r.place.inside = "x";
        r.lastPath = "/nowhere/x";
        return r;
    };
    store.StoreRecord("/Volumes/A/x", record("A"));
    store.StoreRecord("/Volumes/B/x", record("B"));
    store.StoreRecord("/volumes/a/X", record("A2"));  // the same text in other letter case
    EXPECT_EQ(RecordVolumes(), (std::vector<std::string>{"A2", "B"}));
    AliasRecord found;
    ASSERT_TRUE(store.FindRecord("/Volumes/A/x", found));
    EXPECT_EQ(found.place.volume, "A2");
    EXPECT_EQ(found.lastPath, "/nowhere/x");

    for (int i = 0; i < 300; ++i)
        store.StoreRecord("/Volumes/V" + std::to_string(i) + "/x", record(("V" + std::to_string(i)).c_str()));
    std::vector<std::string> volumes = RecordVolumes();
    ASSERT_EQ(volumes.size(), 256u);
    EXPECT_EQ(volumes.front(), "V299");
    EXPECT_EQ(volumes.back(), "V44");
}

TEST_F(AliasStoreTest, ADamagedRecordEndsTheStore)
{
    AliasStore store = Store();
    AliasRecord r;
    r.place.volume = "A";
    store.StoreRecord("/Volumes/C/x", (r.place.volume = "C", r));
    store.StoreRecord("/Volumes/B/x", (r.place.volume = "B", r));
    store.StoreRecord("/Volumes/A/x", (r.place.volume = "A", r));
    std::string bytes = folder.Read("config/VEK/VEK Alias Data");
    size_t second = 20 + ((uint8_t(bytes[16]) << 8) | uint8_t(bytes[17]));
    bytes[second] = 0;  // the magic of B's record
    folder.Write("config/VEK/VEK Alias Data", bytes);
    AliasRecord found;
    EXPECT_TRUE(store.FindRecord("/Volumes/A/x", found));
    EXPECT_FALSE(store.FindRecord("/Volumes/C/x", found));
    store.StoreRecord("/Volumes/D/x", (r.place.volume = "D", r));
    EXPECT_EQ(RecordVolumes(), (std::vector<std::string>{"D", "A"}));
    // A length beyond the end of the file is damage too, not a read past the buffer.
    bytes = folder.Read("config/VEK/VEK Alias Data");
    bytes[16] = '\x7f';
    folder.Write("config/VEK/VEK Alias Data", bytes);
    EXPECT_FALSE(store.FindRecord("/Volumes/D/x", found));
}

TEST_F(AliasStoreTest, OtherTextsNeverTouchTheStore)
{
    folder.Write("home/file.txt", "x");
    FilePath path;
    path.SetPath(folder.Path("home/file.txt"));
    path.SetPath("~/file.txt");
    EXPECT_FALSE(std::filesystem::exists(folder.Path("config/VEK/VEK Alias Data")));
    EXPECT_FALSE(IsErrorPending());
}

}  // namespace
}  // namespace vek
