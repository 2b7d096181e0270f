// Tests of Dimension: case modes, names, widths, option lines, indexes and display letters.
#include "model/dimensions/Dimension.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/base/ChangeRecord.h"

namespace vek {
namespace {

// The codes of the changes that reach the base's dependents.
class CodeRecorder : public ChangeReceiver {
public:
    void OnBaseChange(const ChangeRecord& record) override
    {
        codes.push_back(record.code);
        flags.push_back(record.Flag() ? 1 : 0);
    }
    std::vector<int32_t> codes;
    std::vector<int32_t> flags;
};

class DimensionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        base = std::make_unique<Base>(FilePath(), 1);
        base->AddReceiver(ChangeStage::Dependents, &recorder);
    }
    void TearDown() override
    {
        base->RemoveReceiver(ChangeStage::Dependents, &recorder);
        base.reset();
        ClearError();
    }

    Dimension& Dim(int32_t d) { return base->GetDimension(d); }

    std::string Written(int32_t d)
    {
        TextWriter writer;
        Dim(d).WriteOptions(writer);
        return std::string(writer.BufferedBytes());
    }

    // Reads option lines (CR-separated, tab between fields) into dimension d.
    void ReadOptions(int32_t d, const std::string& text)
    {
        TextReader reader(text.data(), int64_t(text.size()));
        while (reader.ReadLine()) {
            String key;
            if (reader.NextFieldToString(key))
                EXPECT_TRUE(Dim(d).ReadOption(reader, key.CStr()));
        }
    }

    MessageCatcher catcher;
    CodeRecorder recorder;
    std::unique_ptr<Base> base;
};

TEST_F(DimensionTest, DefaultsWriteNothing)
{
    const Dimension& d = Dim(5);
    EXPECT_EQ(d.Number(), 5);
    EXPECT_TRUE(d.IsDefault());
    EXPECT_EQ(d.GetCodeWidth(), 80);
    EXPECT_EQ(d.GetTextWidth(), 160);
    EXPECT_EQ(d.GetHostWidth(), 80);
    EXPECT_EQ(Written(5), "");
}

TEST_F(DimensionTest, CodeModesThatWouldRewriteCodesByWordAreRefused)
{
    ASSERT_NE(base->AddComponent(1, "ab", nullptr, nullptr), nullptr);
    recorder.codes.clear();
    Dim(1).SetCodeMode(kCaseCapitalize);
    Dim(1).SetCodeMode(kCaseWords);
    Dim(1).SetCodeModeLetter('D');
    EXPECT_EQ(Dim(1).CodeMode(), kCaseUpper);
    EXPECT_TRUE(recorder.codes.empty());
}

TEST_F(DimensionTest, CaseModesConvertExistingTextsOneWay)
{
    Component* c = base->AddComponent(1, "a1", "Rent and heating", "h-1");
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->code, "A1");  // codes are upper case by default
    base->NotifyChangedDimensions();
    base->SetModified(true);
    recorder.codes.clear();
    Dim(1).SetTextModeLetter('U');
    EXPECT_STREQ(c->text, "RENT AND HEATING");
    // The default display (code and text) shows texts: 20, then 18.
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{20, 18}));
    Dim(1).SetTextModeLetter('N');
    EXPECT_STREQ(c->text, "RENT AND HEATING");
    Dim(1).SetTextModeLetter('W');
    EXPECT_STREQ(c->text, "Rent And Heating");

    // Host conversion; the display does not show hosts, so no change 18.
    recorder.codes.clear();
    Dim(1).SetHostMode(kCaseUpper);
    EXPECT_STREQ(c->host, "H-1");
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{21}));
    EXPECT_EQ(Dim(1).FindByHost("h-1"), c);

    // Exact codes: the index compares bytes from then on.
    Dim(1).SetCodeMode(kCaseLower);
    EXPECT_STREQ(c->code, "a1");
    Dim(1).SetCodeMode(kCaseExact);
    EXPECT_EQ(Dim(1).FindByCode("a1"), c);
    EXPECT_EQ(Dim(1).FindByCode("A1"), nullptr);
}

TEST_F(DimensionTest, NamesEqualToTheDefaultAreNotStored)
{
    base->SetModified(false);
    recorder.codes.clear();
    Dim(3).SetSingularName(LoadText(text::kDimensionName3));
    Dim(3).SetPluralName("");
    EXPECT_EQ(Dim(3).SingularNameField(), nullptr);
    EXPECT_TRUE(recorder.codes.empty());
    EXPECT_EQ(Written(3), "");

    Dim(3).SetPluralName("Projects");
    EXPECT_TRUE(base->IsModified());
    // Modified (6), the name (17), and the dimension is in use now (14).
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{6, 17, 14}));
    EXPECT_EQ(Written(3), "-N\t\tProjects\r");
    String name;
    base->DimensionSingularName(3, name);
    EXPECT_STREQ(name.CStr(), LoadText(text::kDimensionName3));
}

