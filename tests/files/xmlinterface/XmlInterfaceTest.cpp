// The XML file interface: request fixtures of every kind against their answers (each answer also
// checked by a real XML parser), damaged requests, XML base input files with imports and templates.
#include <gtest/gtest.h>

#include <libxml/parser.h>

#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "files/ProgramVersion.h"
#include "files/xmlinterface/XmlInterface.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "model/dimensions/Dimension.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

std::string XmlFixture(const std::string& name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/xml/" + name;
}

// True when the bytes are a well-formed XML document whose root is "VEK-xml-output".
bool IsWellFormedAnswer(const std::string& bytes)
{
    xmlDocPtr document = xmlReadMemory(bytes.data(), int(bytes.size()), "answer.xml", nullptr,
                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (document == nullptr)
        return false;
    xmlNodePtr root = xmlDocGetRootElement(document);
    bool answer = root != nullptr && xmlStrcmp(root->name, BAD_CAST "VEK-xml-output") == 0;
    xmlFreeDoc(document);
    return answer;
}

// The text of a message up to its first argument: enough to find it in an answer.
std::string MessageLead(int32_t code)
{
    std::string text = LoadText(code);
    return "<error>" + text.substr(0, text.find('@'));
}

int CountOccurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class XmlInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override
    {
        for (Base* base : test::OpenBases())
            delete base;
        ClearError();
    }

    // The answer to a request file for the base (null: none), as the output file holds it.
    std::string Answer(Base* base, const std::string& requestPath)
    {
        std::string out = folder.Path("answer.xml");
        EXPECT_TRUE(WriteXmlInterfaceOutputFile(base, FilePath(requestPath), FilePath(out)));
        EXPECT_FALSE(IsErrorPending());
        return folder.Read("answer.xml");
    }
    std::string AnswerText(Base* base, const std::string& request)
    {
        return Answer(base, folder.Write("request.xml", request));
    }

    ScratchFolder folder;
};

TEST_F(XmlInterfaceTest, RequestFixturesGiveTheirExpectedAnswers)
{
    struct Case {
        const char* base;
        const char* request;
    };
    // input.xml is an XML base input file: base.vkx imported and four templates defined.
    const Case cases[] = {{"base.vkx", "version"},    {"base.vkx", "dimensions"}, {"base.vkx", "components"},
                          {"input.xml", "templates"}, {"input.xml", "template"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.request);
        test::MessageLog messages;
        Base* base = OpenBaseFile(FilePath(XmlFixture(c.base)), nullptr, 0);
        ASSERT_NE(base, nullptr);
        std::string answer = Answer(base, XmlFixture(std::string(c.request) + ".request.xml"));
        // The platform the program was built for stands in the fixture as "@PLATFORM@".
        std::string expected = ScratchFolder::ReadFileBytes(XmlFixture(std::string(c.request) + ".expected.xml"));
        if (size_t at = expected.find("@PLATFORM@"); at != std::string::npos)
            expected.replace(at, 10, kPlatformNameText);
        EXPECT_EQ(answer, expected);
        EXPECT_TRUE(IsWellFormedAnswer(answer));
        // Every message of the answer went into it.
        EXPECT_TRUE(messages.codes.empty());
        delete base;
    }
}

