// The window on virtual time in a folder of its own, its state open to FormTest, and a disk that fails on cue.
#pragma once

#include "form1.h"
#include "support/bot.h"

#include "platform/colors.h"
#include "platform/cp1251.h"
#include "platform/posix_files.h"
#include "platform/resources.h"
#include "platform/virtual_services.h"
#include "scores/score_format.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <map>

class FormTest;
struct Rig;

class Form : public Form1 {
public:
    using Form1::Form1;
    friend class ::FormTest;
    friend struct ::Rig;
};

// The nine lines of a settings file.
inline QByteArray cfg_file(const char *sound = "No", const char *next = "No", const char *level = "0",
                           const char *lang = "Eng") {
    return QByteArray("###ZWEBCFG###\r\nSound>\r\n") + sound + "\r\nNext>\r\n" + next + "\r\nLevel>\r\n" + level +
           "\r\nLanguage>\r\n" + lang + "\r\n";
}

// Bytes written as a string literal, zero bytes included.
template <std::size_t N> QByteArray bytes(const char (&text)[N]) { return {text, static_cast<qsizetype>(N - 1)}; }

// A whole file, or nothing when it cannot be read.
inline QByteArray slurp(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
// Numbers and texts as words joined by blanks, for comparing many values in one line.
inline QString word(const QString &s) { return s; }
inline QString word(double n) { return QString::number(n); }
template <typename N> std::enable_if_t<std::is_integral_v<N> || std::is_enum_v<N>, QString> word(N n) {
    return QString::number(static_cast<qint64>(n));
}
template <typename... A> QString words(const A &...a) { return QStringList{word(a)...}.join(' '); }

// The colours of an image at "x,y x,y ...", as hex words without the alpha ("0" for black).
inline QString pixels(const QImage &img, const QString &points) {
    QStringList out;
    for (const QString &p : points.split(' ')) {
        out << QString::number(img.pixel(p.section(',', 0, 0).toInt(), p.section(',', 1, 1).toInt()) & 0xFFFFFFU, 16);
    }
    return out.join(' ');
}

// How many pixels of the image, or of the rectangle, have this colour.
inline int count(const QImage &img, const QColor &colour, QRect r = {}) {
    const QImage part = img.copy(r.isNull() ? img.rect() : r).convertToFormat(QImage::Format_RGB32); // 0xffRRGGBB
    const auto *first = reinterpret_cast<const QRgb *>(part.constBits());
    return static_cast<int>(std::count(first, first + part.width() * part.height(), colour.rgb()));
}

// The table of a data-driven test: each row its name, then its fields, fetched as QFETCH(QStringList, row).
inline void rows(const std::vector<QStringList> &table) {
    QTest::addColumn<QStringList>("row");
    for (const QStringList &r : table) {
        QTest::newRow(qPrintable(r[0])) << r.mid(1);
    }
}
// Where each widget is, "x,y wxh; ..." (with last 0, without the sizes: "x,y; ...").
using Widgets = std::initializer_list<const QWidget *>;
template <typename List> QString places(const List &widgets, int last = 1) {
    QStringList out;
    for (const QWidget *w : widgets) {
        out << QString("%1,%2 %3x%4").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height()).section(' ', 0, last);
    }
    return out.join("; ");
}

// "Error N: text" with the C library's words for the errors the suites meet.
inline QString error_text(int err) {
    static const std::map<int, const char *> words = {
        {EACCES, "Permission denied"},       {EFBIG, "File too large"},
        {EIO, "Input/output error"},         {EISDIR, "Is a directory"},
        {ENODATA, "No data available"},      {ENOENT, "No such file or directory"},
        {ENOSPC, "No space left on device"}, {ERANGE, "Numerical result out of range"},
        {EROFS, "Read-only file system"}};
    return QString("Error %1: %2").arg(err).arg(words.count(err) != 0 ? words.at(err) : "(no words written here)");
}

// Real files, failing by rule: op 's' or 'w' on a path ending in `file` gives errno `err`; op 'e' deletes
// the file right after it was seen to exist, as another program might.
class FakeDisk : public plat::PosixFileSystem {
public:
    struct Rule {
        char op;
        const char *file;
        int err;
    };
    std::vector<Rule> rules;
    int writes = 0;