TEST_F(DimensionTest, WidthsAndDisplay)
{
    Dim(2).SetCodeWidth(80);
    Dim(2).SetTextWidth(160);
    Dim(2).SetHostWidth(80);
    EXPECT_EQ(Written(2), "");
    Dim(2).SetTextWidth(600);
    EXPECT_EQ(Dim(2).StoredTextWidth(), 600);
    EXPECT_EQ(Dim(2).GetTextWidth(), 160);  // out of 24..500

    recorder.codes.clear();
    Dim(2).SetDisplayText("CHT");
    EXPECT_EQ(Dim(2).Display(), 6);
    Dim(2).SetDisplayText("TC");  // not in the table
    Dim(2).SetDisplayText("CHT");
    EXPECT_EQ(Dim(2).Display(), 6);
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{22, 18}));
}

TEST_F(DimensionTest, OptionLinesRoundTrip)
{
    Dimension& d = Dim(4);
    d.SetSingularName("Customer");
    d.SetPluralName("Customers");
    d.SetCodeModeLetter('L');
    d.SetTextModeLetter('U');
    d.SetHostModeLetter('S');
    d.SetDisplay(5);
    d.SetOptionILetter('D');
    d.SetOptionX(true);
    d.SetCodeWidth(100);
    d.SetHostWidth(30);
    ASSERT_NE(base->AddComponent(4, "k1", nullptr, "x"), nullptr);
    std::string text = Written(4);
    EXPECT_EQ(text,
              "-N\tCustomer\tCustomers\r-C\tL\r-T\tU\r-H\tS\r-S\tCH\r-I\tD\r-X\t+\r-W\t100\t\t30\r-EC\t10\r-EH\t10\r");

    ReadOptions(9, text);
    const Dimension& copy = Dim(9);
    EXPECT_STREQ(copy.SingularNameField(), "Customer");
    EXPECT_STREQ(copy.PluralNameField(), "Customers");
    EXPECT_EQ(copy.CodeMode(), kCaseLower);
    EXPECT_EQ(copy.TextMode(), kCaseUpper);
    EXPECT_EQ(copy.HostMode(), kCaseExact);
    EXPECT_EQ(copy.Display(), 5);
    EXPECT_EQ(copy.OptionI(), 2);
    EXPECT_TRUE(copy.OptionX());
    EXPECT_EQ(copy.StoredCodeWidth(), 100);
    EXPECT_EQ(copy.StoredTextWidth(), 0);
    EXPECT_EQ(copy.StoredHostWidth(), 30);
}

