// vek-tool xml: answers an XML request file for a base, or without a base.
#include "VekToolCommands.h"

#include "files/xmlinterface/XmlInterface.h"

namespace vektool {

int XmlRequest(Arguments arguments)
{
    const char* password = TakePassword(arguments);
    if (arguments.size() != 2 && arguments.size() != 3)
        return ReportUsage();
    OpenedBase base;
    if (arguments.size() == 3) {
        base = LoadFile(CommandLinePath(arguments[0]), password);
        if (!base)
            return ReportFailure("open", arguments[0]);
        arguments = arguments.subspan(1);
    }
    if (!vek::WriteXmlInterfaceOutputFile(base.get(), CommandLinePath(arguments[0]), CommandLinePath(arguments[1])))
        return ReportFailure("write", arguments[1]);
    return 0;
}

}  // namespace vektool
