// HeadlessModelServices: the answers the model gets when no window layer has registered.
#include "model/base/ModelServices.h"

#include "model/base/Base.h"
#include "model/base/BaseFileHooks.h"
#include "model/dates/TimeScale.h"

namespace vek {

BaseWindowLink::~BaseWindowLink() = default;

void BaseWindowLink::Activate(int32_t) {}

ProgressDisplay::~ProgressDisplay() = default;

void ProgressDisplay::SetStep(int32_t) {}

void ProgressDisplay::SetTotal(int64_t) {}

void ProgressDisplay::SetCount(int64_t) {}

ModelServices::~ModelServices() = default;

HeadlessModelServices::~HeadlessModelServices() = default;

std::unique_ptr<BaseWindowLink> HeadlessModelServices::CreateStatusWindow(Base&)
{
    // A window that shows nothing, so that a base behaves the same with and without a display.
    return std::make_unique<BaseWindowLink>();
}

BaseWindowLink* HeadlessModelServices::OpenBaseInfoWindow(Base&, int32_t)
{
    return nullptr;
}

bool HeadlessModelServices::CanCloseBaseWindows(Base&, CloseMode)
{
    return true;
}

void HeadlessModelServices::NotifyBaseWindows(const ChangeRecord&, Base&) {}

void HeadlessModelServices::NotifyAllWindows(const ChangeRecord&) {}

std::unique_ptr<ProgressDisplay> HeadlessModelServices::OpenProgress(int32_t, Base*)
{
    return std::make_unique<ProgressDisplay>();
}

BaseWindowLink* HeadlessModelServices::OpenTemplateWindow(Template&, Template*, int32_t)
{
    return nullptr;
}

uint32_t HeadlessModelServices::RunUnknownComponentDialog(Base&, int32_t d, const char*, int32_t)
{
    return uint32_t(d);
}

int32_t HeadlessModelServices::AskPassword(Base*, String&, int32_t)
{
    return 0;
}

void HeadlessModelServices::EnableBaseMenus(Base&, bool) {}

void HeadlessModelServices::CurrentBaseChanged(Base*) {}

bool HeadlessModelServices::GetUserStamp(StampedText&)
{
    return false;
}

bool HeadlessModelServices::SetUserCode(std::string_view)
{
    return false;
}

void HeadlessModelServices::PostDeferredTask(int32_t kind, void* argument)
{
    tasks.push_back(Task{kind, argument});
}

bool HeadlessModelServices::ControlWebService(int32_t, int32_t) { return false; }

bool HeadlessModelServices::IsWebRequestActive()
{
    return false;
}

bool HeadlessModelServices::OpenBaseWindow(Base&, BaseWindowKind, int32_t)
{
    return false;
}

bool HeadlessModelServices::DeleteFrontWindowObject(Base&, int32_t)
{
    return false;
}

bool HeadlessModelServices::SaveBase(Base&)
{
    return false;
}

std::unique_ptr<DimensionImportSetupBase> HeadlessModelServices::NewDimensionImportSetup(Base&, int32_t)
{
    return nullptr;
}

void HeadlessModelServices::RunDeferredTasks()
{
    // Tasks posted while these run wait for the next call.
    std::vector<Task> running;
    running.swap(tasks);
    for (const Task& task : running) {
        if (task.kind == kTaskQuit) {
            quitRequested = true;
        } else if (task.kind == kTaskCloseDocument) {
            DeleteBaseIfOpen(task.argument);
        }
    }
}

template <>
ModelServices& Service<ModelServices>::Headless()
{
    static HeadlessModelServices services;
    return services;
}

static TimeScaleList* TimeScalesOfBase(const Base* base)
{
    // Every base is made as a mutable object; the lookup takes it as const only because date
    // expressions hold their base that way.
    return base != nullptr ? &const_cast<Base*>(base)->TimeScales() : nullptr;
}

void RegisterModelLayerServices()
{
    static TimeScaleListLookup lookup(TimeScalesOfBase);
    Service<TimeScaleLookup>::Register(&lookup);
}

bool DeleteBaseIfOpen(void* base)
{
    for (Base* open = Base::FirstBase(); open != nullptr; open = open->NextBase()) {
        if (open == base) {
            delete open;
            return true;
        }
    }
    return false;
}

bool GetUserStamp(StampedText& stamp)
{
    return Service<ModelServices>::Get().GetUserStamp(stamp);
}

void PostDeferredTask(int32_t kind, void* argument)
{
    Service<ModelServices>::Get().PostDeferredTask(kind, argument);
}

}  // namespace vek
