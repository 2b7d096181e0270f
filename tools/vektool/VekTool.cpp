// Diagnostic commands on files, one command per run:
//
//   vek-tool import-summary FILE   imports an SIE (or base) file into a new base and prints, one item a
//                                  line and tab-separated: "cards N", "lines N", then "account HOST SUM"
//                                  for every account the voucher lines use (sums over every card but
//                                  the opening-balance card, sorted by host code), then "ib HOST SUM"
//                                  for the opening balances. Sums have two decimals and a ".".
//   vek-tool import-text-summary DATA --into FILE --setup NAME [--save OUT]
//                                  opens the base FILE, imports the text file DATA through its import
//                                  setup NAME (nothing of a failed import stays) and prints what
//                                  import-summary prints; with --save the base is saved to OUT. The
//                                  older spelling "import-summary DATA --into ..." still works.
//   vek-tool export-sie FILE OUT   reads FILE as import-summary does and writes the base as SIE 4.
//                                  With "--selection NAME" (save too) only the cards, groups and lines
//                                  that the base's subset NAME admits are written.
//   vek-tool summary FILE          opens a base file and prints, tab-separated: "dimension", its number,
//                                  its plural name and its component count for every dimension in
//                                  use; "cards N"; "lines N"; then "sum", the column number, its name
//                                  and the sum of every line's value in that column, with the column's
//                                  decimals (all of them for a full-precision column) and a ".".
//   vek-tool run FILE SCRIPT [--save OUT]
//                                  opens a base file and runs the command text SCRIPT against it as a
//                                  macro runs (messages on stderr, or in the error file the script
//                                  names); with --save the base is then saved to OUT, in the form
//                                  OUT's extension names. A run stopped by an error saves nothing.
//   vek-tool save FILE OUT         opens a base file and saves it to OUT, in the form OUT's extension
//                                  names ("vkx" a text base, "vek" a block container). With
//                                  "--selection NAME" only what the base's subset NAME admits is saved.
//   vek-tool xml [FILE] REQUEST OUT
//                                  answers the XML request file REQUEST into OUT ("VEK-xml-output"),
//                                  for the base FILE (any file a base opens from, an XML base input
//                                  file too) or, without one, only what needs no base ("version").
//                                  Messages of the answer are written into OUT.
//   vek-tool subsets FILE          opens a base file and prints, for every subset of the base in order,
//                                  "subset" and its name, then what summary prints of the cards
//                                  ("cards N", "lines N", the "sum" rows) for the lines the subset
//                                  admits; then for each of its selections "selection" and its name
//                                  and the same rows for the lines the selection admits.
//   vek-tool analyze FILE TEMPLATE [--from DATE] [--to DATE]
//                                  computes the template of that path name over the period (the whole
//                                  base by default) and prints a header and its result rows in display
//                                  order, tab-separated. For a cards analysis: the row kind (card,
//                                  group, line, notes, signatures), the card key, the group key, the
//                                  line's number in its card, the text (title, group, line text, notes
//                                  or signatures) and the shown value columns of line rows as stored.
//                                  A result that could not be completed is printed with its message
//                                  on stderr and exit status 1.
//                                  With the chart choice "xtgh" a lines analysis is followed by an
//                                  empty row and its histogram: a header, then per bin "bin", its
//                                  lower and upper bound and its count of line rows.
//   vek-tool aggregate FILE TEMPLATE WORD... --save OUT [--user CODE]
//   vek-tool transform FILE TEMPLATE WORD... --save OUT [--user CODE]
//                                  computes the template over the whole base and aggregates (words of
//                                  the command "aggregate": "-months", "-dim Accounts 1", ...) or
//                                  transforms (words of "transform": "CF=240201", "VA=A*2", ...) the
//                                  card lines its result shows, then saves the base to OUT. A word
//                                  that is not understood gives message 3820 and is passed over.
//                                  CODE is the user's initials for the change stamp (nobody is asked
//                                  for them). An operation that fails changes nothing and saves
//                                  nothing.
//
// Every command that opens a file opens block containers, packed and bullet-format bases too; a
// trailing "--password TEXT" answers the password question of a file that has one (nobody is asked
// otherwise, and such a file is not opened). For save it is also the password of the saved base.
//
// Every command takes "--threads N" (anywhere after the command word): the threads that share out
// the work (default: the "Threads" preference, else one per processor); the results are the same on
// any number.
//
// Exit status: 0 done, 1 the file could not be read or written (the message on stderr), 2 usage.
#include "VekToolCommands.h"

#include "foundation/messages/AlertMessageHandler.h"
#include "platform/WorkerThreads.h"
#include "startup/StartServices.h"

#include <cstdio>
#include <cstring>

namespace {

// One row a command: its word, the fewest and most arguments after it, its usage line (none for an
// older spelling that is kept working but no longer shown).
struct Command {
    const char* word;
    int minArguments;
    int maxArguments;
    int (*run)(vektool::Arguments);
    const char* usage;
};

constexpr Command kCommands[] = {
    {"import-summary", 1, 3, vektool::ImportSummary, "import-summary FILE [--password TEXT]"},
    {"import-text-summary", 5, 7, vektool::TextImportSummary,
     "import-text-summary DATA --into FILE --setup NAME [--save OUT]"},
    // Scripts written before the text import had its own word give it five to seven arguments.
    {"import-summary", 5, 7, vektool::TextImportSummary, nullptr},
    {"export-sie", 2, 6, vektool::ExportSie, "export-sie FILE OUT [--selection NAME] [--password TEXT]"},
    {"summary", 1, 3, vektool::Summary, "summary FILE [--password TEXT]"},
    {"analyze", 2, 7, vektool::Analyze, "analyze FILE TEMPLATE [--from DATE] [--to DATE] [--password TEXT]"},
    {"aggregate", 4, 64, vektool::Aggregate,
     "aggregate FILE TEMPLATE WORD... --save OUT [--user CODE] [--password TEXT]"},
    {"transform", 4, 64, vektool::Transform,
     "transform FILE TEMPLATE WORD... --save OUT [--user CODE] [--password TEXT]"},
    {"templates", 1, 3, vektool::Templates, "templates FILE [--password TEXT]"},
    {"run", 2, 6, vektool::RunScript, "run FILE SCRIPT [--save OUT] [--password TEXT]"},
    {"xml", 2, 5, vektool::XmlRequest, "xml [FILE] REQUEST OUT [--password TEXT]"},
    {"save", 2, 6, vektool::SaveCopy, "save FILE OUT [--selection NAME] [--password TEXT]"},
    {"subsets", 1, 3, vektool::Subsets, "subsets FILE [--password TEXT]"},
    {"expr", 2, 64, vektool::Expr,
     "expr KIND TEXT [--base FILE] [--dimension N] [--var NAME=VALUE]... [--test VALUE]..."},
};

void PrintUsage()
{
    const char* lead = "usage:";
    for (const Command& command : kCommands) {
        if (command.usage == nullptr)
            continue;
        std::fprintf(stderr, "%s vek-tool %s\n", lead, command.usage);
        lead = "      ";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    vek::StartServices();
    vek::SetWorkerThreadsAtStartup(argc, argv);
    // Messages go to stderr, and no question waits for an answer.
    vek::AlertMessageHandler messages;
    if (argc >= 2) {
        int count = argc - 2;
        for (const Command& command : kCommands) {
            if (std::strcmp(argv[1], command.word) == 0 && count >= command.minArguments &&
                count <= command.maxArguments)
                return command.run(vektool::Arguments(argv + 2, size_t(count)));
        }
    }
    PrintUsage();
    return 2;
}
