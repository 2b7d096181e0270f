// XmlInterfaceWindowTest: the poll of the two files, the run of the requests, the scan of the answer's
// errors, and the failures the window once passed over (an answer file that could not be written shown
// as "no errors" in green; a request file that could not be read ending the run silently).
#include "docwindows/xml/XmlInterfaceWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/MainApplication.h"
#include "files/BaseFileTestSupport.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "gui/TransferData.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

using test::ScratchFolder;

constexpr char kVersionRequest[] = "<VEK-xml-input>\n<version/>\n</VEK-xml-input>\n";
// Three requests with a word the interface does not know: three "error" elements.
constexpr char kThreeErrorsRequest[] =
    "<VEK-xml-input>\n<dimensions colour=\"red\"/>\n<dimensions shade=\"dark\"/>\n<dimensions size=\"big\"/>\n"
    "</VEK-xml-input>\n";

std::string XmlFixture(const std::string& name)
{
    return std::string(VEK_SOURCE_DIR) + "/tests/fixtures/xml/" + name;
}

// Moves a file's modification date on, as a save by another program a while later does.
void Touch(const std::string& path, int seconds)
{
    auto when = std::filesystem::last_write_time(path) + std::chrono::seconds(seconds);
    std::filesystem::last_write_time(path, when);
}

class XmlInterfaceWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearError();
        // The window keeps its paths in the user's preferences: a scratch home keeps the user's own.
        std::filesystem::create_directories(folder.Path("config"));
        setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
        base = OpenBaseFile(FilePath(XmlFixture("base.vkx")), nullptr, 0);
        ASSERT_NE(base, nullptr);
        window = std::make_unique<XmlInterfaceWindow>(*base, 0x01);
    }
    void TearDown() override
    {
        window.reset();
        delete base;
        unsetenv("XDG_CONFIG_HOME");
        ClearError();
    }

    void UseFiles(const std::string& request)
    {
        window->SetFile(XmlInterfaceWindow::kInputPane, FilePath(folder.Write("request.xml", request)));
        window->SetFile(XmlInterfaceWindow::kOutputPane, FilePath(folder.Path("answer.xml")));
    }

    MainApplication application;
    ScratchFolder folder;
    Base* base = nullptr;
    std::unique_ptr<XmlInterfaceWindow> window;
};

TEST_F(XmlInterfaceWindowTest, AnAnswerWithoutErrorsIsShownInGreen)
{
    UseFiles(kVersionRequest);
    ASSERT_TRUE(window->Poll(1000)) << "a dropped file runs at the next poll whatever its date";
    EXPECT_EQ(window->ResultText(), LoadText(text::kXmlNoErrors));
    EXPECT_EQ(window->ResultColour(), XmlInterfaceWindow::kColourGreen);
    EXPECT_NE(folder.Read("answer.xml").find("<version"), std::string::npos);
    EXPECT_FALSE(IsErrorPending());
}

TEST_F(XmlInterfaceWindowTest, ThreeErrorElementsShowAsThreeRedLines)
{
    UseFiles(kThreeErrorsRequest);
    ASSERT_EQ(window->Execute(), XmlRunResult::answered);
    EXPECT_EQ(window->ResultColour(), XmlInterfaceWindow::kColourRed);
    const std::string& result = window->ResultText();
    EXPECT_EQ(std::count(result.begin(), result.end(), '\r'), 2) << result;
    for (const char* word : {"colour", "shade", "size"})
        EXPECT_NE(result.find(word), std::string::npos) << word;
}

TEST_F(XmlInterfaceWindowTest, PollsAtMostEveryHalfSecondAndOnlyOnChanges)
{
    UseFiles(kVersionRequest);
    ASSERT_TRUE(window->Poll(1000));
    EXPECT_FALSE(window->Poll(1600)) << "nothing changed";
    // Saved twice within 500 ms: one run, at the next poll that is due.
    Touch(folder.Path("request.xml"), 5);
    EXPECT_FALSE(window->Poll(1700));
    Touch(folder.Path("request.xml"), 5);
    EXPECT_FALSE(window->Poll(1900));
    EXPECT_TRUE(window->Poll(2200));
    EXPECT_FALSE(window->Poll(2800));
    // The answer file deleted from outside also runs the requests again.
    std::filesystem::remove(folder.Path("answer.xml"));
    EXPECT_TRUE(window->Poll(3400));
    EXPECT_TRUE(std::filesystem::exists(folder.Path("answer.xml")));
}

