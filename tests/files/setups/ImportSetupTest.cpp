// Import setups and dimension import setups: their sections read, old forms, and written back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/DimImportSetup.h"
#include "files/setups/ImportSetup.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

// The settings read from section lines (joined by CR); the context says how old the file is.
ImportSetupSettings ReadLines(const std::vector<std::string>& lines, SetupReadContext context = {})
{
    std::string text;
    for (const std::string& line : lines)
        text += line + '\r';
    TextReader reader(text.data(), int64_t(text.size()));
    ImportSetupSettings settings;
    ReadImportSetupLines(reader, settings, context);
    return settings;
}

std::vector<std::string> WrittenLines(const ImportSetupSettings& settings)
{
    TextWriter writer;
    writer.SetLineEndChar('\n');
    WriteImportSetupLines(writer, settings, nullptr);
    std::vector<std::string> lines;
    std::string_view text = writer.BufferedBytes();
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class ImportSetupTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    ScratchFolder folder;
    test::MessageLog messages;
};

TEST_F(ImportSetupTest, DefaultsWriteTheShortestForm)
{
    EXPECT_EQ(WrittenLines(ImportSetupSettings()), (std::vector<std::string>{"A\tUTF-8", "CC", "PX"}));
    Base base(FilePath("/d.vkx"), 0);
    DimImportSetup setup(base, 3);
    TextWriter writer;
    writer.SetLineEndChar('\n');
    setup.Write(writer);
    EXPECT_EQ(writer.BufferedBytes(), "##DimImport\t4\nA\tUTF-8\nCC\nPX\nrX\nHW\nMC\nNC\nLC\tF1\nLT\tF2\nLH\tF3\n\n");
}

