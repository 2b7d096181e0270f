// The XML file interface: XML base input files ("VEK-xml") read into a base, request files
// ("VEK-xml-input") answered in output files ("VEK-xml-output"), and the handler that writes every
// message of an answer into it.
//
// Base input file:
//
//   <VEK-xml errors="off">                       errors: "off" passes over what is not known
//     <import file="data.si" password="..." setup="Setup name"/>
//     <template name="Group: Name" type="cards" opendirect="on">...definition...</template>
//   </VEK-xml>
//
// Request file, one answer block per request, in order:
//
//   | request      | attributes                                    | answer                      |
//   |--------------|-----------------------------------------------|-----------------------------|
//   | version      | -                                             | <version date code>VEK x</> |
//   | dimensions   | num, name, filter, usage                      | <dimensionlist>             |
//   | components   | dim, code, text, host, filter, levels         | <componentlist>             |
//   | templates    | name, filter, type                            | <templatelist>              |
//   | template     | name, type; the content: settings             | the template's result       |
//
// Kind words of templates, both ways: 1 "cards", 2 "lines", 3 "components", 4 "timefunctions",
// 5 "componentfunctions".
#pragma once

#include <cstdint>

#include "foundation/messages/Message.h"

namespace vek {

class Base;
class FilePath;
class TextReader;
class TextWriter;

// While it exists it is the innermost message handler: every message shown is written into the
// writer as one line "<error>" escaped text "</error>" and answered with its preset answer, so no
// question waits for a user. A cancellation (code -1) and code 0 are not written.
class XmlErrorHandler final : public MessageHandler {
public:
    explicit XmlErrorHandler(TextWriter& writer);
    ~XmlErrorHandler() override;

    int32_t ShowMessage(const Message& message) override;
    int32_t IsUnattended() override { return 1; }

    // How many handlers exist now (an error alert does not bring the program to the front while
    // any does).
    static int32_t ActiveCount();

private:
    TextWriter& writer;
};

// The kind code of a kind word (either case), 0 for none; and the word of a kind (null for none).
int32_t TemplateKindFromXmlWord(const char* word);
const char* XmlWordOfTemplateKind(int32_t kind);

// Reads an XML base input file into the base (Base::ReadXmlInterfaceInput), with the base's
// XML-error flag on unless the file switches it off; the flag is put back afterwards. Imports go
// through ReadBaseFile (a base file, an SIE file, an XML file) or, for a text file and a known
// setup, through the import setup. XML files imported from XML files nest at most
// kXmlImportDepthLimit deep (3893). False, with the reason pending, when the read was given up;
// what was read by then stays in the base (the callers of ReadBaseFile drop or roll back).
constexpr int32_t kXmlImportDepthLimit = 8;
[[nodiscard]] bool ReadXmlInterfaceInput(Base& base, const FilePath& path);

// Answers the requests read from `requests` into `writer` (Base::WriteXmlInterfaceOutput), with an
// XmlErrorHandler on the writer for the whole answer and the base's XML-error flag on. Without a
// base only "version" is answered; every other request gets 3891. The answer always ends with
// "</VEK-xml-output>"; a pending error at the end is written into it as an error line and cleared.
// `requestName` names the request file in messages.
void WriteXmlInterfaceOutput(Base* base, TextWriter& writer, TextReader& requests, const char* requestName);

// The answer to a request file, written as a new UTF-8 file (LF line ends) that replaces the output
// file only when it was written whole. A request file that cannot be read is answered with its
// message as an error line. False, with the reason pending, when the output could not be written.
[[nodiscard]] bool WriteXmlInterfaceOutputFile(Base* base, const FilePath& requests, const FilePath& output);
// The same with the request file already open (the XML interface window opens it first, so that a
// request file it cannot read leaves the old answer in place).
[[nodiscard]] bool WriteXmlInterfaceOutputFile(Base* base, TextReader& requests, const char* requestName,
                                               const FilePath& output);

}  // namespace vek
