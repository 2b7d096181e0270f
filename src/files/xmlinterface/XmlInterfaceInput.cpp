// Reading an XML base input file ("VEK-xml") into a base: imports of data files and template
// definitions.
#include "files/xmlinterface/XmlInterface.h"

#include "files/format/BaseFileRecord.h"
#include "files/format/BaseFileType.h"
#include "files/basefiles/BaseFiles.h"
#include "files/setups/ImportSetup.h"
#include "files/textimport/TextImport.h"
#include "files/xmlinterface/XmlErrorReports.h"
#include "files/xmlinterface/XmlInterfaceSupport.h"
#include "foundation/messages/Message.h"
#include "foundation/messages/PendingError.h"
#include "foundation/messages/TextIds.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextStreams.h"
#include "foundation/strings/CString.h"
#include "foundation/strings/String.h"
#include "model/base/Base.h"
#include "platform/FilePath.h"

namespace vek {

namespace {

// Counts one more XML file being read into the base for as long as it is read.
class XmlInputNesting {
public:
    explicit XmlInputNesting(BaseFileRecord& record) : record(record) { ++record.xmlInputDepth; }
    ~XmlInputNesting() { --record.xmlInputDepth; }
    XmlInputNesting(const XmlInputNesting&) = delete;
    XmlInputNesting& operator=(const XmlInputNesting&) = delete;

private:
    BaseFileRecord& record;
};

// The file of an "import" element into the base: a text file through the named import setup, any
// other kind through ReadBaseFile. False when the import was given up (the reason pending).
bool ImportFile(Base& base, const FilePath& file, const char* password, const ImportSetup* setup)
{
    if (setup != nullptr) {
        BaseFileState state;
        DetectBaseFileType(state, file);
        if (IsErrorPending())
            return false;
        if (state.kind == kFileOtherText)
            return ImportTextFile(base, file, *setup) && !IsErrorPending();
    }
    if (ReadBaseFile(base, file, password, kReadImport) && !IsErrorPending())
        return true;
    // A read given up without a reason of its own stops the input file all the same.
    if (!IsErrorPending())
        SetCancelledError();
    return false;
}

// The "import" element: attributes, then the element's content read and dropped, then the import.
void ReadImportElement(Base& base, TextReader& reader, const FilePath& xmlFile)
{
    String file;
    String password;
    const ImportSetup* setup = nullptr;
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.CStr(), "file"))
            file.Assign(value);
        else if (CStrEqualNoCase(name.CStr(), "password"))
            password.Assign(value);
        else if (CStrEqualNoCase(name.CStr(), "setup"))
            setup = BaseFileRecord::Of(base).ImportSetups().Find(value.CStr());
        else
            ReportUnknownXmlWord(base, name.CStr());
        value.WipeAndClear();
    }
    reader.SkipElement();
    if (!file.IsEmpty() && !IsErrorPending()) {
        // Relative to the folder of the base's own file; an untitled base takes the input file's.
        FilePath target;
        target.SetPathRelativeTo(file.View(), base.Path().IsEmpty() ? &xmlFile : &base.Path());
        if (!IsErrorPending())
            (void)ImportFile(base, target, password.IsEmpty() ? nullptr : password.CStr(), setup);
    }
    password.WipeAndClear();
}

// The attributes and children of a "VEK-xml" element, up to its end tag. False when the file ended
// before it.
bool ReadXmlRoot(Base& base, TextReader& reader, const FilePath& xmlFile)
{
    String name;
    String value;
    while (reader.NextAttribute(name, value)) {
        if (CStrEqualNoCase(name.CStr(), "errors")) {
            if (CStrEqualNoCase(value.CStr(), "off"))
                base.SetReportsXmlErrors(false);
        } else {
            ReportUnknownXmlWord(base, name.CStr());
        }
    }
    if (reader.IsEmptyOrEndTag())
        return true;
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("/VEK-xml"))
            return true;
        if (reader.IsTag("import"))
            ReadImportElement(base, reader, xmlFile);
        else if (reader.IsTag("template"))
            ReadXmlTemplateDefinition(base, reader);
        else
            SkipUnknownXmlElement(base, reader);
    }
    return IsErrorPending();
}

void ReportCutShort(Base& base, const FilePath& path)
{
    Message message;
    message.code = message::kXmlFileCutShort;
    message.AddFileName(path.CStr());
    message.AddText("VEK-xml");
    base.ShowErrorAlert(message);
}

}  // namespace

bool ReadXmlInterfaceInput(Base& base, const FilePath& path)
{
    BaseFileRecord& record = BaseFileRecord::Of(base);
    if (record.xmlInputDepth >= kXmlImportDepthLimit) {
        SetErrorCode(message::kXmlImportsTooDeep);
        Message& message = GetPendingError().message;
        message.AddFileName(path.CStr());
        String limit;
        limit.AssignInt(kXmlImportDepthLimit);
        message.AddText(limit.CStr());
        return false;
    }
    XmlInputNesting nesting(record);
    ScopedXmlErrorReports reports(&base);
    FileTextReader reader;
    if (!reader.Open(path.CStr()))
        return false;
    while (!IsErrorPending() && reader.NextMarkupToken()) {
        if (reader.Token()[0] != '<')
            continue;
        if (reader.IsTag("?xml")) {
            TakeDeclaredEncoding(reader);
        } else if (reader.IsTag("VEK-xml")) {
            if (!ReadXmlRoot(base, reader, path))
                ReportCutShort(base, path);
        } else {
            // Whatever stands outside the root is no part of the input.
            reader.SkipElement();
        }
    }
    reader.Close();
    return !IsErrorPending();
}

}  // namespace vek
