// CommandLineTest: what vek's arguments ask for, and how --version, --help and bad usage are answered.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "files/ProgramVersion.h"

namespace vek {
namespace {

CommandLine Parse(std::vector<std::string> words)
{
    std::vector<char*> pointers;
    for (std::string& word : words)
        pointers.push_back(word.data());
    return ParseCommandLine(pointers);
}

std::string ReadBack(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back(static_cast<char>(c));
    return text;
}

TEST(CommandLine, ArgumentsTable)
{
    struct Case {
        std::vector<std::string> words;
        CommandLineAction action;
        bool headless;
        std::vector<std::string> files;
        const char* userCode;  // null: none given
    };
    const Case cases[] = {
        {{}, CommandLineAction::Run, false, {}, nullptr},
        {{"a.vkx", "b.vek"}, CommandLineAction::Run, false, {"a.vkx", "b.vek"}, nullptr},
        {{"--headless", "a.vkx"}, CommandLineAction::Run, true, {"a.vkx"}, nullptr},
        {{"--user", "AB", "a.vkx"}, CommandLineAction::Run, false, {"a.vkx"}, "AB"},
        {{"--user=XY"}, CommandLineAction::Run, false, {}, "XY"},
        {{"--threads", "4", "a.vkx"}, CommandLineAction::Run, false, {"a.vkx"}, nullptr},
        {{"--", "--headless", "-"}, CommandLineAction::Run, false, {"--headless", "-"}, nullptr},
        {{"--version", "a.vkx"}, CommandLineAction::ShowVersion, false, {"a.vkx"}, nullptr},
        {{"--bogus", "--help"}, CommandLineAction::ShowHelp, false, {}, nullptr},
        {{"--bogus", "a.vkx"}, CommandLineAction::BadUsage, false, {"a.vkx"}, nullptr},
        {{"a.vkx", "--user"}, CommandLineAction::BadUsage, false, {"a.vkx"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.empty() ? std::string("(none)") : c.words[0]);
        CommandLine line = Parse(c.words);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.headless, c.headless);
        EXPECT_EQ(line.files, c.files);
        EXPECT_EQ(line.hasUserCode, c.userCode != nullptr);
        if (c.userCode)
            EXPECT_EQ(line.userCode, c.userCode);
    }
}

TEST(CommandLine, HeadlessRunWithoutFileIsBadUsage)
{
    CommandLine line = Parse({"--headless"});
    CheckHeadlessFiles(line);
    EXPECT_EQ(line.action, CommandLineAction::BadUsage);
    CommandLine windowed = Parse({});
    CheckHeadlessFiles(windowed);
    EXPECT_EQ(windowed.action, CommandLineAction::Run) << "a windowed run starts without files";
}

TEST(CommandLine, AnswersAndExitCodes)
{
    struct Case {
        std::vector<std::string> words;
        int exitCode;
        const char* out;
        const char* errors;
    };
    const Case cases[] = {
        {{"--version"}, kExitDone, kProgramVersionText, ""},
        {{"--help"}, kExitDone, "usage: vek", ""},
        {{"--nonsense"}, kExitBadUsage, "", "--nonsense"},
        {{"--user"}, kExitBadUsage, "", "--user"},
        {{"--headless"}, kExitBadUsage, "", "no base file"},
        {{"--headless", "a.vkx"}, -1, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words[0]);
        CommandLine line = Parse(c.words);
        CheckHeadlessFiles(line);
        std::FILE* out = std::tmpfile();
        std::FILE* errors = std::tmpfile();
        ASSERT_TRUE(out && errors);
        EXPECT_EQ(AnswerCommandLine(line, out, errors), c.exitCode);
        std::string outText = ReadBack(out);
        std::string errorText = ReadBack(errors);
        EXPECT_NE(outText.find(c.out), std::string::npos) << outText;
        EXPECT_NE(errorText.find(c.errors), std::string::npos) << errorText;
        if (*c.out == '\0')
            EXPECT_EQ(outText, "");
        std::fclose(out);
        std::fclose(errors);
    }
}

// The XML interface run: both files and exactly one base, and the run is headless.
TEST(CommandLine, XmlRequestRunTakesBothFilesAndOneBase)
{
    struct Case {
        std::vector<std::string> words;
        CommandLineAction action;
    };
    const Case cases[] = {
        {{"--xml-request", "in.xml", "--xml-answer", "out.xml", "a.vkx"}, CommandLineAction::Run},
        {{"--headless", "--xml-answer", "out.xml", "--xml-request", "in.xml", "a.vkx"}, CommandLineAction::Run},
        {{"--xml-request", "in.xml", "a.vkx"}, CommandLineAction::BadUsage},
        {{"--xml-answer", "out.xml", "a.vkx"}, CommandLineAction::BadUsage},
        {{"--xml-request", "in.xml", "--xml-answer", "out.xml"}, CommandLineAction::BadUsage},
        {{"--xml-request", "in.xml", "--xml-answer", "out.xml", "a.vkx", "b.vkx"}, CommandLineAction::BadUsage},
        {{"--xml-answer", "out.xml", "a.vkx", "--xml-request"}, CommandLineAction::BadUsage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.words.size());
        CommandLine line = Parse(c.words);
        EXPECT_EQ(line.action, c.action);
        EXPECT_TRUE(line.headless) << "the run answers once and ends";
        if (c.action == CommandLineAction::Run) {
            EXPECT_EQ(line.xmlRequest, "in.xml");
            EXPECT_EQ(line.xmlAnswer, "out.xml");
            EXPECT_EQ(line.files, std::vector<std::string>{"a.vkx"});
        }
    }
}

TEST(CommandLine, ProgramArgumentsHoldOnlyTheFiles)
{
    ProgramArguments arguments("vek", {"a.vkx", "-dash.vkx"});
    ASSERT_EQ(arguments.Count(), 3);
    EXPECT_STREQ(arguments.Vector()[1], "a.vkx");
    EXPECT_STREQ(arguments.Vector()[2], "./-dash.vkx") << "the open requests pass over words beginning with -";
    EXPECT_EQ(arguments.Vector()[3], nullptr);
}

}  // namespace
}  // namespace vek
