// Opening, saving and closing bases by path.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>
#include <unistd.h>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileRecord.h"
#include "files/format/BaseFileType.h"
#include "files/setups/DimImportSetup.h"
#include "files/setups/ImportSetup.h"
#include "files/basefiles/BaseFiles.h"
#include "files/sections/KeptSections.h"
#include "files/setups/SaveSettings.h"
#include "foundation/streams/ByteFile.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/dimensions/Dimension.h"
#include "model/selections/SubsetList.h"
#include "platform/FileDialogs.h"
#include "platform/FilePath.h"
#include "platform/ForkByteFile.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;
using test::AnsweringHandler;

// The first line of each kept section of the base, in order.
std::vector<std::string> KeptMarkers(Base& base)
{
    std::vector<std::string> markers;
    for (const KeptSection& section : BaseFileRecord::Of(base).Kept().Sections())
        markers.push_back(section.lines.front());
    return markers;
}

// The lines of the first kept section whose first line is `marker`.
std::vector<std::string> KeptLines(Base& base, std::string_view marker)
{
    for (const KeptSection& section : BaseFileRecord::Of(base).Kept().Sections()) {
        if (section.lines.front() == marker)
            return section.lines;
    }
    return {};
}

class BaseDocumentsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    std::string WriteSmallBase(const char* name)
    {
        return folder.Write(name, TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "A\tAlpha", "", "##Cards",
                                            "C240101-001\tFirst", "G", "L12.5\t\tA", "", "##End"}));
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

TEST_F(BaseDocumentsTest, NewBaseTakesTheLowestFreeNumber)
{
    Base* first = NewBase();
    Base* second = NewBase();
    Base* third = NewBase();
    EXPECT_EQ(first->UntitledNumber(), 1);
    EXPECT_EQ(third->UntitledNumber(), 3);
    EXPECT_TRUE(CloseBase(second, CloseMode::WindowsOnly));
    EXPECT_EQ(NewBase()->UntitledNumber(), 2);
    EXPECT_TRUE(CloseBase(nullptr, CloseMode::WindowsOnly));
}

TEST_F(BaseDocumentsTest, OpeningAFileThatIsOpen)
{
    std::string path = WriteSmallBase("small.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_FALSE(base->IsModified());
    EXPECT_EQ(base->CardCount(), 1);
    EXPECT_EQ(base->SaveKind(), kSaveFormatText);
    EXPECT_EQ(FindOpenBase(FilePath(path)), base);
    EXPECT_EQ(OpenBaseFile(FilePath(path), nullptr, kOpenReturnOpenBase), base);
    EXPECT_TRUE(messages.codes.empty());
    // Nobody to ask: the preset answer keeps to the open base.
    EXPECT_EQ(OpenBaseFile(FilePath(path), nullptr, 0), base);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kAlreadyOpen});
    {
        AnsweringHandler openAgain(0, 1);
        Base* second = OpenBaseFile(FilePath(path), nullptr, 0);
        ASSERT_NE(second, nullptr);
        EXPECT_NE(second, base);
        EXPECT_EQ(second->CardCount(), 1);
    }
    EXPECT_EQ(test::OpenBases().size(), 2u);
}

TEST_F(BaseDocumentsTest, MissingFileIsReportedAndOpensNothing)
{
    EXPECT_EQ(OpenBaseFile(FilePath(folder.Path("missing.vkx")), nullptr, 0), nullptr);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kCannotOpen});
    EXPECT_TRUE(test::OpenBases().empty());
}

TEST_F(BaseDocumentsTest, SaveWritesTheOwnFileAndClearsTheModifiedMark)
{
    std::string path = WriteSmallBase("own.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    base->AddComponent(1, "B", "Beta", nullptr);
    base->NotifyChangedDimensions();
    EXPECT_TRUE(base->IsModified());
    ASSERT_TRUE(SaveBase(*base));
    EXPECT_FALSE(base->IsModified());
    EXPECT_NE(folder.Read("own.vkx").find("B\tBeta\r"), std::string::npos);
    const BaseFileRecord* record = BaseFileRecord::Find(*base);
    ASSERT_NE(record, nullptr);
    EXPECT_STREQ(record->Info().Text(BaseFileInfo::programVersion), "VEK 5.6.7");
    EXPECT_EQ(folder.CountEntries(), 1);
}

// A file changed by another program since it was read is not overwritten without a yes.
TEST_F(BaseDocumentsTest, FileChangedOnDiskIsConfirmedFirst)
{
    std::string path = WriteSmallBase("changed.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(30));
    std::string before = folder.Read("changed.vkx");
    EXPECT_FALSE(SaveBase(*base));
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kChangedOnDisk});
    EXPECT_EQ(folder.Read("changed.vkx"), before);
    ClearError();
    AnsweringHandler saveAnyway(0, 1);
    EXPECT_TRUE(SaveBase(*base));
}

