// Both languages of every caption of the main window and its menus.
#include "form1.h"

#include "platform/colors.h"

#include <QAction>
#include <QMenu>

void Form1::init_captions() {
    capt_tbl = {{
        {QStringLiteral("Уровень"), QStringLiteral("Level")},
        {QStringLiteral("Строки"), QStringLiteral("Lines")},
        {QStringLiteral("Бонус"), QStringLiteral("Bonus")},
        {QStringLiteral("Счёт"), QStringLiteral("Score")},
        {QStringLiteral("Время"), QStringLiteral("Time")},
        {QStringLiteral("Следующая"), QStringLiteral("Next")},
        {QStringLiteral("Сброс"), QStringLiteral("Reset")},
        {QStringLiteral("Имя"), QStringLiteral("Name")},
    }};
}

void Form1::init_menu_captions() {
    menu_capt_tbl = {{
        {QStringLiteral("Справка"), QStringLiteral("Help")},
        {QStringLiteral("О ") + prog_title, QStringLiteral("About ") + prog_title},
        {QStringLiteral("Управляющие клавиши"), QStringLiteral("Control keys")},
        {QStringLiteral("Язык"), QStringLiteral("Language")},
        {QStringLiteral("Русский"), QStringLiteral("Russian")},
        {QStringLiteral("Английский"), QStringLiteral("English")},
    }};
}

QString Form1::caption(int entry) const {
    const CaptionPair &c = capt_tbl.at(static_cast<std::size_t>(entry));
    return lang_rus == kTrue ? c.rus : c.eng;
}

namespace {

// The text of a pair in the chosen column.
QString pick(const CaptionPair &c, bool rus) { return rus ? c.rus : c.eng; }

} // namespace

void Form1::apply_captions(bool rus) {
    Label_Lev->setCaption(level_caption());
    Label_lines->setCaption(pick(capt_tbl[1], rus));
    Label_Bon->setCaption(pick(capt_tbl[2], rus));
    Label_SCORE->setCaption(pick(capt_tbl[3], rus));
    Label_Time->setCaption(pick(capt_tbl[4], rus));
    Label_Next->setCaption(pick(capt_tbl[5], rus));
    HLP->setTitle(pick(menu_capt_tbl[0], rus));
    mnu_about->setText(pick(menu_capt_tbl[1], rus));
    Ctrls->setText(pick(menu_capt_tbl[2], rus));
    LNGTT->setTitle(pick(menu_capt_tbl[3], rus));
    mnu_rus->setText(pick(menu_capt_tbl[4], rus));
    mnu_eng->setText(pick(menu_capt_tbl[5], rus));
    // The language can change only between games, while the play area shows the table.
    blank_box(Picture1, static_cast<Long>(plat::rgb(0, 0, 0)));
    draw_score_table(score_values, score_names);
}

void Form1::set_russian_captions() { apply_captions(true); }

void Form1::set_english_captions() { apply_captions(false); }

void Form1::mnu_rus_Click() {
    lang_rus = kTrue;
    mnu_rus->setChecked(true);
    mnu_eng->setChecked(false);
    settings_changed = kTrue;
    set_russian_captions();
}

void Form1::mnu_eng_Click() {
    lang_rus = kFalse;
    mnu_eng->setChecked(true);
    mnu_rus->setChecked(false);
    settings_changed = kTrue;
    set_english_captions();
}
