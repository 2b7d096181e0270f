// Icons: every strip cell is a small vector drawing of our own, made in a unit square and scaled to
// the rectangle, antialiased.
#include "drawing/Icons.h"

#include <cairo.h>

#include <cmath>
#include <numbers>

#include "drawing/DrawingState.h"

namespace vek {

namespace {

constexpr double kPi = std::numbers::pi;

void Rgb(cairo_t* cr, int32_t index)
{
    RgbColor c = TableColor(index);
    cairo_set_source_rgb(cr, c.red / 65535.0, c.green / 65535.0, c.blue / 65535.0);
}

void Triangle(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2)
{
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x2, y2);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void Box(cairo_t* cr, double x, double y, double w, double h)
{
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void Stroke(cairo_t* cr, double width)
{
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// The 1-bit strip: black marks in the current fore colour.
void DrawMonoCell(cairo_t* cr, int32_t cell)
{
    switch (cell) {
    case 0:  // points right
        Triangle(cr, 0.3, 0.2, 0.75, 0.5, 0.3, 0.8);
        break;
    case 1:  // points down
        Triangle(cr, 0.2, 0.3, 0.8, 0.3, 0.5, 0.75);
        break;
    case 2:  // check mark
        cairo_move_to(cr, 0.2, 0.5);
        cairo_line_to(cr, 0.42, 0.75);
        cairo_line_to(cr, 0.82, 0.22);
        Stroke(cr, 0.14);
        break;
    case 3:  // bullet
        cairo_arc(cr, 0.5, 0.5, 0.18, 0.0, 2 * kPi);
        cairo_fill(cr);
        break;
    case 4:  // plus
        Box(cr, 0.15, 0.42, 0.7, 0.16);
        Box(cr, 0.42, 0.15, 0.16, 0.7);
        break;
    case 5:  // minus
        Box(cr, 0.15, 0.42, 0.7, 0.16);
        break;
    case 6:  // cross
        cairo_move_to(cr, 0.22, 0.22);
        cairo_line_to(cr, 0.78, 0.78);
        cairo_move_to(cr, 0.78, 0.22);
        cairo_line_to(cr, 0.22, 0.78);
        Stroke(cr, 0.15);
        break;
    default:  // points up
        Triangle(cr, 0.2, 0.7, 0.8, 0.7, 0.5, 0.25);
        break;
    }
}

// The colour strip: cells 0-7 of the first row (5808-5815) and cells 8-18 of the third (5816-5826).
void DrawColorCell(cairo_t* cr, int32_t cell, bool selected)
{
    int32_t ink = selected ? 0 : 8;
    if (selected) {
        Rgb(cr, kColorHighlight);
        cairo_paint(cr);
    }
    switch (cell) {
    case 0:  // collapsed node
        Rgb(cr, selected ? 0 : 7);
        Triangle(cr, 0.3, 0.18, 0.78, 0.5, 0.3, 0.82);
        break;
    case 1:  // expanded node
        Rgb(cr, selected ? 0 : 7);
        Triangle(cr, 0.18, 0.3, 0.82, 0.3, 0.5, 0.78);
        break;
    case 2:  // document
        Rgb(cr, 0);
        Box(cr, 0.22, 0.1, 0.56, 0.8);
        Rgb(cr, ink);
        cairo_rectangle(cr, 0.22, 0.1, 0.56, 0.8);
        Stroke(cr, 0.07);
        for (double y : {0.32, 0.5, 0.68}) {
            cairo_move_to(cr, 0.32, y);
            cairo_line_to(cr, 0.68, y);
        }
        Stroke(cr, 0.05);
        break;
    case 3:  // folder
        Rgb(cr, 12);
        Box(cr, 0.1, 0.28, 0.8, 0.58);
        Box(cr, 0.1, 0.18, 0.35, 0.14);
        Rgb(cr, ink);
        cairo_rectangle(cr, 0.1, 0.28, 0.8, 0.58);
        Stroke(cr, 0.06);
        break;
    case 4:  // link: two rings
        Rgb(cr, selected ? 0 : 21);
        cairo_arc(cr, 0.38, 0.5, 0.2, 0.0, 2 * kPi);
        Stroke(cr, 0.09);
        cairo_arc(cr, 0.62, 0.5, 0.2, 0.0, 2 * kPi);
        Stroke(cr, 0.09);
        break;
    case 5:  // card
        Rgb(cr, 17);
        Box(cr, 0.12, 0.22, 0.76, 0.56);
        Rgb(cr, ink);
        cairo_rectangle(cr, 0.12, 0.22, 0.76, 0.56);
        Stroke(cr, 0.06);
        cairo_move_to(cr, 0.12, 0.4);
        cairo_line_to(cr, 0.88, 0.4);
        Stroke(cr, 0.05);
        break;
    case 6:  // sorted one way
        Rgb(cr, selected ? 0 : 22);
        Triangle(cr, 0.2, 0.32, 0.8, 0.32, 0.5, 0.75);
        break;
    case 7:  // sorted the other way
        Rgb(cr, selected ? 0 : 22);
        Triangle(cr, 0.2, 0.7, 0.8, 0.7, 0.5, 0.25);
        break;
    case 8:  // general page: a gear-like wheel
        Rgb(cr, selected ? 0 : 6);
        for (int i = 0; i < 8; ++i) {
            double a = i * kPi / 4;
            cairo_move_to(cr, 0.5 + 0.22 * std::cos(a), 0.5 + 0.22 * std::sin(a));
            cairo_line_to(cr, 0.5 + 0.42 * std::cos(a), 0.5 + 0.42 * std::sin(a));
        }
        Stroke(cr, 0.12);
        cairo_arc(cr, 0.5, 0.5, 0.24, 0.0, 2 * kPi);
        cairo_fill(cr);
        break;
    case 9:  // selection: a funnel
        Rgb(cr, selected ? 0 : 19);
        cairo_move_to(cr, 0.1, 0.15);
        cairo_line_to(cr, 0.9, 0.15);
        cairo_line_to(cr, 0.58, 0.5);
        cairo_line_to(cr, 0.58, 0.88);
        cairo_line_to(cr, 0.42, 0.78);
        cairo_line_to(cr, 0.42, 0.5);
        cairo_close_path(cr);
        cairo_fill(cr);
        break;
    case 10:  // formula: a sigma
        Rgb(cr, selected ? 0 : 13);
        cairo_move_to(cr, 0.78, 0.18);
        cairo_line_to(cr, 0.22, 0.18);
        cairo_line_to(cr, 0.55, 0.5);
        cairo_line_to(cr, 0.22, 0.82);
        cairo_line_to(cr, 0.78, 0.82);
        Stroke(cr, 0.1);
        break;
    case 11:  // list
        Rgb(cr, ink);
        for (double y : {0.25, 0.5, 0.75}) {
            Box(cr, 0.12, y - 0.06, 0.12, 0.12);
            Box(cr, 0.32, y - 0.04, 0.56, 0.08);
        }
        break;
    case 12:  // columns
        Rgb(cr, selected ? 0 : 21);
        for (double x : {0.14, 0.42, 0.7})
            Box(cr, x, 0.15, 0.16, 0.7);
        break;
    case 13:  // rows
        Rgb(cr, selected ? 0 : 21);
        for (double y : {0.14, 0.42, 0.7})
            Box(cr, 0.15, y, 0.7, 0.16);
        break;
    case 14:  // chart: bars
        Rgb(cr, selected ? 0 : 13);
        Box(cr, 0.14, 0.5, 0.18, 0.36);
        Rgb(cr, selected ? 0 : 19);
        Box(cr, 0.41, 0.28, 0.18, 0.58);
        Rgb(cr, selected ? 0 : 21);
        Box(cr, 0.68, 0.12, 0.18, 0.74);
        break;
    case 15:  // period: a calendar
        Rgb(cr, 0);
        Box(cr, 0.14, 0.2, 0.72, 0.66);
        Rgb(cr, 13);
        Box(cr, 0.14, 0.2, 0.72, 0.18);
        Rgb(cr, ink);
        cairo_rectangle(cr, 0.14, 0.2, 0.72, 0.66);
        Stroke(cr, 0.06);
        for (double x : {0.3, 0.5, 0.7})
            for (double y : {0.52, 0.72})
                Box(cr, x - 0.05, y - 0.05, 0.1, 0.1);
        break;
    case 16:  // options: sliders
        Rgb(cr, ink);
        for (double y : {0.28, 0.5, 0.72}) {
            cairo_move_to(cr, 0.12, y);
            cairo_line_to(cr, 0.88, y);
        }
        Stroke(cr, 0.06);
        Rgb(cr, selected ? 0 : 12);
        Box(cr, 0.24, 0.2, 0.12, 0.16);
        Box(cr, 0.6, 0.42, 0.12, 0.16);
        Box(cr, 0.4, 0.64, 0.12, 0.16);
        break;
    case 17:  // text
        Rgb(cr, ink);
        for (double y : {0.22, 0.4, 0.58, 0.76}) {
            cairo_move_to(cr, 0.14, y);
            cairo_line_to(cr, y > 0.7 ? 0.6 : 0.86, y);
        }
        Stroke(cr, 0.08);
        break;
    default:  // subset: two overlapping discs
        Rgb(cr, selected ? 0 : 20);
        cairo_arc(cr, 0.38, 0.5, 0.28, 0.0, 2 * kPi);
        cairo_fill(cr);
        Rgb(cr, selected ? 1 : 21);
        cairo_arc(cr, 0.62, 0.5, 0.28, 0.0, 2 * kPi);
        Stroke(cr, 0.08);
        break;
    }
}

// The busy indicator: a grey ring at rest; frame k carries a dark arc a step further round.
void DrawBusyCell(cairo_t* cr, int32_t frame)
{
    Rgb(cr, 3);
    cairo_arc(cr, 0.5, 0.5, 0.34, 0.0, 2 * kPi);
    Stroke(cr, 0.14);
    if (frame <= 0)
        return;
    double start = -kPi / 2 + (frame - 1) * 2 * kPi / 25;
    Rgb(cr, 8);
    cairo_arc(cr, 0.5, 0.5, 0.34, start, start + kPi / 2);
    Stroke(cr, 0.14);
}

// The natural size of a strip cell.
int32_t StripCellSize(int32_t id)
{
    if (id <= 5803)
        return 16;
    if (id <= 5807)
        return 13;
    if (id <= 5826)
        return 15;
    return 26;
}

}  // namespace

void LoadIconStrips() {}

void GetPictureBounds(Rect& out, int32_t id)
{
    int32_t size = 0;
    if (id < 1)
        size = 0;
    else if (id < 300 || (id >= 384 && id < 1000))
        size = 32;
    else if (id < 384)
        size = 16;
    else if (id < 1500)
        size = 32;
    else if (id < 2000)
        size = 16;
    else if (id < 3000)
        size = 32;
    else if (id < 5000)
        size = 16;
    else if (id < 5800)
        size = 8;
    else if (id < 6000)
        size = StripCellSize(id);
    out = MakeRect(0, 0, size, size);
}

void DrawPicture(const Rect& rect, int32_t id)
{
    if (id >= kFirstStripIcon && id < 6000)
        DrawIcon(rect, id, false);
}

void DrawPictureAt(int32_t h, int32_t v, int32_t id)
{
    Rect bounds;
    GetPictureBounds(bounds, id);
    ShiftRect(bounds, h, v);
    DrawPicture(bounds, id);
}

void DrawIcon(const Rect& rect, int32_t id, bool flag)
{
    DrawingPort* port = CurrentPort();
    if (port == nullptr || rect.IsEmpty() || id < kFirstStripIcon || id > kLastStripIcon)
        return;
    cairo_t* cr = port->PreparedContext();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_translate(cr, rect.left, rect.top);
    cairo_scale(cr, rect.Width(), rect.Height());
    if (id <= 5807) {
        // Copied in the current colours; the flag puts the cell on grey 6.
        RgbColor back = flag ? TableColor(6) : port->BackColor();
        cairo_set_source_rgb(cr, back.red / 65535.0, back.green / 65535.0, back.blue / 65535.0);
        cairo_paint(cr);
        RgbColor fore = port->ForeColor();
        cairo_set_source_rgb(cr, fore.red / 65535.0, fore.green / 65535.0, fore.blue / 65535.0);
        DrawMonoCell(cr, id - 5800);
    } else if (id <= 5826) {
        // Colour cells are laid over an erased destination.
        RgbColor back = port->BackColor();
        cairo_set_source_rgb(cr, back.red / 65535.0, back.green / 65535.0, back.blue / 65535.0);
        cairo_paint(cr);
        DrawColorCell(cr, id - 5808, flag);
    } else {
        RgbColor back = port->BackColor();
        cairo_set_source_rgb(cr, back.red / 65535.0, back.green / 65535.0, back.blue / 65535.0);
        cairo_paint(cr);
        DrawBusyCell(cr, id - kBusyIdleIcon);
    }
    cairo_restore(cr);
    cairo_new_path(cr);
}

}  // namespace vek
