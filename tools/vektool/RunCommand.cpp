// vek-tool run FILE SCRIPT [--save OUT]: a command text run against a base as a macro runs.
#include "VekToolCommands.h"

#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace vektool {

int RunScript(Arguments arguments)
{
    const char* password = TakePassword(arguments);
    const char* out = nullptr;
    if (arguments.size() == 4 && std::strcmp(arguments[2], "--save") == 0)
        out = arguments[3];
    else if (arguments.size() != 2)
        return ReportUsage();
    const char* file = arguments[0];
    const char* script = arguments[1];
    OpenedBase base = LoadFile(CommandLinePath(file), password);
    if (!base)
        return ReportFailure("open", file);

    // The script's lines in UTF-8 whatever its encoding, joined by CR as a macro's text is.
    vek::FileTextReader reader;
    vek::FilePath scriptPath = CommandLinePath(script);
    if (!reader.Open(scriptPath.CStr()))
        return ReportFailure("read", script);
    std::string text;
    while (reader.ReadLine()) {
        text.append(reader.LineStart(), size_t(reader.LineLength()));
        text += '\r';
    }
    if (vek::IsErrorPending())
        return ReportFailure("read", script);
    reader.Close();

    vek::String name;
    scriptPath.GetFileName(name);
    base->RunCommandSource(text, name.CStr());
    // A soft close: a persistent verbose error file stays with the base; any other ends here.
    base->CloseErrorFile(vek::ErrorFileClose::Soft);
    if (vek::IsErrorPending()) {
        // The run stopped on an error (reported as it happened); the base is not saved.
        vek::ReportPendingError();
        return 1;
    }
    if (out != nullptr && !vek::SaveBaseToPath(*base, CommandLinePath(out), nullptr))
        return ReportFailure("save", out);
    return 0;
}

}  // namespace vektool
