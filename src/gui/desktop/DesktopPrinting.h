// DesktopPrinting: a window's print job through the desktop's print operation.
#pragma once

#include <string>

struct _GtkWindow;

namespace vek {

class Window;
struct ProgramEvent;

// Runs the window's job (the program event's window) as a GTK print operation without a nested main
// loop: with the print dialog for mode 0; otherwise at once, into the PDF file of the last choice when
// that was "Print to File" as PDF, else to the last printer chosen. The window lays out its pages when the
// operation begins and draws each page into a recording that is played onto the desktop's page. The
// program event is completed when the operation is done, failed or was cancelled, and when the window
// goes away meanwhile. The printer, its settings and the paper chosen last are kept in the user's
// preferences folder ("Print Settings") and offered again next time.
void RunDesktopPrintJob(ProgramEvent& event);
// The window is going away: a job running for it ends without it.
void ForgetPrintWindow(const Window& window);
// Where the print settings are kept.
std::string PrintSettingsPath();
// The desktop's page-setup dialog for a page-setup request, without a nested main loop: the paper,
// orientation and margins chosen are kept in the user's preferences folder ("Page Setup") and used by
// every print from then on; Cancel keeps the ones before. The request is completed when the dialog
// ends, whichever way. `parent` is the requesting window's toplevel (may be null).
void RunDesktopPageSetup(ProgramEvent& event, _GtkWindow* parent);
std::string PageSetupPath();

}  // namespace vek
