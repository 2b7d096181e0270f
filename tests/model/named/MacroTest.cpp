// Tests of Macro: lookup, order, deletion and renaming, index, checkpoints and sections.
#include "model/named/Macro.h"
#include "model/expressions/TextMatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/SectionTestSupport.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::DispatchSections;
using test::Written;

std::vector<std::string> Names(const MacroList& list)
{
    std::vector<std::string> names;
    for (Macro* macro = list.First(); macro != nullptr; macro = macro->Next())
        names.emplace_back(macro->GetName() != nullptr ? macro->GetName() : "");
    return names;
}

// The links of the list: forward walk, the count, and the ring of `prev` (the first's is the last).
void ExpectConsistent(const MacroList& list)
{
    int32_t n = 0;
    Macro* last = nullptr;
    for (Macro* macro = list.First(); macro != nullptr; macro = macro->Next()) {
        if (last != nullptr) {
            EXPECT_EQ(macro->Prev(), last);
        }
        last = macro;
        ++n;
    }
    EXPECT_EQ(n, list.Count());
    if (list.First() != nullptr) {
        EXPECT_EQ(list.First()->Prev(), last);
    }
}

std::string ReadBack(const std::string& text, MacroList& list)
{
    TextReader reader(text.data(), int64_t(text.size()));
    DispatchSections(reader, "##Macro", [&list](TextReader& r) { list.ReadSection(r); });
    TextWriter writer;
    list.WriteSections(writer);
    return Written(writer);
}

TEST(MacroTest, FindTrimsAndIgnoresCase)
{
    MacroList list(nullptr);
    Macro* monthly = list.Create("monthly report");
    list.Create("Yearly");
    EXPECT_EQ(list.Find("  Monthly Report  "), monthly);
    EXPECT_EQ(list.Find("MONTHLY REPORTxyz", 14), monthly);
    EXPECT_EQ(list.Find("   "), nullptr);
    EXPECT_EQ(list.Find(""), nullptr);
    EXPECT_EQ(list.Find(nullptr), nullptr);
    EXPECT_EQ(list.Find("monthly"), nullptr);
}

TEST(MacroTest, AddingPutsInFrontAndSortingOrdersByName)
{
    MacroList list(nullptr);
    for (const char* name : {"b", "A", "c", "B2"})
        list.Create(name);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"B2", "c", "A", "b"}));
    EXPECT_FALSE(list.IsSorted());
    ExpectConsistent(list);
    list.Sort();
    EXPECT_TRUE(list.IsSorted());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "b", "B2", "c"}));
    ExpectConsistent(list);
    // The index still finds every macro after relinking.
    for (const char* name : {"a", "B", "b2", "C"})
        EXPECT_NE(list.Find(name), nullptr) << name;
}

TEST(MacroTest, DeletingAndRenamingKeepLinksAndIndex)
{
    MacroList list(nullptr);
    Macro* a = list.Create("a");
    Macro* b = list.Create("b");
    Macro* c = list.Create("c");
    ASSERT_EQ(list.Find("b"), b);  // builds the index

    list.Delete(b);  // in the middle
    ExpectConsistent(list);
    EXPECT_EQ(list.Find("b"), nullptr);
    EXPECT_EQ(list.Find("a"), a);

    a->Rename("Reports:\tMonthly");  // the tab cannot stay in a name
    EXPECT_STREQ(a->GetName(), "Reports:Monthly");
    EXPECT_EQ(list.Find("a"), nullptr);
    EXPECT_EQ(list.Find("reports:monthly"), a);
    EXPECT_EQ(list.First(), a);  // back in front
    ExpectConsistent(list);

    list.Delete(a);  // the first
    list.Delete(c);  // the last one left
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_EQ(list.Find("c"), nullptr);
}

TEST(MacroTest, IndexFindsEveryMacroPastItsLoadLimit)
{
    // The index is made for the first count and must grow once more macros are added.
    MacroList list(nullptr);
    list.Create("m0");
    ASSERT_NE(list.Find("M0"), nullptr);
    constexpr int32_t kMacros = 3000;
    for (int32_t i = 1; i < kMacros; ++i)
        list.Create(("m" + std::to_string(i)).c_str());
    for (int32_t i = 0; i < kMacros; i += 7) {
        Macro* found = list.Find(("M" + std::to_string(i)).c_str());
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(std::string(found->GetName()), "m" + std::to_string(i));
    }
    EXPECT_GT(list.GetMemoryUse(), int64_t(kMacros) * kMacroRecordSize);
}

