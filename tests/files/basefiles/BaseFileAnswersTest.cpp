// Bases as users and hostile files make them, each a tiny file opened as a base: the base answers
// rightly (dimension names, index sizes, its password, the company of its SIE export) or the file is
// met with its own numbered message. Each row says the fault it guards against.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/SaveSettings.h"
#include "files/sie/SieExport.h"
#include "files/xmlinterface/XmlInterface.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "model/dimensions/Dimension.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

// The file every row is written to; its name is the base's name.
constexpr const char* kFileName = "Answers.vkx";

std::string Bytes(const std::string& text)
{
    std::string lines;
    for (char c : text)
        lines += c == '\r' ? '\n' : c;
    return lines;
}

// The answer of the XML file interface to the requests, with LF line ends.
std::string XmlAnswer(Base& base, const std::string& requests)
{
    TextReader reader(requests.data(), int64_t(requests.size()));
    TextWriter writer;
    WriteXmlInterfaceOutput(&base, writer, reader, "request.xml");
    return Bytes(std::string(writer.BufferedBytes()));
}

// The SIE export of the base with dimension 2 as its accounts, with LF line ends.
std::string SieExportText(Base& base)
{
    SaveSettings settings;
    settings.FromBase(base);
    settings.SetFormat(kSaveFormatSie);
    settings.SetSieDimension(1, kSieAccountDimension);
    TextWriter writer;
    SieExport exporter(base, settings, writer, nullptr);
    exporter.WriteSie();
    return Bytes(std::string(writer.BufferedBytes()));
}

std::string Name(std::string_view kind, const Base& base, int32_t d)
{
    String name;
    if (kind == "singular")
        base.DimensionSingularName(d, name);
    else
        base.DimensionPluralName(d, name);
    return name.CStr();
}

// The memory a hostile index size could make a dimension take; its tables hold a few components.
constexpr int64_t kSmallIndexes = 256 * 1024;

// Dimensions 2-9, each asking for indexes of `size` entries and holding one component with a host code.
std::vector<std::string> IndexSizeLines(const std::string& size)
{
    std::vector<std::string> lines;
    for (int32_t n = 2; n <= 9; ++n) {
        lines.push_back("##Dimension\t" + std::to_string(n));
        lines.push_back("-EC\t" + size);
        lines.push_back("-EH\t" + size);
        lines.push_back("C" + std::to_string(n) + "\tComponent\tH" + std::to_string(n));
    }
    return lines;
}

void ExpectSmallIndexes(Base& base, int32_t expectedSize)
{
    for (int32_t d = 1; d <= 8; ++d) {
        SCOPED_TRACE(d);
        const Dimension& dimension = base.GetDimension(d);
        std::string code = "C" + std::to_string(d + 1);
        std::string host = "H" + std::to_string(d + 1);
        EXPECT_NE(dimension.FindByCode(code.c_str()), nullptr);
        EXPECT_NE(dimension.FindByHost(host.c_str()), nullptr);
        EXPECT_EQ(dimension.CodeIndexSize(), expectedSize);
        EXPECT_EQ(dimension.HostIndexSize(), expectedSize);
        EXPECT_LT(dimension.GetMemoryUse(), kSmallIndexes);
    }
}

enum class Outcome { opened, refused };

struct AnswerCase {
    const char* name;
    std::vector<std::string> lines;  // the file after its header line
    int32_t message;                 // the code of every message shown; 0: none is
    int32_t messageCount;
    Outcome outcome;
    std::function<void(Base&)> check;  // the answers of the opened base
};

