// What every vek-tool command shares: command-line paths, opening a base, reporting a failure, printing sums.
#include "VekToolCommon.h"

#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/numbers/NumberFormat.h"
#include "foundation/strings/String.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace vektool {

using vek::FilePath;

int ReportFailure(const char* what, const char* path)
{
    vek::PendingError& error = vek::GetPendingError();
    if (error.flag != 0 && error.message.code > 0) {
        vek::String text;
        error.message.Format(text);
        std::fprintf(stderr, "vek-tool: %s\n", text.CStr());
    } else {
        std::fprintf(stderr, "vek-tool: %s failed: %s\n", what, path);
    }
    vek::ClearError();
    return 1;
}

FilePath CommandLinePath(const char* text) { return FilePath::FromCommandLine(text); }

void BaseCloser::operator()(vek::Base* base) const
{
    // vek-tool ends once its command is done.
    (void)vek::CloseBaseAtExit(base, vek::CloseMode::WindowsOnly);
}

OpenedBase LoadFile(const FilePath& path, const char* password)
{
    return OpenedBase(vek::OpenBaseFile(path, password, vek::kReadSkipOpenDirect));
}

OpenedBase OpenOnlyBase(Arguments& arguments, const char* verb, int& status)
{
    const char* password = TakePassword(arguments);
    if (arguments.size() != 1) {
        status = ReportUsage();
        return nullptr;
    }
    const char* file = arguments[0];
    OpenedBase base = LoadFile(CommandLinePath(file), password);
    if (!base)
        status = ReportFailure(verb, file);
    return base;
}

int ReportUsage()
{
    std::fputs("vek-tool: unexpected arguments (see the usage without any)\n", stderr);
    return 2;
}

const char* TakeOption(Arguments& arguments, const char* name)
{
    size_t n = arguments.size();
    if (n < 2 || std::strcmp(arguments[n - 2], name) != 0)
        return nullptr;
    const char* value = arguments[n - 1];
    arguments = arguments.first(n - 2);
    return value;
}

const char* TakePassword(Arguments& arguments)
{
    return TakeOption(arguments, "--password");
}

void PrintAmount(double value)
{
    vek::NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    format.mode = vek::NumberMode::Fixed;
    format.decimals = 2;
    double rounded = std::round(value * 100.0) / 100.0;
    if (rounded == 0.0) {
        std::fputs("0.00", stdout);
        return;
    }
    char buffer[vek::kMaxNumberTextBytes + 1];
    char* cursor = buffer;
    vek::CursorPutDouble(cursor, value, format);
    *cursor = 0;
    std::fputs(buffer, stdout);
}

void PrintColumnSum(double value, int32_t decimals)
{
    vek::NumberFormat format;
    format.decimalSeparator = u'.';
    format.thousandsSeparator = 0;
    if (decimals >= 0 && decimals <= 6) {
        format.mode = vek::NumberMode::Fixed;
        format.decimals = decimals;
    }
    char buffer[vek::kMaxNumberTextBytes + 1];
    char* cursor = buffer;
    vek::CursorPutDouble(cursor, value == 0.0 ? 0.0 : value, format);
    *cursor = 0;
    std::fputs(buffer, stdout);
}

}  // namespace vektool
