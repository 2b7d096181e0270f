// MainApplication: opening bases from open requests, and the run of the program from start to quit.
#include "app/MainApplication.h"

#include "app/AboutBox.h"
#include "app/BaseWindow.h"
#include "app/CommandLine.h"
#include "app/HeadlessXmlRun.h"
#include "app/Preferences.h"
#include "app/ProgramMenus.h"
#include "app/RecentFiles.h"
#include "app/web/WebService.h"
#include "app/UserCode.h"
#include "docwindows/ProgressWindow.h"

#include "files/basefiles/BaseFiles.h"
#include "files/commands/BaseMenuCommands.h"
#include "files/ProgramVersion.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "gui/MenuBar.h"
#include "gui/MenuItem.h"
#include "model/base/Base.h"
#include "platform/FileKindSniffer.h"
#include "platform/FilePath.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/ApplicationLoop.h"
#include "platform/events/EventLoop.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/WindowSystem.h"

namespace vek {

MainApplication::MainApplication() : Application(false)
{
    BuildProgramMenus();
    FinishConstruction();
}

MainApplication::~MainApplication()
{
    // The menu bar goes with the application, and the recent files' and the program's items with it.
    ForgetRecentFilesMenu();
    ForgetProgramMenus();
    PrepareDestruction();
}

void MainApplication::OpenDocument(int32_t, const FilePath& file)
{
    // A file that cannot be read has been reported by OpenBaseFile, which leaves no base behind.
    Base* base = OpenBaseFile(file, nullptr, 0);
    if (base == nullptr) {
        ++unopenedFiles;
        return;
    }
    AddRecentFile(std::string(file.Text()));
    // The base just opened is the one the menus show until another window comes to the front.
    Base::SetCurrentBase(base);
    // On a display the base gets a window; headless runs show none, as nobody would see it.
    if (!Service<WindowSystem>::Get().HasDisplay() || BaseWindow::Find(*base))
        return;
    auto* window = new BaseWindow(*base);
    window->SetVisible(true);
    window->Activate();
}

int32_t MainApplication::CanClose(CloseMode mode)
{
    if (ProgressWindow::AnyOpen())
        return 0;
    return Application::CanClose(mode);
}

void MainApplication::UpdateMenus()
{
    Application::UpdateMenus();
    Base* base = Base::CurrentBase();
    // The menus built from the base's objects catch up with changes to them (nothing when none).
    SetMenuBase(base);
    const bool document = base != nullptr;
    EnableProgramMenus(document);
    if (document)
        base->EnableBaseMenus();
}

int32_t MainApplication::DoCommand(MenuItem& item)
{
    switch (item.Command()) {
    case kCommandStatus:
        ShowAboutBox();
        return 1;
    case kCommandNew:
        if (Base* base = NewBase())
            Base::SetCurrentBase(base);
        return 1;
    case kCommandOpen: {
        // As a file handed over by the desktop: the recent files and the window follow.
        FilePath path;
        if (path.AskOpenFile(kFileKindsBaseAndInterchange) && !IsErrorPending())
            OpenDocument(0, path);
        return 1;
    }
    default:
        break;
    }
    if (item.TextId() == text::kUserCode) {
        AskUserInitials(ActiveWindow());
        return 1;
    }
    if (Application::DoCommand(item) != 0)
        return 1;
    if (Base* base = Base::CurrentBase())
        return DoBaseMenuCommand(*base, item.Command(), item.TextId());
    return 0;
}

namespace {

// Headless: once the documents are open, the queued work runs and the application is asked to quit.
// Nobody can answer a refusal, so the run ends even then. A run whose web service listens goes on
// serving until it is told to quit or ended by a signal: its users are the browsers.
bool xmlRunFailed = false;

void EndHeadlessRun(MainApplication& application)
{
    RunIdleTask();
    // The XML requests are answered once the base is open and its own commands have run.
    if (HasHeadlessXmlRun() && application.UnopenedFiles() == 0)
        xmlRunFailed = !RunHeadlessXmlRequest(stderr);
    if (IsWebServiceRunning())
        return;
    if (!HandleQuitRequest())
        QuitApplication(application.LoopState());
}

void CloseRemainingBases()
{
    while (Base* base = Base::FirstBase())
        delete base;
}

int programExitCode = kExitDone;

}  // namespace

int ProgramExitCode() { return programExitCode; }

void RunProgram(RunMode mode)
{
    // "VEK " and the version, as the status item shows them.
    SetStatusTexts("VEK ", GetProgramTitle() + 4);
    InitRecentFiles();
    LoadPreferences();
    if (IsWebServiceEnabled())
        (void)RestartWebService();  // a port that cannot be had has been reported
    {
        MainApplication application;
        RebuildRecentFilesMenu();
        if (mode == RunMode::Headless)
            PostToMainThread([&application] { EndHeadlessRun(application); });
        RunApplication(application.LoopState());
        // Work posted for a loop that never ran (quit before it started) must not outlive the run.
        RunEventLoopPending();
        programExitCode = application.UnopenedFiles() > 0 || xmlRunFailed ? kExitFileNotOpened : kExitDone;
    }
    // No request may reach the bases once they close.
    StopWebService();
    CloseRemainingBases();
}

}  // namespace vek
