// Picture: recordings are Cairo recording surfaces; files are rendered from them on demand.
#include "drawing/Picture.h"

#include <cairo.h>

#include <vector>

#include "foundation/messages/PendingError.h"
#include "platform/ForkFile.h"
#include "drawing/ClipboardText.h"

namespace vek {

void DisposePicture(PictureRecord& picture) { picture = PictureRecord{}; }

void CopyPicture(const PictureRecord& from, PictureRecord& to)
{
    to.creator = from.creator;
    to.fileType = from.fileType;
    to.frame = from.frame;
    to.picture.reset();
    if (from.picture == nullptr)
        return;
    to.picture = DrawingPort::CreateRecording(from.frame);
    if (to.picture != nullptr)
        to.picture->CopyFrom(*from.picture, from.frame, from.frame, DrawingPort::Transfer::Or);
}

void DrawRecordedPicture(const PictureRecord& picture, const Rect& rect)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || picture.picture == nullptr)
        return;
    port->CopyFrom(*picture.picture, picture.frame, rect, DrawingPort::Transfer::Or);
}

std::string PackBitsRow(const uint8_t* row, int32_t n)
{
    std::string out;
    int32_t i = 0;
    while (i < n) {
        int32_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i])
            ++run;
        if (run >= 2) {
            out += char(int8_t(1 - run));
            out += char(row[i]);
            i += run;
            continue;
        }
        // A literal stretch up to the next run of at least two equal bytes.
        int32_t start = i;
        while (i < n && i - start < 128 && !(i + 1 < n && row[i + 1] == row[i]))
            ++i;
        if (i == start)
            ++i;
        out += char(i - start - 1);
        out.append(reinterpret_cast<const char*>(row + start), size_t(i - start));
    }
    return out;
}

namespace {

constexpr int32_t kPaintWidth = 576;
constexpr int32_t kPaintHeight = 720;
constexpr int32_t kPaintRowBytes = kPaintWidth / 8;

std::string EncodeMacPaint(const PictureRecord& picture)
{
    auto image = DrawingPort::CreateImage(kPaintWidth, kPaintHeight, DepthRecord{1, 0});
    if (image == nullptr)
        return {};
    Rect target = picture.frame;
    ShiftRect(target, -picture.frame.left, -picture.frame.top);
    image->CopyFrom(*picture.picture, picture.frame, target, DrawingPort::Transfer::Or);
    std::string out(512, '\0');
    uint8_t row[kPaintRowBytes];
    for (int32_t y = 0; y < kPaintHeight; ++y) {
        if (IsErrorPending())
            return {};
        for (int32_t b = 0; b < kPaintRowBytes; ++b) {
            uint8_t bits = 0;
            for (int32_t k = 0; k < 8; ++k) {
                uint32_t pixel = image->PixelAt(b * 8 + k, y);
                int32_t luminance = int32_t((pixel >> 16) & 0xFF) * 299 + int32_t((pixel >> 8) & 0xFF) * 587 +
                                    int32_t(pixel & 0xFF) * 114;
                if (luminance < 128 * 1000)
                    bits |= uint8_t(0x80 >> k);
            }
            row[b] = bits;
        }
        out += PackBitsRow(row, kPaintRowBytes);
    }
    return out;
}

}  // namespace

std::string EncodePictureFile(const PictureRecord& picture)
{
    if (picture.picture == nullptr)
        return {};
    if (picture.fileType == kPictureTypeMacPaint)
        return EncodeMacPaint(picture);
    if (picture.fileType == kPictureTypePng)
        return picture.picture->EncodePng();
    return picture.picture->EncodePdf();
}

bool SavePictureFile(const PictureRecord& picture, const FilePath& path)
{
    std::string bytes = EncodePictureFile(picture);
    if (bytes.empty())
        return false;
    ForkFile file;
    if (!file.OpenForWrite(path))
        return false;
    file.Write(bytes.data(), int64_t(bytes.size()));
    file.SetSize();
    file.Close();
    return !file.HasFailed();
}

void CopyPictureToScrap(const PictureRecord& picture)
{
    if (picture.picture == nullptr)
        return;
    PutClipboardPicture(picture.picture->EncodePng());
}

}  // namespace vek
