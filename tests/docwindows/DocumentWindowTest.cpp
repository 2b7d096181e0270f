// DocumentWindowTest: the list of open document windows, title numbering, the owner rule, log lines,
// closing the windows of a base, and the formatting helpers.
#include "docwindows/DocumentWindow.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/MainApplication.h"
#include "foundation/messages/LocalizedText.h"
#include "foundation/messages/PendingError.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {
namespace {

const OriginSize kFrame{40, 40, 200, 300};

class TestWindow final : public DocumentWindow {
public:
    TestWindow(DocumentKind kind, Base* base, bool refuse = false)
        : DocumentWindow(kind, kFrame, base, 0), refuseToClose(refuse)
    {
        FinishConstruction();
    }
    ~TestWindow() override { PrepareDestruction(); }
    int32_t CanClose(CloseMode mode) override { return refuseToClose ? 0 : DocumentWindow::CanClose(mode); }

    bool refuseToClose;
};

TEST(DocumentWindow, UntitledWindowsTakeTheLowestFreeNumber)
{
    MainApplication application;
    Base base(FilePath(), 1);
    const std::string stem = std::string(LoadText(2547)) + " ";
    auto one = std::make_unique<TestWindow>(DocumentKind::CardsAnalysis, &base);
    auto two = std::make_unique<TestWindow>(DocumentKind::CardsAnalysis, &base);
    auto three = std::make_unique<TestWindow>(DocumentKind::CardsAnalysis, &base);
    for (TestWindow* w : {one.get(), two.get(), three.get()})
        w->SetWindowTitle(nullptr);
    EXPECT_EQ(one->Title(), stem + "1");
    EXPECT_EQ(two->Title(), stem + "2");
    EXPECT_EQ(three->Title(), stem + "3");
    EXPECT_EQ(DocumentWindow::First(), one.get());
    EXPECT_EQ(one->NextOpenWindow(), two.get());
    two.reset();
    EXPECT_EQ(one->NextOpenWindow(), three.get());
    TestWindow again(DocumentKind::CardsAnalysis, &base);
    again.SetWindowTitle(nullptr);
    EXPECT_EQ(again.Title(), stem + "2");

    TestWindow child(DocumentKind::LinesAnalysis, &base);
    child.SetWindowTitle(one.get());
    EXPECT_EQ(child.Title(), stem + "1 >> " + LoadText(2548));
}

TEST(DocumentWindow, FindWindowOfObject)
{
    MainApplication application;
    Base base(FilePath(), 1);
    TestWindow none(DocumentKind::Subset, &base);
    int object = 0;
    EXPECT_EQ(FindWindowOfObject(nullptr), nullptr) << "windows without an object are not a match for null";
    TestWindow showing(DocumentKind::Subset, &base);
    showing.SetShownObject(&object, nullptr);
    EXPECT_EQ(FindWindowOfObject(&object), &showing);
}

TEST(DocumentWindow, OwnerIsTheStatusWindowOnlyWhenSeveralBasesAreOpen)
{
    MainApplication application;
    Base first(FilePath(), 1);
    TestWindow status(DocumentKind::BaseStatus, &first);
    status.SetTitle("first");
    TestWindow analysis(DocumentKind::CardsAnalysis, &first);
    analysis.SetWindowTitle(nullptr);
    EXPECT_EQ(analysis.Owner(), nullptr);
    Base second(FilePath(), 2);
    ChangeNotification opened{ChangeRecord(kChangeBaseOpened, &second), nullptr};
    NotifyWindowsOfBase(opened, &first);
    EXPECT_EQ(analysis.Owner(), &status);
    EXPECT_EQ(analysis.PlatformTitle(), "first: " + analysis.Title());
    EXPECT_EQ(status.Owner(), nullptr) << "the status window has no owner";
}

TEST(DocumentWindow, CloseWindowsOfBaseKeepsTheStatusWindowAndStopsAtARefusal)
{
    MainApplication application;
    Base base(FilePath(), 1);
    Base other(FilePath(), 2);
    auto* status = new TestWindow(DocumentKind::BaseStatus, &base);
    new TestWindow(DocumentKind::CardsAnalysis, &base);
    auto* refusing = new TestWindow(DocumentKind::Card, &base, true);
    auto* later = new TestWindow(DocumentKind::Macro, &base);
    auto* foreign = new TestWindow(DocumentKind::Macro, &other);
    EXPECT_FALSE(CloseWindowsOfBase(base, CloseMode::Normal));
    EXPECT_EQ(DocumentWindow::OpenCount(), 4) << "the first closed, the refusing one and those after it stay";
    refusing->refuseToClose = false;
    EXPECT_TRUE(CloseWindowsOfBase(base, CloseMode::Normal));
    EXPECT_EQ(DocumentWindow::First(), status);
    EXPECT_EQ(status->NextOpenWindow(), foreign);
    (void)later;
    delete status;
    delete foreign;
}

TEST(DocumentWindow, OpeningAndClosingWriteLogLines)
{
    std::string folder = (std::filesystem::temp_directory_path() / "vek-docwindow-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    std::string log = folder + "/log.txt";
    {
        MainApplication application;
        Base base(FilePath(), 1);
        base.SetLogFile(log.c_str(), LogFileOpen::Replace);
        {
            auto window = std::make_unique<TestWindow>(DocumentKind::CardsAnalysis, &base);
            window->SetTitle("Sales");
            window->LogCalculated();
            TestWindow status(DocumentKind::BaseStatus, &base);  // no kind name: no line
        }
        base.SetLogFile("", LogFileOpen::Append);
    }
    std::ifstream in(log, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Calculated cards analysis \"Sales\""), std::string::npos) << text;
    EXPECT_NE(text.find("Closed cards analysis \"Sales\""), std::string::npos) << text;
    EXPECT_EQ(text.find("base status"), std::string::npos);
    std::filesystem::remove_all(folder);
}

// Regression: a window whose close was deferred past its base's end logged "Closed" through the freed
// base. The base's closing notice now leaves the window nothing to reach it by.
TEST(DocumentWindow, AWindowThatOutlivesItsBaseClosesWithoutIt)
{
    std::string folder = (std::filesystem::temp_directory_path() / "vek-docwindow-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    MainApplication application;
    auto base = std::make_unique<Base>(FilePath(), 1);
    base->SetLogFile((folder + "/log.txt").c_str(), LogFileOpen::Replace);
    auto window = std::make_unique<TestWindow>(DocumentKind::CardsAnalysis, base.get());
    base.reset();
    window.reset();  // under the address sanitizer, any use of the freed base fails here
    std::filesystem::remove_all(folder);
}

TEST(DocumentWindow, FormatByteSize)
{
    struct Case {
        int64_t bytes;
        const char* number;
        int32_t unit;
    };
    const Case cases[] = {
        {0, "0", 3148},          {999, "999", 3147},       {1023, "1.0", 3148},          {10239, "10.0", 3148},
        {10240, "10", 3148},     {1023999, "1000", 3148},  {1024000, "1.0", 3149},       {104857600, "100", 3149},
        {1073741824, "1.00", 3150}, {10737418240, "10.0", 3150}, {107374182400, "100", 3150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        String text;
        FormatByteSize(text, c.bytes);
        EXPECT_EQ(std::string(text.CStr()), std::string(c.number) + " " + LoadText(c.unit));
    }
    String negative;
    FormatByteSize(negative, -1);
    EXPECT_STREQ(negative.CStr(), "-");
}

TEST(DocumentWindow, ColourNamesAndRequestItems)
{
    EXPECT_STREQ(GetColourName(13), LoadText(2412));
    EXPECT_EQ(GetColourName(1), nullptr);
    EXPECT_EQ(GetItemIdOfRequest(15, 4, 0), 5);
    EXPECT_EQ(GetItemIdOfRequest(37, 0, 3), 70);
    EXPECT_EQ(GetItemIdOfRequest(62, 0, 0), 3133);
    EXPECT_EQ(GetItemIdOfRequest(14, 0, 0), 0);
}

TEST(DocumentWindow, AskTruncateTextUnattendedCutsNothing)
{
    std::string text = "ABCDE";
    EXPECT_FALSE(AskTruncateText(text, 3, nullptr)) << "nobody agreed to cut it";
    EXPECT_EQ(text, "ABCDE");
    std::string fits = "ABC";
    EXPECT_TRUE(AskTruncateText(fits, 3, nullptr));
    ClearError();
}

}  // namespace
}  // namespace vek
