// ClipboardText: the clipboard's plain text as the program sees it (CR line ends), over the clipboard
// service (in memory without a display, the desktop's with the windows).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vek {

// What the clipboard was last seen to hold.
enum class ClipboardContents { Nothing = 0, Text = 1, Picture = 2 };

// Replaces the clipboard's contents with the text; an empty text clears it.
void PutClipboardText(std::string_view text);
// The clipboard's text with every line end (LF, CR LF, CR) as CR; nothing when it holds no text.
std::optional<std::string> GetClipboardText();
bool ClipboardHasText();
// Puts an image (PNG bytes) on the clipboard in place of its text.
void PutClipboardPicture(std::string png);
// Looks at the clipboard again (the application was activated): true when whether it holds text
// changed.
bool ProbeClipboard();
ClipboardContents GetClipboardContents();

// Whether the scroll-bar arrows sit together (our theme: apart); UpdateScrollArrowStyle returns true
// when the setting changed.
bool ScrollArrowsTogether();
bool UpdateScrollArrowStyle();

}  // namespace vek
