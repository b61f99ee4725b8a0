// Typing the name of a new result into the message box, restyled as a small
// name box: a blinking cursor after the name, Backspace and Enter, and on the
// cursor tick after Enter the name is stored and the table saved and drawn.
// Also the two focus rules that keep the keyboard where it belongs.
#include "form1.h"

#include "platform/colors.h"
#include "platform/cp1251.h"

namespace {

constexpr plat::Rgb kBoxBack = plat::rgb(100, 100, 100);
constexpr plat::Rgb kInk = plat::rgb(0, 0, 0);
const QString kCursor = QStringLiteral("|");

} // namespace

void Form1::init_char_table() {
    char_table.fill(QLatin1Char(' '), 256);
    const auto keep = [this](int code) { char_table[code] = plat::fromCp1251(static_cast<unsigned char>(code)); };
    for (int code = 33; code <= 126; ++code) {
        // The double quote is not kept: it becomes a blank like every other odd character.
        if (code != 34) {
            keep(code);
        }
    }
    keep(168); // Ё
    keep(184); // ё
    keep(185); // №
    for (int code = 192; code <= 255; ++code) {
        keep(code); // А..я
    }
}

void Form1::start_name_entry() {
    name_count = 1;
    name_text.clear();
    name_done = kFalse;
    name_typing = kTrue;
    draw_name_box();
    Picture2->setShown(true);
    Picture2->takeFocus();
    cursor_draw_next = kTrue;
    name_entry_on = kTrue;
    Timer2->setInterval(200);
    Timer2->setEnabled(true);
}

void Form1::draw_name_box() {
    plat::PictureBox &box = *Picture2;
    box.setBackColor(kBoxBack);
    // The weight stays as the congratulation before it left it.
    box.setFont(QStringLiteral("Arial"), 12, box.boxFont().bold());
    const QString title = lang_rus == kTrue ? QStringLiteral("Ваше Имя") : QStringLiteral("Your Name");
    const double title_h = box.textHeight(title);
    box.setOuterSize(box.textWidth(QStringLiteral("WWWWWWWWWW")), title_h + box.textHeight(QStringLiteral("W")) + 20);
    box.moveTo((Picture1->scaleWidth() - box.scaleWidth()) / 2, (Picture1->scaleHeight() - box.scaleHeight()) / 2);

    const double left = box.scaleLeft();
    const double top = box.scaleTop();
    const double width = box.scaleWidth();
    const double height = box.scaleHeight();
    box.setDrawWidth(2);
    box.filledBox(left, top, left + width, top + height, plat::rgb(200, 200, 200));
    const plat::Rgb frame = plat::rgb(180, 180, 0);
    box.line(left, top + 1, left + width, top + 1, frame);
    box.line(left + 1, top, left + 1, top + height, frame);
    box.line(left + width - 1, top, left + width - 1, top + height, frame);
    box.line(left, top + height - 1, left + width, top + height - 1, frame);
    box.filledBox(left + 2, top + 2, left + width - 2, top + title_h + 1, plat::rgb(0, 0, 150));

    const double w_width = box.textWidth(QStringLiteral("W"));
    const double w_height = box.textHeight(QStringLiteral("W"));
    name_x = static_cast<Integer>(round_half_even(left + w_width));
    name_y = static_cast<Integer>(round_half_even(top + title_h / 2 + height / 2));
    const double cursor_w = box.textWidth(kCursor);
    box.filledBox(name_x - cursor_w, name_y - w_height / 2,
                  name_x + box.textWidth(QStringLiteral("WWWWWWWW")) + cursor_w, name_y + w_height / 2, kBoxBack);

    box.currentX = left + width / 2 - box.textWidth(title) / 2;
    box.currentY = top + 1;
    box.setForeColor(plat::rgb(200, 200, 0));
    box.print(title);
    box.setForeColor(kInk);
}

namespace {

// Where the name line starts: its left end at name_x, its middle at name_y.
void move_to_name(plat::PictureBox &box, Integer x, Integer y, const QString &name) {
    box.currentX = x;
    box.currentY = y - box.textHeight(name) / 2;
}

} // namespace

void Form1::Picture2_KeyPress(Integer char_code) {
    if (name_entry_on != kTrue) {
        return;
    }
    plat::PictureBox &box = *Picture2;
    if (char_code >= 32 && char_code <= 255) {
        if (name_count >= 9) {
            return; // the ninth character is not taken
        }
        // The cursor goes; the longer name is drawn and the next blink brings the cursor after it.
        move_to_name(box, name_x, name_y, name_text);
        box.currentX += box.textWidth(name_text);
        box.setForeColor(kBoxBack);
        box.print(kCursor, false);
        box.setForeColor(kInk);
        name_text += char_table.at(char_code);
        move_to_name(box, name_x, name_y, name_text);
        box.print(name_text, false);
        name_count = static_cast<Integer>(name_count + 1);
        return;
    }
    if (char_code == 13) {
        box.setForeColor(kBoxBack);
        move_to_name(box, name_x, name_y, name_text);
        box.print(name_text + kCursor, false);
        name_done = kTrue;
        name_typing = kFalse;
        return;
    }
    if (char_code == 8 && !name_text.isEmpty()) {
        name_cut = name_text.right(1);
        name_text.chop(1);
        name_count = static_cast<Integer>(name_count - 1);
        move_to_name(box, name_x, name_y, name_text);
        box.print(name_text, false);
        box.setForeColor(kBoxBack);
        box.print(name_cut + kCursor, false);
        box.setForeColor(kInk);
    }
    // Other control codes (Esc among them) and characters beyond the code page are not typing.
}

void Form1::Timer2_Timer() {
    Timer2->setEnabled(false);
    plat::PictureBox &box = *Picture2;
    move_to_name(box, name_x, name_y, name_text);
    box.currentX += box.textWidth(name_text);
    if (cursor_draw_next == kTrue) {
        box.print(kCursor, false);
        cursor_draw_next = kFalse;
    } else {
        box.setForeColor(kBoxBack);
        box.print(kCursor, false);
        box.setForeColor(kInk);
        cursor_draw_next = kTrue;
    }
    if (name_done != kTrue) {
        Timer2->setEnabled(true);
        return;
    }

    if (new_place >= 0 && new_place < static_cast<Integer>(score_names.size())) {
        score_names[static_cast<std::size_t>(new_place)] = name_text;
    }
    if (!save_scores(score_values, score_names)) {
        svc.messageBox(QStringLiteral("Error: Can't write File 'zweb.sco'"), plat::kMsgCritical, prog_title);
    }
    draw_score_table(score_values, score_names);
    name_entry_on = kFalse;
    Picture2->setShown(false);
    buttons_idle();
    set_menus_enabled(true);
    update();
}

void Form1::Picture2_LostFocus() {
    // While the box is shown every key belongs to it.
    if (Picture2->shown()) {
        Picture2->takeFocus();
    }
}

void Form1::Next_fig_win_GotFocus() { Picture1->takeFocus(); }
