// vek-tool import-text-summary DATA --into FILE --setup NAME [--save OUT]: a text import through a setup.
#include "VekToolCommands.h"

#include "files/format/BaseFileRecord.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/ImportSetup.h"
#include "files/textimport/TextImport.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"

#include <cstdio>
#include <cstring>

namespace vektool {

namespace {

int TextImportUsage()
{
    std::fprintf(stderr, "usage: vek-tool import-text-summary DATA --into FILE --setup NAME [--save OUT]\n");
    return 2;
}

}  // namespace

int TextImportSummary(Arguments arguments)
{
    const char* data = arguments[0];
    const char* into = nullptr;
    const char* setupName = nullptr;
    const char* out = nullptr;
    for (size_t i = 1; i + 1 < arguments.size(); i += 2) {
        const char* option = arguments[i];
        const char* value = arguments[i + 1];
        if (std::strcmp(option, "--into") == 0 && into == nullptr)
            into = value;
        else if (std::strcmp(option, "--setup") == 0 && setupName == nullptr)
            setupName = value;
        else if (std::strcmp(option, "--save") == 0 && out == nullptr)
            out = value;
        else
            return TextImportUsage();
    }
    if (into == nullptr || setupName == nullptr || arguments.size() % 2 == 0)
        return TextImportUsage();
    OpenedBase base = LoadFile(CommandLinePath(into));
    if (!base)
        return ReportFailure("open", into);
    const vek::ImportSetup* setup = vek::BaseFileRecord::Of(*base).ImportSetups().Find(setupName);
    if (setup == nullptr) {
        vek::SetErrorCode(vek::message::kImportSetupUnknown);
        vek::GetPendingError().message.AddText(setupName);
        return ReportFailure("import", data);
    }
    if (!vek::ImportTextFileWithUndo(*base, CommandLinePath(data), *setup))
        return ReportFailure("import", data);
    PrintImportSummary(*base);
    if (out != nullptr && !vek::SaveBaseToPath(*base, CommandLinePath(out), nullptr))
        return ReportFailure("save", out);
    return 0;
}

}  // namespace vektool