TEST(MacroTest, DeleteMatchingAndDeleteAll)
{
    MacroList list(nullptr);
    for (const char* name : {"Report 1", "Import", "Report 2", "Export"})
        list.Create(name);
    int32_t deleted = list.DeleteMatching([](const char* name) { return std::string(name).starts_with("Report"); });
    EXPECT_EQ(deleted, 2);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Export", "Import"}));
    ExpectConsistent(list);
    list.DeleteAll();
    EXPECT_EQ(list.Count(), 0);
}

TEST(MacroTest, DeleteByNamePattern)
{
    struct Case {
        const char* pattern;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {"\\Report*", {"Export", "Import"}},
        {"port", {}},
        {"report|imp", {"Export"}},
        // An empty pattern would pass every name: it deletes nothing.
        {"", {"Export", "Import", "Report 1", "Report 2"}},
        {nullptr, {"Export", "Import", "Report 1", "Report 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern == nullptr ? "null" : c.pattern);
        MacroList list(nullptr);
        for (const char* name : {"Report 1", "Import", "Report 2", "Export"})
            list.Create(name);
        EXPECT_EQ(DeleteObjectsMatching(list, c.pattern), 4 - int32_t(c.left.size()));
        list.Sort();
        EXPECT_EQ(Names(list), c.left);
    }
}

TEST(MacroTest, CheckpointRollbackDeletesOnlyNewMacros)
{
    MacroList list(nullptr);
    list.Create("old 1");
    list.Create("old 2");
    list.SetKeepMarks();
    list.Create("new 1");
    list.Create("new 2");
    EXPECT_EQ(list.DeleteUnmarked(), 2);
    list.Sort();
    EXPECT_EQ(Names(list), (std::vector<std::string>{"old 1", "old 2"}));
    ExpectConsistent(list);
}

TEST(MacroTest, CommandsKeepLineBreaksAsCarriageReturns)
{
    MacroList list(nullptr);
    Macro* macro = list.Create("m");
    macro->SetCommands("open a\r\nsave\nquit\r");
    EXPECT_STREQ(macro->Commands(), "open a\rsave\rquit\r");
    macro->SetCommands("");
    EXPECT_EQ(macro->Commands(), nullptr);
    EXPECT_EQ(macro->GetMemoryUse(), kMacroRecordSize);
}

TEST(MacroTest, SectionsRoundTrip)
{
    MacroList list(nullptr);
    Macro* first = list.Create("Reports: Monthly");
    // Line breaks, tabs, and a text long enough to be written in three pieces.
    std::string commands = "open \"base.vek\"\r\tsave\rquit\r" + std::string(9000, 'x') + "\rend";
    first->SetCommands(commands.c_str());
    first->SetFlagA(true);
    first->SetFlagP(true);
    Macro* second = list.Create("Startup");
    second->SetFlagS(true);
    list.Create("Empty");

    TextWriter writer;
    list.WriteSections(writer);
    std::string text = Written(writer);
    EXPECT_NE(text.find("##Macro\tEmpty\rM\rA-\rS-\rP-\r\r"), std::string::npos);
    EXPECT_NE(text.find("##Macro\tStartup\rM\rA-\rS+\rP-\r\r"), std::string::npos);
    EXPECT_EQ(text.find('\n'), std::string::npos);

    MacroList copy(nullptr);
    std::string again = ReadBack(text, copy);
    ASSERT_EQ(copy.Count(), 3);
    Macro* read = copy.Find("reports: monthly");
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(std::string(read->Commands()), commands);
    EXPECT_TRUE(read->FlagA());
    EXPECT_FALSE(read->FlagS());
    EXPECT_TRUE(read->FlagP());
    EXPECT_TRUE(copy.Find("startup")->FlagS());
    EXPECT_EQ(copy.Find("Empty")->Commands(), nullptr);
    // Reading puts each macro in front: write the copy in the original's order to compare bytes.
    copy.Sort();
    list.Sort();
    TextWriter sortedOriginal;
    list.WriteSections(sortedOriginal);
    TextWriter sortedCopy;
    copy.WriteSections(sortedCopy);
    EXPECT_EQ(Written(sortedCopy), Written(sortedOriginal));
    EXPECT_EQ(again.size(), text.size());
}

TEST(MacroTest, RunningMacroIsWrittenWithoutStartFlag)
{
    MacroList list(nullptr);
    Macro* macro = list.Create("auto");
    macro->SetFlagS(true);
    macro->SetRunning(true);
    TextWriter writer;
    macro->Write(writer);
    EXPECT_EQ(Written(writer), "##Macro\tauto\rM\rA-\rS-\rP-\r\r");
}

TEST(MacroTest, ReadingSkipsBadLinesAndStopsAtTheNextSection)
{
    const std::string text =
        "##Macro\tm\r"
        "garbage line\r"
        "\r"
        "Q+\r"
        "A?\r"        // not a sign: the flag stays
        "S+\r"
        "P\r"         // no sign at all
        "M\tone\x03two\x04three\r"
        "##Cards\r"
        "A+\r";
    MacroList list(nullptr);
    Macro* existing = list.Create("M");
    existing->SetFlagA(true);
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    EXPECT_EQ(list.ReadSection(reader), existing);  // read again in place
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(existing->FlagA());
    EXPECT_TRUE(existing->FlagS());
    EXPECT_FALSE(existing->FlagP());
    EXPECT_STREQ(existing->Commands(), "one\rtwo\tthree");
    // The next section's marker is the current line, from its start.
    ASSERT_TRUE(reader.NextField());
    EXPECT_EQ(std::string(reader.Token(), size_t(reader.TokenLength())), "##Cards");
}

TEST(MacroTest, EmptySectionNameTakesTheDefaultName)
{
    const std::string text = "##Macro\r##Macro\t  \rS+\r";
    MacroList list(nullptr);
    ReadBack(text, list);
    ASSERT_EQ(list.Count(), 1);  // the second section reads the same macro again
    std::string expected = std::string(LoadText(text::kMacroName)) + " 1";
    EXPECT_EQ(std::string(list.First()->GetName()), expected);
    EXPECT_TRUE(list.First()->FlagS());
}

TEST(MacroTest, ReadingStopsWhenCancelled)
{
    const std::string text = "##Macro\tm\rA+\rS+\r";
    MacroList list(nullptr);
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    SetCancelledError();
    Macro* macro = list.ReadSection(reader);
    ClearError();
    ASSERT_NE(macro, nullptr);
    EXPECT_FALSE(macro->FlagA());
    EXPECT_FALSE(macro->FlagS());
}

}  // namespace
}  // namespace vek

