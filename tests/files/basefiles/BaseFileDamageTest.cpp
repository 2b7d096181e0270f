// Damaged and foreign files: each is refused with a numbered message that names the file and the
// line, and nothing of it is left in the open bases; damage that loses nothing (a missing end, a
// section that belongs nowhere) is reported the same way and the rest of the file is loaded.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/BaseSectionReader.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "model/dimensions/Dimension.h"
#include "model/selections/SubsetList.h"
#include "model/dates/TimeScale.h"
#include "platform/FilePath.h"
#include "platform/ForkByteFile.h"


namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

// Whether the file opens despite the message (its damage is reported and what it holds is loaded).
enum class Outcome { refused, loaded };

struct DamageCase {
    const char* name;
    std::string bytes;
    int32_t message;
    int32_t line;
    Outcome outcome = Outcome::refused;
    const char* loadedCode = nullptr;  // loaded: a code of dimension 2 that the base holds
};

std::vector<DamageCase> DamageCases()
{
    std::string sie = "#FLAGGA 0\r\n#PROGRAM \"x\" 1\r\n#SIETYP 4\r\n";
    std::string binary;
    for (int i = 0; i < 600; ++i)
        binary += char((i * 7919 + 13) % 256);
    return {
        // Regression: a file without "##End" was refused, and the data it held could not be rescued.
        {"truncated in a section", TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "A\tAlpha", "##Cards",
                                             "C240101-001\tFirst", "G", "L12.5\t\tA"}).substr(0, 77),
         message::kBaseFileIncomplete, 8, Outcome::loaded, "A"},
        {"no end section", TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "A\tAlpha", ""}),
         message::kBaseFileIncomplete, 5, Outcome::loaded, "A"},
        {"line without amount", TextBase({"##VEK-Text\t121122", "", "##Cards", "C240101-001", "G", "L", "", "##End"}),
         message::kBaseFileDamaged, 6},
        {"card without key", TextBase({"##VEK-Text\t121122", "", "##Cards", "C\tTitle", "", "##End"}),
         message::kBaseFileDamaged, 4},
        {"line before any card", TextBase({"##VEK-Text\t121122", "", "##Cards", "L5", "", "##End"}),
         message::kBaseFileDamaged, 4},
        // Regression: a dimension section numbered outside 1-32 refused the whole file; it is skipped.
        {"dimension 40", TextBase({"##VEK-Text\t121122", "", "##Dimension\t40", "A\tAlpha", "", "##Dimension\t2",
                                   "B\tBeta", "", "##End"}), message::kDimensionOutOfRange, 3, Outcome::loaded, "B"},
        {"dimension 0", TextBase({"##VEK-Text\t121122", "", "##Dimension\t0", "##Dimension\t2", "B\tBeta", "##End"}),
         message::kDimensionOutOfRange, 3, Outcome::loaded, "B"},
        {"dimension import 33", TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "B\tBeta", "", "##DimImport\t33",
                                          "A\tUTF-8", "", "##End"}), message::kDimensionOutOfRange, 6, Outcome::loaded, "B"},
        {"reference mode of dimension 33", TextBase({"##VEK-Text\t121122", "", "##Cards", "-DH\t33", "##End"}),
         message::kBaseFileDamaged, 4},
        {"25 amount columns", TextBase({"##VEK-Text\t121122", "", "##Cards", "-LN\t25", "##End"}),
         message::kBaseFileDamaged, 4},
        // Codes that start a section once their blanks are gone were refused here; the writer now
        // keeps them codes, and BaseFileRoundTripTest.TextsComeBackAsTheyWereOrAreReported reads them.
        // Regression: a NUL byte cut a text short where it stood, and the text saved differently each time.
        {"NUL byte", TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "-N\tAccount\tA " + std::string(3, '\0') + "ccounts",
                               "", "##End"}), message::kBaseFileDamaged, 4},
        // Fault 3: amounts that are no finite number were stored as infinity ("1e309", "inf") or read
        // as 0 ("NaN"); the file is refused, naming the line and the amount.
        {"amount beyond a double", TextBase({"##VEK-Text\t121122", "", "##Cards", "C240101-001", "G", "L1e309", "",
                                             "##End"}), message::kBaseAmountNotFinite, 6},
        {"amount inf", TextBase({"##VEK-Text\t121122", "", "##Cards", "C240101-001", "G", "L5", "L-inf\t\tA", "",
                                 "##End"}), message::kBaseAmountNotFinite, 7},
        {"NaN in the second column", TextBase({"##VEK-Text\t121122", "", "##Cards", "-LN\t2", "C240101-001", "G",
                                               "L1\tNaN", "", "##End"}), message::kBaseAmountNotFinite, 7},
        // Regression: a subset's selection line before any "VN" line had no selection to go to.
        {"subset line before its selection", TextBase({"##VEK-Text\t121122", "", "##Subset\tX", "Vk\t240101", "F\tA",
                                                       "##End"}), message::kSubsetLineWithoutSelection, 4},
        {"subset selection deleted, then a line", TextBase({"##VEK-Text\t121122", "", "##Subset\tX", "VN\tA", "V-",
                                                            "Vc\t2401\tABC", "##End"}),
         message::kSubsetLineWithoutSelection, 6},
        {"subset pattern nested too deep", TextBase({"##VEK-Text\t121122", "", "##Subset\tX", "VN\tA",
                                                     "Vk\t" + std::string(200, '(') + "240101", "##End"}),
         message::kSubsetPatternRefused, 5},
        {"empty file", "", message::kNotABase, 1},
        {"garbage bytes", binary, message::kNotABase, 1},
        {"garbage with a base mark", "\x01\x02#VEK\x7f\x80garbage" + binary, message::kDamagedBase, 1},
        {"comma-separated text", "account,amount\r\n1910,12.50\r\n", message::kNotABase, 1},
        {"base too old", TextBase({"##VEK-Text\t950101", "##End"}), message::kBaseTooOld, 1},
        {"base text on line 3", TextBase({"", "", "##VEK-Text\t960101", "##End"}), message::kBaseTooOld, 3},
        // XML input files are read now (XmlInterfaceTest); a container of a variant no version wrote
        // is the kind that stays unreadable.
        {"container of an unknown variant", std::string("\x05\x13Uxe121122omQ") + "Z6" + std::string(40, '\0'),
         message::kKindNotReadable, 1},
        {"block container of zeros", std::string("\x05\x13Uxe121122om") + "NZ6" + std::string(40, '\0'), message::kDamagedBase, 1},
    };
}

class BaseFileDamageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        bystander = std::make_unique<Base>(FilePath(folder.Path("open.vkx")), 0);
        bystander->AddComponent(1, "KEEP", "Kept", nullptr);
    }
    void TearDown() override
    {
        bystander.reset();
        ClearError();
    }

    ScratchFolder folder;
    std::unique_ptr<Base> bystander;
};

TEST_F(BaseFileDamageTest, DamagedFilesAreRefusedByNumberFileAndLine)
{
    for (const DamageCase& damage : DamageCases()) {
        SCOPED_TRACE(damage.name);
        std::string path = folder.Write("damaged file.vkx", damage.bytes);
        std::vector<Base*> before = test::OpenBases();
        test::MessageLog messages;
        std::unique_ptr<Base> opened(OpenBaseFile(FilePath(path), nullptr, 0));
        if (damage.outcome == Outcome::refused) {
            EXPECT_EQ(opened, nullptr);
            EXPECT_EQ(test::OpenBases(), before);
        } else {
            ASSERT_NE(opened, nullptr);
            EXPECT_NE(opened->GetDimension(1).FindByCode(damage.loadedCode), nullptr);
        }
        ASSERT_EQ(messages.codes.size(), 1u);
        EXPECT_EQ(messages.codes[0], damage.message);
        EXPECT_NE(messages.texts[0].find("damaged file.vkx"), std::string::npos) << messages.texts[0];
        EXPECT_NE(messages.texts[0].find("line " + std::to_string(damage.line)), std::string::npos) << messages.texts[0];
        EXPECT_FALSE(IsErrorPending());
    }
}

