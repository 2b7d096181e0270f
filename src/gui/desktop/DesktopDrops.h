// DesktopDrops: what the desktop drops on a window, as the program's transfer packages.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct _GtkWidget;

namespace vek {

class TransferData;
class Window;

// The drag types a window takes, in the order it prefers them: files and folders ("text/uri-list"),
// the program's own link texts ("application/x-vek-link"), and UTF-8 text.
enum class DropKind { Uris = 1, Link = 2, Text = 3 };

// One package per dropped item, the last item first, as the program delivers drops: a local file a
// file item, a local folder a folder item (each made absolute); a URI that names no local file is
// skipped. Text and link drops are one package with one item, none when empty.
std::vector<std::unique_ptr<TransferData>> PackagesForUris(std::span<const std::string> uris);
std::unique_ptr<TransferData> PackageForText(DropKind kind, std::string_view bytes);

// Makes the window's drawing area a drop target of the types above: a drop hands its packages to
// the application's pending drops with the window as their receiver; the application delivers them
// at its next idle pass (a file no pane takes is opened as a document).
void AcceptDropsOn(_GtkWidget* area, Window& window);
// Hands the packages of a drop on the window to the application (under the UI lock).
void PostDroppedPackages(Window& window, std::vector<std::unique_ptr<TransferData>> packages);

}  // namespace vek
