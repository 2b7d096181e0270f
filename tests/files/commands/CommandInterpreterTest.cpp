// The command language: dispatch, words and options, the commands on components, cards, macros,
// error files, import and save, and the safety of untrusted command texts.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "files/commands/CommandInterpreter.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "model/base/Base.h"
#include "model/base/BaseProtection.h"
#include "foundation/strings/String.h"
#include "model/templates/TemplateTree.h"
#include "model/named/CommandSource.h"
#include "model/dimensions/Component.h"
#include "model/dimensions/Dimension.h"
#include "model/templates/AnalysisTemplate.h"
#include "model/named/Macro.h"
#include "model/selections/Subset.h"
#include "model/selections/SubsetList.h"
#include "model/templates/Template.h"
#include "model/base/ModelServices.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;
using test::TextBase;

// Dimension 2 ("Accounts"): 1 > 11, 12 and 2 > 21; the cards use 11 only. Two cards, 240105 and 240301.
std::string SmallBaseText(std::initializer_list<std::string_view> extra = {})
{
    std::vector<std::string_view> lines = {"##VEK-Text\t121122", "", "##Dimension\t2", "-N\tAccount\tAccounts",
                                           "1\tAssets", "11\tCash\tH11", "12\tBank\tH12", "2\tOther", "21\tSub", ""};
    lines.insert(lines.end(), extra.begin(), extra.end());
    for (std::string_view line : {"##Cards", "C240105-001\tFirst", "G", "L10\t\t11", "", "C240301-001\tSecond", "G",
                                  "L20\t\t11", "", "##End"})
        lines.push_back(line);
    std::string text = "\xEF\xBB\xBF";
    for (std::string_view line : lines) {
        text += line;
        text += '\r';
    }
    return text;
}

class CommandInterpreterTest : public ::testing::Test {
protected:
    void SetUp() override { ClearError(); }
    void TearDown() override { ClearError(); }

    std::unique_ptr<Base> OpenSmallBase(std::initializer_list<std::string_view> extra = {})
    {
        std::string path = folder.Write("small.vkx", SmallBaseText(extra));
        auto base = std::make_unique<Base>(FilePath(path), 0);
        EXPECT_TRUE(LoadOwnFile(*base, nullptr, 0));
        return base;
    }
    Component* Find(Base& base, const char* code) { return base.GetDimension(1).FindByCode(code); }

    ScratchFolder folder;
    test::MessageLog messages;
};

