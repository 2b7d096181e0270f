// Shared steps of the XML file interface: the XML-error flag's scope, numbers, declared encodings, and
// the kind words of templates.
#include "files/xmlinterface/XmlInterfaceSupport.h"

#include <charconv>

#include "files/xmlinterface/XmlInterface.h"
#include "foundation/streams/TextReader.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/CodePages.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"

namespace vek {

namespace {

// Kind words by kind code 1-5.
constexpr const char* kTemplateKindWords[] = {"cards", "lines", "components", "timefunctions",
                                              "componentfunctions"};
constexpr int32_t kTemplateKindWordCount = int32_t(std::size(kTemplateKindWords));

}  // namespace

ScopedXmlErrorReports::ScopedXmlErrorReports(Base* base) : base(base)
{
    if (base != nullptr) {
        saved = base->ReportsXmlErrors();
        base->SetReportsXmlErrors(true);
    }
}

ScopedXmlErrorReports::~ScopedXmlErrorReports()
{
    if (base != nullptr)
        base->SetReportsXmlErrors(saved);
}

bool ParseXmlInteger(const String& text, int32_t& value)
{
    const char* p = text.CStr();
    const char* end = p + text.Length();
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
    if (p < end && *p == '+')
        ++p;
    if (p == end)
        return false;
    int32_t parsed = 0;
    auto [stop, error] = std::from_chars(p, end, parsed);
    if (error != std::errc() || stop != end)
        return false;
    value = parsed;
    return true;
}

void TakeDeclaredEncoding(TextReader& reader)
{
    if (IsUtf16Encoding(reader.Encoding()))
        return;
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (!CStrEqualNoCase(name.CStr(), "encoding"))
            continue;
        int32_t id = EncodingFromName(value.View());
        if (IsCodePageEncoding(id))
            reader.SetEncoding(id);
    }
}

int32_t TemplateKindFromXmlWord(const char* word)
{
    for (int32_t i = 0; i < kTemplateKindWordCount; ++i) {
        if (CStrEqualNoCaseNullAsEmpty(kTemplateKindWords[i], word))
            return i + 1;
    }
    return 0;
}

const char* XmlWordOfTemplateKind(int32_t kind)
{
    return kind >= 1 && kind <= kTemplateKindWordCount ? kTemplateKindWords[kind - 1] : nullptr;
}

}  // namespace vek