TEST_F(XmlInterfaceWindowTest, ADroppedFileRunsAtTheNextPollEvenWithTheSameDate)
{
    UseFiles(kVersionRequest);
    ASSERT_TRUE(window->Poll(1000));
    TransferData package;
    package.AddFile(kTransferFile, FilePath(folder.Path("request.xml")));
    EXPECT_EQ(window->AcceptDrop(package), 1);
    EXPECT_TRUE(window->ForceFlag());
    EXPECT_TRUE(window->Poll(1100)) << "the force flag does not wait for the interval";
}

// Regression: an answer file that could not be written was scanned as it stood and reported as
// "no errors" in green.
TEST_F(XmlInterfaceWindowTest, AnAnswerThatCannotBeWrittenIsShownInRedAndRetried)
{
    std::string stale = folder.Write("answer.xml", "<VEK-xml-output>\n</VEK-xml-output>\n");
    window->SetFile(XmlInterfaceWindow::kInputPane, FilePath(folder.Write("request.xml", kVersionRequest)));
    // A folder where the answer file should be cannot be written as a file.
    std::filesystem::create_directory(folder.Path("answer-folder"));
    window->SetFile(XmlInterfaceWindow::kOutputPane, FilePath(folder.Path("answer-folder")));
    EXPECT_EQ(window->Execute(), XmlRunResult::answerNotWritten);
    EXPECT_EQ(window->ResultColour(), XmlInterfaceWindow::kColourRed);
    EXPECT_NE(window->ResultText().find("answer-folder"), std::string::npos) << window->ResultText();
    EXPECT_TRUE(window->RetryFlag());
    EXPECT_FALSE(IsErrorPending()) << "the failure is shown in the window, not left pending";
    // Nothing about the files changes, yet the next poll tries again; once the answer can be
    // written, it is.
    EXPECT_TRUE(window->Poll(5000));
    window->SetFile(XmlInterfaceWindow::kOutputPane, FilePath(stale));
    EXPECT_TRUE(window->Poll(5100));
    EXPECT_EQ(window->ResultColour(), XmlInterfaceWindow::kColourGreen);
    EXPECT_FALSE(window->RetryFlag());
}

// Regression: a request file that could not be read ended the run silently.
TEST_F(XmlInterfaceWindowTest, ARequestThatCannotBeReadIsShownAndRetried)
{
    std::string answer = folder.Write("answer.xml", "<VEK-xml-output>\n</VEK-xml-output>\n");
    window->SetFile(XmlInterfaceWindow::kInputPane, FilePath(folder.Path("missing.xml")));
    window->SetFile(XmlInterfaceWindow::kOutputPane, FilePath(answer));
    EXPECT_TRUE(window->Poll(1000));
    EXPECT_EQ(window->ResultColour(), XmlInterfaceWindow::kColourRed);
    EXPECT_NE(window->ResultText().find("missing.xml"), std::string::npos) << window->ResultText();
    EXPECT_EQ(folder.Read("answer.xml"), "<VEK-xml-output>\n</VEK-xml-output>\n") << "the old answer stays";
    EXPECT_FALSE(IsErrorPending());
    // The file appears: the next poll reads it.
    folder.Write("missing.xml", kVersionRequest);
    EXPECT_TRUE(window->Poll(1600));
    EXPECT_EQ(window->ResultColour(), XmlInterfaceWindow::kColourGreen);
}

TEST_F(XmlInterfaceWindowTest, ThePathsAreKeptInThePreferences)
{
    UseFiles(kVersionRequest);
    window.reset();
    window = std::make_unique<XmlInterfaceWindow>(*base, 0x01);
    EXPECT_EQ(window->InputFile().Text(), folder.Path("request.xml"));
    EXPECT_EQ(window->OutputFile().Text(), folder.Path("answer.xml"));
    EXPECT_FALSE(window->ExecuteWhenModified());
}

TEST_F(XmlInterfaceWindowTest, OpenBringsTheBasesWindowForward)
{
    window.reset();
    XmlInterfaceWindow* first = XmlInterfaceWindow::Open(*base, 0x01);
    EXPECT_EQ(XmlInterfaceWindow::Open(*base, 0x01), first);
    EXPECT_EQ(XmlInterfaceWindow::Find(*base), first);
    delete first;
    EXPECT_EQ(XmlInterfaceWindow::Find(*base), nullptr);
}

}  // namespace
}  // namespace vek