TEST_F(CommandInterpreterTest, CommandsChangeTheBaseAndReportBadWordsByNumber)
{
    struct Case {
        const char* name;
        const char* text;
        std::vector<int32_t> codes;
        std::vector<const char*> present;
        std::vector<const char*> absent;
        int32_t cards;
    };
    const Case cases[] = {
        {"an unknown command", "launch rockets", {3819}, {"11"}, {}, 2},
        {"capitals in commands and options", "NEWCOMPONENT accounts 13 Safe -SILENT", {}, {"13"}, {}, 2},
        {"a code that exists", "newComponent Accounts 12 Again", {3313}, {"12"}, {}, 2},
        {"a code that exists, silently", "newComponent Accounts 12 Again -silent", {}, {"12"}, {}, 2},
        {"an unknown dimension", "newComponent Planets 7 Mars", {3821}, {}, {"7"}, 2},
        {"a dimension by number", "newComponent 2 14 Till", {}, {"14"}, {}, 2},
        {"an unknown option", "newComponent 2 15 Fifteen -loud", {3820}, {"15"}, {}, 2},
        {"a component in use", "deleteComponent Accounts 1", {3315}, {"1", "11", "12"}, {}, 2},
        {"a component in use, silently", "deleteComponent Accounts 1 -silent", {}, {"1", "11"}, {}, 2},
        {"an unused subtree", "deleteComponent Accounts 2", {}, {"1"}, {"2", "21"}, 2},
        {"the unused of a tree", "deleteComponent Accounts 1 -unused", {}, {"1", "11", "2"}, {"12"}, 2},
        {"every unused component", "deleteComponent Accounts -unused", {}, {"1", "11"}, {"12", "2", "21"}, 2},
        // Regression: the message of an unknown code was the import's ("... It is added.").
        {"an unknown code", "deleteComponent Accounts 99", {3862}, {"1"}, {}, 2},
        {"an unknown code to sort", "sortComponents Accounts 99", {3862}, {"1"}, {"99"}, 2},
        {"cards from a start on", "deleteCards 240201", {}, {"11"}, {}, 1},
        {"cards in a range", "deleteCards 240101 240131", {}, {"11"}, {}, 1},
        // Regression: a date that cannot be read deleted every card (read as the earliest key).
        {"an unreadable date deletes nothing", "deleteCards someday", {3820}, {}, {}, 2},
        {"a comment only", "// nothing\r/* nor\rthis */", {}, {}, {}, 2},
        {"a line continued", "newComponent Accounts \\\r 16 Sixteen", {}, {"16"}, {}, 2},
        {"an analysis command", "openTemplate \"Sales by month\" -reopen", {3880}, {}, {}, 2},
        {"no such subset", "deleteSubset Large", {3824}, {}, {}, 2},
        {"no such template", "modify \"Reports: Sales\" W 1 1", {3824}, {}, {}, 2},
        {"a base-file section ends the text", "##Dimension\t3\rnewComponent Accounts 17 Late", {}, {}, {"17"}, 2},
        {"quit ends the run", "quit\rnewComponent Accounts 18 After", {}, {}, {"18"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Base> base = OpenSmallBase();
        messages.codes.clear();
        RunCommandText(*base, c.text);
        EXPECT_EQ(messages.codes, c.codes);
        for (const char* code : c.present)
            EXPECT_NE(Find(*base, code), nullptr) << code;
        for (const char* code : c.absent)
            EXPECT_EQ(Find(*base, code), nullptr) << code;
        EXPECT_EQ(base->CardCount(), c.cards);
        EXPECT_FALSE(IsErrorPending());
    }
}

// An error file is opened only over a log this program wrote (or a new file): opening empties it.
// Regression rows: any file was emptied or overwritten, the base's own file included.
TEST_F(CommandInterpreterTest, ErrorFilesAreOpenedOnlyOverLogs)
{
    struct Case {
        const char* name;
        const char* existing;  // the text of "target.txt" before, null: no such file
        const char* command;
        std::vector<int32_t> codes;
        bool keptWhole;  // the file afterwards begins with what it held
    };
    const Case cases[] = {
        {"a new file", nullptr, "errorFile target.txt", {}, false},
        {"the base's own file", nullptr, "errorFile small.vkx", {3884}, true},
        {"a folder", nullptr, "errorFile .", {3884}, true},
        {"a file that is no log", "my notes\n", "errorFile target.txt", {3884}, true},
        {"a file that is no log, appending", "my notes\n", "errorFile target.txt -append", {3884}, true},
        {"a log, appended to", "\xEF\xBB\xBFLogfile created at 2024-01-01 10:00:00\nold entry\n",
         "errorFile target.txt -append", {}, true},
        {"a log in another language, replaced", "Logfil oprettet 2024-01-01 10:00:00\nold entry\n",
         "errorFile target.txt", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Base> base = OpenSmallBase();
        std::string baseBytes = folder.Read("small.vkx");
        std::filesystem::remove(folder.Path("target.txt"));
        if (c.existing != nullptr)
            folder.Write("target.txt", c.existing);
        messages.codes.clear();
        RunCommandText(*base, std::string(c.command) + "\rbogus");
        base->CloseErrorFile(ErrorFileClose::Hard);
        // Without an error file the next error is shown; with one it goes into the file.
        std::vector<int32_t> codes = c.codes;
        if (!codes.empty())
            codes.push_back(3819);
        EXPECT_EQ(messages.codes, codes);
        EXPECT_EQ(folder.Read("small.vkx"), baseBytes);
        if (c.existing != nullptr) {
            std::string after = folder.Read("target.txt");
            EXPECT_EQ(after.starts_with(c.existing), c.keptWhole) << after;
            EXPECT_EQ(after.find("bogus") != std::string::npos, c.codes.empty()) << after;
        }
    }
}

// Words are taken whole or refused by number. Regression rows: `message` cut its text to 316 bytes;
// `password` set the first of several words and dropped the others silently.
TEST_F(CommandInterpreterTest, WordsAreTakenWholeOrRefused)
{
    std::string longText;
    for (int32_t i = 0; longText.size() < 1000; ++i)
        longText += "word" + std::to_string(i) + "\xC3\xA5 ";
    longText.pop_back();
    struct Case {
        std::string text;
        std::vector<int32_t> codes;
        std::string shown;        // the texts of the messages, joined
        const char* password;     // the base's password afterwards
    };
    const Case cases[] = {
        {"message " + longText, {3881, 3881, 3881, 3881}, longText, ""},
        {"message short text", {3881}, "short text", ""},
        {"password my secret", {3820}, "", ""},
        {"password \"my secret\"", {}, "", "my secret"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        std::unique_ptr<Base> base = OpenSmallBase();
        messages.codes.clear();
        messages.texts.clear();
        RunCommandText(*base, c.text);
        EXPECT_EQ(messages.codes, c.codes);
        if (!c.shown.empty()) {
            std::string shown;
            for (const std::string& text : messages.texts)
                shown += text;
            EXPECT_EQ(shown, c.shown);
        }
        String password;
        base->Protection().PasswordText(password);
        EXPECT_EQ(std::string(password.View()), c.password);
    }
}

// The log: every command leaves its indentation where it found it, and no password is written.
// Regression: each import left the log two levels deeper, and "-pw" passwords went into the log.
TEST_F(CommandInterpreterTest, TheLogKeepsItsLevelAndNoPasswords)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    folder.Write("in-1.vkx", TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", "61\tNew", "##End"}));
    std::string log = folder.Path("log.txt");
    base->SetLogFile(log.c_str(), LogFileOpen::Replace);
    RunCommandText(*base, "import in-1.vkx -pw SECRET\rimport 'in-1.vkx' -PW \"two words\"\rnewComponent Accounts 80 X\r"
                          "newComponent Accounts 81 Y");
    base->SetLogFile("", LogFileOpen::Replace);
    std::string text = folder.Read("log.txt");
    EXPECT_EQ(text.find("SECRET"), std::string::npos) << text;
    EXPECT_EQ(text.find("two words"), std::string::npos) << text;
    EXPECT_NE(text.find("command: import in-1.vkx -pw ****"), std::string::npos) << text;
    EXPECT_NE(text.find("command: import 'in-1.vkx' -PW ****"), std::string::npos) << text;
    std::vector<std::string> indents;
    for (size_t at = text.find("command: "); at != std::string::npos; at = text.find("command: ", at + 1)) {
        size_t lineStart = text.rfind('\n', at);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        indents.push_back(text.substr(lineStart, at - lineStart));
    }
    ASSERT_EQ(indents.size(), 4u) << text;
    for (const std::string& indent : indents)
        EXPECT_EQ(indent, indents.front()) << text;
}

// Regression: a base whose commands section imports the base's own file read itself into itself,
// doubling its cards on every open; the file being read is refused with 3826.
TEST_F(CommandInterpreterTest, ABaseNeverImportsItselfWhileItIsRead)
{
    std::string path = folder.Write("self.vkx", SmallBaseText({"##Commands", "import self.vkx", "newComponent Accounts 90 After", ""}));
    messages.codes.clear();
    Base* base = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{3826});
    EXPECT_EQ(base->CardCount(), 2);
    EXPECT_NE(Find(*base, "90"), nullptr);  // the command stops, the text goes on
    EXPECT_TRUE(CloseBase(base, CloseMode::WindowsOnly));
}

// `modify` gives a subset's key the rest of the line as one text. Regression: the words were fields
// of their own, so "modify Big F cards A" set the formula "cards" (refused, 4707).
TEST_F(CommandInterpreterTest, ModifyGivesASubsetTheWholeText)
{
    struct Case {
        const char* text;
        std::vector<int32_t> codes;
        int32_t formulaOps;
        const char* notes;
    };
    const Case cases[] = {
        {"modify Big F cards A", {}, 2, ""},
        {"modify Big F \"cards A\"", {}, 2, ""},
        {"modify Big F A", {}, 1, ""},
        {"modify Big F cards", {4707}, 0, ""},
        {"modify Big N two  words", {}, 1, "two words"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<Base> base = OpenSmallBase({"##Subset\tBig", "VN\tA", "F\tA", ""});
        ASSERT_NE(base->Subsets().FindByName("Big"), nullptr);
        messages.codes.clear();
        RunCommandText(*base, c.text);
        EXPECT_EQ(messages.codes, c.codes);
        Subset* big = base->Subsets().FindByName("Big");
        EXPECT_EQ(big->Formula().OpCount(), c.formulaOps);
        EXPECT_STREQ(big->Notes() != nullptr ? big->Notes() : "", c.notes);
    }
}

TEST_F(CommandInterpreterTest, NewComponentKeepsHostCodesUniqueAndMarksTheBaseModified)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    ASSERT_FALSE(base->IsModified());
    RunCommandText(*base, "newComponent Accounts 13 Safe H11");
    EXPECT_EQ(messages.codes, std::vector<int32_t>{3314});
    Component* added = Find(*base, "13");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->host, nullptr);
    EXPECT_TRUE(base->IsModified());
}

TEST_F(CommandInterpreterTest, DimOptionsSetNamesAndDefaultRestoresThem)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    RunCommandText(*base, "dimOptions Accounts -singular Konto -plural Konton -strings CT");
    String name;
    base->DimensionPluralName(1, name);
    EXPECT_STREQ(name.CStr(), "Konton");
    EXPECT_EQ(base->GetDimension(1).Display(), 3);
    RunCommandText(*base, "dimOptions Konton -plural default -strings T");
    EXPECT_EQ(base->GetDimension(1).PluralNameField(), nullptr);
    EXPECT_EQ(base->GetDimension(1).Display(), 2);
    EXPECT_TRUE(messages.codes.empty());
}

TEST_F(CommandInterpreterTest, SortComponentsReversesTheChildren)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    RunCommandText(*base, "sortComponents Accounts 1 -reverse");
    Component* parent = Find(*base, "1");
    ASSERT_NE(parent, nullptr);
    Component* first = parent->FirstChild(base->ComponentPool());
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->code, "12");
}

