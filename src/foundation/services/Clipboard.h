// ClipboardService: the clipboard's plain text as UTF-8, desktop or in-memory.
#pragma once

#include <string>
#include <string_view>

#include "foundation/services/Service.h"
#include "foundation/streams/TextReader.h"
#include "foundation/streams/TextWriter.h"

namespace vek {

// The clipboard's plain text, as UTF-8. The windowed interface registers the desktop's clipboard at
// start-up; until then, and in every run without a display, an in-memory clipboard serves.
class ClipboardService {
public:
    virtual ~ClipboardService();

    // Replaces the clipboard's contents with the text.
    virtual void PutText(std::string_view text) = 0;
    // The clipboard's plain text; empty when it holds none.
    virtual std::string GetText() = 0;
    // Replaces the clipboard's contents with a picture (PNG bytes); the clipboard then holds no text.
    // Without a desktop only the text is cleared: the program keeps the picture itself.
    virtual void PutPicture(std::string_view png);
};

class HeadlessClipboard final : public ClipboardService {
public:
    HeadlessClipboard() = default;
    ~HeadlessClipboard() override;

    void PutText(std::string_view text) override { contents.assign(text); }
    std::string GetText() override { return contents; }

private:
    std::string contents;
};

// The in-memory clipboard (a HeadlessClipboard).
template <>
ClipboardService& Service<ClipboardService>::Headless();

// A memory TextWriter whose text goes to the clipboard (Service<ClipboardService>) when the writer is
// destroyed, replacing what the clipboard held. Write it in UTF-8, the encoding it starts with.
class ClipboardWriter final : public TextWriter {
public:
    ClipboardWriter() = default;
    ~ClipboardWriter() override;
};

namespace detail {
// The reader's copy of the clipboard text, built before the TextReader that reads it.
struct ClipboardCopy {
    std::string copy;
};
}  // namespace detail

// A TextReader of a copy of the clipboard's text, taken when the reader is made: the whole input,
// whatever the clipboard holds afterwards. Without text (nothing, or a picture) it is at its end at
// once.
class ClipboardReader final : private detail::ClipboardCopy, public TextReader {
public:
    ClipboardReader();
    ~ClipboardReader() override;
};

}  // namespace vek
