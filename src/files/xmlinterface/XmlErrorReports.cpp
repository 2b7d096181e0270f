// What the XML readers of a base report about input they do not know.
#include "files/xmlinterface/XmlErrorReports.h"

#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/strings/CString.h"
#include "model/base/Base.h"

namespace vek {

void SkipUnknownXmlElement(Base& base, TextReader& reader)
{
    const char* token = reader.Token();
    if (base.ReportsXmlErrors() && token != nullptr && token[0] == '<') {
        Message message;
        message.code = message::kXmlUnknownElement;
        message.AddTextBytes(token, reader.TokenLength());
        base.ShowErrorAlert(message);
    }
    reader.SkipElement();
}

void ReportUnknownXmlWord(Base& base, const char* word)
{
    if (!base.ReportsXmlErrors())
        return;
    Message message;
    message.code = message::kXmlUnknownWord;
    message.AddText(word);
    base.ShowErrorAlert(message);
}

void ReportBadXmlValue(Base& base, const char* value, const char* name)
{
    if (!base.ReportsXmlErrors())
        return;
    Message message;
    message.code = message::kXmlBadValue;
    message.AddText(value);
    message.AddText(name);
    base.ShowErrorAlert(message);
}

bool ReadOnOffAttribute(Base& base, const char* name, const char* value, bool& flag)
{
    if (CStrEqualNoCaseNullAsEmpty(value, "on")) {
        flag = true;
        return true;
    }
    if (CStrEqualNoCaseNullAsEmpty(value, "off")) {
        flag = false;
        return true;
    }
    ReportBadXmlValue(base, value, name);
    return false;
}

}  // namespace vek
