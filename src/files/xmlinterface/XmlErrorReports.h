// What the XML readers of a base report about input they do not know.
#pragma once

namespace vek {

class Base;
class TextReader;

// Each reports through the base's ShowErrorAlert while the base's XML-error flag is on
// (Base::ReportsXmlErrors, switched on for one file by ScopedXmlErrorReports) and passes over
// silently while it is off.

// An element the reader does not know: a tag is reported (3900, with the tag) and the element is
// skipped up to its end tag; a text run is passed over.
void SkipUnknownXmlElement(Base& base, TextReader& reader);
// An attribute or word the reader does not know (3901).
void ReportUnknownXmlWord(Base& base, const char* word);
// A value the reader cannot take for the attribute (3902, value and name).
void ReportBadXmlValue(Base& base, const char* value, const char* name);
// "on" sets the flag and "off" clears it (either case); any other value leaves it and is reported
// as a bad value. True when the value was one of the two.
bool ReadOnOffAttribute(Base& base, const char* name, const char* value, bool& flag);

}  // namespace vek
