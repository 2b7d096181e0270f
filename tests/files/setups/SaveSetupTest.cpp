// Tests of SaveSetup: sections, name order, damaged input, changes, renames and checkpoints.
#include "files/setups/SaveSetup.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

// The dispatch of the base-file reader for "##SaveSetup" sections: the section reader is called with
// the marker line current, and the line at which it stopped is looked at again. Other markers are
// recorded.
std::vector<std::string> ReadSections(SaveSetupList& list, const std::string& text)
{
    std::vector<std::string> otherMarkers;
    TextReader reader(text.data(), int64_t(text.size()));
    bool haveLine = reader.ReadLine();
    while (haveLine) {
        if (reader.NextField()) {
            std::string field(reader.Token(), size_t(reader.TokenLength()));
            if (field == "##SaveSetup") {
                list.ReadSection(reader);
                if (reader.LineStart() != nullptr)
                    continue;
            } else if (field.rfind("##", 0) == 0 || field.rfind("\xE2\x80\xA2", 0) == 0) {
                otherMarkers.push_back(field);
            }
        }
        haveLine = reader.ReadLine();
    }
    return otherMarkers;
}

std::string Written(const SaveSetupList& list)
{
    TextWriter writer;
    list.WriteSections(writer);
    return std::string(writer.BufferedBytes());
}

std::vector<std::string> Names(const SaveSetupList& list)
{
    std::vector<std::string> names;
    for (SaveSetup* setup = list.First(); setup != nullptr; setup = setup->Next())
        names.emplace_back(setup->GetName() != nullptr ? setup->GetName() : "(null)");
    return names;
}

std::string DefaultName()
{
    const char* text = LoadText(text::kSaveSetupName);
    return text != nullptr ? text : "";
}

TEST(SaveSetupTest, SectionsRoundTripInNameOrder)
{
    // The card selection's texts belong to a base with dimension 1 in use.
    Base base(FilePath(), 1);
    base.SetUnattended(true);
    base.AddComponent(1, "3000", nullptr, nullptr);
    base.UpdateDimensionsInUse();
    base.SetupDimensionOrder();
    SaveSetupList list(&base);
    auto* b = new SaveSetup(list, "b");
    b->Settings().SetFormat(kSaveFormatSie);
    b->Settings().SetSieText(SieText::RC, "Acme\nAB");
    b->Settings().SetSieDimension(1, kSieAccountDimension);
    new SaveSetup(list, "  A  ");
    auto* c = new SaveSetup(list, "c");
    c->Settings().SetSavesSection(SaveSection::Cards, false);
    ASSERT_TRUE(c->Settings().AddSelectionLine(base, "D2\t3000..3999"));
    c->Settings().SetDimensionOrderEntry(2, 5);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"A", "b", "c"}));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetMemoryUse(), 3 * kSaveSetupRecordSize);

    std::string first = Written(list);
    EXPECT_EQ(first,
              "##SaveSetup\tA\r\r"
              "##SaveSetup\tb\rFS\rRC\tAcme\x03" "AB\rRD2\tK\r\r"
              "##SaveSetup\tc\rSC-\rBD2\t3000..3999\rM3\t6\r\r"
              "\r");

    SaveSetupList back(&base);
    EXPECT_TRUE(ReadSections(back, first).empty());
    EXPECT_EQ(Names(back), Names(list));
    for (SaveSetup *x = list.First(), *y = back.First(); x != nullptr && y != nullptr; x = x->Next(), y = y->Next())
        EXPECT_TRUE(x->Settings().Equals(y->Settings())) << x->GetName();
    EXPECT_EQ(Written(back), first);
}

TEST(SaveSetupTest, EmptyListWritesNothing)
{
    SaveSetupList list(nullptr);
    EXPECT_EQ(Written(list), "");
}

TEST(SaveSetupTest, ReadingANameAgainReadsThatSetupInPlace)
{
    SaveSetupList list(nullptr);
    ReadSections(list, "##SaveSetup\tMonthly\rFB\rSC-\r");
    SaveSetup* monthly = list.First();
    ASSERT_NE(monthly, nullptr);
    // The same name in other case and with blanks: the settings are reset, then read.
    ReadSections(list, "##SaveSetup\t monthly \rFT\r");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.First(), monthly);
    EXPECT_STREQ(monthly->GetName(), "Monthly");
    EXPECT_EQ(monthly->Settings().Format(), kSaveFormatText);
    EXPECT_TRUE(monthly->Settings().SavesSection(SaveSection::Cards));
}

TEST(SaveSetupTest, EmptyNamesTakeTheDefaultName)
{
    SaveSetupList list(nullptr);
    ReadSections(list, "##SaveSetup\r##SaveSetup\t \x01 \r");
    EXPECT_EQ(Names(list), (std::vector<std::string>{DefaultName() + " 1"}));
    auto* made = new SaveSetup(list, "\t");
    EXPECT_EQ(std::string(made->GetName()), DefaultName());
    EXPECT_FALSE(DefaultName().empty());
    // A name is kept as a reader reads it back: a control character between a letter and its
    // combining mark is removed and the two composed.
    auto* composed = new SaveSetup(list, "Cafe\x01\xCC\x81");
    EXPECT_STREQ(composed->GetName(), "Caf\xC3\xA9");
}

