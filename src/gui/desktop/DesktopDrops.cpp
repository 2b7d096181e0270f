// DesktopDrops: the drop target of the desktop windows and the translation of what is dropped.
#include "gui/desktop/DesktopDrops.h"

#include <gtk/gtk.h>

#include "gui/Application.h"
#include "gui/TransferData.h"
#include "gui/Window.h"
#include "platform/FilePath.h"
#include "platform/events/UiLock.h"

namespace vek {

namespace {

const GtkTargetEntry kDropTargets[] = {
    {const_cast<gchar*>("text/uri-list"), 0, guint(DropKind::Uris)},
    {const_cast<gchar*>("application/x-vek-link"), 0, guint(DropKind::Link)},
    {const_cast<gchar*>("text/plain;charset=utf-8"), 0, guint(DropKind::Text)},
    {const_cast<gchar*>("UTF8_STRING"), 0, guint(DropKind::Text)},
};

void OnDragDataReceived(GtkWidget*, GdkDragContext* context, gint, gint, GtkSelectionData* data, guint info,
                        guint time, gpointer user)
{
    auto& window = *static_cast<Window*>(user);
    std::vector<std::unique_ptr<TransferData>> packages;
    if (info == guint(DropKind::Uris)) {
        std::vector<std::string> uris;
        if (gchar** list = gtk_selection_data_get_uris(data)) {
            for (gchar** uri = list; *uri; ++uri)
                uris.emplace_back(*uri);
            g_strfreev(list);
        }
        packages = PackagesForUris(uris);
    } else {
        const gint length = gtk_selection_data_get_length(data);
        const guchar* bytes = gtk_selection_data_get_data(data);
        if (length > 0 && bytes)
            if (auto package = PackageForText(DropKind(info), std::string_view(reinterpret_cast<const char*>(bytes), size_t(length))))
                packages.push_back(std::move(package));
    }
    const bool taken = !packages.empty();
    PostDroppedPackages(window, std::move(packages));
    gtk_drag_finish(context, taken ? TRUE : FALSE, FALSE, time);
}

}  // namespace

std::vector<std::unique_ptr<TransferData>> PackagesForUris(std::span<const std::string> uris)
{
    std::vector<std::unique_ptr<TransferData>> packages;
    for (auto uri = uris.rbegin(); uri != uris.rend(); ++uri) {
        gchar* local = g_filename_from_uri(uri->c_str(), nullptr, nullptr);
        if (!local)
            continue;  // not a file of this machine
        FilePath path(std::string_view{local});
        const bool folder = g_file_test(local, G_FILE_TEST_IS_DIR);
        g_free(local);
        auto package = std::make_unique<TransferData>();
        package->AddFile(folder ? kTransferFolder : kTransferFile, path);
        packages.push_back(std::move(package));
    }
    return packages;
}

std::unique_ptr<TransferData> PackageForText(DropKind kind, std::string_view bytes)
{
    // Text from elsewhere ends with a terminating zero at times; it is no part of the text.
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.remove_suffix(1);
    if (bytes.empty() || bytes.size() > size_t(INT32_MAX))
        return nullptr;
    auto package = std::make_unique<TransferData>();
    package->AddBytes(kind == DropKind::Link ? kTransferLinkText : kTransferText, bytes.data(), int32_t(bytes.size()));
    return package;
}

void AcceptDropsOn(GtkWidget* area, Window& window)
{
    gtk_drag_dest_set(area, GTK_DEST_DEFAULT_ALL, kDropTargets, G_N_ELEMENTS(kDropTargets), GDK_ACTION_COPY);
    g_signal_connect(area, "drag-data-received", G_CALLBACK(OnDragDataReceived), &window);
}

void PostDroppedPackages(Window& window, std::vector<std::unique_ptr<TransferData>> packages)
{
    if (packages.empty())
        return;
    HandlerUiLock lock;
    Application::SetCurrentDropWindow(&window);
    for (auto& package : packages)
        TransferData::PostDropOrDiscard(std::move(package));
}

}  // namespace vek
