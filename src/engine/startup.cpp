// The program's start routine and the window's load.
#include "form1.h"

#include <QScreen>

#include "platform/colors.h"
#include "platform/resources.h"

std::unique_ptr<Form1> start_program(plat::Services &services) {
    lang_rus = kTrue;
    auto form = std::make_unique<Form1>(services);
    form->Form_Load();
    return form;
}

void Form1::Form_Load() {
    prog_title = QStringLiteral("Clockwell");
    sco_magic = QStringLiteral("###ZWEBSCO###");
    cfg_magic = QStringLiteral("###ZWEBCFG###");

    // The short clips stay loaded for the whole run.
    snd_land = plat::loadCustom(101);
    snd_lines1 = plat::loadCustom(102);
    snd_lines2 = plat::loadCustom(103);
    snd_lines3 = plat::loadCustom(104);
    snd_lines4 = plat::loadCustom(105);
    snd_close = plat::loadCustom(109);

    for (std::size_t i = 0; i < Block.size(); ++i) {
        Block[i] = plat::loadBitmap(101 + static_cast<int>(i));
    }
    cup[0] = plat::loadBitmap(129);
    cup[1] = plat::loadBitmap(130);
    crown[0] = plat::loadBitmap(131);
    crown[1] = plat::loadBitmap(132);

    // A random start from the clock: a different run of figures each session. The checks of the real program
    // on real sound servers replay a known run instead (CLOCKWELL_FIGURE_RUN, not meant for players).
    bool known_run = false;
    const int run = qEnvironmentVariableIntValue("CLOCKWELL_FIGURE_RUN", &known_run);
    rng = std::mt19937(static_cast<std::mt19937::result_type>(known_run ? run : svc.secondsSinceMidnight()));

    settings_changed = kFalse;
    game_on = kFalse;

    pic_left = static_cast<Integer>(round_half_even(Picture1->scaleLeft()));
    pic_top = static_cast<Integer>(round_half_even(Picture1->scaleTop()));
    cell_w = 16.0F;
    cell_h = 16.0F;

    init_spawn_table();
    init_rotation_tables();
    init_line_points();
    init_level_tables();

    init_cfg_keys();
    load_config();
    init_captions();
    init_menu_captions();

    if (lang_rus != kFalse) {
        mnu_eng->setChecked(false);
        mnu_rus->setChecked(true);
        set_russian_captions();
    } else {
        mnu_eng->setChecked(true);
        mnu_rus->setChecked(false);
        set_english_captions();
    }

    set_level_label();
    init_char_table();

    name_entry_on = kFalse;
    wait_step = 7;

    Timer1->setEnabled(false);
    Timer2->setInterval(200);
    Timer2->setEnabled(false);
    Play_Tmr_Vert->setInterval(300);
    Play_Tmr_Vert->setEnabled(false);
    Timer_Wait->setEnabled(false);
    Stk_output->setEnabled(false);
    open_win->setEnabled(false);

    face_color = static_cast<Long>(plat::buttonFaceColor());

    blank_box(Picture1, static_cast<Long>(plat::rgb(0, 0, 0)));
    blank_box(Next_fig_win, face_color);

    show_scores(-1, 0);

    Label_Time_Num->setCaption(QStringLiteral("0"));

    // Centred on the screen the first time it appears.
    adjustSize();
    if (const QScreen *where = screen(); where != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    load_button_faces();
    init_buttons();

    update();
}
