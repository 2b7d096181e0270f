// DesktopPrinting: GtkPrintOperation for a window's PrintJob; the program event completes when it ends.
#include "gui/desktop/DesktopPrinting.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "drawing/DrawingPort.h"
#include "drawing/DrawingState.h"
#include "gui/Window.h"
#include "foundation/messages/PendingError.h"
#include "platform/FilePath.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/UiLock.h"

namespace vek {

namespace {

// One running operation. It lives from the request until the operation is done; the program event is
// completed exactly once, in Finish.
struct RunningPrint {
    ProgramEvent event;
    Window* window = nullptr;  // null once the window went away
    GtkPrintOperation* operation = nullptr;
    bool finished = false;
};

std::vector<RunningPrint*> runningPrints;

PrintJob* JobOf(const RunningPrint& print) { return print.window ? print.window->CurrentPrintJob() : nullptr; }

void TellWindow(RunningPrint& print, PrintPhase phase)
{
    PrintJob* job = JobOf(print);
    if (!job)
        return;
    job->phase = phase;
    print.window->PrintPhase(*job);
}

void Finish(RunningPrint* print, bool keepSettings)
{
    if (print->finished)
        return;
    print->finished = true;
    {
        HandlerUiLock lock;
        TellWindow(*print, PrintPhase::Finished);
    }
    if (keepSettings)
        if (GtkPrintSettings* settings = gtk_print_operation_get_print_settings(print->operation)) {
            const std::string path = PrintSettingsPath();
            g_mkdir_with_parents(UserPreferencesFolder().c_str(), 0700);
            // A cache of the user's last choice: a failure to keep it costs nothing but the choice.
            gtk_print_settings_to_file(settings, path.c_str(), nullptr);
        }
    CompleteProgramEvent(print->event);
    std::erase(runningPrints, print);
    g_object_unref(print->operation);
    delete print;
}

Rect RectFromPoints(double top, double left, double bottom, double right)
{
    return Rect{ClampCoordinate(int32_t(top)), ClampCoordinate(int32_t(left)), ClampCoordinate(int32_t(bottom)),
                ClampCoordinate(int32_t(right))};
}

void OnBeginPrint(GtkPrintOperation* operation, GtkPrintContext* context, gpointer data)
{
    auto* print = static_cast<RunningPrint*>(data);
    HandlerUiLock lock;
    PrintJob* job = JobOf(*print);
    if (!job) {
        gtk_print_operation_cancel(operation);
        return;
    }
    GtkPageSetup* setup = gtk_print_context_get_page_setup(context);
    const double paperWidth = gtk_page_setup_get_paper_width(setup, GTK_UNIT_POINTS);
    const double paperHeight = gtk_page_setup_get_paper_height(setup, GTK_UNIT_POINTS);
    const double left = gtk_page_setup_get_left_margin(setup, GTK_UNIT_POINTS);
    const double top = gtk_page_setup_get_top_margin(setup, GTK_UNIT_POINTS);
    job->paperRect = RectFromPoints(-top, -left, paperHeight - top, paperWidth - left);
    job->pageRect = RectFromPoints(0, 0, gtk_print_context_get_height(context), gtk_print_context_get_width(context));
    job->pageCount = 0;
    TellWindow(*print, PrintPhase::LaidOut);
    if (job->pageCount <= 0) {
        // Nothing to print: the job ends without a page (phases 0, 1, 3).
        gtk_print_operation_cancel(operation);
        return;
    }
    gtk_print_operation_set_n_pages(operation, job->pageCount);
}

void OnDrawPage(GtkPrintOperation*, GtkPrintContext* context, gint pageNumber, gpointer data)
{
    auto* print = static_cast<RunningPrint*>(data);
    HandlerUiLock lock;
    PrintJob* job = JobOf(*print);
    if (!job || pageNumber < 0 || pageNumber >= job->pageCount)
        return;
    job->currentPage = pageNumber + 1;
    std::unique_ptr<DrawingPort> page = DrawingPort::CreateRecording(job->pageRect);
    // A page whose recording cannot be made stays blank rather than failing the whole job.
    if (!page || !page->Surface())
        return;
    {
        SavedPortState record;
        PrintPage target{page.get(), DepthRecord{32, GetDrawingState().colorPrint ? 1 : 0}};
        FocusPrintPage(record, target);
        TellWindow(*print, PrintPhase::DrawingPage);
        RestorePortState(record);
    }
    cairo_t* cr = gtk_print_context_get_cairo_context(context);
    cairo_save(cr);
    cairo_set_source_surface(cr, page->Surface(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void OnDone(GtkPrintOperation*, GtkPrintOperationResult result, gpointer data)
{
    Finish(static_cast<RunningPrint*>(data), result == GTK_PRINT_OPERATION_RESULT_APPLY);
}

// The local file that settings print into as PDF ("Print to File"); empty for any other printer.
std::string PdfFileOfSettings(GtkPrintSettings* settings)
{
    if (!settings)
        return std::string();
    const char* format = gtk_print_settings_get(settings, GTK_PRINT_SETTINGS_OUTPUT_FILE_FORMAT);
    const char* uri = gtk_print_settings_get(settings, GTK_PRINT_SETTINGS_OUTPUT_URI);
    if (!uri || (format && g_strcmp0(format, "pdf") != 0))
        return std::string();
    gchar* path = g_filename_from_uri(uri, nullptr, nullptr);
    std::string result = path ? path : "";
    g_free(path);
    return result;
}

}  // namespace

std::string PrintSettingsPath() { return UserPreferencesFolder() + "/Print Settings"; }

std::string PageSetupPath() { return UserPreferencesFolder() + "/Page Setup"; }

namespace {

// The page-setup request waiting for the desktop's dialog.
struct PendingPageSetup {
    ProgramEvent event;
};

void OnPageSetupDone(GtkPageSetup* setup, gpointer data)
{
    std::unique_ptr<PendingPageSetup> pending(static_cast<PendingPageSetup*>(data));
    // Null when the user cancelled: the paper chosen before stays.
    if (setup) {
        g_mkdir_with_parents(UserPreferencesFolder().c_str(), 0700);
        // Like the print settings, a kept choice: failing to keep it costs only the choice.
        gtk_page_setup_to_file(setup, PageSetupPath().c_str(), nullptr);
    }
    CompleteProgramEvent(pending->event);
}

}  // namespace

void RunDesktopPageSetup(ProgramEvent& event, GtkWindow* parent)
{
    GtkPageSetup* current = gtk_page_setup_new_from_file(PageSetupPath().c_str(), nullptr);
    GtkPrintSettings* settings = gtk_print_settings_new_from_file(PrintSettingsPath().c_str(), nullptr);
    if (!settings)
        settings = gtk_print_settings_new();
    auto* pending = new PendingPageSetup{event};
    // The dialog completes the request now; the caller's copy must not.
    event.reply = nullptr;
    // Every answer (OK, Cancel, the close box) calls back, so the request is always completed.
    gtk_print_run_page_setup_dialog_async(parent, current, settings, OnPageSetupDone, pending);
    if (current)
        g_object_unref(current);
    g_object_unref(settings);
}

void RunDesktopPrintJob(ProgramEvent& event)
{
    auto* window = static_cast<Window*>(event.userData);
    if (!window || !window->CurrentPrintJob() || IsErrorPending()) {
        CompleteProgramEvent(event);
        return;
    }
    auto* print = new RunningPrint{event, window, gtk_print_operation_new(), false};
    // The running print completes the request now; the caller's copy must not.
    event.reply = nullptr;
    runningPrints.push_back(print);
    GtkPrintOperation* operation = print->operation;
    if (GtkPrintSettings* settings = gtk_print_settings_new_from_file(PrintSettingsPath().c_str(), nullptr)) {
        gtk_print_operation_set_print_settings(operation, settings);
        g_object_unref(settings);
    }
    gtk_print_operation_set_job_name(operation, window->Title().empty() ? "VEK" : window->Title().c_str());
    gtk_print_operation_set_allow_async(operation, TRUE);
    gtk_print_operation_set_embed_page_setup(operation, TRUE);
    // The paper and orientation of the last page setup, when one was made.
    if (GtkPageSetup* setup = gtk_page_setup_new_from_file(PageSetupPath().c_str(), nullptr)) {
        gtk_print_operation_set_default_page_setup(operation, setup);
        g_object_unref(setup);
    }
    g_signal_connect(operation, "begin-print", G_CALLBACK(OnBeginPrint), print);
    g_signal_connect(operation, "draw-page", G_CALLBACK(OnDrawPage), print);
    g_signal_connect(operation, "done", G_CALLBACK(OnDone), print);
    {
        HandlerUiLock lock;
        TellWindow(*print, PrintPhase::Preparing);
    }
    GtkPrintOperationAction action = GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG;
    if (print->window->CurrentPrintJob()->mode != 0) {
        // Without a dialog: to the PDF file the last choice printed into, else to the printer.
        const std::string pdf = PdfFileOfSettings(gtk_print_operation_get_print_settings(operation));
        action = pdf.empty() ? GTK_PRINT_OPERATION_ACTION_PRINT : GTK_PRINT_OPERATION_ACTION_EXPORT;
        if (!pdf.empty())
            gtk_print_operation_set_export_filename(operation, pdf.c_str());
    }
    GError* error = nullptr;
    const GtkPrintOperationResult result = gtk_print_operation_run(operation, action, nullptr, &error);
    if (error)
        g_error_free(error);
    // Errors and a dialog answered at once may end without "done": the job must end all the same.
    // An operation that ended inside the run ("done" already came) is gone: it is no longer listed.
    if (result != GTK_PRINT_OPERATION_RESULT_IN_PROGRESS && std::ranges::find(runningPrints, print) != runningPrints.end())
        Finish(print, result == GTK_PRINT_OPERATION_RESULT_APPLY);
}

void ForgetPrintWindow(const Window& window)
{
    for (RunningPrint* print : runningPrints)
        if (print->window == &window)
            print->window = nullptr;
}

}  // namespace vek