TEST_F(CommandInterpreterTest, MacrosNeverStartThemselvesAgain)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    Macro* self = base->Macros().Create("Self");
    self->SetCommands("newComponent Accounts 30 Once -silent\rexecute Self\rnewComponent Accounts 31 After");
    Macro* ping = base->Macros().Create("Ping");
    ping->SetCommands("execute Pong");
    Macro* pong = base->Macros().Create("Pong");
    pong->SetCommands("execute Ping\rnewComponent Accounts 32 Pong");
    RunCommandText(*base, "execute self\rexecute Ping\rexecute Missing");
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{7106, 7106, 3820}));
    EXPECT_NE(Find(*base, "30"), nullptr);
    EXPECT_NE(Find(*base, "31"), nullptr);  // the outer run went on
    EXPECT_NE(Find(*base, "32"), nullptr);
    EXPECT_FALSE(self->IsRunning());
    EXPECT_FALSE(ping->IsRunning());
}

TEST_F(CommandInterpreterTest, DeleteMacroTakesGroupsAndSparesTheRunningMacro)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    for (const char* name : {"Reports: Monthly", "Reports: Yearly", "Reportsx", "Cleanup", "Other"})
        base->Macros().Create(name);
    base->Macros().Find("Cleanup")->SetCommands("deleteMacro -all");
    RunCommandText(*base, "deleteMacro reports\rdeleteMacro Nothing");
    EXPECT_EQ(messages.codes, std::vector<int32_t>{3820});
    EXPECT_EQ(base->Macros().Find("Reports: Monthly"), nullptr);
    EXPECT_NE(base->Macros().Find("Reportsx"), nullptr);
    RunCommandText(*base, "execute Cleanup");
    EXPECT_EQ(base->Macros().Count(), 1);
    EXPECT_NE(base->Macros().Find("Cleanup"), nullptr);
}

