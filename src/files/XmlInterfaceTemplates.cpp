// The template requests of XML request files and the template definitions of XML base input files.
#include "files/XmlInterfaceSupport.h"

#include "files/XmlInterface.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/Base.h"

namespace vek {

void AnswerTemplateList(Base& base, TextWriter& writer, TextReader& reader)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (!CStrEqualNoCase(name.CStr(), "name") && !CStrEqualNoCase(name.CStr(), "filter") &&
            !CStrEqualNoCase(name.CStr(), "type"))
            base.ReportUnknownXmlWord(name.CStr());
    }
    writer.WriteLine("<templatelist>");
    writer.WriteLine("</templatelist>");
    writer.EndRow();
}

void AnswerTemplate(Base& base, TextWriter& writer, TextReader& reader)
{
    (void)writer;
    (void)base;
    reader.SkipElement();
}

void ReadXmlTemplateDefinition(Base& base, TextReader& reader)
{
    (void)base;
    reader.SkipElement();
}

}  // namespace vek
