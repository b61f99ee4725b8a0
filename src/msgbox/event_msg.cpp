// The end-of-game messages: the box grows from a 4 x 4 square in the middle
// of the play area, 8 wider and 4 higher per 20 ms tick, and shows its framed
// text on the last frame.
#include "form1.h"

#include <algorithm>

void Form1::centre_msg_box() {
    const auto left = static_cast<Single>(
        (static_cast<Single>(Picture1->scaleWidth()) - static_cast<Single>(Picture2->scaleWidth())) / 2.0F);
    const auto top = static_cast<Single>(
        (static_cast<Single>(Picture1->scaleHeight()) - static_cast<Single>(Picture2->scaleHeight())) / 2.0F);
    Picture2->moveTo(left, top);
}

void Form1::open_msg(Integer pad_w, Integer pad_h, Long back_color, Long fore_color) {
    Picture2->setFont(QStringLiteral("MS Sans Serif"), 12, true);
    Picture2->setDrawWidth(3);
    Picture2->setBackColor(static_cast<plat::Rgb>(back_color));
    Picture2->setForeColor(static_cast<plat::Rgb>(fore_color));
    Picture2->setOuterSize(4, 4);
    msg_cur_w = 4;
    msg_cur_h = 4;
    msg_w = static_cast<Integer>(round_half_even(pad_w + Picture2->textWidth(msg_lines)));
    msg_h = static_cast<Integer>(round_half_even(pad_h + Picture2->textHeight(msg_lines)));
    centre_msg_box();
    Picture2->cls();
    Picture2->setShown(true);
    open_win->setEnabled(true);
    open_win->setInterval(20);
}

bool Form1::open_msg_step() {
    msg_cur_w = static_cast<Integer>(std::min<int>(msg_cur_w + 8, msg_w));
    msg_cur_h = static_cast<Integer>(std::min<int>(msg_cur_h + 4, msg_h));
    if (msg_cur_w >= msg_w && msg_cur_h >= msg_h) {
        Picture2->setOuterSize(msg_w, msg_h);
        centre_msg_box();
        Picture2->cls();
        draw_msg_frame();
        print_msg_lines(4, 4);
        return true;
    }
    // Growing frames show only the background.
    Picture2->setOuterSize(msg_cur_w, msg_cur_h);
    centre_msg_box();
    Picture2->cls();
    return false;
}

void Form1::print_msg_lines(Integer x, Integer y) {
    Picture2->currentX = x;
    Picture2->currentY = y;
    Picture2->print(msg_lines);
}

void Form1::open_win_Timer() {
    open_win->setEnabled(false);
    if (!open_msg_step()) {
        open_win->setEnabled(true);
    }
}