namespace vek {
namespace {

class MacroRecorder : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        if (record.code >= 54 && record.code <= 57) {
            codes.push_back(record.code);
            EXPECT_NE(record.GetMacro(), nullptr);
        }
    }
    std::vector<int32_t> codes;
};

TEST(MacroBaseTest, ChangesReachTheBaseButNotWhileTheListIsReleased)
{
    MessageCatcher catcher;
    Base base(FilePath(), 1);
    MacroRecorder recorder;
    base.AddReceiver(ChangeStage::Dependents, &recorder);
    {
        MacroList list(&base);
        auto* macro = list.Create("a");
        macro->Rename(" a ");  // the same once cleaned: nothing posted
        macro->Rename("b");
        const std::string text = "##Macro\tb\rS+\r";
        TextReader reader(text.data(), int64_t(text.size()));
        DispatchSections(reader, "##Macro", [&list](TextReader& r) { list.ReadSection(r); });
        macro->NotifyChanged();
        list.Delete(macro);
        list.Create("left for the list");
        EXPECT_EQ(recorder.codes, (std::vector<int32_t>{56, 54, 55, 55, 57, 56}));
    }
    EXPECT_EQ(recorder.codes.size(), 6u);
    base.RemoveReceiver(ChangeStage::Dependents, &recorder);
}

}  // namespace
}  // namespace vek
