// ClipboardText: line ends and the "holds text" state over the clipboard service.
#include "drawing/ClipboardText.h"

#include "foundation/services/Clipboard.h"

namespace vek {

namespace {

ClipboardContents contents = ClipboardContents::Nothing;
std::string picturePng;
bool arrowsTogether = false;

}  // namespace

void PutClipboardText(std::string_view text)
{
    Service<ClipboardService>::Get().PutText(text);
    picturePng.clear();
    contents = text.empty() ? ClipboardContents::Nothing : ClipboardContents::Text;
}

std::optional<std::string> GetClipboardText()
{
    std::string text = Service<ClipboardService>::Get().GetText();
    if (text.empty())
        return std::nullopt;
    // A CR LF pair is one line end, not two.
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        out += text[i] == '\n' ? '\r' : text[i];
    }
    return out;
}

bool ClipboardHasText()
{
    ProbeClipboard();
    return contents == ClipboardContents::Text;
}

void PutClipboardPicture(std::string png)
{
    Service<ClipboardService>::Get().PutPicture(png);
    picturePng = std::move(png);
    contents = ClipboardContents::Picture;
}

bool ProbeClipboard()
{
    bool hadText = contents == ClipboardContents::Text;
    bool hasText = !Service<ClipboardService>::Get().GetText().empty();
    if (hasText)
        contents = ClipboardContents::Text;
    else if (contents == ClipboardContents::Text)
        contents = ClipboardContents::Nothing;
    return hadText != hasText;
}

ClipboardContents GetClipboardContents() { return contents; }

bool ScrollArrowsTogether() { return arrowsTogether; }

bool UpdateScrollArrowStyle()
{
    // Our theme draws one arrow at each end of a scroll bar.
    constexpr bool themeTogether = false;
    if (themeTogether == arrowsTogether)
        return false;
    arrowsTogether = themeTogether;
    return true;
}

}  // namespace vek
