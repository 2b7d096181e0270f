// A failed import into an open base takes back everything it changed: the base saves afterwards to
// exactly the text it saved before, whatever kind of section the import had read by then.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFileSettings.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/BaseSectionReader.h"
#include "files/setups/SaveSettings.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

struct ImportCase {
    const char* name;
    std::vector<std::string> lines;  // sections read before the damage
};

// Every row guards against one kind of change that a failed import used to leave in the open base.
std::vector<ImportCase> ImportCases()
{
    return {
        {"web users", {"##WebUsers", "U\tanna\tchanged", "LG\tSE", "U\tcecilia\tnew", ""}},
        {"base options",
         {"##BaseOptions", "CN\t6", "CD\tF\tF\tF\t5", "CT\tOther card", "LT\tOther line", "LV\tA\tB\tC\tD\tE",
          "LN\t5", "R\tMonth-3", "DL", ""}},
        {"time scales", {"##TimeScale\tQuarters", "240101-1\tFirst", "", "##TimeScale\tHalves", "240101-1\tH1", ""}},
        {"macros", {"##Macro\tStart", "M\tquit", "A+", "", "##Macro\tOther", "M\tsave", ""}},
        {"save setups", {"##SaveSetup\tYearly", "FT", "", "##SaveSetup\tMonthly", "FZ-", ""}},
        {"import setups", {"##ImportSetup\tPayroll", "CB", "FX", "", "##ImportSetup\tNew", "FX", ""}},
        {"dimension import setups", {"##DimImport\t2", "MI", "", "##DimImport\t5", "FX", ""}},
        {"dimension options and texts",
         {"##Dimension\t2", "-N\tKonto\tKonton", "-C\tL", "-T\tU", "-H\tL", "-S\tC", "-W\t100\t110\t120", "-I\tS",
          "-X\t+", "--", "2000\tDebts\t2000", ""}},
        {"dimension names only", {"##Dimension\t3", "-N\t\t", "-T\tL", "--", ""}},
        {"new dimension", {"##Dimension\t7", "-N\tSeventh\tSevenths", "-EC\t50", "Q1\tQ one", ""}},
        {"cards and components",
         {"##Cards", "-LN\t6", "C240301-001\tMarch", "GNEWCO", "L1\t2\t3\t4\t5\t6\tText\tNEWACC", ""}},
        {"characters and protection",
         {"##Characters", "v\tOther 1.0", "u\tSomeone", "##Protection\tOther password", ""}},
    };
}

class ImportRollbackTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    // The base's full save text, written without changing its path or its modified mark.
    std::string SaveText(Base& base, const char* name)
    {
        std::unique_ptr<SaveSettings> settings = MakeSaveSettingsFromBase(base);
        EXPECT_TRUE(SaveBaseToPath(base, FilePath(folder.Path(name)), settings.get()));
        return folder.Read(name);
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

TEST_F(ImportRollbackTest, FailedImportLeavesTheBaseAsItWasAfterEveryKindOfSection)
{
    for (const ImportCase& row : ImportCases()) {
        SCOPED_TRACE(row.name);
        // A base with every section the program keeps: cards, dimensions, options, named objects.
        std::unique_ptr<Base> base(OpenBaseFile(FilePath(test::FixturePath("every-section.vkx")), nullptr, 0));
        ASSERT_NE(base, nullptr);
        ASSERT_TRUE(ImportBaseFile(*base, FilePath(test::FixturePath("named-objects.vkx")), nullptr, 0));
        ASSERT_TRUE(ImportBaseFile(*base, FilePath(test::FixturePath("kept-sections.vkx")), nullptr, 0));
        base->SetModified(false);
        std::string before = SaveText(*base, "before.vkx");
        ASSERT_NE(before.find("##WebUsers"), std::string::npos);
        ASSERT_NE(before.find("##SaveSetup\tYearly"), std::string::npos);
        ASSERT_NE(before.find("##ImportSetup\tPayroll"), std::string::npos);
        ASSERT_NE(before.find("##DimImport\t2"), std::string::npos);

        std::string text = TextBase({"##VEK-Text\t121122", ""});
        for (const std::string& line : row.lines)
            text += line + '\r';
        // A card line without its key: the damage that stops the import after the sections above.
        text += TextBase({"##Cards", "C240401-001\tLast", "C", "##End"}).substr(3);
        EXPECT_FALSE(ImportBaseFile(*base, FilePath(folder.Write("import.vkx", text)), nullptr, 0));
        EXPECT_EQ(GetPendingError().message.code, message::kBaseFileDamaged);
        ClearError();
        EXPECT_EQ(SaveText(*base, "after.vkx"), before);
        EXPECT_FALSE(base->IsModified());
    }
}

}  // namespace
}  // namespace vek