    bool exists(const QString &path) override {
        const bool there = PosixFileSystem::exists(path);
        if (there && hit('e', path) == 0) {
            rules.erase(std::remove_if(rules.begin(), rules.end(), [](const Rule &r) { return r.op == 'e'; }),
                        rules.end());
            QFile::remove(path);
        }
        return there;
    }
    plat::FileResult<qint64> size(const QString &p) override {
        return hit('s', p) > 0 ? decltype(size(p)){std::nullopt, plat::errorFromErrno(hit('s', p))} : Posix::size(p);
    }
    std::optional<plat::FileError> writeAll(const QString &p, const QByteArray &b) override {
        ++writes;
        return hit('w', p) > 0 ? plat::errorFromErrno(hit('w', p)) : Posix::writeAll(p, b);
    }

private:
    using Posix = plat::PosixFileSystem;
    // The errno of the first rule for this operation and path, or -1 when none applies.
    int hit(char op, const QString &path) const {
        const auto r = std::find_if(rules.begin(), rules.end(),
                                    [&](const Rule &x) { return x.op == op && path.endsWith(QLatin1String(x.file)); });
        return r == rules.end() ? -1 : r->err;
    }
};

struct Rig {
    QTemporaryDir dir;
    plat::VirtualServices svc;
    FakeDisk disk;
    std::unique_ptr<Form> form;

    // A folder with these two files (a null array: no such file); Russian until the settings say otherwise.
    explicit Rig(const QByteArray &cfg = cfg_file(), const QByteArray &sco = scores::defaultFile(), bool load = true) {
        svc.setProgramFolder(dir.path());
        svc.setFileSystem(&disk);
        for (const auto &[name, content] : {std::pair{"zweb.cfg", cfg}, {"zweb.sco", sco}}) {
            if (!content.isNull()) {
                write(name, content);
            }
        }
        if (load) {
            reload();
        }
    }
    Form &reload() {
        form.reset();
        lang_rus = kTrue;
        // A built-in picture or clip that will not load fails the suite now, not behind a box that nobody closes.
        plat::setResourceFailureHandler([](const QString &text) { qFatal("%s", qPrintable(text)); });
        form = std::make_unique<Form>(svc);
        form->Form_Load();
        return *form;
    }
    Form &f() const { return *form; }