TEST_F(CommandInterpreterTest, MacroChainsNestOnlySoDeep)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    // M0 executes M1 ... each a macro of its own, so the running mark does not stop the chain.
    const int32_t count = kMaxCommandNesting + 4;
    for (int32_t i = 0; i < count; ++i) {
        Macro* macro = base->Macros().Create(("M" + std::to_string(i)).c_str());
        macro->SetCommands(("execute M" + std::to_string(i + 1)).c_str());
    }
    RunCommandText(*base, "execute M0");
    EXPECT_EQ(messages.codes, std::vector<int32_t>{3883});
    EXPECT_EQ(CommandNesting(), 0);
}

TEST_F(CommandInterpreterTest, LongLinesAndLongTextsRunOrAreRefused)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    std::string atLimit = "newComponent Accounts 40 ";
    atLimit += std::string(size_t(kMaxCommandLineBytes) - atLimit.size(), 'x');
    std::string beyond = "newComponent Accounts 41 " + std::string(size_t(kMaxCommandLineBytes), 'y');
    RunCommandText(*base, atLimit + "\r" + beyond);
    EXPECT_NE(Find(*base, "40"), nullptr);
    EXPECT_EQ(Find(*base, "41"), nullptr);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{3882});
    std::string many;
    for (int32_t i = 0; i < 200000; ++i)
        many += "// line\r";
    many += "newComponent Accounts 42 Last";
    messages.codes.clear();
    RunCommandText(*base, many);
    EXPECT_NE(Find(*base, "42"), nullptr);
    EXPECT_TRUE(messages.codes.empty());
}

