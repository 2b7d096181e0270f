// Tests of FileKindSniffer: one sample file of every kind it knows.
#include "platform/FileKindSniffer.h"

#include <gtest/gtest.h>

#include "TestFolder.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// One small sample of every kind the sniffer knows, made in a scratch folder.
TEST(FileKindSnifferTest, TellsEveryKnownKind)
{
    TestFolder folder;
    constexpr uint32_t plain = kFileKindNotEmpty | kFileKindNotApplication;
    struct Case {
        const char* name;
        std::string bytes;
        uint32_t expected;
    };
    const std::string nineLines = "1\r2\r3\r4\r5\r6\r7\r8\r";
    const Case cases[] = {
        {"empty.dat", "", 0},
        {"empty.txt", "", kFileKindText},
        {"plain.dat", "hello", plain},
        {"NOTES.TXT", "hello", plain | kFileKindText},
        {"program", "\x7f" "ELF", plain},
        {"container.vek", "##Uxe\x01\x02", plain | kFileKindContainer},
        {"binary.vek", std::string("\x05\x13Uxe\x00\x01", 7), plain | kFileKindContainer},
        {"old.vek", "\xA5\xA5\xA5Uxe\x01", plain | kFileKindOldContainer},
        {"base.vkx", "##VEK-Text\t250101\r##Dimensions\r", plain | kFileKindBaseText},
        {"lower.vkx", "\n\n##vek-text\t250101\n", plain | kFileKindBaseText},
        {"bullets-utf8.vkx", "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2VEK-Text\r", plain | kFileKindBulletText},
        {"bullets-mac.vkx", "\xA5\xA5\xA5vek-text\rx\xE9\r", plain | kFileKindBulletText},
        {"utf16.vkx", std::string("\xFF\xFE#\0#\0V\0E\0K\0-\0T\0e\0x\0t\0\r\0", 24), plain | kFileKindBaseText},
        {"export.si", "#FLAGGA 0\r\n#PROGRAM \"x\" 1\r\n#SIETYP 4\r\n", plain | kFileKindSie},
        {"late.si", nineLines + "#SIETYP 4\r", plain | kFileKindSie},
        {"too-late.si", nineLines + "9\r#SIETYP 4\r", plain},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearError();
        FilePath path;
        path.SetPath(folder.Write(c.name, c.bytes));
        EXPECT_EQ(SniffFileFlags(path), c.expected);
        EXPECT_FALSE(IsErrorPending());
    }
    FilePath base;
    base.SetPath(folder.Path("base.vkx"));
    EXPECT_TRUE(SniffFileKind(base, kFileKindsBaseAndInterchange));
    EXPECT_FALSE(SniffFileKind(base, kFileKindsText));
    FilePath missing;
    missing.SetPath(folder.Path("missing.vkx"));
    EXPECT_EQ(SniffFileFlags(missing), 0u);
    EXPECT_EQ(GetPendingError().message.code, message::kCannotOpen);
    ClearError();
}

}  // namespace
}  // namespace vek
