// Clipboard: the in-memory clipboard that serves until a desktop clipboard is registered.
#include "foundation/services/Clipboard.h"

namespace vek {

ClipboardService::~ClipboardService() = default;

HeadlessClipboard::~HeadlessClipboard() = default;

template <>
ClipboardService& Service<ClipboardService>::Headless()
{
    static HeadlessClipboard clipboard;
    return clipboard;
}

ClipboardWriter::~ClipboardWriter() { Service<ClipboardService>::Get().PutText(BufferedBytes()); }

}  // namespace vek