std::vector<AnswerCase> AnswerCases()
{
    std::string longest(size_t(BaseProtection::kMaxPasswordLength), 'p');
    return {
        // Fault: the generated names were one off, "Dimension 3" for the dimension users number 4
        // (the "num" of XML answers, a number given for a name).
        {"default dimension names",
         {"##Dimension\t4", "P1\tProject one"},
         0,
         0,
         Outcome::opened,
         [](Base& base) {
             EXPECT_EQ(Name("singular", base, 0), "Dimension 1");
             EXPECT_EQ(Name("plural", base, 3), "Dimension 4");
             EXPECT_EQ(Name("singular", base, 31), "Dimension 32");
             for (int32_t d : {0, 3, 31})
                 EXPECT_EQ(base.FindDimensionByName(Name("singular", base, d).c_str()), d);
             std::string answer = XmlAnswer(base, "<VEK-xml-input><dimensions/><dimensions name=\"dimension 4\"/>"
                                                  "</VEK-xml-input>");
             std::string line = "<dimension num=\"4\" singular=\"Dimension 4\" plural=\"Dimension 4\"/>\n";
             size_t first = answer.find(line);
             ASSERT_NE(first, std::string::npos) << answer;
             EXPECT_NE(answer.find(line, first + 1), std::string::npos) << answer;
         }},
        // Fault: a 2 KB file whose dimensions asked for indexes of 2,147,483,647 entries made the
        // base allocate 690 MB per index.
        {"index sizes of 2,147,483,647",
         IndexSizeLines("2147483647"),
         message::kDimensionIndexTooLarge,
         16,
         Outcome::opened,
         [](Base& base) { ExpectSmallIndexes(base, kMaxIndexSize); }},
        {"index sizes at the limit",
         IndexSizeLines(std::to_string(kMaxIndexSize)),
         0,
         0,
         Outcome::opened,
         [](Base& base) { ExpectSmallIndexes(base, kMaxIndexSize); }},
        {"index sizes of a base as it was saved",
         IndexSizeLines("10"),
         0,
         0,
         Outcome::opened,
         [](Base& base) { ExpectSmallIndexes(base, 10); }},
        // Fault: a password of 16,298 characters or more gave "not enough memory".
        {"the longest password",
         {"##Protection\t" + longest},
         0,
         0,
         Outcome::opened,
         [longest](Base& base) {
             String password;
             base.Protection().PasswordText(password);
             EXPECT_EQ(std::string(password.CStr()), longest);
         }},
        {"a password one byte longer",
         {"##Protection\t" + longest + "p"},
         message::kPasswordTooLong,
         1,
         Outcome::refused,
         nullptr},
        // Fault: the SIE export named the company of a base without one "Exempel", which an import
        // then made a company of the base. The company is the one the company dimension holds, else
        // the base's file name, else none.
        {"the company of an SIE export",
         {"##Dimension\t2", "1910\tCash\t1910", "##Cards", "C240105-001\tSale", "G", "L100\t\t1910"},
         0,
         0,
         Outcome::opened,
         [](Base& base) {
             EXPECT_NE(SieExportText(base).find("\n#FNAMN  \"Answers\"\n"), std::string::npos);
             ASSERT_NE(base.AddComponent(0, "B", "Bolaget AB", nullptr), nullptr);
             EXPECT_NE(SieExportText(base).find("\n#FNAMN  \"Bolaget AB\"\n"), std::string::npos);
             ASSERT_NE(base.AddComponent(0, "C", "Other AB", nullptr), nullptr);
             EXPECT_NE(SieExportText(base).find("\n#FNAMN  \"Answers\"\n"), std::string::npos);
             Base untitled(FilePath(), 1);
             EXPECT_NE(SieExportText(untitled).find("\n#FNAMN  \"\"\n"), std::string::npos);
         }},
    };
}

class BaseFileAnswersTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    ScratchFolder folder;
};

TEST_F(BaseFileAnswersTest, BasesAnswerRightlyOrByNumberedMessage)
{
    for (const AnswerCase& c : AnswerCases()) {
        SCOPED_TRACE(c.name);
        ClearError();
        std::string text = TextBase({"##VEK-Text\t121122", ""});
        for (const std::string& line : c.lines)
            text += line + "\r";
        text += "##End\r";
        std::string path = folder.Write(kFileName, text);
        std::vector<Base*> before = test::OpenBases();
        std::unique_ptr<Base> opened;
        {
            test::MessageLog messages;
            opened.reset(OpenBaseFile(FilePath(path), nullptr, 0));
            EXPECT_EQ(int32_t(messages.codes.size()), c.messageCount);
            for (int32_t code : messages.codes)
                EXPECT_EQ(code, c.message);
            // A message about a line of the file names the file.
            if (c.message == message::kDimensionIndexTooLarge && !messages.texts.empty()) {
                EXPECT_NE(messages.texts[0].find(kFileName), std::string::npos) << messages.texts[0];
                EXPECT_NE(messages.texts[0].find("Line 4 "), std::string::npos) << messages.texts[0];
            }
        }
        EXPECT_FALSE(IsErrorPending());
        if (c.outcome == Outcome::refused) {
            EXPECT_EQ(opened, nullptr);
            EXPECT_EQ(test::OpenBases(), before);
            continue;
        }
        ASSERT_NE(opened, nullptr);
        c.check(*opened);
    }
}

}  // namespace
}  // namespace vek
