// DesktopClipboard: the desktop's clipboard as the program's clipboard service (plain UTF-8 text).
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
};

}  // namespace vek