TEST_F(XmlInterfaceTest, DamagedRequestsAreAnsweredWellFormedWithNumberedMessages)
{
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "<a>";
    std::string deepClosed = deep;
    for (int i = 0; i < 10000; ++i)
        deepClosed += "</a>";
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919) % 256);
    struct Case {
        const char* name;
        std::string request;
        int32_t message;  // one that must be in the answer, 0 for none
        bool versionAnswered;
    };
    const Case cases[] = {
        {"root not closed", "<VEK-xml-input>\n<version/>\n", message::kXmlFileCutShort, true},
        {"request not closed", "<VEK-xml-input><dimensions></VEK-xml-input>", message::kXmlFileCutShort, false},
        {"cut inside a tag", "<VEK-xml-input><version/><dimensions num=\"2", message::kXmlFileCutShort, true},
        {"unknown element", "<VEK-xml-input><chart kind=\"pie\"><x/></chart><version/></VEK-xml-input>",
         message::kXmlUnknownElement, true},
        {"unknown end tag", "<VEK-xml-input></version><version/></VEK-xml-input>", message::kXmlUnknownElement, true},
        // Entities are never declared or expanded: the declaration is an unknown element, the
        // reference stays text.
        {"entity declarations",
         "<!DOCTYPE VEK-xml-input [<!ENTITY a \"AAAAAAAA\"><!ENTITY b \"&a;&a;&a;&a;\">]>\n"
         "<VEK-xml-input><components text=\"&b;\"/><version/></VEK-xml-input>",
         message::kXmlUnknownElement, true},
        {"10,000 levels deep, closed", "<VEK-xml-input>" + deepClosed + "<version/></VEK-xml-input>",
         message::kXmlUnknownElement, true},
        {"10,000 levels deep, never closed", "<VEK-xml-input>" + deep, message::kXmlFileCutShort, false},
        {"Latin-1 bytes declared UTF-8",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VEK-xml-input><components text=\"caf\xE9\"/><version/>"
         "</VEK-xml-input>",
         0, true},
        {"declared UTF-16, bytes UTF-8",
         "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<VEK-xml-input><version/></VEK-xml-input>", 0, true},
        {"declared Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<VEK-xml-input>\n"
                             "<components text=\"\xC5s\"/><version/></VEK-xml-input>",
         0, true},
        {"UTF-16 mark, odd length", std::string("\xFF\xFE<\0V\0E\0K\0", 9), 0, false},
        {"NUL bytes and garbage", std::string("<VEK-xml-input>\0<version/>", 26) + garbage, 0, false},
        {"empty file", "", 0, false},
        {"attribute without quotes", "<VEK-xml-input><dimensions num=2 usage=on/><version/></VEK-xml-input>", 0, true},
        {"control characters in a value", "<VEK-xml-input><components text=\"a&#1;b\x01\x02\"/><version/></VEK-xml-input>",
         0, true},
    };
    test::MessageLog messages;
    Base* base = OpenBaseFile(FilePath(XmlFixture("base.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string answer = AnswerText(base, c.request);
        EXPECT_TRUE(IsWellFormedAnswer(answer)) << answer.substr(0, 2000);
        if (c.message != 0) {
            EXPECT_NE(answer.find(MessageLead(c.message)), std::string::npos) << answer.substr(0, 2000);
        }
        if (c.versionAnswered) {
            EXPECT_NE(answer.find("<version "), std::string::npos);
        }
        // The declaration may be quoted in a message; an expansion would repeat its text.
        EXPECT_EQ(answer.find("AAAAAAAAAAAAAAAA"), std::string::npos);
        // The end tag is the last line.
        EXPECT_NE(answer.find("</VEK-xml-output>\n"), std::string::npos);
        EXPECT_FALSE(base->ReportsXmlErrors());
    }
    EXPECT_TRUE(messages.codes.empty());
}

// Without a base only "version" is answered; each other request says it needs one.
TEST_F(XmlInterfaceTest, WithoutABaseOnlyTheVersionIsAnswered)
{
    std::string answer = AnswerText(nullptr, "<VEK-xml-input><dimensions/><version/><templates/><oops/></VEK-xml-input>");
    EXPECT_TRUE(IsWellFormedAnswer(answer));
    EXPECT_EQ(CountOccurrences(answer, MessageLead(message::kXmlRequestNeedsBase)), 2) << answer;
    EXPECT_EQ(CountOccurrences(answer, MessageLead(message::kXmlUnknownElement)), 1) << answer;
    EXPECT_NE(answer.find(std::string(">") + kProgramVersionText + "</version>"), std::string::npos);
}

// A message raised while the answer is written becomes one error line of the answer, not an alert:
// here the request file itself cannot be read. Regression: the reason the walk stopped was written
// after the end tag, and the answer was no XML document.
TEST_F(XmlInterfaceTest, AMessageWhileAnsweringIsWrittenIntoTheAnswer)
{
    test::MessageLog messages;
    std::string answer = Answer(nullptr, folder.Path("no such request.xml"));
    EXPECT_TRUE(IsWellFormedAnswer(answer));
    EXPECT_EQ(CountOccurrences(answer, "<error>"), 1) << answer;
    EXPECT_NE(answer.find("no such request.xml"), std::string::npos) << answer;
    EXPECT_TRUE(messages.codes.empty());
    EXPECT_EQ(XmlErrorHandler::ActiveCount(), 0);
}

// Fault mended: the template request reset the base's own template and read the request's settings
// into it, so a question changed the base. It now computes a copy.
TEST_F(XmlInterfaceTest, ATemplateRequestLeavesTheBaseTemplateAsItWas)
{
    Base* base = OpenBaseFile(FilePath(XmlFixture("base.vkx")), nullptr, 0);
    ASSERT_NE(base, nullptr);
    Template* node = base->Templates().Insert(base->NewTemplate(TemplateKind::Cards), "Sales");
    ASSERT_NE(node, nullptr);
    auto& sales = static_cast<AnalysisTemplate&>(*node);
    sales.Export().format = 1;
    std::string answer = AnswerText(base, "<VEK-xml-input><template name=\"sales\"><export-options format=\"text\"/>"
                                          "</template></VEK-xml-input>");
    EXPECT_TRUE(IsWellFormedAnswer(answer));
    EXPECT_NE(answer.find(MessageLead(message::kXmlTemplateResultUnavailable)), std::string::npos) << answer;
    EXPECT_EQ(base->FindTemplate("Sales"), node);
    EXPECT_EQ(sales.Export().format, 1);
    EXPECT_EQ(base->Templates().Count(), 1);
}

TEST_F(XmlInterfaceTest, InputFilesImportDefineTemplatesAndReportWhatTheyDoNotKnow)
{
    folder.Write("accounts.si", "#FLAGGA 0\r\n#SIETYP 4\r\n#KONTO 1910 \"Kassa\"\r\n#KONTO 3010 \"F\xF6rs\xE4ljning\"\r\n"
                                "#VER A 1 20240105 \"Sale\"\r\n{\r\n#TRANS 1910 {} 100.00\r\n#TRANS 3010 {} -100.00\r\n}\r\n");
    std::string input = folder.Write(
        "input.xml",
        "<?xml version=\"1.0\"?>\n"
        "<VEK-xml colour=\"blue\">\n"
        "  <import file=\"" + XmlFixture("base.vkx") + "\"/>\n"
        "  <import file=\"accounts.si\" speed=\"fast\">dropped text</import>\n"
        "  <chart/>\n"
        "  <template name=\"Reports: Sales\" type=\"cards\" opendirect=\"yes\" zoomdirect=\"on\"/>\n"
        "  <template name=\"Reports: Sales\" type=\"lines\" webvisible=\"off\"/>\n"
        "  <template name=\"No kind\"/>\n"
        "  <template name=\"Reports\" type=\"components\"/>\n"
        "</VEK-xml>\n");
    test::MessageLog messages;
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(input), nullptr, 0));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{message::kXmlUnknownWord, message::kXmlUnknownWord,
                                                   message::kXmlUnknownElement, message::kXmlBadValue}));
    // The fixture's components and the SIE file's accounts.
    EXPECT_NE(base->GetDimension(1).FindByCode("10011"), nullptr);
    EXPECT_EQ(base->CardCount(), 3);
    // The second definition of the path replaced the first. Fault mended: a template named like a
    // group took the group out with all its members; it is now put beside the group.
    EXPECT_EQ(base->Templates().Count(), 2);
    Template* sales = base->FindTemplate("Reports: Sales");
    ASSERT_NE(sales, nullptr);
    EXPECT_EQ(sales->Kind(), TemplateKind::Lines);
    EXPECT_FALSE(static_cast<AnalysisTemplate*>(sales)->flagW);
    EXPECT_FALSE(base->ReportsXmlErrors());
}

