#include "foundation/Clipboard.h"

namespace vek {

namespace {

HeadlessClipboard& InMemoryClipboard()
{
    static HeadlessClipboard clipboard;
    return clipboard;
}

ClipboardService* registeredClipboard = nullptr;

}  // namespace

ClipboardService::~ClipboardService() = default;

HeadlessClipboard::~HeadlessClipboard() = default;

void RegisterClipboardService(ClipboardService* service) { registeredClipboard = service; }

ClipboardService& CurrentClipboardService()
{
    return registeredClipboard != nullptr ? *registeredClipboard : InMemoryClipboard();
}

ClipboardWriter::~ClipboardWriter() { CurrentClipboardService().PutText(BufferedBytes()); }

}  // namespace vek