TEST_F(BaseDocumentsTest, SavingOverAFileThatIsNoBaseIsConfirmedFirst)
{
    std::string path = WriteSmallBase("base.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    folder.Write("base.vkx", "name;amount\r\nx;1\r\n");
    BaseFileRecord::Of(*base).fileTime = 0.0;  // not known: no question of its own
    EXPECT_FALSE(SaveBase(*base));
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kReplaceNotBase});
    EXPECT_EQ(folder.Read("base.vkx"), "name;amount\r\nx;1\r\n");
}

// A path ending in "vek" saves a block container, which the base then keeps as its file and format.
TEST_F(BaseDocumentsTest, ContainerExtensionSavesAContainer)
{
    std::string path = WriteSmallBase("text.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("out.vek")), nullptr));
    EXPECT_EQ(base->Path().Text(), folder.Path("out.vek"));
    BaseFileState state;
    DetectBaseFileType(state, FilePath(folder.Path("out.vek")));
    EXPECT_EQ(state.kind, kFileContainerN);
    EXPECT_EQ(state.compressed, 1);
}

// Files whose writing fails or is cancelled after some blocks.
class FailingWriteFile final : public ForkByteFile {
public:
    explicit FailingWriteFile(bool cancel) : cancel(cancel) {}
    int64_t Write(const void* bytes, int64_t n) override
    {
        if (written >= kFailAfter) {
            if (!cancel) {
                SetErrorCode(message::kWriteFailed);
                return 0;
            }
            SetCancelledError();
        }
        written += n;
        return ForkByteFile::Write(bytes, n);
    }
    static constexpr int64_t kFailAfter = 30000;

private:
    bool cancel;
    int64_t written = 0;
};

TEST_F(BaseDocumentsTest, FailedOrCancelledSaveLeavesTheOldFile)
{
    std::string path = WriteSmallBase("keep.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    for (int32_t i = 0; i < 3000; ++i) {
        CardKey key{MakePackedDate(2024, 2, 1), i + 1};
        Card* card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        ASSERT_NE(base->CreateLine(base->FindOrAddGroup(card, 0)), nullptr);
    }
    std::string before = folder.Read("keep.vkx");
    for (bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "failed");
        ScopedService<ByteFileMaker> failing(
            cancel ? []() -> std::unique_ptr<ByteFile> { return std::make_unique<FailingWriteFile>(true); }
                   : []() -> std::unique_ptr<ByteFile> { return std::make_unique<FailingWriteFile>(false); });
        base->SetModified(true);
        EXPECT_FALSE(SaveBase(*base));
        EXPECT_EQ(GetPendingError().message.code, cancel ? kMessageCancelled : message::kWriteFailed);
        ClearError();
        EXPECT_EQ(folder.Read("keep.vkx"), before);
        EXPECT_EQ(folder.CountEntries(), 1);  // no temporary file left behind
        EXPECT_TRUE(base->IsModified());
        EXPECT_EQ(base->Path().Text(), path);
    }
}

// A file whose reads or writes run out of memory midway, as a standard container deep below would.
class ExhaustedFile final : public ForkByteFile {
public:
    int64_t Read(void* buffer, int64_t n) override
    {
        if (consumed >= kFailAfter)
            throw std::bad_alloc();
        int64_t got = ForkByteFile::Read(buffer, n < 4096 ? n : 4096);
        consumed += got;
        return got;
    }
    int64_t Write(const void* bytes, int64_t n) override
    {
        if (consumed >= kFailAfter)
            throw std::bad_alloc();
        consumed += n;
        return ForkByteFile::Write(bytes, n);
    }
    static constexpr int64_t kFailAfter = 30000;

private:
    int64_t consumed = 0;
};