TEST_F(XmlInterfaceTest, ErrorsOffPassesOverWhatIsNotKnown)
{
    std::string input = folder.Write("input.xml", "<VEK-xml errors=\"OFF\"><chart/><import bogus=\"1\"/>"
                                                  "<template name=\"T\" type=\"cards\" calcdirect=\"maybe\"/></VEK-xml>");
    test::MessageLog messages;
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(input), nullptr, 0));
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(messages.codes.empty());
    EXPECT_NE(base->FindTemplate("T"), nullptr);
}

TEST_F(XmlInterfaceTest, TextFilesImportThroughTheNamedSetup)
{
    std::string data = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/textimport/";
    std::string input = folder.Write("input.xml", "<VEK-xml><import file=\"" + data + "setups.vkx\"/>"
                                                  "<import file=\"" + data + "delimited.csv\" setup=\"Delimited\"/>"
                                                  "</VEK-xml>");
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(input), nullptr, 0));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->CardCount(), 2);
    EXPECT_EQ(base->LineCount(), 4);
}

// Fault mended: an input file that imports itself (directly or through another) recursed until the
// stack ran out. Nesting is limited; the file is refused and no base is left open.
TEST_F(XmlInterfaceTest, InputFilesThatImportThemselvesAreRefused)
{
    folder.Write("a.xml", "<VEK-xml><import file=\"b.xml\"/></VEK-xml>");
    folder.Write("b.xml", "<VEK-xml><import file=\"a.xml\"/></VEK-xml>");
    std::string self = folder.Write("self.xml", "<VEK-xml><import file=\"self.xml\"/></VEK-xml>");
    for (const std::string& path : {self, folder.Path("a.xml")}) {
        SCOPED_TRACE(path);
        test::MessageLog messages;
        std::vector<Base*> before = test::OpenBases();
        Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
        EXPECT_EQ(base, nullptr);
        EXPECT_EQ(test::OpenBases(), before);
        ASSERT_EQ(messages.codes.size(), 1u);
        EXPECT_EQ(messages.codes[0], message::kXmlImportsTooDeep);
        ClearError();
    }
}

// An input file cut short keeps what it read and says so.
TEST_F(XmlInterfaceTest, AnInputFileCutShortIsReported)
{
    std::string input = folder.Write("input.xml", "<VEK-xml><template name=\"T\" type=\"components\"/><import file=\"x");
    test::MessageLog messages;
    std::unique_ptr<Base> base(OpenBaseFile(FilePath(input), nullptr, 0));
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{message::kXmlFileCutShort}));
    EXPECT_NE(base->FindTemplate("T"), nullptr);
}

TEST_F(XmlInterfaceTest, KindWordsGoBothWays)
{
    for (int32_t kind = 1; kind <= 5; ++kind)
        EXPECT_EQ(TemplateKindFromXmlWord(XmlWordOfTemplateKind(kind)), kind);
    EXPECT_EQ(TemplateKindFromXmlWord("TimeFunctions"), 4);
    EXPECT_EQ(TemplateKindFromXmlWord("card"), 0);
    EXPECT_EQ(XmlWordOfTemplateKind(10), nullptr);
}

}  // namespace
}  // namespace vek