TEST_F(DimensionTest, OptionLinesFromFilesAreTakenAsTheyStandOrIgnored)
{
    struct Case {
        const char* line;
        int32_t codeWidth;
        int32_t display;
        int32_t codeIndexSize;
        bool optionX;
        bool taken = true;  // false: the value was cut, for the caller to report
    };
    const Case cases[] = {
        {"-W\t80\r", 80, 3, 10, false},  // read without the setters: 80 stays 80
        {"-W\t99999999999\r", 0, 3, 10, false},
        {"-S\tXYZ\r", 0, 3, 10, false},
        {"-EC\t99999999999\r", 0, 3, 1 << 24, false, false},
        // Index sizes at the limit and one past it, which a hostile file states to make the base
        // allocate gigabytes.
        {"-EC\t16777216\r", 0, 3, kMaxIndexSize, false},
        {"-EC\t16777217\r", 0, 3, kMaxIndexSize, false, false},
        {"-EC\t2147483647\r", 0, 3, kMaxIndexSize, false, false},
        {"-EC\t-5\r", 0, 3, 1, false},
        {"-X\t+\r", 0, 3, 10, true},
        {"-X\t?\r", 0, 3, 10, false},
        {"-Q\tanything\r", 0, 3, 10, false},
        {"-\r", 0, 3, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Base fresh(FilePath(), 2);
        TextReader reader(c.line, int64_t(std::strlen(c.line)));
        ASSERT_TRUE(reader.ReadLine());
        String key;
        ASSERT_TRUE(reader.NextFieldToString(key));
        EXPECT_EQ(fresh.GetDimension(1).ReadOption(reader, key.CStr()), c.taken);
        EXPECT_EQ(fresh.GetDimension(1).StoredCodeWidth(), c.codeWidth);
        EXPECT_EQ(fresh.GetDimension(1).Display(), c.display);
        EXPECT_EQ(fresh.GetDimension(1).CodeIndexSize(), c.codeIndexSize);
        EXPECT_EQ(fresh.GetDimension(1).OptionX(), c.optionX);
    }
    ReadOptions(1, "-W\t80\r");
    EXPECT_EQ(Written(1), "-W\t80\r");
}

TEST_F(DimensionTest, IndexesGrowAndFollowDeletions)
{
    std::vector<Component*> added;
    for (int32_t i = 0; i < 300; ++i) {
        String code;
        code.AssignInt(10000 + i);
        String host;
        host.AssignCStr("H");
        host.AppendInt(i);
        added.push_back(base->AddComponent(2, code.CStr(), nullptr, host.CStr()));
        ASSERT_NE(added.back(), nullptr);
    }
    EXPECT_GE(Dim(2).CodeIndexSize(), 300);
    EXPECT_GE(Dim(2).HostIndexSize(), 300);
    for (int32_t i = 0; i < 300; ++i) {
        String code;
        code.AssignInt(10000 + i);
        ASSERT_EQ(Dim(2).FindByCode(code.CStr()), added[size_t(i)]);
    }
    EXPECT_EQ(Dim(2).FindByHost("h17"), added[17]);  // host mode N compares without case

    // A deleted component is found no more, even before the caller rebuilds.
    base->DeleteComponent(added[5]);
    EXPECT_EQ(Dim(2).FindByCode("10005"), nullptr);
    EXPECT_EQ(Dim(2).FindByHost("H5"), nullptr);
    Component* reused = base->AddComponent(2, "77", nullptr, nullptr);
    ASSERT_NE(reused, nullptr);
    EXPECT_EQ(Dim(2).FindByCode("10005"), nullptr);
    EXPECT_EQ(Dim(2).FindByCode("77"), reused);

    // With no host code left, a checked rebuild drops the host index.
    for (Component* c = base->Root(2)->FirstChild(base->ComponentPool()); c != nullptr;
         c = c->NextSibling(base->ComponentPool()))
        SetHeapText(c->host, nullptr);
    base->RebuildComponentIndexes(2);
    EXPECT_FALSE(Dim(2).HasHostIndex());
    EXPECT_TRUE(Dim(2).HasCodeIndex());
}

// Regression: an index was made for the size an option line states, so a file asking for millions of
// entries made the base allocate hundreds of megabytes for a few components. The stated size is kept
// and written back; the table grows with the components as they come.
TEST_F(DimensionTest, IndexesAreSizedByWhatTheDimensionHolds)
{
    ReadOptions(2, "-EC\t16777216\r-EH\t16777216\r");
    std::vector<Component*> added;
    for (int32_t i = 0; i < 3000; ++i) {
        std::string code = std::to_string(10000 + i);
        std::string host = "H" + std::to_string(i);
        added.push_back(base->AddComponent(2, code.c_str(), nullptr, host.c_str()));
        ASSERT_NE(added.back(), nullptr);
        if (i == 0) {
            EXPECT_LT(Dim(2).GetMemoryUse(), 256 * 1024);
        }
    }
    for (int32_t i = 0; i < 3000; ++i) {
        ASSERT_EQ(Dim(2).FindByCode(std::to_string(10000 + i).c_str()), added[size_t(i)]);
        ASSERT_EQ(Dim(2).FindByHost(("H" + std::to_string(i)).c_str()), added[size_t(i)]);
    }
    EXPECT_LT(Dim(2).GetMemoryUse(), 1024 * 1024);
    EXPECT_EQ(Dim(2).CodeIndexSize(), kMaxIndexSize);
    EXPECT_EQ(Dim(2).HostIndexSize(), kMaxIndexSize);
    EXPECT_NE(Written(2).find("-EC\t16777216\r-EH\t16777216\r"), std::string::npos);
}

TEST_F(DimensionTest, ComponentChangesRefreshInUseAndHasComponents)
{
    base->SetModified(true);
    ASSERT_NE(base->AddComponent(6, "A", nullptr, nullptr), nullptr);
    recorder.codes.clear();
    recorder.flags.clear();
    base->NotifyChangedDimensions();
    EXPECT_EQ(recorder.codes, (std::vector<int32_t>{11, 14, 15}));
    EXPECT_EQ(recorder.flags, (std::vector<int32_t>{0, 1, 1}));
    EXPECT_TRUE(Dim(6).InUse());
    EXPECT_TRUE(Dim(6).HasComponents());
    EXPECT_FALSE(base->IsDimensionChanged(6));
    recorder.codes.clear();
    base->NotifyChangedDimensions();
    EXPECT_TRUE(recorder.codes.empty());
}

TEST(DimensionDisplayLetters, MapBothWays)
{
    EXPECT_EQ(DisplayCodeFromLetter('C'), 0);
    EXPECT_EQ(DisplayCodeFromLetter('R'), 6);
    EXPECT_EQ(DisplayCodeFromLetter('X'), -1);
    EXPECT_EQ(DisplayCodeFromLetter('\0'), -1);
    EXPECT_EQ(DisplayLetterFromCode(2), 'T');
    EXPECT_EQ(DisplayLetterFromCode(-1), '-');
    EXPECT_EQ(DisplayLetterFromCode(7), '-');
    for (int32_t code = -1; code < 7; ++code)
        EXPECT_EQ(DisplayItemIndexToCode(DisplayCodeToItemIndex(code)), code);
}

}  // namespace
}  // namespace vek