TEST_F(ImportSetupTest, SectionLinesReadAsTheirKeysSay)
{
    struct Row {
        const char* name;
        std::vector<std::string> lines;
        std::vector<std::string> written;  // the keyed lines the settings write back
    };
    const Row rows[] = {
        {"signed 8-bit terminator", {"T\t-3"}, {"A\tUTF-8", "CC", "PX", "T\t253"}},
        {"skip records out of range", {"RX\t1000", "RC\t0", "RL\t100"}, {"A\tUTF-8", "CC", "PX"}},
        {"records in range", {"RX\t999", "RC\t99", "RL\t2"}, {"A\tUTF-8", "CC", "PX", "RC\t99", "RL\t2", "RX\t999"}},
        {"joined fields", {"LT\tF3\t+\tF4\tS-"}, {"A\tUTF-8", "CC", "PX", "LT\tF3\t+\tF4\tS-"}},
        {"a first part of only a suffix", {"LT\tS-\t+\tF2"}, {"A\tUTF-8", "CC", "PX", "LT\tF2"}},
        {"a later part of only a suffix", {"LT\tF1\tS-\t+\tS/"}, {"A\tUTF-8", "CC", "PX", "LT\tF1\tS-/"}},
        {"a character after +", {"LT\tF1\t+32\tF2"}, {"A\tUTF-8", "CC", "PX", "LT\tF1\tS \t+\tF2"}},
        {"lookup by code", {"L3\tF1", "ZS3\tC"}, {"A\tUTF-8", "CC", "PX", "L3\tF1", "ZS3\tC"}},
        {"unknown lookup letter", {"L3\tF1", "ZS3\tX"}, {"A\tUTF-8", "CC", "PX", "L3\tF1"}},
        {"old encoding letter", {"AM"}, {"A\tMacRoman", "CC", "PX"}},
        {"date format", {"M\tD/M/Y"}, {"A\tUTF-8", "CC", "PX", "M\tD/M/Y"}},
        {"old amount column", {"LV1\tF4", "V\t-1\t2"}, {"A\tUTF-8", "CC", "PX", "LVA\tF4", "V\t-1\t2"}},
        {"empty line-field records dropped", {"-", "-", "L2\tF1", "-"}, {"A\tUTF-8", "CC", "PX", "L2\tF1"}},
        {"a Linefields block is a record", {"L2\tF1", "## Linefields", "L2\tF2"}, {"A\tUTF-8", "CC", "PX", "L2\tF1", "-", "L2\tF2"}},
        {"old card text continuation", {"LT\tF1", "Lt\tF2"}, {"A\tUTF-8", "CC", "PX", "LT\tF1\tS \t+\tF2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(WrittenLines(ReadLines(row.lines)), row.written);
    }
    // The host-lookup mark of old files turns every not-found action of every record to "H".
    ImportSetupSettings marked = ReadLines({"L2\tF1", "-", "L3\tF2", "ZN3\tC", "H"});
    ASSERT_EQ(marked.lineFields.size(), 2u);
    for (const LineFields& record : marked.lineFields) {
        for (NotFoundAction action : record.notFound)
            EXPECT_EQ(action, NotFoundAction::HostAsCode);
    }
}

TEST_F(ImportSetupTest, OldFilesReadInTheirOwnForms)
{
    SetupReadContext old;
    old.oldDropControl = true;
    EXPECT_FALSE(ReadLines({"A\tUTF-8"}, old).dropControlChars);
    EXPECT_TRUE(ReadLines({"A\tUTF-8", "PX"}, old).dropControlChars);
    old.oldFieldForm = true;
    ImportSetupSettings settings = ReadLines({"LT\t3\t2\t9999\tconstant"}, old);
    const FieldSpec& part = settings.fields[ImportSetupSettings::CardText].parts.at(0);
    EXPECT_EQ(part.field, 3);
    EXPECT_EQ(part.begin, 2);
    EXPECT_EQ(part.end, 0);  // out of range: not taken
    EXPECT_EQ(part.text, "constant");
}

TEST_F(ImportSetupTest, DimensionImportSetupsKeepWhatTheirModesUse)
{
    Base base(FilePath("/d.vkx"), 0);
    DimImportSetup setup(base, 0);
    const std::string text = "RP\tP\rMC\rLP\tF4\rT\t-3\rS\t300\r";
    TextReader reader(text.data(), int64_t(text.size()));
    setup.Read(reader);
    EXPECT_EQ(setup.Settings().rpValue, 9);
    EXPECT_TRUE(setup.Settings().structureField.IsEmpty());  // dropped with mode "C"
    EXPECT_EQ(setup.Settings().terminator, 253);
    EXPECT_EQ(setup.Settings().separator, 9);  // 300 is no 8-bit code
    TextWriter writer;
    writer.SetLineEndChar('\n');
    setup.Write(writer);
    EXPECT_NE(writer.BufferedBytes().find("\nRP\tP\n"), std::string_view::npos);
}

// A base with setups of every kind saves back byte for byte; a line of a setup that is not
// understood is reported with the file and the line.
TEST_F(ImportSetupTest, BasesWithSetupsSaveBackByteForByte)
{
    std::string fixture = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/textimport/setups.vkx";
    std::string original = ScratchFolder::ReadFileBytes(fixture);
    Base* base = OpenBaseFile(FilePath(fixture), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(BaseFileRecord::Of(*base).ImportSetups().Count(), 7);
    ASSERT_TRUE(SaveBaseToPath(*base, FilePath(folder.Path("saved.vkx")), nullptr));
    EXPECT_EQ(folder.Read("saved.vkx"), original);
    EXPECT_TRUE(messages.codes.empty());

    std::string damaged = folder.Write("damaged.vkx", test::TextBase({"##VEK-Text\t121122", "", "##ImportSetup\tX",
                                                                     "A\tUTF-8", "QQ\tstrange", "ZF2\t9", "", "##End"}));
    Base* other = OpenBaseFile(FilePath(damaged), nullptr, 0);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{message::kSetupLinePassedOver, message::kSetupLinePassedOver}));
    EXPECT_NE(messages.texts.at(0).find("Line 5 of"), std::string::npos) << messages.texts.at(0);
    EXPECT_NE(BaseFileRecord::Of(*other).ImportSetups().Find("X"), nullptr);
}

}  // namespace
}  // namespace vek
