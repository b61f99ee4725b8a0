// Closing the main window: everything is frozen, a running game asks first,
// and the settings are written when they changed.
#include "form1.h"

#include "shell/about_dialogs.h"

#include <QCloseEvent>
#include <QCoreApplication>

#include <array>

namespace {

constexpr Integer kCloseByUser = 0;
constexpr Integer kCloseByProgram = 1;
constexpr Integer kCloseByLogOff = 2;

} // namespace

std::array<plat::Timer *, 7> Form1::all_timers() const {
    return {Play_Tmr_Vert.get(), knop_prs.get(),   Stk_output.get(), open_win.get(),
            Timer1.get(),        Timer_Wait.get(), Timer2.get()};
}

void Form1::Form_QueryUnload(Integer &cancel, Integer /*unload_mode*/) {
    // Frozen in this order; each one's state is remembered for a No.
    const std::array<plat::Timer *, 7> timers = all_timers();
    std::array<bool, 7> was_enabled{};
    for (std::size_t i = 0; i < timers.size(); ++i) {
        was_enabled[i] = timers[i]->enabled();
        if (was_enabled[i]) {
            timers[i]->setEnabled(false);
        }
    }
    const bool intro_running = was_enabled[2];
    if (game_on != kTrue && !intro_running) {
        return;
    }
    const int answer = svc.messageBox(QStringLiteral("Game not finished! Quit?"), plat::kMsgYesNoQuestion, prog_title);
    if (answer == plat::kAnswerYes) {
        quit_pending = kTrue;
        return;
    }
    for (std::size_t i = 0; i < timers.size(); ++i) {
        timers[i]->setEnabled(was_enabled[i]);
    }
    cancel = 1;
    quit_pending = kFalse;
    Picture1->takeFocus();
}

void Form1::Form_Unload(Integer & /*cancel*/) {
    // However the window ends, this runs once.
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    if (settings_changed == kTrue) {
        svc.setBusyCursor(true);
        save_config();
        svc.setBusyCursor(false);
    }
    // The boxes opened from the Help menu end with the window they came from.
    if (about_box) {
        about_box->close();
    }
    if (keys_box) {
        keys_box->close();
    }
}

void Form1::end_session() {
    for (plat::Timer *t : all_timers()) {
        t->setEnabled(false);
    }
    Integer cancel = 0;
    Form_Unload(cancel);  // the settings, when they changed; a game or a name being typed is given up
    quit_pending = kTrue; // a gravity step waiting in its event pump ends the run when it resumes
    close();
    QCoreApplication::exit(0); // every event loop ends, a message box's too
}

void Form1::log_off(plat::LogOffRequest &request) {
    // Asked as a close is, when someone is there to answer; No keeps the session and the game.
    if (request.allowsInteraction()) {
        Integer cancel = 0;
        Form_QueryUnload(cancel, kCloseByLogOff);
        if (cancel != 0) {
            request.cancel();
            return;
        }
    }
    end_session();
}

void Form1::unload_main_window() {
    // The close was confirmed inside the event pump of a gravity step, which
    // has now finished its work: make sure nothing runs on and the window is gone.
    for (plat::Timer *t : all_timers()) {
        t->setEnabled(false);
    }
    if (!unloaded_) {
        Integer cancel = 0;
        Form_Unload(cancel);
    }
    if (isVisible()) {
        close(); // already unloaded: closeEvent asks nothing more
    }
}

void Form1::closeEvent(QCloseEvent *event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    Integer cancel = 0;
    Form_QueryUnload(cancel, event->spontaneous() ? kCloseByUser : kCloseByProgram);
    if (cancel != 0) {
        event->ignore();
        return;
    }
    Form_Unload(cancel);
    event->accept();
}
