// ApplicationServices: the model's deferred tasks as tasks of the application.
#include "app/ApplicationServices.h"

#include <memory>

#include "app/ProgramMenus.h"
#include "app/UserCode.h"
#include "app/web/WebRequest.h"
#include "app/web/WebService.h"
#include "docwindows/DocumentWindow.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/strings/String.h"
#include "model/base/BaseProtection.h"
#include "model/base/ChangeRecord.h"
#include "platform/FilePath.h"
#include "docwindows/ProgressWindow.h"
#include "docwindows/info/BaseInfoWindow.h"
#include "docwindows/xml/XmlInterfaceWindow.h"
#include "editors/TimeScaleWindow.h"
#include "docwindows/dialogs/PasswordDialog.h"
#include "docwindows/dialogs/UnknownComponentDialog.h"
#include "foundation/messages/Message.h"
#include "foundation/services/Service.h"
#include "platform/events/WindowSystem.h"
#include "gui/Application.h"
#include "model/base/Base.h"
#include "model/base/ModelServices.h"
#include "platform/events/ActionThreads.h"

namespace vek {

namespace {

// Closes the base (when still open) without questions and opens its file again with its password,
// which is wiped from memory afterwards. Nothing is reopened when the base refused to close.
void ReopenBase(void* argument)
{
    Base* base = nullptr;
    for (Base* open = Base::FirstBase(); open; open = open->NextBase()) {
        if (open == argument)
            base = open;
    }
    if (base == nullptr)
        return;
    FilePath file = base->Path();
    String password;
    base->Protection().PasswordText(password);
    if (CloseBase(base, CloseMode::WindowsOnly) && !file.IsEmpty())
        (void)OpenBaseFile(file, password.Length() > 0 ? password.CStr() : nullptr, 0);
    password.WipeAndClear();
}

// A deferred task of the model, run once by the application's idle pass.
class DeferredModelTask final : public Task {
public:
    DeferredModelTask(int32_t kind, void* argument) : kind(kind), argument(argument) {}

    void Run() override
    {
        if (kind == kTaskReopenBase) {
            ReopenBase(argument);
        } else if (kind == kTaskCloseDocument) {
            DeleteBaseIfOpen(argument);
        } else if (kind == kTaskQuit) {
            // Quitting asks every window and document first, as the quit command does.
            if (Application* application = Application::Get())
                application->Quit(CloseMode::Normal);
        }
    }

private:
    int32_t kind;
    void* argument;
};

// A question goes to a user only on a display with someone attending; otherwise the headless answer,
// the one that destroys nothing, stands.
bool CanAskUser()
{
    return Service<WindowSystem>::Get().HasDisplay() && QueryUnattended() == 0;
}

// The model's services with an application: the progress windows, the base info, XML interface and
// time scale windows, the document windows' changes, the user code, the deferred tasks, the web
// service and the questions of reading (the unknown component, the password); the headless answers
// for the windows still to come.
class ApplicationModelServices final : public HeadlessModelServices {
public:
    std::unique_ptr<ProgressDisplay> OpenProgress(int32_t kind, Base* base) override
    {
        return OpenProgressWindow(kind, base);
    }

    bool CanCloseBaseWindows(Base& base, CloseMode mode) override { return CloseWindowsOfBase(base, mode); }

    void NotifyBaseWindows(const ChangeRecord& record, Base& base) override
    {
        // The menus built from the base's objects follow what changed in it; windows opening,
        // closing or calculating and the modified mark change none of them.
        if (record.code != kChangeModifiedFlag && (record.code < kChangeWindowOpened || record.code > kChangeWindowClosing))
            ForgetMenusBuiltFor(base);
        NotifyWindowsOfBase(ChangeNotification{record, nullptr}, &base);
    }

    void NotifyAllWindows(const ChangeRecord& record) override
    {
        NotifyAllDocumentWindows(ChangeNotification{record, nullptr});
    }

    bool GetUserStamp(StampedText& stamp) override
    {
        Application* application = Application::Get();
        return vek::GetUserStamp(stamp, application ? application->ActiveWindow() : nullptr);
    }

    bool SetUserCode(std::string_view code) override { return SetUserInitials(code); }

    BaseWindowLink* OpenBaseInfoWindow(Base& base, int32_t flags) override
    {
        auto* window = new BaseInfoWindow(base, flags & 0x01);
        window->Activate(flags);
        return window;
    }

    bool OpenBaseWindow(Base& base, BaseWindowKind windowKind, int32_t argument) override
    {
        if (windowKind == BaseWindowKind::XmlInterface)
            return XmlInterfaceWindow::Open(base, 0) != nullptr;
        if (windowKind == BaseWindowKind::TimeScale)
            return OpenTimeScaleEditor(base, nullptr, 0) != nullptr;
        return HeadlessModelServices::OpenBaseWindow(base, windowKind, argument);
    }

    bool IsWebRequestActive() override { return vek::IsWebRequestActive(); }

    bool ControlWebService(int32_t mode, int32_t port) override
    {
        vek::ControlWebService(mode, port);
        return true;
    }

    uint32_t RunUnknownComponentDialog(Base& base, int32_t d, const char* text, int32_t length) override
    {
        if (!CanAskUser())
            return HeadlessModelServices::RunUnknownComponentDialog(base, d, text, length);
        Application* application = Application::Get();
        UnknownComponentDialog dialog(base, d, application ? application->ActiveWindow() : nullptr);
        const int32_t chosen = dialog.Run(text, length);
        return chosen < 0 ? uint32_t(d) : uint32_t(chosen);
    }

    int32_t AskPassword(Base* base, String& out, int32_t promptText) override
    {
        if (!CanAskUser())
            return HeadlessModelServices::AskPassword(base, out, promptText);
        Application* application = Application::Get();
        PasswordDialog dialog(base, promptText, application ? application->ActiveWindow() : nullptr);
        return dialog.Run(out);
    }

    void EnableBaseMenus(Base& base, bool saveEnabled) override { EnableBaseMenuItems(base, saveEnabled); }
    void CurrentBaseChanged(Base* base) override { SetMenuBase(base); }

    void PostDeferredTask(int32_t kind, void* argument) override
    {
        Application* application = Application::Get();
        if (!application) {
            HeadlessModelServices::PostDeferredTask(kind, argument);
            return;
        }
        application->PostTask(std::make_unique<DeferredModelTask>(kind, argument));
    }
};

}  // namespace

void RegisterApplicationServices()
{
    static ApplicationModelServices services;
    Service<ModelServices>::Register(&services);
}

}  // namespace vek
