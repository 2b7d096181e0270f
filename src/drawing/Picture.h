// Picture: recorded drawing (PictureRecord, recorded through FocusPicture), its files and the scrap.
#pragma once

#include <string>

#include "drawing/DrawingState.h"

namespace vek {

class FilePath;

// Back to an empty record: creator 'ttxt', type 'PICT', no recording.
void DisposePicture(PictureRecord& picture);
// The frame and a copy of the recording.
void CopyPicture(const PictureRecord& from, PictureRecord& to);
// Replays the recording into the rectangle of the current port (scaled to it).
void DrawRecordedPicture(const PictureRecord& picture, const Rect& rect);

// The file's bytes by the record's type: 'PNTG' a MacPaint file (512 zero bytes, then 720 rows of
// 72 bytes, each packed with PackBits, the picture drawn into 576 × 720 one-bit pixels), 'PNGf' a
// PNG image, anything else ('PICT') a one-page PDF. Empty when the record holds no recording or the
// cancel flag stopped the rows.
std::string EncodePictureFile(const PictureRecord& picture);
// Writes EncodePictureFile through the file layer (its messages 603-609 on failure); false when there
// was nothing to write or writing failed.
[[nodiscard]] bool SavePictureFile(const PictureRecord& picture, const FilePath& path);
// Puts the picture on the clipboard in place of its text (the clipboard then holds no text).
void CopyPictureToScrap(const PictureRecord& picture);

// PackBits of one row: runs of 2-128 equal bytes as (1 - n, byte), literals as (n - 1, bytes).
std::string PackBitsRow(const uint8_t* row, int32_t n);

}  // namespace vek
