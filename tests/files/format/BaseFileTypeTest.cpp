// Telling the kind of a file from its first bytes and lines.
#include <gtest/gtest.h>

#include <string>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileType.h"
#include "foundation/strings/String.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

std::string Container(const char* magic, const char* date, char password, char variant, char compression)
{
    std::string bytes(magic);
    bytes += date;
    bytes += password;
    bytes += 'm';
    bytes += variant;
    bytes += compression;
    bytes += '6';
    bytes += std::string(16, '\0');
    bytes += std::string("\x01\x02\x03\x04", 4);  // the header word at 32
    bytes += std::string(8, '\0');
    return bytes;
}

struct DetectionCase {
    const char* name;
    std::string bytes;
    int32_t kind;
    int32_t version;
    int32_t newer;
    int32_t line;
};

TEST(BaseFileTypeTest, KindsByFirstBytesAndLines)
{
    std::string tenthLine;
    for (int i = 0; i < 9; ++i)
        tenthLine += "x\r";
    std::string farTenthLine;
    for (int i = 0; i < 9; ++i)
        farTenthLine += std::string(80, 'x') + "\r";
    const DetectionCase cases[] = {
        {"container N", Container("\x05\x13Uxe", "121122", 'o', 'N', 'Z'), kFileContainerN, 20121122, 0, 1},
        {"container B, stored", Container("##Uxe", "981208", 'x', 'B', '-'), kFileContainerB, 19981208, 0, 1},
        {"container U", Container("##Uxe", "121122", 'o', 'U', 'Z'), kFileContainerU, 20121122, 0, 1},
        {"container of unknown variant", Container("##Uxe", "121122", 'o', 'Q', 'Z'), kFileNothing, 20121122, 0, 1},
        {"container 981204", Container("##Uxe", "981204", 'o', 'N', 'Z'), kFileTooOld, 19981204, 0, 1},
        {"packed 970101", Container("##Uxe", "970101", 'o', 'N', 'Z'), kFilePacked, 19970101, 0, 1},
        {"container 961213", Container("##Uxe", "961213", 'o', 'N', 'Z'), kFileTooOld, 19961213, 0, 1},
        {"newer container", Container("##Uxe", "130101", 'o', 'N', 'Z'), kFileContainerN, 20130101, 1, 1},
        {"packed bullets", "\xA5\xA5\xA5Uxe960101om" + std::string(30, 'z'), kFilePackedBullets, 19960101, 0, 1},
        {"packed bullets too old", "\xA5\xA5\xA5Uxe920101om", kFileBulletsTooOld, 19920101, 0, 1},
        {"bullets Use", "\xA5\xA5\xA5Use whatever", kFileBulletsTooOld, 0, 0, 1},
        {"text base", "\xEF\xBB\xBF##VEK-Text\t121122\r\r##End\r", kFileText, 20121122, 0, 1},
        {"text base, lower case", "##vek-text\t121122\n", kFileText, 20121122, 0, 1},
        {"text base 960929", "##VEK-Text\t960929\r", kFileTooOld, 19960929, 0, 1},
        {"text base 121123", "##VEK-Text\t121123\r", kFileText, 20121123, 1, 1},
        {"text base 000101", "##VEK-Text\t000101\r", kFileText, 20000101, 0, 1},
        {"text base without a date", "##VEK-Text\r", kFileTooOld, 0, 0, 1},
        {"text base on line 2", "\r\n##VEK-Text\t121122\r\n", kFileText, 20121122, 0, 2},
        {"text base on line 10, near", tenthLine + "##VEK-Text\t121122\r", kFileDamaged, 0, 0, 1},
        {"text base on line 10, far", farTenthLine + "##VEK-Text\t121122\r", kFileOtherText, 0, 0, 1},
        {"bullet text base", "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2VEK-Text\t981105\r", kFileTextBullets, 19981105, 0, 1},
        {"bullet text base in Mac Roman", "\xA5\xA5\xA5VEK-Text\t930525\r", kFileTextBullets, 19930525, 0, 1},
        {"bullet text base too old", "\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2VEK-Text\t930524\r", kFileBulletsTooOld, 19930524, 0, 1},
        {"xml", "<?XML version=\"1.0\"?>\n", kFileXml, 0, 0, 1},
        {"xml input", "<VEK-xml-input>\n", kFileXml, 0, 0, 1},
        {"SIE on line 3", "#FLAGGA 0\r\n#PROGRAM x\r\n#SIETYP 4\r\n", kFileSie, 0, 0, 1},
        {"SIE type on line 3", "#PROGRAM x\r\n#FORMAT PC8\r\n#SIETYP 4\r\n", kFileSie, 0, 0, 3},
        {"csv", "a,b\r\n1,2\r\n", kFileOtherText, 0, 0, 1},
        {"empty", "", kFileOtherText, 0, 0, 1},
        {"a container magic further in", "junk#Uxe121122", kFileDamaged, 0, 0, 1},
        {"UTF-16 text base", std::string("\xFF\xFE#\0#\0V\0E\0K\0-\0T\0e\0x\0t\0\t\0" "1\0" "2\0" "1\0" "1\0" "2\0" "2\0\r\0", 38),
         kFileText, 20121122, 0, 1},
    };
    for (const DetectionCase& detection : cases) {
        SCOPED_TRACE(detection.name);
        BaseFileState state;
        DetectBaseFileTypeInBytes(state, detection.bytes.data(), int64_t(detection.bytes.size()));
        EXPECT_EQ(state.kind, detection.kind);
        EXPECT_EQ(state.version, detection.version);
        EXPECT_EQ(state.newer, detection.newer);
        EXPECT_EQ(state.verdictLine, detection.line);
    }
}

