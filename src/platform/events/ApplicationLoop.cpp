// ApplicationLoop: running the program's event loop from start to quit.
#include "platform/events/ApplicationLoop.h"

#include "platform/FilePath.h"
#include "platform/events/ActionThreads.h"
#include "platform/events/EventLoop.h"

namespace vek {

namespace {

int argumentCount = 0;
char** argumentVector = nullptr;

}  // namespace

void KeepProgramArguments(int argc, char** argv)
{
    argumentCount = argc;
    argumentVector = argv;
}

void InitEventLoopState(EventLoopState& state) { state.eventClass = kProgramSignature; }

void RunApplication(EventLoopState& state)
{
    if (state.quitFlag)
        return;
    OpenCommandLineDocuments(state);
    RefreshAfterAction();
    if (state.quitFlag)
        return;
    ResetEventLoopQuit();
    RunEventLoop();
}

void QuitApplication(EventLoopState& state)
{
    state.quitFlag = 1;
    QuitEventLoop();
}

int32_t OpenCommandLineDocuments(EventLoopState&)
{
    int32_t opened = 0;
    for (int i = 1; i < argumentCount; ++i) {
        const char* argument = argumentVector[i];
        if (!argument || argument[0] == '-')
            continue;
        const FilePath path = FilePath::FromCommandLine(argument);
        Service<ActionHost>::Get().OpenDocument(0, path);
        ++opened;
    }
    return opened;
}

}  // namespace vek