// Regression: running out of memory inside an open, an import or a save ended the program; before
// that, a save's half-written file would have replaced the old one as the writer went out of scope.
// Each operation now fails with 600 and leaves the open bases and the files as they were.
TEST_F(BaseDocumentsTest, RunningOutOfMemoryFailsTheOperationAndChangesNothing)
{
    std::string text = TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "A\tAlpha", "", "##Cards"});
    for (int32_t i = 1; i <= 3000; ++i)
        text += "C240101-" + std::to_string(i) + "\rG\rL1\t\tA\r\r";
    text += "##End\r";
    std::string large = folder.Write("large.vkx", text);
    std::string path = WriteSmallBase("keep.vkx");
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    for (int32_t i = 0; i < 3000; ++i) {
        CardKey key{MakePackedDate(2024, 2, 1), i + 1};
        Card* card = base->CreateCard(key);
        ASSERT_NE(card, nullptr);
        ASSERT_NE(base->CreateLine(base->FindOrAddGroup(card, 0)), nullptr);
    }
    std::string before = folder.Read("keep.vkx");
    int32_t cards = base->CardCount();
    ScopedService<ByteFileMaker> exhausted([]() -> std::unique_ptr<ByteFile> { return std::make_unique<ExhaustedFile>(); });

    base->SetModified(true);
    EXPECT_FALSE(SaveBase(*base));
    EXPECT_EQ(GetPendingError().message.code, message::kOutOfMemory);
    ClearError();
    EXPECT_EQ(folder.Read("keep.vkx"), before);
    EXPECT_EQ(folder.CountEntries(), 2);  // no temporary file left behind

    EXPECT_FALSE(ImportBaseFile(*base, FilePath(large), nullptr, 0));
    EXPECT_EQ(base->CardCount(), cards);
    ClearError();

    std::vector<Base*> open = test::OpenBases();
    EXPECT_EQ(OpenBaseFile(FilePath(large), nullptr, 0), nullptr);
    EXPECT_EQ(test::OpenBases(), open);
    ClearError();
}

TEST_F(BaseDocumentsTest, ImportAddsTheFileToAnOpenBase)
{
    Base* base = OpenBaseFile(FilePath(WriteSmallBase("into.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    std::string other = folder.Write("other.vkx", TextBase({"##VEK-Text\t121122", "", "##BaseOptions", "CN\t5", "",
                                                           "##Cards", "C240105-001\tSecond", "G", "L1\t\tA", "C240105-002",
                                                           "G", "L2\t\tZ", "", "##End"}));
    ASSERT_TRUE(ImportBaseFile(*base, FilePath(other), nullptr, 0));
    EXPECT_EQ(base->CardCount(), 3);
    EXPECT_NE(base->GetDimension(1).FindByCode("Z"), nullptr);
    EXPECT_EQ(base->Path().Text(), folder.Path("into.vkx"));
    EXPECT_EQ(messages.codes, std::vector<int32_t>{3310});  // the unknown code Z, made
}