    QString path(const char *name) const { return QDir(dir.path()).filePath(name); }
    void write(const char *name, const QByteArray &content) const {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    QByteArray read(const char *name) const { return slurp(path(name)); }

    // A key as the keyboard gives it: the key-down, then the character it types (-1: none).
    void key(int vk, int ch = -1) const { form->deliverKey(vk, 0, ch); }
    // Keys by one character each: < > ^ v arrows, _ Space, e Esc, r Enter, 2 F2, 3 F3, + - keypad, a..z letters.
    void keys(const char *list) const {
        static const std::map<char, std::array<int, 2>> codes = {
            {'<', {plat::kVkLeft, -1}},   {'>', {plat::kVkRight, -1}},    {'^', {plat::kVkUp, -1}},
            {'v', {plat::kVkDown, -1}},   {'_', {plat::kVkSpace, 32}},    {'e', {plat::kVkEscape, 27}},
            {'r', {plat::kVkReturn, 13}}, {'2', {plat::kVkF2, -1}},       {'3', {plat::kVkF3, -1}},
            {'+', {plat::kVkAdd, '+'}},   {'-', {plat::kVkSubtract, '-'}}};
        for (const char *c = list; *c != 0; ++c) {
            const auto it = codes.find(*c);
            if (it == codes.end() && (*c < 'a' || *c > 'z')) { // a typo must not send some other key
                QTest::qFail(qPrintable(QString("keys(): no key is named '%1'").arg(*c)), __FILE__, __LINE__);
                return;
            }
            it != codes.end() ? key(it->second[0], it->second[1]) : key(*c - 'a' + 'A', *c);
        }
    }
    // Typed text: the key-down of a Latin letter's key, and the character in the code page.
    void type(const QString &text) const {
        for (const QChar c : text) {
            key(c.unicode() < 128 ? c.toUpper().unicode() : 0, c.unicode() < 128 ? c.unicode() : plat::toCp1251(c));
        }
    }
    void wait(qint64 ms) { svc.advance(ms); }
    // Advances in steps of `step` ms until pred holds; false when max_ms passed first.
    template <typename P> bool until(P pred, qint64 max_ms, qint64 step = 5) {
        for (qint64 t = 0; !pred() && t < max_ms; t += step) {
            svc.advance(step);
        }
        return pred();
    }

    // Enter on the idle window, then the intro: the next gravity tick brings in the first figure.
    bool start() {
        wait(250); // a press animation still running would swallow Enter
        keys("r");
        wait(1000);
        return form->game_on == kTrue && form->need_fig == kTrue;
    }
    // The figure under control, as "x,y x,y x,y x,y".
    QString cells() const {
        QStringList out;
        for (std::size_t i = 0; i < 4; ++i) {
            out << QString("%1,%2").arg(form->fig[4 + i]).arg(form->fig[8 + i]);
        }
        return out.join(' ');
    }
    // Settled blocks (value 1) on row y, columns 1..8, where the pattern has '#'.
    void row(int y, const char *pattern) const {
        for (int x = 1; x <= 8; ++x) {
            form->well(x, y) = pattern[x - 1] == '#' ? 1 : 0;
        }
    }
    // One move of the computer player, also answering end messages and the name entry; false once all is over.
    bool play() {
        Form &g = *form;
        if (g.name_entry_on == kTrue && g.name_typing == kTrue) {
            type("BOT");
            keys("r");
        } else if (g.game_on == kTrue && g.Picture2->shown() && g.play_on != 0 && g.Timer_Wait->enabled() &&
                   g.msg_closed == kFalse && !g.Play_Tmr_Vert->enabled()) { // an end message
            keys("e");
        } else if (g.game_on == kTrue && g.need_fig == kFalse && g.input_locked == kFalse && !planned_ &&
                   !g.Picture2->shown()) {
            planned_ = true;
            for (const int k : bot::plan(g.well.cells.data(), g.fig.data(), g.rot_dx, g.rot_dy)) {
                key(k, k == plat::kVkSpace ? 32 : -1);
            }
        }
        planned_ = planned_ && g.need_fig == kFalse;
        return g.game_on == kTrue || g.Stk_output->enabled() || g.name_entry_on == kTrue || g.Timer_Wait->enabled();
    }

    // Named parts of the window's state as words: "lines score gravity" gives "50 181 off/300"; an unknown
    // name reads "?name", so a typo cannot pass.
    QString show(const char *names) const {
        static const QStringList flag_names = QString(kFlagNames).split(' ');
        static const std::map<QString, std::unique_ptr<plat::Timer> Form1::*> timers = {
            {"gravity", &Form::Play_Tmr_Vert}, {"countdown", &Form::Timer1}, {"intro", &Form::Stk_output},
            {"wait", &Form::Timer_Wait},       {"grow", &Form::open_win},    {"cursor", &Form::Timer2},
            {"press", &Form::knop_prs}};
        const Form &f = *form;
        QStringList out;
        for (const QString &name : QString(names).split(' ')) {
            if (const auto i = flag_names.indexOf(name); i >= 0) {
                out << QString::number(f.*kFlags[static_cast<std::size_t>(i)]);
            } else if (name == "end_code") {
                out << QString::number(f.end_code);
            } else if (timers.count(name) != 0) {
                const plat::Timer &t = *(f.*timers.at(name));
                out << QString(t.enabled() ? "on" : "off") +
                           (name == "gravity" ? QString("/%1").arg(t.interval()) : "");
            } else if (name == "box") {
                out << (f.Picture2->shown() ? "shown" : "hidden");
            } else if (name == "focus") {
                out << (f.Picture2->hasKeyFocus() ? "box" : f.Picture1->hasKeyFocus() ? "play" : "none");
            } else if (name == "labels") {
                out << QStringList{f.Label_ln_num->caption(), f.Label_Bon_Num->caption(), f.Label_Score_Num->caption(),
                                   f.Label_Time_Num->caption()}
                           .join('/');
            } else if (name == "faces") {
                QString faces;
                for (const auto *b : {f.knopstart, f.knoppause, f.knopsound, f.knopnext, f.knopup, f.knopdown}) {
                    faces += QString::number(b->topFace());
                }
                out << faces;
            } else if (name == "menus") {
                const bool help = f.HLP->menuAction()->isEnabled();
                out << (help != f.LNGTT->menuAction()->isEnabled() ? "mixed" : help ? "on" : "off");
            } else {
                out << "?" + name;
            }
        }
        return out.join(' ');
    }

    // Runs steps separated by ';', and says which one failed, or nothing:
    //   start            as start() does                                 enter T   the next figure is of type T
    //   keys K / type T  keys as keys() takes them, text as type() does   wait MS   virtual time passes
    //   land T K         enter T, keys K, until it lands or the game ends  row Y P   a row as row() makes it
    //   set NAME V       a number of show() (or next_fig, best, tenth)     click B   button B (start pause ...)
    //   until C [MS]     until C: landed, ending (the wait runs), grown (the box is whole)
    //   overflow, quota  the scenarios kOverflow and kQuota below    an unknown step, name or condition fails
    //   close yes|no     a close request answered so         scores S   show_scores(S, 1): a result is placed
    QString run(const QString &steps) {
        for (const QString &step : steps.split(';', Qt::SkipEmptyParts)) {
            const QStringList w = step.simplified().split(' ');
            const QString a = w.value(1), b = w.value(2);
            Form &g = *form;
            bool ok = true;
            if (w[0] == "start") {
                ok = start();
            } else if (w[0] == "enter" || w[0] == "land") {
                g.next_fig = static_cast<Integer>(a.toInt());
                ok = until([&] { return g.need_fig == kFalse; }, 1000);
                keys(qPrintable(b));
                ok = ok && (w[0] == "enter" ||
                            until([&] { return g.need_fig == kTrue || g.Timer_Wait->enabled(); }, 1000, 1));
            } else if (w[0] == "keys") {
                keys(qPrintable(step.section(' ', 1, -1, QString::SectionSkipEmpty)));
            } else if (w[0] == "type") {
                type(step.section(' ', 1, -1, QString::SectionSkipEmpty));
            } else if (w[0] == "wait") {
                wait(a.toInt());
            } else if (w[0] == "row") {
                row(a.toInt(), qPrintable(b));
            } else if (w[0] == "set") {
                static const QStringList names = QString(kFlagNames).split(' ');
                const auto i = names.indexOf(a);
                const auto v = static_cast<Integer>(b.toInt());
                ok = i >= 0 || QStringList{"next_fig", "best", "tenth"}.contains(a);
                if (i >= 0) {
                    g.*kFlags[static_cast<std::size_t>(i)] = v;
                } else if (ok) {
                    (a == "next_fig" ? g.next_fig : g.score_values[a == "best" ? 0 : 9]) = v;
                }
            } else if (w[0] == "click") {
                const QStringList names = {"start", "pause", "sound", "next", "up", "down"};
                const std::array<void (Form1::*)(Integer), 6> clicks = {&Form::knopstart_Click, &Form::knoppause_Click,
                                                                        &Form::knopsound_Click, &Form::knopnext_Click,
                                                                        &Form::knopup_Click,    &Form::knopdown_Click};
                ok = names.contains(a);
                (g.*clicks[static_cast<std::size_t>(std::max<qsizetype>(0, names.indexOf(a)))])(0);
            } else if (w[0] == "until") {
                const auto cond = [&] {
                    return a == "landed"   ? g.need_fig == kTrue
                           : a == "ending" ? g.Timer_Wait->enabled() && g.game_on == kTrue
                                           : !g.open_win->enabled(); // grown
                };
                ok = QStringList{"landed", "ending", "grown"}.contains(a) &&
                     until(cond, b.isEmpty() ? 1000 : b.toInt(), 1);
            } else if (w[0] == "overflow" || w[0] == "quota") { // the two endings most suites need
                ok = run(w[0] == "overflow" ? kOverflow : kQuota).isEmpty();
            } else if (w[0] == "close") {
                svc.answers = {a == "yes" ? plat::kAnswerYes : plat::kAnswerNo};
                g.close();
            } else if (w[0] == "scores") {
                g.show_scores(static_cast<Integer>(a.toInt()), 1);
            } else {
                ok = false;
            }
            if (!ok) {
                return "step failed (unknown, or not reached): " + step;
            }
        }
        return {};
    }
    // The well full (end code 3); the quota's 50th row made by a figure dropped into its one gap.
    static constexpr const char *kOverflow = "start; set next_fig 0; row 1 ...#....; until ending";
    static constexpr const char *kQuota = "start; set lines 49; row 19 .#######; enter 0; keys <<<_; until ending";

    // A script of steps, each followed by what show() must then give: {steps, names, words}.
    void script(const std::vector<std::array<const char *, 3>> &lines) {
        for (const auto &[steps, names, words] : lines) {
            const QString failed = run(steps);
            QCOMPARE(QString(steps) + " -> " + failed + show(names), QString(steps) + " -> " + words);
        }
    }

    // Every message box so far, as "style text"; one without the program's title reads "untitled".
    QStringList said(std::size_t from = 0) const {
        QStringList out;
        for (std::size_t i = from; i < svc.messages.size(); ++i) {
            const auto &m = svc.messages[i];
            out << (m.title == "Clockwell" ? QString::number(m.style) : QString("untitled")) + " " + m.text;
        }
        return out;
    }

private:
    static constexpr const char *kFlagNames = "lines score level time_left fall_interval game_on play_on need_fig "
                                              "input_locked msg_closed time_over wait_step drop_req sound_on next_on "
                                              "changed new_place name_entry_on quit_pending";
    static constexpr std::array<Integer Form1::*, 19> kFlags = {
        &Form::lines,         &Form::score,         &Form::level,       &Form::time_left,
        &Form::fall_interval, &Form::game_on,       &Form::play_on,     &Form::need_fig,
        &Form::input_locked,  &Form::msg_closed,    &Form::time_over,   &Form::wait_step,
        &Form::drop_req,      &Form::sound_on,      &Form::next_on,     &Form::settings_changed,
        &Form::new_place,     &Form::name_entry_on, &Form::quit_pending};
    bool planned_ = false;
};
