// The next-figure preview: one fixed orientation per type, drawn with the
// settled-block picture about the box's centre.
#include "form1.h"

void Form1::draw_next_cell(Long x, Long y) {
    const QImage &picture = Block[3];
    Next_fig_win->blit(x, y, 16, 16, picture, plat::Rop::Copy);
    // The whole box is repainted, frame included.
    const Long left = round_half_even(Next_fig_win->scaleLeft());
    const Long top = round_half_even(Next_fig_win->scaleTop());
    const Long right = round_half_even(Next_fig_win->scaleLeft() + Next_fig_win->outerWidth());
    const Long bottom = round_half_even(Next_fig_win->scaleTop() + Next_fig_win->outerHeight());
    Next_fig_win->invalidate(QRect(left, top, right - left, bottom - top));
}

void Form1::draw_next_figure(Integer type) {
    const double cx = round_half_even(Next_fig_win->scaleWidth() / 2.0 + Next_fig_win->scaleLeft());
    const double cy = round_half_even(Next_fig_win->scaleHeight() / 2.0 + Next_fig_win->scaleTop());
    const double w = Block[3].width();
    const double h = Block[3].height();
    const auto cell = [this](double x, double y) { draw_next_cell(round_half_even(x), round_half_even(y)); };
    switch (type) {
    case 0:
        // The long bar starts at the top of the box rather than about the centre.
        for (int i = 1; i <= 4; ++i) {
            cell(cx - w / 2, (i - 1) * h + h / 2);
        }
        break;
    case 1:
        cell(cx - w, cy - h);
        cell(cx, cy - h);
        cell(cx - w, cy);
        cell(cx, cy);
        break;
    case 2:
        for (int i = 1; i <= 3; ++i) {
            cell(cx - w, cy - 3 * h / 2 + (i - 1) * h);
        }
        cell(cx, cy - 3 * h / 2);
        break;
    case 3:
        for (int i = 1; i <= 3; ++i) {
            cell(cx, cy - 3 * h / 2 + (i - 1) * h);
        }
        cell(cx - w, cy - 3 * h / 2);
        break;
    case 4:
        cell(cx - w, cy - 3 * h / 2);
        cell(cx - w, cy - h / 2);
        cell(cx, cy - h / 2);
        cell(cx, cy + h / 2);
        break;
    case 5:
        cell(cx, cy - 3 * h / 2);
        cell(cx, cy - h / 2);
        cell(cx - w, cy - h / 2);
        cell(cx - w, cy + h / 2);
        break;
    case 6:
        for (int i = 1; i <= 3; ++i) {
            cell(cx - w / 2, cy - 3 * h / 2 + (i - 1) * h);
        }
        cell(cx + w / 2, cy - 3 * h / 2 + h);
        break;
    default:
        break;
    }
}