TEST(SaveSetupTest, ReadingStopsAtTheNextSection)
{
    SaveSetupList list(nullptr);
    std::vector<std::string> others = ReadSections(list,
                                                   "##SaveSetup\tOne\rFB\r##Macro\tx\rFS\r"
                                                   "##SaveSetup\tTwo\rFT\r\xE2\x80\xA2\xE2\x80\xA2\xE2\x80\xA2"
                                                   "Cards\rFS\r##End\r");
    EXPECT_EQ(others.size(), 3u);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Find("One")->Settings().Format(), kSaveFormatContainerB);
    EXPECT_EQ(list.Find("Two")->Settings().Format(), kSaveFormatText);
}

TEST(SaveSetupTest, CancelFlagStopsReading)
{
    SaveSetupList list(nullptr);
    SetCancelledError();
    std::string text = "##SaveSetup\tOne\rFB\r";
    TextReader reader(text.data(), int64_t(text.size()));
    ASSERT_TRUE(reader.ReadLine());
    ASSERT_TRUE(reader.NextField());
    SaveSetup* setup = list.ReadSection(reader);
    ClearError();
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(setup->Settings().Format(), kSaveFormatContainerN);
}

// Damaged sections: every line a mixture of keys, junk and broken values. Whatever is read must
// write out and read back into setups that write the same bytes.
TEST(SaveSetupTest, DamagedSectionsReadWithoutHarmAndRoundTrip)
{
    const char* pieces[] = {"##SaveSetup\t", "Name", "\r", "\n", "\t", "FS", "FZ-", "SH-", "SQ+", "DF", "ACUNX",
                            "DL", "THC", "B", "D1", "CT+", "G", "L", "TF", "x\x03y", "TO+", "M", "3", "-", "40", "RD",
                            "K", "99", "RC", "Rk-", "RF", "\xC3\x84", "\xFF", "\x01", "##", "\xE2\x80\xA2", " ", "+"};
    uint32_t state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7fff;
    };
    for (int32_t round = 0; round < 300; ++round) {
        std::string text = "##SaveSetup\tStart\r";
        int32_t count = 1 + int32_t(next() % 60);
        for (int32_t i = 0; i < count; ++i)
            text += pieces[next() % (sizeof(pieces) / sizeof(pieces[0]))];
        SCOPED_TRACE(text);
        SaveSetupList first(nullptr);
        ReadSections(first, text);
        std::string written = Written(first);
        SaveSetupList second(nullptr);
        ReadSections(second, written);
        ASSERT_EQ(Written(second), written);
        ASSERT_EQ(first.Count(), second.Count());
    }
}

struct ChangeLog : ChangeReceiver {
    void OnBaseChange(const ChangeRecord& record) override
    {
        if (record.code >= kChangeSaveSetupRenamed && record.code <= kChangeSaveSetupDeleted) {
            codes.push_back(record.code);
            ASSERT_NE(record.Get<SaveSetupPayload>(), nullptr);
            setups.push_back(record.Get<SaveSetupPayload>()->saveSetup);
        }
    }
    std::vector<int32_t> codes;
    std::vector<void*> setups;
};

TEST(SaveSetupTest, ChangesReachTheBase)
{
    Base base(FilePath(), 1);
    ChangeLog log;
    base.AddReceiver(ChangeStage::Dependents, &log);
    {
        SaveSetupList list(&base);
        base.SetModified(false);
        auto* setup = new SaveSetup(list, "Monthly");
        EXPECT_TRUE(base.IsModified());
        std::string text = "##SaveSetup\tMonthly\rFB\r";
        ReadSections(list, text);
        setup->Rename("Weekly");
        setup->Rename(" Weekly ");  // the same name once cleaned: no change
        setup->Rename("");          // no name: no change
        setup->NotifyChanged();
        delete setup;
        EXPECT_EQ(log.codes, (std::vector<int32_t>{44, 43, 42, 43, 45}));
        for (void* object : log.setups)
            EXPECT_EQ(object, setup);
        // Releasing the whole list posts nothing.
        new SaveSetup(list, "Kept");
        log.codes.clear();
    }
    EXPECT_TRUE(log.codes.empty());
    base.RemoveReceiver(ChangeStage::Dependents, &log);
}

TEST(SaveSetupTest, RenameKeepsNameOrder)
{
    SaveSetupList list(nullptr);
    new SaveSetup(list, "a");
    auto* m = new SaveSetup(list, "m");
    new SaveSetup(list, "z");
    m->Rename("zz");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "z", "zz"}));
    m->Rename("0");
    EXPECT_EQ(Names(list), (std::vector<std::string>{"0", "a", "z"}));
    EXPECT_EQ(list.Find("Z"), m->Next()->Next());
    EXPECT_EQ(list.Find("  "), nullptr);
}

TEST(SaveSetupTest, CheckpointMarksAndDeletion)
{
    SaveSetupList list(nullptr);
    new SaveSetup(list, "Old b");
    new SaveSetup(list, "Old d");
    list.SetKeepMarks();
    new SaveSetup(list, "New a");
    new SaveSetup(list, "New c");
    new SaveSetup(list, "Old e");
    EXPECT_EQ(list.DeleteUnmarked(), 3);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Old b", "Old d"}));

    EXPECT_EQ(list.DeleteMatching([](const char* name) { return std::string_view(name) == "Old d"; }), 1);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Old b"}));
    list.DeleteAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
}  // namespace vek
