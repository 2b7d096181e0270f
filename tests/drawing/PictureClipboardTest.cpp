// Tests of icons' sizes, recorded pictures and their files, and the clipboard's text.
#include "drawing/Picture.h"

#include <gtest/gtest.h>

#include "foundation/services/Clipboard.h"
#include "drawing/ClipboardText.h"
#include "drawing/Icons.h"
#include "drawing/Shapes.h"

namespace vek {
namespace {

TEST(PictureClipboardTest, PictureBoundsByRange)
{
    struct Case {
        int32_t id;
        int32_t size;
    } cases[] = {{0, 0},     {-4, 0},     {1, 32},    {299, 32},  {300, 16},  {383, 16},  {384, 32},
                 {1499, 32}, {1500, 16},  {2500, 32}, {3500, 16}, {4500, 16}, {5000, 8},  {5799, 8},
                 {5800, 16}, {5803, 16},  {5804, 13}, {5807, 13}, {5808, 15}, {5826, 15}, {5827, 26},
                 {5830, 26}, {5999, 26},  {6000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        Rect r;
        GetPictureBounds(r, c.id);
        EXPECT_EQ(r, MakeRect(0, 0, c.size, c.size));
    }
}

TEST(PictureClipboardTest, IconsDrawInsideTheirRectangleOnly)
{
    auto port = DrawingPort::CreateImage(40, 40);
    SavedPortState focus;
    FocusWindowObject(focus, WindowTarget{nullptr, port.get(), DepthRecord{}});
    for (int32_t id = kFirstStripIcon; id <= kLastStripIcon; ++id) {
        SCOPED_TRACE(id);
        port->EraseRect(MakeRect(0, 0, 40, 40));
        DrawPictureAt(10, 10, id);
        Rect bounds;
        GetPictureBounds(bounds, id);
        int32_t inside = 0;
        for (int32_t y = 0; y < 40; ++y) {
            for (int32_t x = 0; x < 40; ++x) {
                bool in = x >= 10 && y >= 10 && x < 10 + bounds.right && y < 10 + bounds.bottom;
                if (!in)
                    EXPECT_EQ(port->PixelAt(x, y), 0xFFFFFFu);
                else if (port->PixelAt(x, y) != 0xFFFFFFu)
                    ++inside;
            }
        }
        EXPECT_GT(inside, 0);
    }
    // Beyond the strips nothing is drawn.
    port->EraseRect(MakeRect(0, 0, 40, 40));
    DrawPictureAt(0, 0, 5853);
    DrawPictureAt(0, 0, 128);
    EXPECT_EQ(port->PixelAt(8, 8), 0xFFFFFFu);
}

TEST(PictureClipboardTest, RecordedPicturesSaveAsPngPdfAndMacPaint)
{
    PictureRecord picture;
    EXPECT_TRUE(EncodePictureFile(picture).empty());
    {
        SavedPortState record;
        FocusPicture(record, picture, MakeRect(0, 0, 60, 40));
        FillRectColor(MakeRect(0, 0, 30, 20), kColorBlack);
        FrameOvalWidth(MakeRect(10, 10, 50, 35), 2);
    }
    ASSERT_NE(picture.picture, nullptr);
    std::string pdf = EncodePictureFile(picture);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    picture.fileType = kPictureTypePng;
    std::string png = EncodePictureFile(picture);
    auto decoded = DrawingPort::DecodePng(png);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->Width(), 60);
    EXPECT_EQ(decoded->PixelAt(5, 5), 0u);

    // MacPaint: always the 512-byte header and 720 packed rows, whatever the frame; the black corner
    // is in the first rows.
    picture.fileType = kPictureTypeMacPaint;
    std::string paint = EncodePictureFile(picture);
    ASSERT_GT(paint.size(), 512u);
    EXPECT_EQ(paint.substr(0, 512), std::string(512, '\0'));
    size_t position = 512;
    int32_t rows = 0;
    std::string firstRow;
    while (position < paint.size()) {
        std::string row;
        while (row.size() < 72 && position < paint.size()) {
            int8_t header = int8_t(paint[position++]);
            if (header >= 0) {
                row.append(paint, position, size_t(header) + 1);
                position += size_t(header) + 1;
            } else {
                row.append(size_t(1 - header), paint[position++]);
            }
        }
        ASSERT_EQ(row.size(), 72u);
        if (rows == 0)
            firstRow = row;
        ++rows;
    }
    EXPECT_EQ(rows, 720);
    EXPECT_EQ(uint8_t(firstRow[0]), 0xFF);
    EXPECT_EQ(uint8_t(firstRow[10]), 0x00);

    PictureRecord copy;
    CopyPicture(picture, copy);
    EXPECT_EQ(copy.frame, picture.frame);
    ASSERT_NE(copy.picture, nullptr);
    DisposePicture(copy);
    EXPECT_EQ(copy.picture, nullptr);
    EXPECT_EQ(copy.fileType, kPictureTypePict);
}

TEST(PictureClipboardTest, PackBitsRuns)
{
    const uint8_t row[] = {1, 1, 1, 2, 3, 4, 4};
    EXPECT_EQ(PackBitsRow(row, 7), std::string("\xFE\x01\x01\x02\x03\xFF\x04", 7));
    uint8_t zeros[72] = {};
    EXPECT_EQ(PackBitsRow(zeros, 72), std::string("\xB9\x00", 2));
}

TEST(PictureClipboardTest, ClipboardTextAndLineEnds)
{
    HeadlessClipboard clipboard;
    ScopedService<ClipboardService> scope(&clipboard);
    struct Case {
        std::string_view put;
        std::string_view got;
    } cases[] = {{"a\nb", "a\rb"}, {"a\r\nb\r\n", "a\rb\r"}, {"a\rb", "a\rb"}, {"\n\n", "\r\r"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.put);
        PutClipboardText(c.put);
        EXPECT_TRUE(ClipboardHasText());
        EXPECT_EQ(GetClipboardText().value_or("none"), c.got);
    }
    PutClipboardText("");
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_FALSE(GetClipboardText().has_value());

    // The reader takes a copy when made; a picture leaves nothing to read.
    PutClipboardText("one\rtwo");
    ClipboardReader reader;
    PutClipboardText("changed");
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_EQ(std::string(reader.LineStart(), size_t(reader.LineLength())), "one");
    ASSERT_TRUE(reader.ReadLine());
    EXPECT_FALSE(reader.ReadLine());

    PictureRecord picture;
    {
        SavedPortState record;
        FocusPicture(record, picture, MakeRect(0, 0, 10, 10));
    }
    CopyPictureToScrap(picture);
    EXPECT_EQ(GetClipboardContents(), ClipboardContents::Picture);
    EXPECT_FALSE(ClipboardHasText());
    ClipboardReader empty;
    EXPECT_FALSE(empty.ReadLine());

    clipboard.PutText("from elsewhere");
    EXPECT_TRUE(ProbeClipboard());
    EXPECT_FALSE(ProbeClipboard());
    EXPECT_FALSE(ScrollArrowsTogether());
    EXPECT_FALSE(UpdateScrollArrowStyle());
}

}  // namespace
}  // namespace vek
