// The score file zweb.sco beside the program: its check, its repair, reading,
// writing, and the placing of a new result. The bytes themselves are handled
// by score_format.h; this file adds the messages and the disk.
#include "form1.h"

#include "scores/score_format.h"

QString Form1::score_path() { return plat::joinPath(svc.programFolder(), QStringLiteral("zweb.sco")); }

Integer Form1::check_score_file() {
    const QString path = score_path();
    if (!svc.files().exists(path)) {
        return scores::kMissing;
    }
    const plat::FileResult<QByteArray> content = svc.files().readAll(path);
    if (!content.ok()) {
        svc.messageBox(content.error.text(), plat::kMsgExclamation, prog_title);
        return scores::kUnreadable;
    }
    return scores::parse(*content.value, sco_magic.toLatin1()).code;
}

void Form1::load_scores(std::array<Integer, 10> &values, std::array<QString, 10> &names) {
    const QString path = score_path();
    const Integer code = check_score_file();
    if (code == scores::kUnreadable) {
        return;
    }
    if (code == scores::kBadMagic || code == scores::kLongName || code == scores::kBadScore) {
        svc.messageBox(QStringLiteral("Incorrect file zweb.sco! Create new zweb.sco."), plat::kMsgExclamation,
                       prog_title);
        // The new file replaces the old one in one step; a failed removal
        // changes nothing for the write that follows.
        (void)svc.files().remove(path);
        (void)create_score_file(path);
    } else if (code == scores::kMissing) {
        svc.messageBox(QStringLiteral("File ") + path + QStringLiteral(" not found! Create new zweb.sco."),
                       plat::kMsgExclamation, prog_title);
        (void)create_score_file(path);
    }

    const plat::FileResult<QByteArray> content = svc.files().readAll(path);
    if (!content.ok()) {
        svc.messageBox(content.error.text(), plat::kMsgExclamation, prog_title);
        return;
    }
    // The file may have changed since the check: take what reads cleanly.
    const scores::Parsed parsed = scores::parse(*content.value, sco_magic.toLatin1());
    for (std::size_t i = 0; i < static_cast<std::size_t>(parsed.records); ++i) {
        values[i] = parsed.table.values[i];
        names[i] = parsed.table.names[i];
    }
}

bool Form1::create_score_file(const QString &path) {
    if (const std::optional<plat::FileError> error =
            svc.files().writeAll(path, scores::defaultFile(sco_magic.toLatin1()))) {
        svc.messageBox(error->text(), plat::kMsgExclamation, prog_title);
        return false;
    }
    return true;
}

bool Form1::save_scores(std::array<Integer, 10> &values, std::array<QString, 10> &names) {
    // One write of the complete table: the old file stays until the new one is whole.
    if (const std::optional<plat::FileError> error =
            svc.files().writeAll(score_path(), scores::format(values, names, sco_magic.toLatin1()))) {
        svc.messageBox(error->text(), plat::kMsgExclamation, prog_title);
        return false;
    }
    return true;
}

Integer Form1::find_score_place(Integer new_score, std::array<Integer, 10> &values, std::array<QString, 10> &names) {
    return static_cast<Integer>(scores::place(new_score, values, names));
}

void Form1::show_scores(Integer new_score, Byte check_new) {
    load_scores(score_values, score_names);
    if (check_new == 1) {
        const Integer at = find_score_place(new_score, score_values, score_names);
        new_place = at;
        if (at != -1) {
            // The table is drawn once the name has been stored.
            start_name_entry();
            return;
        }
    }
    draw_score_table(score_values, score_names);
}
