// HeadlessXmlRun: the XML interface run once from the command line (vek --xml-request IN --xml-answer OUT BASE).
#pragma once

#include <cstdio>
#include <string_view>

namespace vek {

// Remembers the request and answer files of the run, as typed (relative to the working folder).
void SetHeadlessXmlRun(std::string_view request, std::string_view answer);
bool HasHeadlessXmlRun();

// When a run was set: opens the XML interface window of the first open base, hidden, gives it the two
// files and answers the requests once, as the window does when its request file changes. The errors
// of the answer, or why there is none, are written to `errors`, one per line. False when no base is
// open, the request file could not be read or the answer file written; true otherwise (also when the
// answer holds errors: they are part of the answer).
bool RunHeadlessXmlRequest(std::FILE* errors);

}  // namespace vek
