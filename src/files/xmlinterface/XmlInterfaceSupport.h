// What the readers and the answer writer of the XML file interface share (files library only).
#pragma once

#include <cstdint>

namespace vek {

class Base;
class String;
class TextReader;
class TextWriter;

// Switches the base's XML-error flag on (null: nothing) and puts the old state back at the end.
class ScopedXmlErrorReports {
public:
    explicit ScopedXmlErrorReports(Base* base);
    ~ScopedXmlErrorReports();
    ScopedXmlErrorReports(const ScopedXmlErrorReports&) = delete;
    ScopedXmlErrorReports& operator=(const ScopedXmlErrorReports&) = delete;

private:
    Base* base;
    bool saved = false;
};

// A decimal integer with optional blanks around it and an optional sign; false for anything else
// (and for a number outside 32 bits).
bool ParseXmlInteger(const String& text, int32_t& value);

// The "encoding" attribute of the current "<?xml" tag sets the reader's encoding for the lines after
// it when it names an 8-bit code page and the file was not found to be UTF-16. UTF-8 and UTF-16 are
// what the reader detects from the bytes themselves (a declaration cannot turn bytes read as 8-bit
// text into UTF-16 midway, and a file declared UTF-8 that is not is read as the reader finds it).
// Unknown names are ignored.
void TakeDeclaredEncoding(TextReader& reader);

// The "templates" and "template" requests (XmlInterfaceTemplates.cpp). AnswerTemplate reads the
// element up to its end tag.
void AnswerTemplateList(Base& base, TextWriter& writer, TextReader& reader);
void AnswerTemplate(Base& base, TextWriter& writer, TextReader& reader);
// The "template" element of a base input file: defines (or replaces) a template; reads the element
// up to its end tag.
void ReadXmlTemplateDefinition(Base& base, TextReader& reader);

}  // namespace vek
