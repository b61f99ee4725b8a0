// What the score tests share: a window whose score table and name entry they
// may reach, a window loaded over a score file of their choice, and a disk
// whose writes fail on request.
#pragma once

#include "test_engine_form.h"

#include "platform/posix_files.h"
#include "scores/score_format.h"
#include "support/files.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <optional>

class ScoresForm : public EngineForm {
public:
    using EngineForm::EngineForm;

    using Form1::check_score_file;
    using Form1::create_score_file;
    using Form1::draw_name_box;
    using Form1::draw_score_table;
    using Form1::find_score_place;
    using Form1::load_scores;
    using Form1::Next_fig_win_GotFocus;
    using Form1::Picture2_KeyPress;
    using Form1::Picture2_LostFocus;
    using Form1::save_scores;
    using Form1::score_path;
    using Form1::show_scores;
    using Form1::start_name_entry;
    using Form1::Timer2_Timer;

    using Form1::char_table;
    using Form1::cursor_draw_next;
    using Form1::mnu_eng_Click;
    using Form1::mnu_rus_Click;
    using Form1::name_count;
    using Form1::name_done;
    using Form1::name_entry_on;
    using Form1::name_text;
    using Form1::name_typing;
    using Form1::name_x;
    using Form1::name_y;
    using Form1::new_place;
    using Form1::Next_fig_win;
    using Form1::score_names;
    using Form1::score_values;
    using Form1::Timer2;
};

// Writes that fail the way a full disk does: the first `fail_after` bytes
// reach a temporary file, then the write stops with ENOSPC and the
// temporary file goes, as the real atomic write leaves things.
class FullDisk : public plat::FileSystem {
public:
    bool exists(const QString &path) override { return disk.exists(path); }
    plat::FileResult<qint64> size(const QString &path) override { return disk.size(path); }
    plat::FileResult<QByteArray> readAll(const QString &path) override {
        if (read_error) {
            return {std::nullopt, *read_error};
        }
        return disk.readAll(path);
    }
    std::optional<plat::FileError> writeAll(const QString &path, const QByteArray &bytes) override {
        ++writes;
        if (fail_after < 0 || bytes.size() <= fail_after) {
            return disk.writeAll(path, bytes);
        }
        const QString part = path + QStringLiteral(".part");
        QFile f(part);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes.first(fail_after));
            f.close();
        }
        QFile::remove(part);
        return plat::errorFromErrno(ENOSPC);
    }
    std::optional<plat::FileError> remove(const QString &path) override { return disk.remove(path); }

    plat::PosixFileSystem disk;
    qsizetype fail_after = -1; // -1: writes succeed
    std::optional<plat::FileError> read_error;
    int writes = 0;
};

// A window on virtual time over a score file of the test's choice (nullopt:
// no file), with English texts, sound and preview off.
struct ScoresRig {
    QTemporaryDir dir;
    plat::VirtualServices svc;
    FullDisk disk;
    std::unique_ptr<ScoresForm> form;

    explicit ScoresRig(const std::optional<QByteArray> &sco = scores::defaultFile(), bool rus = false) {
        svc.setProgramFolder(dir.path());
        svc.setFileSystem(&disk);
        write_file(path(QStringLiteral("zweb.cfg")),
                   QByteArray("###ZWEBCFG###\r\nSound>\r\nNo\r\nNext>\r\nNo\r\nLevel>\r\n0\r\nLanguage>\r\n") +
                       (rus ? "Rus\r\n" : "Eng\r\n"));
        if (sco) {
            write_file(sco_path(), *sco);
        }
        lang_rus = kTrue;
        form = std::make_unique<ScoresForm>(svc);
        form->Form_Load();
    }

    [[nodiscard]] QString path(const QString &name) const { return QDir(dir.path()).filePath(name); }
    [[nodiscard]] QString sco_path() const { return path(QStringLiteral("zweb.sco")); }
    [[nodiscard]] QByteArray sco() const { return read_file(sco_path()); }
    ScoresForm &f() const { return *form; }
    void type(int char_code) const { form->deliverKey(0, 0, char_code); }
    void key(int vk, int char_code) const { form->deliverKey(vk, 0, char_code); }
};

// A table with the given names and scores.
inline scores::Table make_table(const std::array<QString, 10> &names, const std::array<std::int16_t, 10> &values) {
    scores::Table t;
    t.names = names;
    t.values = values;
    return t;
}
