// DesktopClipboard: gtk_clipboard text in and out.
#include "gui/desktop/DesktopClipboard.h"

#include <gtk/gtk.h>

namespace vek {

DesktopClipboard::~DesktopClipboard() = default;

void DesktopClipboard::PutText(std::string_view text)
{
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    if (text.empty()) {
        gtk_clipboard_clear(clipboard);
        return;
    }
    gtk_clipboard_set_text(clipboard, text.data(), gint(text.size()));
    // Kept by the desktop after the program ends, where a clipboard manager runs.
    gtk_clipboard_set_can_store(clipboard, nullptr, 0);
}

std::string DesktopClipboard::GetText()
{
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

}  // namespace vek
