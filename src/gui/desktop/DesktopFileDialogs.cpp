// DesktopFileDialogs: the GTK file chooser as the program's open and save dialogs.
#include "gui/desktop/DesktopFileDialogs.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "foundation/messages/LocalizedText.h"
#include "gui/Application.h"
#include "gui/Window.h"
#include "gui/desktop/DesktopWindow.h"
#include "gui/desktop/DesktopWindowSystem.h"
#include "platform/FilePath.h"
#include "platform/events/ProgramEvents.h"
#include "platform/events/WindowSystem.h"

namespace vek {

namespace {

// Titles of the two dialogs: the menu texts Open and Save As.
constexpr int32_t kOpenDialogTitle = 203;
constexpr int32_t kSaveDialogTitle = 206;
constexpr int32_t kCancelText = 701;

enum class ChooserKind { Open, Save };

GtkWidget* openChooser = nullptr;

struct FilterMask {
    uint32_t kindMask;
};

gboolean AcceptsFile(const GtkFileFilterInfo* info, gpointer data)
{
    if (!info->filename)
        return FALSE;
    const auto* mask = static_cast<const FilterMask*>(data);
    return FileDialogFilterAccepts(FilePath(std::string_view(info->filename)), mask->kindMask) ? TRUE : FALSE;
}

GtkWindow* ActiveToplevel()
{
    Application* application = Application::Get();
    Window* window = application ? application->ActiveWindow() : nullptr;
    if (!window || !Service<WindowSystem>::Get().HasDisplay())
        return nullptr;
    DesktopWindow* shown = static_cast<DesktopWindowSystem&>(Service<WindowSystem>::Get()).Find(*window);
    return shown ? GTK_WINDOW(shown->Toplevel()) : nullptr;
}

// The folder part of a path ("/a/b/c.vkx" → "/a/b"), empty when it names none.
std::string FolderOf(const FilePath& path)
{
    const std::string_view text = path.Text();
    const int32_t nameAt = path.FileNameOffset();
    if (nameAt <= 1)
        return nameAt == 1 ? "/" : "";
    return std::string(text.substr(0, size_t(nameAt - 1)));
}

GtkWidget* MakeChooser(ChooserKind kind, const FilePath& proposed, uint32_t kindMask)
{
    const bool open = kind == ChooserKind::Open;
    GtkWidget* chooser = gtk_file_chooser_dialog_new(
        LoadText(open ? kOpenDialogTitle : kSaveDialogTitle), ActiveToplevel(),
        open ? GTK_FILE_CHOOSER_ACTION_OPEN : GTK_FILE_CHOOSER_ACTION_SAVE, LoadText(kCancelText),
        GTK_RESPONSE_CANCEL, LoadText(open ? kOpenDialogTitle : kSaveDialogTitle), GTK_RESPONSE_ACCEPT, nullptr);
    gtk_window_set_modal(GTK_WINDOW(chooser), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_file_chooser_set_local_only(files, TRUE);
    const std::string folder = FolderOf(proposed);
    if (!folder.empty())
        gtk_file_chooser_set_current_folder(files, folder.c_str());
    if (open) {
        // Folders are always shown by the chooser; the filter decides about files only.
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_FILENAME, AcceptsFile, new FilterMask{kindMask},
                                   [](gpointer data) { delete static_cast<FilterMask*>(data); });
        gtk_file_chooser_set_filter(files, filter);
    } else {
        gtk_file_chooser_set_do_overwrite_confirmation(files, TRUE);
        const std::string_view name = proposed.Text().substr(size_t(proposed.FileNameOffset()));
        gtk_file_chooser_set_current_name(files, std::string(name).c_str());
    }
    return chooser;
}

// Takes the chosen file into the path; false when there is none.
bool TakeChoice(GtkWidget* chooser, FilePath& path)
{
    gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
    if (!chosen)
        return false;
    path.SetPath(chosen);
    g_free(chosen);
    return true;
}

bool RunChooser(ChooserKind kind, FilePath& path, uint32_t kindMask)
{
    GtkWidget* chooser = MakeChooser(kind, path, kindMask);
    openChooser = chooser;
    // Only a request of the main thread itself comes here: it has no action to suspend.
    const bool chosen = gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT && TakeChoice(chooser, path);
    openChooser = nullptr;
    gtk_widget_destroy(chooser);
    return chosen;
}

// The request a chooser answers: the event to complete once the user answered.
struct PendingChoice {
    ProgramEvent event;
};

void AnswerChooser(GtkDialog* dialog, gint response, gpointer data)
{
    std::unique_ptr<PendingChoice> pending(static_cast<PendingChoice*>(data));
    GtkWidget* chooser = GTK_WIDGET(dialog);
    auto* request = static_cast<FileDialogRequest*>(pending->event.userData);
    request->chosen = response == GTK_RESPONSE_ACCEPT && TakeChoice(chooser, *request->path);
    if (openChooser == chooser)
        openChooser = nullptr;
    gtk_widget_destroy(chooser);
    CompleteProgramEvent(pending->event);
}

}  // namespace

DesktopFileDialogs::~DesktopFileDialogs() = default;

bool DesktopFileDialogs::RunOpenFileDialog(FilePath& path, uint32_t kindMask)
{
    return RunChooser(ChooserKind::Open, path, kindMask);
}

bool DesktopFileDialogs::RunSaveFileDialog(FilePath& path) { return RunChooser(ChooserKind::Save, path, 0); }

bool DesktopFileDialogs::StartFileDialog(ProgramEvent& event)
{
    auto* request = static_cast<FileDialogRequest*>(event.userData);
    if (!request || !request->path || !event.reply)
        return false;
    const ChooserKind kind = event.kind == ProgramEventKind::GetFile ? ChooserKind::Open : ChooserKind::Save;
    GtkWidget* chooser = MakeChooser(kind, *request->path, request->kindMask);
    openChooser = chooser;
    // Every way the chooser ends (a button, Escape, the close box) is a response, so the request is
    // always completed: its action never waits for ever.
    g_signal_connect(chooser, "response", G_CALLBACK(AnswerChooser), new PendingChoice{event});
    event.reply = nullptr;
    gtk_widget_show_all(chooser);
    return true;
}

GtkWidget* DesktopFileDialogs::OpenChooser() { return openChooser; }

}  // namespace vek