TEST_F(CommandInterpreterTest, ErrorFileTakesErrorsAndAVerboseOneTheCommands)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    RunCommandText(*base, "errorFile errors.txt\rbogus one\rerrorFile -nofile\rbogus two");
    base->CloseErrorFile(ErrorFileClose::Hard);
    std::string errors = folder.Read("errors.txt");
    EXPECT_NE(errors.find("bogus"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("two"), std::string::npos) << errors;

    RunCommandText(*base, "errorFile verbose.txt -verbose -persistent\rnewComponent Accounts 50 Fifty\rbogus three\r"
                          "Password \"s3cret\"");
    base->CloseErrorFile(ErrorFileClose::Soft);
    EXPECT_TRUE(base->HasErrorFile());  // persistent: kept through a soft close
    base->CloseErrorFile(ErrorFileClose::Hard);
    EXPECT_FALSE(base->HasErrorFile());
    std::string verbose = folder.Read("verbose.txt");
    EXPECT_NE(verbose.find("command: newComponent Accounts 50 Fifty"), std::string::npos) << verbose;
    EXPECT_NE(verbose.find("Error: "), std::string::npos) << verbose;
    // Regression: the log took every command line as it stood, the password's too.
    EXPECT_NE(verbose.find("command: Password"), std::string::npos) << verbose;
    EXPECT_EQ(verbose.find("s3cret"), std::string::npos) << verbose;
    RunCommandText(*base, "errorFile x.txt -language XX");
    base->CloseErrorFile(ErrorFileClose::Hard);
    EXPECT_EQ(messages.codes.back(), 3820);
}

TEST_F(CommandInterpreterTest, ImportOfAPatternLogsTheCount)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    for (const char* name : {"in-1.vkx", "in-2.vkx"})
        folder.Write(name, TextBase({"##VEK-Text\t121122", "", "##Dimension\t2", std::string("6") + name[3] + "\tNew", "##End"}));
    std::string log = folder.Path("log.txt");
    base->SetLogFile(log.c_str(), LogFileOpen::Replace);
    RunCommandText(*base, "import in-*.vkx");
    base->SetLogFile("", LogFileOpen::Replace);
    RunCommandText(*base, "import missing.vkx\rimport in-1.vkx -s Nonesuch");
    EXPECT_NE(Find(*base, "61"), nullptr);
    EXPECT_NE(Find(*base, "62"), nullptr);
    EXPECT_NE(folder.Read("log.txt").find("2 files imported"), std::string::npos);
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{605, 3825}));
}

TEST_F(CommandInterpreterTest, SaveMakesTheFileTheBasesAndNeverReplacesWhatIsNoBase)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    folder.Write("notes.txt", "my notes\n");
    RunCommandText(*base, "newComponent Accounts 60 Sixty\rsave notes.txt\rsave copy.vkx ZZ");
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{3884, 3820}));
    EXPECT_EQ(folder.Read("notes.txt"), "my notes\n");
    EXPECT_EQ(base->Path().Text(), folder.Path("copy.vkx"));
    EXPECT_FALSE(base->IsModified());
    Base copy{FilePath(folder.Path("copy.vkx")), 0};
    ASSERT_TRUE(LoadOwnFile(copy, nullptr, 0));
    EXPECT_NE(copy.GetDimension(1).FindByCode("60"), nullptr);
}

TEST_F(CommandInterpreterTest, ABaseRunsItsCommandsAndStartupMacrosWhenOpened)
{
    std::unique_ptr<Base> withCommands = OpenSmallBase({"##Commands", "newComponent Accounts 70 Seventy", ""});
    EXPECT_NE(Find(*withCommands, "70"), nullptr);
    EXPECT_TRUE(withCommands->IsModified());  // what the commands changed is not lost on closing

    // An error that stops the commands is told, and the base stays open without it pending.
    messages.codes.clear();
    std::string path = folder.Write("stops.vkx", SmallBaseText({"##Commands", "save no-such-folder/x.vkx", "newComponent Accounts 72 Never", ""}));
    Base* stopped = OpenBaseFile(FilePath(path), nullptr, 0);
    ASSERT_NE(stopped, nullptr);
    EXPECT_EQ(messages.codes, std::vector<int32_t>{603});
    EXPECT_FALSE(IsErrorPending());
    EXPECT_EQ(Find(*stopped, "72"), nullptr);
    EXPECT_TRUE(CloseBase(stopped, CloseMode::WindowsOnly));

    std::unique_ptr<Base> withMacro =
        OpenSmallBase({"##Macro\tStart", "M\tnewComponent Accounts 71 Started", "A-", "S+", "P-", ""});
    EXPECT_NE(Find(*withMacro, "71"), nullptr);
}

