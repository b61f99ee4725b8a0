// The six image buttons: stacks of faces on one spot; showing another face
// is how a button changes state.
#include "form1.h"

#include "platform/resources.h"

namespace {

// Shows face `shown` of a button and hides face `hidden`.
void swap_faces(plat::ImageArray *button, int shown, int hidden) {
    button->setFaceVisible(hidden, false);
    button->setFaceVisible(shown, true);
}

} // namespace

void Form1::load_button_faces() {
    struct Faces {
        plat::ImageArray *button;
        int first_bitmap;
        int count;
    };
    const Faces all[] = {{knopstart, 113, 3}, {knoppause, 116, 3}, {knopsound, 119, 2},
                         {knopnext, 121, 2},  {knopup, 123, 3},    {knopdown, 126, 3}};
    for (const Faces &f : all) {
        for (int i = 1; i < f.count; ++i) {
            f.button->load(i);
        }
        for (int i = 0; i < f.count; ++i) {
            f.button->setPicture(i, plat::loadBitmap(f.first_bitmap + i));
            f.button->setFaceVisible(i, i == 0);
        }
    }
}

void Form1::init_buttons() {
    buttons_idle();
    if (sound_on == kTrue) {
        swap_faces(knopsound, 0, 1);
    } else {
        swap_faces(knopsound, 1, 0);
    }
    if (next_on == kTrue) {
        swap_faces(knopnext, 0, 1);
    } else {
        swap_faces(knopnext, 1, 0);
    }
    knop_prs->setEnabled(false);
    knop_prs->setInterval(200);
    knop_busy = kFalse;
}

void Form1::buttons_idle() {
    disable_knoppause();
    enable_knopstart();
    enable_knopup();
    enable_knopdown();
}

void Form1::enable_knopstart() {
    knopstart_en = kTrue;
    swap_faces(knopstart, 0, 2);
}
void Form1::enable_knoppause() {
    knoppause_en = kTrue;
    swap_faces(knoppause, 0, 2);
}
void Form1::enable_knopup() {
    knopup_en = kTrue;
    swap_faces(knopup, 0, 2);
}
void Form1::enable_knopdown() {
    knopdown_en = kTrue;
    swap_faces(knopdown, 0, 2);
}

void Form1::disable_knopstart() {
    knopstart_en = kFalse;
    swap_faces(knopstart, 2, 0);
}
void Form1::disable_knoppause() {
    knoppause_en = kFalse;
    swap_faces(knoppause, 2, 0);
}
void Form1::disable_knopup() {
    knopup_en = kFalse;
    swap_faces(knopup, 2, 0);
}
void Form1::disable_knopdown() {
    knopdown_en = kFalse;
    swap_faces(knopdown, 2, 0);
}

void Form1::press_knopstart() {
    knop_busy = kTrue;
    knopstart_prs = kTrue;
    swap_faces(knopstart, 1, 0);
    knop_prs->setEnabled(true);
}
void Form1::press_knoppause() {
    knop_busy = kTrue;
    knoppause_prs = kTrue;
    swap_faces(knoppause, 1, 0);
    knop_prs->setEnabled(true);
}
void Form1::press_knopup() {
    knop_busy = kTrue;
    knopup_prs = kTrue;
    swap_faces(knopup, 1, 0);
    knop_prs->setEnabled(true);
}
void Form1::press_knopdown() {
    knop_busy = kTrue;
    knopdown_prs = kTrue;
    swap_faces(knopdown, 1, 0);
    knop_prs->setEnabled(true);
}

void Form1::level_up() {
    level = static_cast<Integer>(level + 1);
    if (level == 15) {
        level = 0;
    }
    set_level_label();
    settings_changed = kTrue;
}

void Form1::level_down() {
    level = static_cast<Integer>(level - 1);
    if (level == -1) {
        level = 14;
    }
    set_level_label();
    settings_changed = kTrue;
}

void Form1::toggle_sound() {
    if (sound_on == kTrue) {
        swap_faces(knopsound, 1, 0);
        sound_on = kFalse;
    } else {
        swap_faces(knopsound, 0, 1);
        sound_on = kTrue;
    }
    settings_changed = kTrue;
}

void Form1::toggle_next() {
    if (next_on == kTrue) {
        swap_faces(knopnext, 1, 0);
        next_on = kFalse;
    } else {
        swap_faces(knopnext, 0, 1);
        next_on = kTrue;
    }
    settings_changed = kTrue;
}

void Form1::pause_game() { toggle_pause(); }

void Form1::knopstart_Click(Integer /*index*/) {
    if (knopstart_en != kFalse && knop_busy != kTrue) {
        press_knopstart();
        start_game();
    }
}

void Form1::knoppause_Click(Integer /*index*/) {
    if (knoppause_en != kFalse && knop_busy != kTrue) {
        press_knoppause();
        pause_game();
    }
}

void Form1::knopup_Click(Integer /*index*/) {
    if (knopup_en != kFalse && knop_busy != kTrue) {
        press_knopup();
        level_up();
    }
}

void Form1::knopdown_Click(Integer /*index*/) {
    if (knopdown_en != kFalse && knop_busy != kTrue) {
        press_knopdown();
        level_down();
    }
}

void Form1::knopsound_Click(Integer /*index*/) { toggle_sound(); }

void Form1::knopnext_Click(Integer /*index*/) { toggle_next(); }

void Form1::knop_prs_Timer() {
    knop_prs->setEnabled(false);
    // Only Start asks whether it is still enabled: the game it started has greyed it. The others come back
    // raised, as their press left them.
    if (knopstart_prs == kTrue) {
        knopstart->setFaceVisible(knopstart_en == kFalse ? 2 : 0, true);
        knopstart->setFaceVisible(1, false);
        knopstart_prs = kFalse;
    }
    for (auto [button, pressed] :
         {std::pair{knoppause, &knoppause_prs}, {knopup, &knopup_prs}, {knopdown, &knopdown_prs}}) {
        if (*pressed == kTrue) {
            swap_faces(button, 0, 1);
            *pressed = kFalse;
        }
    }
    knop_busy = kFalse;
}
