// DesktopClipboard: the desktop's clipboard as the program's clipboard service (UTF-8 text and pictures).
#pragma once

#include "foundation/services/Clipboard.h"

namespace vek {

// Text goes to and comes from the desktop's CLIPBOARD selection as UTF-8; reading waits for the owner
// to answer (GTK serves the program's own text at once). Main thread only, as all of GTK.
class DesktopClipboard final : public ClipboardService {
public:
    DesktopClipboard() = default;
    ~DesktopClipboard() override;

    void PutText(std::string_view text) override;
    std::string GetText() override;
    // The picture as an image of the desktop's clipboard, which other programs take as PNG (or any
    // form GTK makes of it).
    void PutPicture(std::string_view png) override;
};

}  // namespace vek