TEST(BaseFileTypeTest, ContainerHeaderFields)
{
    std::string bytes = Container("##Uxe", "121122", 'x', 'B', '-');
    BaseFileState state;
    DetectBaseFileTypeInBytes(state, bytes.data(), int64_t(bytes.size()));
    EXPECT_EQ(state.passwordNeeded, 1);
    EXPECT_EQ(state.compressed, 0);
    EXPECT_EQ(state.headerWord, 0x01020304u);
    bytes = Container("##Uxe", "121122", 'o', 'N', 'Z');
    DetectBaseFileTypeInBytes(state, bytes.data(), 20);  // cut before the header word
    EXPECT_EQ(state.passwordNeeded, 0);
    EXPECT_EQ(state.compressed, 1);
    EXPECT_EQ(state.headerWord, 0u);
}

TEST(BaseFileTypeTest, VersionDatesAndNames)
{
    EXPECT_EQ(ParseVersionDate(" \t981105", 8), 19981105);
    EXPECT_EQ(ParseVersionDate("890101", 6), 19890101);
    EXPECT_EQ(ParseVersionDate("000101", 6), 20000101);
    EXPECT_EQ(ParseVersionDate("000000", 6), 0);
    EXPECT_EQ(ParseVersionDate("1211229", 7), 20121122);  // six digits at most
    EXPECT_EQ(ParseVersionDate("12", 2), 19000012 + 1000000);
    EXPECT_EQ(ParseVersionDate("121122", 3), 20000121);  // never beyond n
    const struct {
        int32_t version;
        const char* name;
    } names[] = {{20121122, "VEK 5.6"}, {20121121, "VEK 5.4"}, {20080813, "VEK 5.4"}, {20051004, "VEK 5.3"},
                 {20041020, "VEK 5.2"}, {20001219, "VEK 5.0"}, {19981105, "VEK 4.1"}, {1, "VEK 4.0"}};
    for (const auto& entry : names) {
        String text;
        VersionName(entry.version, text);
        EXPECT_STREQ(text.CStr(), entry.name) << entry.version;
    }
    String unchanged;
    unchanged.AssignCStr("kept");
    VersionName(0, unchanged);
    EXPECT_STREQ(unchanged.CStr(), "kept");
}

TEST(BaseFileTypeTest, ReadableFiles)
{
    test::ScratchFolder folder;
    EXPECT_TRUE(IsReadableBaseFile(FilePath(folder.Write("a.vkx", "##VEK-Text\t121122\r##End\r"))));
    EXPECT_FALSE(IsReadableBaseFile(FilePath(folder.Write("b.csv", "a;b\r"))));
    BaseFileState state;
    state.kind = kFileText;
    DetectBaseFileType(state, FilePath(folder.Path("missing.vkx")));
    EXPECT_EQ(state.kind, kFileNothing);
    ClearError();
}

}  // namespace
}  // namespace vek
