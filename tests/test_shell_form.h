// What the shell tests share: a Form1 whose state they may read, a file
// system that fails on request, and a few helpers for the settings file.
#pragma once

#include "form1.h"

#include "platform/posix_files.h"
#include "platform/virtual_services.h"
#include "shell/about_dialogs.h"
#include "support/files.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <memory>
#include <optional>

class ShellForm : public Form1 {
public:
    using Form1::about_box;
    using Form1::caption;
    using Form1::clear_well;
    using Form1::client;
    using Form1::closeEvent;
    using Form1::Ctrls;
    using Form1::Ctrls_Click;
    using Form1::drop_req;
    using Form1::fig;
    using Form1::Form1;
    using Form1::Form_QueryUnload;
    using Form1::Form_Unload;
    using Form1::game_on;
    using Form1::HLP;
    using Form1::input_locked;
    using Form1::intro_row;
    using Form1::keys_box;
    using Form1::knop_busy;
    using Form1::knop_prs;
    using Form1::knopdown;
    using Form1::knopdown_Click;
    using Form1::knopdown_en;
    using Form1::knopnext;
    using Form1::knopnext_Click;
    using Form1::knoppause;
    using Form1::knoppause_Click;
    using Form1::knoppause_en;
    using Form1::knopsound;
    using Form1::knopsound_Click;
    using Form1::knopstart;
    using Form1::knopstart_Click;
    using Form1::knopstart_en;
    using Form1::knopup;
    using Form1::knopup_Click;
    using Form1::knopup_en;
    using Form1::Label_Bon;
    using Form1::Label_Bon_Num;
    using Form1::Label_Lev;
    using Form1::Label_lines;
    using Form1::Label_ln_num;
    using Form1::Label_Next;
    using Form1::Label_SCORE;
    using Form1::Label_Score_Num;
    using Form1::Label_Time;
    using Form1::Label_Time_Num;
    using Form1::level;
    using Form1::lines;
    using Form1::LNGTT;
    using Form1::lvl_lines;
    using Form1::lvl_time;
    using Form1::mnu_about;
    using Form1::mnu_about_Click;
    using Form1::mnu_eng;
    using Form1::mnu_eng_Click;
    using Form1::mnu_rus;
    using Form1::mnu_rus_Click;
    using Form1::msg_closed;
    using Form1::name_entry_on;
    using Form1::name_typing;
    using Form1::need_fig;
    using Form1::next_fig;
    using Form1::Next_fig_win;
    using Form1::next_on;
    using Form1::NoisePlay;
    using Form1::open_win;
    using Form1::Picture1;
    using Form1::Picture2;
    using Form1::play_long_clip;
    using Form1::play_on;
    using Form1::Play_Tmr_Vert;
    using Form1::quit_pending;
    using Form1::rot_dx;
    using Form1::rot_dy;
    using Form1::score;
    using Form1::score_names;
    using Form1::score_values;
    using Form1::settings_changed;
    using Form1::snd_close;
    using Form1::snd_land;
    using Form1::snd_lines1;
    using Form1::snd_lines2;
    using Form1::snd_lines3;
    using Form1::snd_lines4;
    using Form1::snd_long;
    using Form1::sound_on;
    using Form1::start_game;
    using Form1::Stk_output;
    using Form1::time_left;
    using Form1::Timer1;
    using Form1::Timer2;
    using Form1::Timer_Wait;
    using Form1::unload_main_window;
    using Form1::well;
};

// The disk, with failures and a count of the calls a test asks for. Both
// apply to the settings file only: the score file beside it is read and
// written as ever.
class FaultyFiles : public plat::FileSystem {
public:
    bool exists(const QString &path) override { return disk.exists(path); }
    plat::FileResult<qint64> size(const QString &path) override {
        if (size_error && settings(path)) {
            return {std::nullopt, *size_error};
        }
        return disk.size(path);
    }
    plat::FileResult<QByteArray> readAll(const QString &path) override {
        if (!settings(path)) {
            return disk.readAll(path);
        }
        ++reads;
        if (read_error) {
            return {std::nullopt, *read_error};
        }
        return disk.readAll(path);
    }
    std::optional<plat::FileError> writeAll(const QString &path, const QByteArray &bytes) override {
        if (!settings(path)) {
            return disk.writeAll(path, bytes);
        }
        ++writes;
        if (write_error) {
            return write_error;
        }
        return disk.writeAll(path, bytes);
    }
    std::optional<plat::FileError> remove(const QString &path) override { return disk.remove(path); }

    plat::PosixFileSystem disk;
    std::optional<plat::FileError> size_error;
    std::optional<plat::FileError> read_error;
    std::optional<plat::FileError> write_error;
    int reads = 0;
    int writes = 0;

private:
    static bool settings(const QString &path) { return path.endsWith(QLatin1String("zweb.cfg")); }
};

// Loads a window the way the program's start routine does.
inline std::unique_ptr<ShellForm> load_form(plat::VirtualServices &svc) {
    lang_rus = kTrue;
    auto form = std::make_unique<ShellForm>(svc);
    form->Form_Load();
    return form;
}

// Nine lines, each ended by CR LF.
inline QByteArray cfg_bytes(const QStringList &lines) {
    QByteArray out;
    for (const QString &l : lines) {
        out += l.toLatin1() + "\r\n";
    }
    return out;
}

inline QByteArray cfg_file(const QString &sound, const QString &next, const QString &level, const QString &lang) {
    return cfg_bytes({"###ZWEBCFG###", "Sound>", sound, "Next>", next, "Level>", level, "Language>", lang});
}
