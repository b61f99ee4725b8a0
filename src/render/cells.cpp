// The play area's cells: every cell on screen is one 16 x 16 Block picture
// copied whole into the box's persistent image.
#include "form1.h"

namespace {

// The copied picture keeps its own size whatever the cell pitch.
constexpr int kCellPixels = 16;

} // namespace

Integer Form1::cell_image(Integer value) {
    if (value == 0) {
        return 1;
    }
    if (value < 100) {
        return 3;
    }
    return 2;
}

void Form1::draw_cell(Long x, Long y, Integer image) {
    const QImage &picture = Block[static_cast<std::size_t>(image)];
    Picture1->blit(x, y, kCellPixels, kCellPixels, picture, plat::Rop::Copy);
    Picture1->invalidate(QRect(x, y, kCellPixels, kCellPixels));
}

namespace {

// Top-left pixel of a column or row: the product and sum in extended
// precision, then rounded halves to even.
Long cell_origin(int index, Single pitch, Integer origin) {
    return round_half_even(static_cast<double>(static_cast<Single>(index)) * static_cast<double>(pitch) +
                           static_cast<double>(static_cast<Single>(origin)));
}

} // namespace

void Form1::redraw_well() {
    for (int c = 1; c <= 8; ++c) {
        for (int r = 0; r <= 19; ++r) {
            draw_cell(cell_origin(c, cell_w, pic_left), cell_origin(r, cell_h, pic_top), cell_image(well(c, r)));
        }
    }
}

void Form1::redraw_figure_area() {
    Integer min_x = save_x[0];
    Integer max_x = save_x[0];
    Integer min_y = save_y[0];
    Integer max_y = save_y[0];
    const auto widen = [](Integer v, Integer &lo, Integer &hi) {
        if (v < lo) {
            lo = v;
        }
        if (v > hi) {
            hi = v;
        }
    };
    for (std::size_t i = 0; i <= 3; ++i) {
        widen(save_x[i], min_x, max_x);
        widen(save_y[i], min_y, max_y);
        widen(fig[4 + i], min_x, max_x);
        widen(fig[8 + i], min_y, max_y);
    }
    for (int c = min_x; c <= max_x; ++c) {
        for (int r = min_y; r <= max_y; ++r) {
            draw_cell(cell_origin(c, cell_w, pic_left), cell_origin(r, cell_h, pic_top), cell_image(well(c, r)));
        }
    }
}

void Form1::paint_filled_cells(Integer image) {
    for (int c = 1; c <= 8; ++c) {
        for (int r = 0; r <= 19; ++r) {
            draw_cell(cell_origin(c, cell_w, pic_left), cell_origin(r, cell_h, pic_top),
                      well(c, r) == 0 ? Integer{1} : image);
        }
    }
}

void Form1::draw_well_rows(Integer &rows) {
    if (rows >= 0) {
        for (int r = 0; r <= rows; ++r) {
            for (int c = 0; c <= 9; ++c) {
                draw_cell(cell_origin(c, cell_w, pic_left), cell_origin(r, cell_h, pic_top),
                          c == 0 || c == 9 ? Integer{0} : Integer{1});
            }
        }
    }
    if (rows == 19) {
        rows = 20;
    }
    // The floor follows the growing well down and stays on row 20.
    for (int c = 0; c <= 9; ++c) {
        draw_cell(cell_origin(c, cell_w, pic_left), cell_origin(rows, cell_h, pic_top), 0);
    }
}

void Form1::fill_box(Long left, Long top, Long right, Long bottom, plat::PictureBox *dc, Long color) {
    dc->fillRect(left, top, right, bottom, static_cast<plat::Rgb>(color));
    if (dc == Next_fig_win || dc == Picture1) {
        // The whole box, from its scale origin over its outer size.
        dc->invalidate(QRect(round_half_even(dc->scaleLeft()), round_half_even(dc->scaleTop()),
                             round_half_even(dc->outerWidth()), round_half_even(dc->outerHeight())));
    }
}

void Form1::blank_box(plat::PictureBox *box, Long color) {
    fill_box(round_half_even(box->scaleLeft()), round_half_even(box->scaleTop()), round_half_even(box->scaleWidth()),
             round_half_even(box->scaleHeight()), box, color);
}
