// ApplicationServices: the model's deferred tasks as tasks of the application.
#include "app/ApplicationServices.h"

#include <memory>

#include "gui/Application.h"
#include "model/base/ModelServices.h"
#include "platform/events/ActionThreads.h"

namespace vek {

namespace {

// A deferred task of the model, run once by the application's idle pass.
class DeferredModelTask final : public Task {
public:
    DeferredModelTask(int32_t kind, void* argument) : kind(kind), argument(argument) {}

    void Run() override
    {
        if (kind == kTaskCloseDocument) {
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

// The model's services with an application: what the application layer has of them so far, and
// the headless answers for the rest.
class ApplicationModelServices final : public HeadlessModelServices {
public:
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
