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

void DesktopClipboard::PutPicture(std::string_view png)
{
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    GdkPixbuf* image = nullptr;
    if (loader) {
        // A picture the loader refuses clears the clipboard: it holds no text either way.
        if (gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(png.data()), png.size(), nullptr) &&
            gdk_pixbuf_loader_close(loader, nullptr))
            image = gdk_pixbuf_loader_get_pixbuf(loader);
        else
            gdk_pixbuf_loader_close(loader, nullptr);
    }
    if (image) {
        // The desktop offers the image in every format it can make of it (PNG, BMP, ...).
        gtk_clipboard_set_image(clipboard, image);
        gtk_clipboard_set_can_store(clipboard, nullptr, 0);
    } else {
        gtk_clipboard_clear(clipboard);
    }
    if (loader)
        g_object_unref(loader);
}

std::string DesktopClipboard::GetText()
{
    gchar* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

}  // namespace vek
