// What XML readers of a base report about input they do not know, and the base file's link code.
#include "model/base/Base.h"

#include "foundation/messages/Message.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/LinkCode.h"
#include "foundation/streams/TextReader.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"

namespace vek {

void Base::SkipUnknownXmlElement(TextReader& reader)
{
    const char* token = reader.Token();
    if (reportsXmlErrors && token != nullptr && token[0] == '<') {
        Message message;
        message.code = message::kXmlUnknownElement;
        message.AddTextBytes(token, reader.TokenLength());
        ShowErrorAlert(message);
    }
    reader.SkipElement();
}

void Base::ReportUnknownXmlWord(const char* word)
{
    if (!reportsXmlErrors)
        return;
    Message message;
    message.code = message::kXmlUnknownWord;
    message.AddText(word);
    ShowErrorAlert(message);
}

void Base::ReportBadXmlValue(const char* value, const char* name)
{
    if (!reportsXmlErrors)
        return;
    Message message;
    message.code = message::kXmlBadValue;
    message.AddText(value);
    message.AddText(name);
    ShowErrorAlert(message);
}

bool Base::ReadOnOffAttribute(const char* name, const char* value, bool& flag)
{
    if (CStrEqualNoCaseNullAsEmpty(value, "on")) {
        flag = true;
        return true;
    }
    if (CStrEqualNoCaseNullAsEmpty(value, "off")) {
        flag = false;
        return true;
    }
    ReportBadXmlValue(value, name);
    return false;
}

void Base::GetFileLinkCode(String& out) const
{
    GetFileName(out);
    MakeLinkCode(out);
}

}  // namespace vek
