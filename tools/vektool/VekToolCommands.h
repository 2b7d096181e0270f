// The commands of vek-tool, one function each; main picks one by its word and argument count.
#pragma once

#include "VekToolCommon.h"

namespace vektool {

// Each takes the arguments after its word and returns the exit status: 0 done, 1 the file could not
// be read or written (the message on stderr), 2 usage.
int ImportSummary(Arguments arguments);
int TextImportSummary(Arguments arguments);
int ExportSie(Arguments arguments);
int Summary(Arguments arguments);
int SaveCopy(Arguments arguments);
// The template tree, one node a line: path name, tab, kind ("Group" for a template group).
int Templates(Arguments arguments);
int Subsets(Arguments arguments);
int Expr(Arguments arguments);
int RunScript(Arguments arguments);
int XmlRequest(Arguments arguments);
int Analyze(Arguments arguments);
// aggregate / transform FILE TEMPLATE WORD... --save OUT [--user CODE] [--password TEXT].
int Aggregate(Arguments arguments);
int Transform(Arguments arguments);

// What import-summary prints of a base: "cards", "lines", "account" sums and "ib" opening balances.
void PrintImportSummary(const vek::Base& base);

}  // namespace vektool
