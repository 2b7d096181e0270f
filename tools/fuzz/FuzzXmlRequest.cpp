// XML request files from outside, answered for a small base with components in three levels and a
// template in a group. Nothing may be read or written outside its buffer, no depth of nesting may
// exhaust the stack, and whatever the request holds the answer must close its root element as its
// last line, with the base's XML-error flag and the count of error handlers as they were.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "files/xmlinterface/XmlInterface.h"
#include "foundation/messages/PendingError.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "model/base/Base.h"
#include "model/templates/TemplateTree.h"
#include "platform/FilePath.h"

namespace {

using namespace vek;

std::unique_ptr<Base> MakeBase()
{
    FilePath name;
    name.SetFromSystemPath("/fuzz/Requests.vkx");
    auto base = std::make_unique<Base>(name, 0);
    base->AddComponent(1, "1", "Assets", nullptr);
    base->AddComponent(1, "10", "Current", "1000");
    base->AddComponent(1, "100", "Cash", "1910");
    base->AddComponent(2, "S", "Shop & floor", nullptr);
    (void)base->Templates().Insert(base->NewTemplate(TemplateKind::Cards), "Reports: Sales");
    (void)base->Templates().Insert(base->NewTemplate(TemplateKind::Components), "Accounts");
    return base;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ClearError();
    static std::unique_ptr<Base> base = MakeBase();
    TextReader requests(reinterpret_cast<const char*>(data), int64_t(size));
    TextWriter writer;
    writer.SetLineEnd("\n");
    WriteXmlInterfaceOutput(base.get(), writer, requests, "fuzz.xml");
    constexpr std::string_view kEnd = "</VEK-xml-output>\n\n";
    std::string_view answer = writer.BufferedBytes();
    if (answer.size() < kEnd.size() || answer.substr(answer.size() - kEnd.size()) != kEnd)
        std::abort();
    if (IsErrorPending() || base->ReportsXmlErrors() || XmlErrorHandler::ActiveCount() != 0)
        std::abort();
    // The same request without a base.
    TextReader again(reinterpret_cast<const char*>(data), int64_t(size));
    TextWriter bare;
    WriteXmlInterfaceOutput(nullptr, bare, again, "fuzz.xml");
    if (IsErrorPending() || XmlErrorHandler::ActiveCount() != 0)
        std::abort();
    return 0;
}
