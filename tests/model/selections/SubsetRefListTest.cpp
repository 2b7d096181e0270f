// Tests of SubsetRefList: subsets captured as text, the "s" lines of template definitions read and
// written, and references made into subsets again.
#include "model/selections/SubsetRefList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/selections/SubsetList.h"

namespace vek {
namespace {

std::string WriteRefs(const SubsetRefList& refs)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    refs.Write(writer);
    return std::string(writer.BufferedBytes());
}

// Every line of the text through ReadKeyLine.
void ReadRefs(SubsetRefList& refs, const std::string& text)
{
    TextReader reader(text.data(), int64_t(text.size()));
    while (reader.ReadLine())
        EXPECT_TRUE(refs.ReadKeyLine(reader));
}

class SubsetRefListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->SetUnattended(true);
        base->SetValueCount(1);
    }
    void TearDown() override
    {
        base.reset();
        ClearError();
    }
    std::unique_ptr<Base> base;
};

// Two stored subsets are written in list order, each one's "sf" after its selections, and read back
// to the same lines; made into subsets again they capture to the same lines once more.
TEST_F(SubsetRefListTest, LinesReadBackAndReferencesBecomeSubsetsAgain)
{
    const std::string text =
        "sn\tEarly\n"
        "sN\tJan\n"
        "sC\t240101\t240131\n"
        "sk\t2401\n"
        "sN\tStamped\n"
        "sc\t2402\tABC\n"
        "sa\t\tXY\n"
        "sf\tJan|Stamped\n"
        "sx\tFirst\x03second\n"
        "sn\tLate\n"
        "sN\tA\n"
        "sVA\t>100\n"
        "sf\tA\n";
    SubsetRefList refs(*base);
    ReadRefs(refs, text);
    ASSERT_EQ(refs.Count(), 2);
    EXPECT_EQ(WriteRefs(refs), text);

    SubsetList window(*base, SubsetListKind::Local);
    window.CopyFrom(refs);
    ASSERT_EQ(window.Count(), 2);
    EXPECT_EQ(window.GetAt(0)->SelectionCount(), 2);
    EXPECT_STREQ(window.GetAt(0)->SelectionAt(1)->Stamp(4).UserText(), "XY");
    SubsetRefList captured(*base);
    captured.BuildFrom(window);
    EXPECT_EQ(WriteRefs(captured), text);

    SubsetRefList copy(*base);
    copy.CopyFrom(captured);
    EXPECT_EQ(WriteRefs(copy), text);
}

// "s-" deletes the current selection reference; lines for a selection then go nowhere, and lines
// before any "sn" are ignored.
TEST_F(SubsetRefListTest, LinesWithoutTheirReferenceAreIgnored)
{
    SubsetRefList refs(*base);
    ReadRefs(refs, "sf\tlost\nsN\tlost\nsn\tS\nsN\tA\nsk\t2401\ns-\nsk\t2402\nsN\tB\nsn\ts\nsk\t2403\n");
    ASSERT_EQ(refs.Count(), 1);
    EXPECT_EQ(WriteRefs(refs), "sn\tS\nsN\tB\nsk\t2403\n");
    TextReader other("xy\t1\n", 5);
    ASSERT_TRUE(other.ReadLine());
    EXPECT_FALSE(refs.ReadKeyLine(other));
}

// Only the subsets that a selection's subset condition names are stored for it.
TEST_F(SubsetRefListTest, BuildUsedByTakesTheSubsetsASelectionNames)
{
    SubsetList& global = base->Subsets();
    for (const char* name : {"North", "South", "West"}) {
        Subset* subset = global.CreateSubset(name);
        subset->CreateSelection("A")->Apply();
        subset->SetFormulaText("A");
    }
    SelectionTexts texts(*base);
    texts.SetSubsetText("North|West");
    Selection selection(*base, nullptr);
    selection.ApplyTexts(texts);
    SubsetRefList refs(*base);
    refs.BuildUsedBy(global, selection);
    ASSERT_EQ(refs.Count(), 2);
    EXPECT_STREQ(refs.At(0)->GetName(), "North");
    EXPECT_STREQ(refs.At(1)->GetName(), "West");
}

}  // namespace
}  // namespace vek
