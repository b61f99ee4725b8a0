// A one-line prompt in the message box: sized to its text, centred over the
// play area, with a raised frame, holding the keyboard.
#include "form1.h"

namespace {

constexpr plat::Rgb kLightEdge = plat::rgb(192, 192, 192);
constexpr plat::Rgb kDarkEdge = plat::rgb(128, 128, 128);

} // namespace

void Form1::draw_msg_frame() {
    const double l = Picture2->scaleLeft();
    const double t = Picture2->scaleTop();
    const double w = Picture2->scaleWidth();
    const double h = Picture2->scaleHeight();
    Picture2->line(l, t, l + w, t, kLightEdge);
    Picture2->line(l, t, l, t + h, kLightEdge);
    Picture2->line(l + w - 1, t, l + w - 1, t + h, kDarkEdge);
    Picture2->line(l, t + h - 1, l + w, t + h - 1, kDarkEdge);
}

void Form1::draw_msg(Integer x, Integer y, Integer pad_w, Integer pad_h, Long back_color, Long fore_color,
                     const QString &text) {
    Picture2->setFont(QStringLiteral("MS Sans Serif"), 12, true);
    Picture2->setDrawWidth(3);
    Picture2->setBackColor(static_cast<plat::Rgb>(back_color));
    Picture2->setForeColor(static_cast<plat::Rgb>(fore_color));
    const auto text_w = static_cast<Single>(Picture2->textWidth(text));
    const auto text_h = static_cast<Single>(Picture2->textHeight(text));
    Picture2->setOuterSize(static_cast<Single>(pad_w) + text_w, static_cast<Single>(pad_h) + text_h);
    centre_msg_box();
    Picture2->cls();
    Picture2->currentX = x;
    Picture2->currentY = y;
    Picture2->print(text);
    // The frame goes on after the text and may cover its outermost pixels.
    draw_msg_frame();
    Picture2->setShown(true);
    Picture2->takeFocus();
}