// Imported into an open base, a damaged file takes back everything it had added.
TEST_F(BaseFileDamageTest, DamagedImportLeavesTheOpenBaseAsItWas)
{
    std::string path = folder.Write("import.vkx", TextBase({"##VEK-Text\t121122", "", "##TimeScale\tQuarters",
                                                           "240101-1\tQ1", "", "##Subset\tImported", "VN\tA",
                                                           "Vk\t2401", "F\tA", "##Dimension\t2", "NEW\tNew one", "",
                                                           "##Cards", "C240101-001\tImported", "G", "L5\t\tNEW",
                                                           "C240102-001", "L"}));
    int32_t cards = bystander->CardCount();
    int32_t components = bystander->CountComponentsInUse();
    EXPECT_FALSE(ImportBaseFile(*bystander, FilePath(path), nullptr, 0));
    EXPECT_EQ(GetPendingError().message.code, message::kBaseFileDamaged);
    ClearError();
    EXPECT_EQ(bystander->CardCount(), cards);
    EXPECT_EQ(bystander->CountComponentsInUse(), components);
    EXPECT_EQ(bystander->GetDimension(1).FindByCode("NEW"), nullptr);
    EXPECT_EQ(bystander->TimeScales().Count(), 0);
    EXPECT_EQ(bystander->Subsets().Count(), 0);
}

// A file whose reading fails half-way (the disk gives an error after some blocks).
class FailingReadFile final : public ForkByteFile {
public:
    int64_t Read(void* buffer, int64_t n) override
    {
        if (consumed >= kFailAfter) {
            SetErrorCode(message::kReadFailed);
            return 0;
        }
        int64_t got = ForkByteFile::Read(buffer, n < 4096 ? n : 4096);
        consumed += got;
        return got;
    }
    static constexpr int64_t kFailAfter = 20000;

private:
    int64_t consumed = 0;
};

TEST_F(BaseFileDamageTest, ReadFailingHalfWayLeavesNoBase)
{
    std::string text = TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "A\tAlpha", "", "##Cards"});
    for (int32_t i = 1; i <= 2000; ++i)
        text += "C240101-" + std::to_string(i) + "\rG\rL1\t\tA\r\r";
    text += "##End\r";
    std::string path = folder.Write("big.vkx", text);
    ASSERT_NE(OpenBaseFile(FilePath(path), nullptr, 0), nullptr);  // readable as it is
    delete test::OpenBases().back();

    ScopedService<ByteFileMaker> failing([]() -> std::unique_ptr<ByteFile> { return std::make_unique<FailingReadFile>(); });
    std::vector<Base*> before = test::OpenBases();
    test::MessageLog messages;
    EXPECT_EQ(OpenBaseFile(FilePath(path), nullptr, 0), nullptr);
    EXPECT_EQ(test::OpenBases(), before);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kReadFailed});
}

// An unknown section is reported with its name, file and line, and skipped; the file still loads.
TEST_F(BaseFileDamageTest, UnknownSectionIsReportedAndSkipped)
{
    std::string path = folder.Write("later.vkx", TextBase({"##VEK-Text\t121122", "", "##Sparkles\tx", "ZZ\t1", "",
                                                          "##Dimension\t2", "A\tAlpha", "", "##End"}));
    test::MessageLog messages;
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_NE(base->GetDimension(1).FindByCode("A"), nullptr);
    ASSERT_EQ(messages.codes, std::vector<int32_t>{message::kUnknownSection});
    EXPECT_NE(messages.texts[0].find("Sparkles"), std::string::npos);
    EXPECT_NE(messages.texts[0].find("line 3"), std::string::npos);
    delete base;
}

}  // namespace
}  // namespace vek
