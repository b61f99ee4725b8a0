// The score table in the play area: a green frame with a header rule and a
// column rule, the column titles, and the ten places, the best one in red.
#include "form1.h"

#include "platform/colors.h"

#include <algorithm>

namespace {

// Caption entries of the two column titles.
constexpr int kNameCaption = 7;
constexpr int kScoreCaption = 3;

// A number as the display shows it: one blank where a minus would stand.
QString display_number(int value) {
    return value < 0 ? QString::number(value) : QStringLiteral(" ") + QString::number(value);
}

} // namespace

void Form1::draw_score_table(std::array<Integer, 10> &values, std::array<QString, 10> &names) {
    plat::PictureBox &box = *Picture1;
    const double left = box.scaleLeft();
    const double top = box.scaleTop();
    const double width = box.scaleWidth();
    const double height = box.scaleHeight();

    box.setFont(QStringLiteral("Courier New"), 13, true);
    const QString widest = QStringLiteral("WWWWWWWW");
    Long col_w = round_half_even(box.textWidth(widest));
    Long row_h = round_half_even(box.textHeight(widest));
    for (QString &name : names) {
        if (name.isEmpty()) {
            name = QStringLiteral("........");
        }
        col_w = std::max(col_w, round_half_even(box.textWidth(name)));
        row_h = std::max(row_h, round_half_even(box.textHeight(name)));
    }

    box.setDrawWidth(2);
    const plat::Rgb green = plat::rgb(0, 155, 50);
    box.line(left, top + 1, left + width, top + 1, green);
    box.line(left + 1, top, left + 1, top + height, green);
    box.line(left + width - 1, top, left + width - 1, top + height, green);
    box.line(left, top + height - 1, left + width, top + height - 1, green);
    box.line(left, top + row_h + 5, left + width, top + row_h + 5, green);
    box.line(left + col_w + 15, top, left + col_w + 15, top + height, green);

    box.setForeColor(plat::rgb(210, 210, 0));
    box.currentX = left + 10;
    box.currentY = top + 3;
    box.print(caption(kNameCaption));
    box.currentX = left + col_w + 23;
    box.currentY = top + 3;
    box.print(caption(kScoreCaption));

    for (std::size_t i = 0; i < names.size(); ++i) {
        box.setForeColor(i == 0 ? plat::rgb(255, 0, 0) : plat::rgb(0, 100, 255));
        const double y = top + static_cast<double>((row_h + 10) * static_cast<Long>(i) + 30);
        box.currentX = left + 10;
        box.currentY = y;
        box.print(names[i]);
        box.currentX = left + col_w + 15;
        box.currentY = y;
        box.print(display_number(values[i]));
    }
}