TEST_F(CommandInterpreterTest, CloseAndQuitAreOnlyQueued)
{
    HeadlessModelServices services;
    ScopedService<ModelServices> scoped(&services);
    std::unique_ptr<Base> base = OpenSmallBase();
    RunCommandText(*base, "close\rquit");
    EXPECT_EQ(services.QueuedTasks(), 2);
    EXPECT_FALSE(services.QuitRequested());
}

// The script of tests/fixtures/commands uses every command that needs no window; the base it saves
// is compared byte for byte with the expected one.
TEST_F(CommandInterpreterTest, TheFixtureScriptGivesTheExpectedBase)
{
    std::string fixtures = std::string(VEK_SOURCE_DIR) + "/tests/fixtures/commands/";
    for (const char* name : {"shop.vkx", "extra-1.vkx", "extra-2.vkx"})
        folder.Write(name, ScratchFolder::ReadFileBytes(fixtures + name));
    std::string script = ScratchFolder::ReadFileBytes(fixtures + "script.txt");
    Base base{FilePath(folder.Path("shop.vkx")), 0};
    ASSERT_TRUE(LoadOwnFile(base, nullptr, 0));
    base.RunCommandSource(script, "script.txt");
    base.CloseErrorFile(ErrorFileClose::Hard);
    EXPECT_FALSE(IsErrorPending());
    EXPECT_EQ(folder.Read("result.vkx"), ScratchFolder::ReadFileBytes(fixtures + "expected.vkx"));
    EXPECT_EQ(base.Path().Text(), folder.Path("result.vkx"));
    std::string errors = folder.Read("errors.txt");
    EXPECT_NE(errors.find("Imported and cleaned"), std::string::npos) << errors;
    EXPECT_EQ(base.GetDimension(1).FindByCode("9999"), nullptr);  // after quit nothing ran
}

// Commands reach the base's subsets and templates by name: deleted one by one, by pattern or all,
// duplicated under a new path, and modified by one definition line.
TEST_F(CommandInterpreterTest, SubsetsAndTemplatesAreReachedByName)
{
    std::unique_ptr<Base> base = OpenSmallBase();
    ASSERT_NE(base->Subsets().CreateSubset("Big"), nullptr);
    ASSERT_NE(base->Subsets().CreateSubset("Small"), nullptr);
    ASSERT_NE(base->Templates().Insert(base->NewTemplate(TemplateKind::Cards), "Reports: Sales"), nullptr);
    ASSERT_NE(base->Templates().Insert(base->NewTemplate(TemplateKind::Lines), "Reports: Costs"), nullptr);
    ASSERT_NE(base->Templates().Insert(base->NewTemplate(TemplateKind::Lines), "Other"), nullptr);

    RunCommandText(*base, "modify big N\tlarge\rmodify \"Reports: Sales\" xN\tchecked\r"
                          "duplicateTemplate \"Reports: Sales\" \"Copies: Sales\"\rdeleteSubset Small Missing");
    EXPECT_EQ(messages.codes, (std::vector<int32_t>{3824}));
    ASSERT_NE(base->Subsets().FindByName("Big"), nullptr);
    EXPECT_STREQ(base->Subsets().FindByName("Big")->Notes(), "large");
    EXPECT_EQ(base->Subsets().FindByName("Small"), nullptr);
    auto* copy = dynamic_cast<AnalysisTemplate*>(base->FindTemplate("Copies: Sales"));
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy->NotesText(), "checked");

    messages.codes.clear();
    RunCommandText(*base, "deleteTemplate Reports\rdeleteTemplate -filter \"Copies: Sales\"\rdeleteSubset -all");
    EXPECT_TRUE(messages.codes.empty());
    EXPECT_EQ(base->FindTemplate("Reports: Sales"), nullptr);
    EXPECT_EQ(base->FindTemplate("Copies: Sales"), nullptr);
    EXPECT_NE(base->FindTemplate("Other"), nullptr);
    EXPECT_EQ(base->Subsets().Count(), 0);
}

}  // namespace
}  // namespace vek
