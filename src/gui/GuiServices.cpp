// GuiServices: the application as the platform's action threads and event handlers see it.
#include "gui/GuiServices.h"

#include "gui/AlertWindow.h"
#include "gui/Application.h"
#include "gui/MenuItem.h"
#include "gui/MenuRefresh.h"
#include "gui/Window.h"
#include "gui/links/LinkDialog.h"
#include "platform/events/ActionThreads.h"

namespace vek {

namespace {

// Every call finds the application anew: it comes and goes while the registration stays.
class ApplicationHost final : public ActionHost {
public:
    bool ApplicationExists() override { return Application::Get() != nullptr; }
    bool ApplicationActive() override { return App() && App()->IsActive(); }
    bool HasPendingWork() override { return App() && App()->HasPendingWork(); }
    bool HasActiveWindow() override { return App() && App()->ActiveWindow() != nullptr; }
    bool IsWindowActive(Window& window) override { return window.IsActive(); }
    void ChooseMenuItem(MenuItem& item) override { item.Choose(); }
    void DispatchKey(InputEvent& event) override
    {
        if (App())
            App()->DispatchKey(event);
    }
    int32_t DispatchMouseDown(Window& window, InputEvent& event) override { return window.DispatchMouseDown(event); }
    void RunIdleTasks() override
    {
        if (App())
            App()->RunIdleTasks();
    }
    void TrackPointer(InputEvent& event) override
    {
        if (App())
            App()->TrackPointer(event);
    }
    void RefreshMenus() override { UpdateMenusIfNeeded(); }
    void ResetMenuUpdateInterval() override { vek::ResetMenuUpdateInterval(); }
    void PostTask(std::unique_ptr<Task> task) override
    {
        if (App())
            App()->PostTask(std::move(task));
        else
            task->Run();
    }
    Point ContentOrigin(Window& window) override { return window.Position(); }
    bool AnyModalWindow() override { return Window::FirstModalWindow() != nullptr; }
    void DispatchWheel(Window& window, InputEvent& event, int32_t direction) override
    {
        window.DispatchWheel(event, direction);
    }
    void SetApplicationActive(bool active) override
    {
        if (App())
            App()->SetActive(active);
    }
    void SetWindowActive(Window& window, bool active) override
    {
        if (active)
            window.Activate();
        else
            window.SetActive(false);
    }
    void OpenDocument(int32_t mode, const FilePath& path) override
    {
        if (App())
            App()->OpenDocument(mode, path);
    }
    int32_t RequestQuit() override { return App() ? App()->Quit(CloseMode::Normal) : 1; }

private:
    static Application* App() { return Application::Get(); }
};

}  // namespace

void RegisterGuiServices()
{
    static ApplicationHost host;
    Service<ActionHost>::Register(&host);
    RegisterAlertDisplayServices();
    RegisterLinkDialog();
}

}  // namespace vek
