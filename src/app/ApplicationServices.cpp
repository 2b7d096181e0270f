// ApplicationServices: the model's deferred tasks as tasks of the application.
#include "app/ApplicationServices.h"

#include <memory>

#include "app/ProgramMenus.h"
#include "app/UserCode.h"
#include "docwindows/DocumentWindow.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/strings/String.h"
#include "model/base/BaseProtection.h"
#include "model/base/ChangeRecord.h"
#include "platform/FilePath.h"
#include "docwindows/ProgressWindow.h"
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

// The model's services with an application: the progress windows, the document windows' changes,
// the user code and the deferred tasks; the headless answers for the windows still to come.
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