// An import that fails midway takes back everything it added, the save setups and kept sections of
// the files layer too.
TEST_F(BaseDocumentsTest, FailedImportTakesBackItsSaveSetups)
{
    Base* base = OpenBaseFile(FilePath(test::FixturePath("kept-sections.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    SaveSetupList& setups = BaseFileRecord::Of(*base).SaveSetups();
    int32_t before = setups.Count();
    std::vector<std::string> kept = KeptMarkers(*base);
    std::string damaged = folder.Write("damaged.vkx", TextBase({"##VEK-Text\t121122", "", "##SaveSetup\tYearly",
                                                               "FT", "", "##ImportSetup\tPayroll", "CB", "",
                                                               "##Templates", "#C\tOther", "",
                                                               "#C\tReports: Sales cards", "xo", "##Cards",
                                                               "C240105-001\tSecond", "G", "L1\t\t1910", "L"}));
    EXPECT_FALSE(ImportBaseFile(*base, FilePath(damaged), nullptr, 0));
    EXPECT_EQ(setups.Count(), before);
    EXPECT_EQ(setups.Find("Yearly"), nullptr);
    EXPECT_EQ(base->CardCount(), 1);
    EXPECT_EQ(KeptMarkers(*base), kept);
    // The template the import added goes again, and the one it replaced comes back as it was.
    EXPECT_EQ(base->FindTemplate("Other"), nullptr);
    EXPECT_EQ(base->Templates().Count(), 2);
    auto* replaced = dynamic_cast<AnalysisTemplate*>(base->FindTemplate("Reports: Sales cards"));
    ASSERT_NE(replaced, nullptr);
    EXPECT_FALSE(replaced->autoOpen);
    // The import setup read again under its name is put back as it was.
    ImportSetup* payroll = BaseFileRecord::Of(*base).ImportSetups().Find("Payroll");
    ASSERT_NE(payroll, nullptr);
    EXPECT_FALSE(payroll->Settings().countBytes);
    EXPECT_EQ(BaseFileRecord::Of(*base).ImportSetups().Count(), 2);
}

// The sections of an imported file are taken as their own readers take them (import setups,
// dimension import setups, subsets, templates): an object of the same name, path or dimension is
// replaced, new ones are added, and commands (which an import runs once) are not kept.
TEST_F(BaseDocumentsTest, ImportTakesTheKeptSectionsOfTheFile)
{
    Base* base = OpenBaseFile(FilePath(test::FixturePath("kept-sections.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    std::string other = folder.Write("other.vkx", TextBase({"##VEK-Text\t121122", "",
                                                           "##ImportSetup\tPAYROLL ", "A\tUTF-16LE", "",
                                                           "##ImportSetup\tInvoices", "CB", "",
                                                           "##DimImport\t2", "MI", "",
                                                           "##Subset\tNew subset", "B\tL<0", "",
                                                           "##Templates", "#C\tReports: Sales cards",
                                                           "W\t10\t10\t600\t400", "N\tCards of the sales",
                                                           "#L\tReports: Monthly lines", "W\t20\t20\t700\t500", "",
                                                           "##Templates", "#P\tOther: Components", "",
                                                           "##Commands", "close", "", "##End"}));
    ASSERT_TRUE(ImportBaseFile(*base, FilePath(other), nullptr, 0));
    EXPECT_EQ(KeptMarkers(*base), (std::vector<std::string>{"##Commands"}));
    // Templates of the same path are replaced, new ones added to the tree.
    EXPECT_EQ(base->Templates().Count(), 3);
    EXPECT_NE(base->FindTemplate("Other: Components"), nullptr);
    EXPECT_NE(base->FindTemplate("Reports: Sales cards"), nullptr);
    // Subsets join the base's in order of name.
    const SubsetList& subsets = base->Subsets();
    ASSERT_EQ(subsets.Count(), 3);
    EXPECT_STREQ(subsets.GetAt(0)->GetName(), "Large sales");
    EXPECT_STREQ(subsets.GetAt(1)->GetName(), "New subset");
    EXPECT_STREQ(subsets.GetAt(2)->GetName(), "Projects");
    // Import setups: the one of the same name is read again in place, a new one is added; the
    // dimension import setup of dimension 2 is read again.
    const ImportSetupList& setups = BaseFileRecord::Of(*base).ImportSetups();
    EXPECT_EQ(setups.Count(), 3);
    ASSERT_NE(setups.Find("payroll"), nullptr);
    EXPECT_EQ(setups.Find("payroll")->Settings().encoding, 1);
    ASSERT_NE(setups.Find("Invoices"), nullptr);
    EXPECT_TRUE(setups.Find("Invoices")->Settings().countBytes);
    ASSERT_NE(DimImportSetup::Find(*base, 1), nullptr);
    EXPECT_EQ(DimImportSetup::Find(*base, 1)->Settings().structureMode, 1);
    EXPECT_NE(DimImportSetup::Find(*base, 8), nullptr);
    EXPECT_EQ(KeptLines(*base, "##Commands"), (std::vector<std::string>{"##Commands", "beep", ""}));
    EXPECT_TRUE(messages.codes.empty());
}

// Regression: after "save as" an untitled base kept its untitled number, so it went on being called
// "Untitled 1" and the next save asked for a path again.
TEST_F(BaseDocumentsTest, SaveAsNamesTheBaseByItsNewFile)
{
    HeadlessFileDialogs dialogs;
    ScopedService<FileDialogService> registeredDialogs{&dialogs};
    Base* base = NewBase();
    ASSERT_EQ(base->UntitledNumber(), 1);
    base->AddComponent(1, "A", "Alpha", nullptr);
    dialogs.QueueAnswer(folder.Path("named.vkx"));
    EXPECT_TRUE(SaveBaseAs(*base));
    EXPECT_EQ(base->UntitledNumber(), 0);
    EXPECT_EQ(base->Path().Text(), folder.Path("named.vkx"));
    String name;
    base->GetFileName(name);
    EXPECT_STREQ(name.CStr(), "named.vkx");
    // The next save goes to that file without a dialog (none is queued: a dialog would cancel).
    base->AddComponent(1, "B", "Beta", nullptr);
    base->NotifyChangedDimensions();
    EXPECT_TRUE(SaveBase(*base));
    EXPECT_NE(folder.Read("named.vkx").find("B\tBeta\r"), std::string::npos);
    // Its number is free for the next new base.
    EXPECT_EQ(NewBase()->UntitledNumber(), 1);
}

// A file of a later version is read only when the user says so; nobody to ask reads nothing.
TEST_F(BaseDocumentsTest, NewerFileIsConfirmedFirst)
{
    std::string path = folder.Write("newer.vkx", TextBase({"##VEK-Text\t130101", "", "##Dimension\t2", "A\tAlpha",
                                                           "", "##End"}));
    EXPECT_EQ(OpenBaseFile(FilePath(path), nullptr, 0), nullptr);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{message::kNewerFile});
    EXPECT_TRUE(test::OpenBases().empty());
    AnsweringHandler readAnyway(1, 1);
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(readAnyway.codes, std::vector<int32_t>{message::kNewerFile});
}

// Fault 7: "export-sie FILE FILE" and "save FILE FILE" wrote over the file they read, in a form that
// cannot hold all of it. Only a plain save in the file's own form may go over it; the same file is
// known through links (device and node), and a refusal leaves the file as it was.
TEST_F(BaseDocumentsTest, WritingOverTheInputIsRefusedUnlessAPlainSave)
{
    std::string base = WriteSmallBase("base.vkx");
    folder.Write("books.si", "#FLAGGA 0\r\n#SIETYP 4\r\n");
    ASSERT_EQ(link(base.c_str(), folder.Path("hard.vkx").c_str()), 0);
    ASSERT_EQ(symlink(base.c_str(), folder.Path("soft.si").c_str()), 0);
    ASSERT_EQ(symlink(folder.Path("books.si").c_str(), folder.Path("books-link.si").c_str()), 0);
    const struct {
        const char* name;
        const char* input;
        int32_t kind;
        const char* output;
        int32_t format;
        bool allowed;
    } cases[] = {
        {"plain save over itself", "base.vkx", kFileText, "base.vkx", kSaveFormatText, true},
        {"plain save through a hard link", "base.vkx", kFileText, "hard.vkx", kSaveFormatText, true},
        {"another file", "base.vkx", kFileText, "other.si", kSaveFormatSie, true},
        {"export over itself", "base.vkx", kFileText, "base.vkx", kSaveFormatSie, false},
        {"export through a hard link", "base.vkx", kFileText, "hard.vkx", kSaveFormatSie, false},
        {"export through a link", "base.vkx", kFileText, "soft.si", kSaveFormatSie, false},
        {"SIE export over its source", "books.si", kFileSie, "books-link.si", kSaveFormatSie, false},
        {"base saved over the SIE file it came from", "books.si", kFileSie, "books.si", kSaveFormatText, false},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ClearError();
        bool allowed = MayWriteOverInput(FilePath(folder.Path(row.input)), row.kind, FilePath(folder.Path(row.output)),
                                         row.format);
        EXPECT_EQ(allowed, row.allowed);
        EXPECT_EQ(IsErrorPending(), !row.allowed);
        if (!row.allowed) {
            EXPECT_EQ(GetPendingError().message.code, message::kWriteOverInput);
            EXPECT_NE(std::string(GetPendingError().message.texts[0]).find(row.output), std::string::npos);
        }
    }
    ClearError();
    // What the tool writes by extension: a plain save of a text base to its own name is a text save.
    Base* opened = OpenBaseFile(FilePath(base), nullptr, 0);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(SaveFormatForPath(*opened, FilePath(base)), kSaveFormatText);
    EXPECT_EQ(SaveFormatForPath(*opened, FilePath(folder.Path("x.vkx"))), kSaveFormatText);
}

}  // namespace
}  // namespace vek
