// Clipboard: the in-memory clipboard that serves until a desktop clipboard is registered.
#include "foundation/services/Clipboard.h"

namespace vek {

ClipboardService::~ClipboardService() = default;

void ClipboardService::PutPicture(std::string_view) { PutText(std::string_view()); }

HeadlessClipboard::~HeadlessClipboard() = default;

template <>
ClipboardService& Service<ClipboardService>::Headless()
{
    static HeadlessClipboard clipboard;
    return clipboard;
}

ClipboardWriter::~ClipboardWriter() { Service<ClipboardService>::Get().PutText(BufferedBytes()); }

ClipboardReader::ClipboardReader()
    : ClipboardCopy{Service<ClipboardService>::Get().GetText()}, TextReader(copy.data(), int64_t(copy.size()))
{
}

ClipboardReader::~ClipboardReader() = default;

}  // namespace vek
